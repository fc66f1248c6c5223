// Demo group: the output windows of the demo wall computed and written into the
// sending card's bank B, the pages read back and turned into cabinets again, and
// the screen size the card reports.
#include "demo.h"
#include "windowsflow.h"

#include <QSet>

namespace demo
{
namespace
{

// Each port's cabinets side by side in a row of their own, rows stacked.
QVariantMap layoutOfWall(const ledwall::sim::WallDescription &wall, QSet<QString> *cabinets,
                         QSize *extent)
{
    QVariantList items;
    int y = 0;
    for (const ledwall::sim::WallPort &port : wall.ports) {
        int x = 0, height = 0;
        for (const ledwall::sim::WallCabinet &c : port.cabinets) {
            items.append(QVariantMap{{QStringLiteral("sender_port"), port.port},
                                     {QStringLiteral("sender_addr"), c.card},
                                     {QStringLiteral("x"), x},
                                     {QStringLiteral("y"), y},
                                     {QStringLiteral("vcs_width"), c.width},
                                     {QStringLiteral("vcs_height"), c.height},
                                     {QStringLiteral("init"), 1}});
            cabinets->insert(QStringLiteral("%1:%2:%3:%4:%5:%6")
                                 .arg(port.port)
                                 .arg(c.card)
                                 .arg(x)
                                 .arg(y)
                                 .arg(c.width)
                                 .arg(c.height));
            x += c.width;
            height = qMax(height, c.height);
        }
        *extent = extent->expandedTo(QSize(x, y + height));
        y += height;
    }
    return {{QStringLiteral("displayArr"),
             QVariantList{QVariantMap{{QStringLiteral("itemArr"), items}}}}};
}

} // namespace

bool runWindowsDemo(Context &context)
{
    QSet<QString> expected;
    QSize extent;
    const QVariantMap layout = layoutOfWall(context.wall.wall(), &expected, &extent);
    if (expected.isEmpty())
        return fail(QStringLiteral("windows-write"), QStringLiteral("the wall has no cabinets"));
    BLL_BusinessLogic_SendCardPackage &card = cli::layout::card();
    cli::layout::attach(context.guid);
    card.saveConnectDisplayData(layout);
    const QVariantMap request{{QStringLiteral("scType"), QStringLiteral("4k")},
                              {QStringLiteral("dviWorkMode"), 10},
                              {QStringLiteral("isSend"), true}};
    const int firstReply = context.session.replies.size();
    QVariantMap result;
    QStringList open;
    int writes = 0;
    {
        cli::windows::WriteCapture capture;
        result = card.setAllMultiWindow(request);
        open = capture.unacknowledged(context.session, firstReply, StepTimeoutMs);
        writes = capture.writes.size();
    }
    if (!result.value(QStringLiteral("result")).toBool() || !open.isEmpty())
        return fail(QStringLiteral("windows-write"),
                    open.isEmpty() ? result.value(QStringLiteral("error")).toString()
                                   : QStringLiteral("no acknowledgement at ") +
                                         open.join(QStringLiteral(", ")));
    stepOk(QStringLiteral("windows-write"), QStringLiteral("%1 pages acknowledged, %2 ports")
                                                .arg(writes)
                                                .arg(card.lastPortWindows().size()));

    QObject guard;
    QStringList readBack;
    QSize reported;
    QObject::connect(&card, &BLL_BusinessLogic_SendCardPackage::recvAllBox, &guard,
                     [&](QVariantList boxes) {
                         for (const QVariant &box : boxes)
                             readBack.append(box.toString());
                     });
    QObject::connect(&card, &BLL_BusinessLogic_SendCardPackage::sig_sndScreenWh, &guard,
                     [&](int width, int height) { reported = QSize(width, height); });
    card.setGetWidthHeightFlag(true);
    QString why;
    if (!cli::windows::readDisplayBack(context.session, context.guid, StepTimeoutMs, &why))
        return fail(QStringLiteral("windows-read-back"), why);
    const QSet<QString> found(readBack.cbegin(), readBack.cend());
    if (found != expected)
        return fail(QStringLiteral("windows-read-back"),
                    QStringLiteral("cabinets read back %1, laid out %2")
                        .arg(readBack.join(QLatin1Char(' ')))
                        .arg(expected.values().join(QLatin1Char(' '))));
    stepOk(QStringLiteral("windows-read-back"),
           QStringLiteral("%1 cabinets match the layout").arg(found.size()));
    if (reported != extent)
        return fail(QStringLiteral("screen-size"),
                    QStringLiteral("reported %1 x %2, expected %3 x %4")
                        .arg(reported.width())
                        .arg(reported.height())
                        .arg(extent.width())
                        .arg(extent.height()));
    stepOk(QStringLiteral("screen-size"),
           QStringLiteral("%1 x %2").arg(reported.width()).arg(reported.height()));
    return true;
}

} // namespace demo
