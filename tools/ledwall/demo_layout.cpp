// Demo group: a screen layout encoded, written into the sending card's flash,
// read back, decoded and compared; then a topology rebuilt from the card's
// hardware port table and checked against the wall description.
#include "demo.h"
#include "layoutflow.h"

#include "displaytext.h"

namespace demo
{
namespace
{

// Two displays of a few cabinets each, every field set.
QVariantMap demoLayout()
{
    QVariantList displays;
    for (int d = 0; d < 2; ++d) {
        QVariantList items;
        for (int i = 0; i < 6; ++i) {
            QVariantMap item =
                ledwall::displaytext::connectItemForCell(d, i % 3, i / 3, 128, 64, i);
            item.insert(QStringLiteral("index"), i);
            items << item;
        }
        displays << QVariantMap{
            {QStringLiteral("display_idx"), d},
            {QStringLiteral("row_count"), 2},
            {QStringLiteral("col_count"), 3},
            {QStringLiteral("x_offset"), d * 384},
            {QStringLiteral("y_offset"), 0},
            {QStringLiteral("display_name"), QStringLiteral("Demo %1").arg(d + 1)},
            {QStringLiteral("itemArr"), items}};
    }
    return {{QStringLiteral("basicInfo"), QVariantMap{{QStringLiteral("enable_as_master_card"), 1},
                                                      {QStringLiteral("display_count"), 2},
                                                      {QStringLiteral("enable_port_auto_bakup"), 0},
                                                      {QStringLiteral("FreeLine"), 0}}},
            {QStringLiteral("displayArr"), displays}};
}

// Gives every port of the wall a block in the port table (one row of its
// cabinets per port, stacked), or two demo ports when the wall has none.
ledwall::sim::WallDescription wallWithPortTable(ledwall::sim::WallDescription wall)
{
    if (wall.ports.isEmpty()) {
        for (int p = 0; p < 2; ++p) {
            ledwall::sim::WallPort port;
            port.port = p;
            for (int c = 0; c < 4; ++c)
                port.cabinets.append({c, 128, 128});
            wall.ports.append(port);
        }
    }
    int y = 0;
    for (ledwall::sim::WallPort &port : wall.ports) {
        if (port.cabinets.isEmpty() || port.layout.present)
            continue;
        port.layout.present = true;
        port.layout.order = port.port % 2 ? 3 : 2; // left to right, or right to left
        port.layout.across = qMin(int(port.cabinets.size()), 255);
        port.layout.down = 1;
        port.layout.y = y;
        port.layout.width = port.cabinets.first().width;
        port.layout.height = port.cabinets.first().height;
        y += port.layout.height;
    }
    return wall;
}

// Every in-use port's cabinets sit inside its block, once each, with its size.
QString compareWithWall(const QVariantMap &map, const ledwall::sim::WallDescription &wall)
{
    const QVariantList cells = map.value(QStringLiteral("displayArr"))
                                   .toList()
                                   .value(0)
                                   .toMap()
                                   .value(QStringLiteral("itemArr"))
                                   .toList();
    for (const ledwall::sim::WallPort &port : wall.ports) {
        const ledwall::sim::PortLayout &l = port.layout;
        if (!l.present || !l.enable)
            continue;
        QSet<int> addresses;
        for (const QVariant &cell : cells) {
            const QVariantMap item = cell.toMap();
            if (item.value(QStringLiteral("init")).toInt() != 1 ||
                item.value(QStringLiteral("sender_port")).toInt() != port.port)
                continue;
            const int col = item.value(QStringLiteral("col")).toInt() - l.x / l.width;
            const int row = item.value(QStringLiteral("row")).toInt() - l.y / l.height;
            if (col < 0 || col >= l.across || row < 0 || row >= l.down ||
                item.value(QStringLiteral("vcs_width")).toInt() != l.width ||
                item.value(QStringLiteral("vcs_height")).toInt() != l.height)
                return QStringLiteral("port %1: a cabinet outside its block").arg(port.port);
            addresses.insert(item.value(QStringLiteral("sender_addr")).toInt());
        }
        if (addresses.size() != l.across * l.down)
            return QStringLiteral("port %1: %2 cabinets, the wall has %3")
                .arg(port.port)
                .arg(addresses.size())
                .arg(l.across * l.down);
    }
    return QString();
}

} // namespace

bool runLayoutDemo(Context &context)
{
    const QVariantMap layout = demoLayout();
    const QString text = ledwall::displaytext::connectMapToText(layout);
    stepOk(QStringLiteral("layout-encode"), QStringLiteral("%1 characters").arg(text.size()));

    cli::layout::attach(context.guid);
    QString why;
    if (!cli::layout::write(layout, false, StepTimeoutMs, &why))
        return fail(QStringLiteral("layout-write"), why);
    stepOk(QStringLiteral("layout-write"),
           QStringLiteral("display record at 0x%1")
               .arg(ledwall::registers::DisplayRecord.first, 0, 16));

    QVariantMap readBack;
    if (!cli::layout::read(false, StepTimeoutMs, &readBack, &why))
        return fail(QStringLiteral("layout-read"), why);
    stepOk(QStringLiteral("layout-read"), QStringLiteral("60 blocks"));
    if (readBack != layout)
        return fail(QStringLiteral("layout-compare"), QStringLiteral("the decoded layout differs"));
    stepOk(QStringLiteral("layout-compare"), QStringLiteral("decoded layout equals the original"));

    const ledwall::sim::WallDescription wall = wallWithPortTable(context.wall.wall());
    context.wall.setWall(wall);
    int ethNum = 0;
    for (const ledwall::sim::WallPort &port : wall.ports)
        ethNum = qMax(ethNum, port.port + 1);
    QVariantMap rebuilt, report;
    if (!cli::layout::rebuild(qMin(ethNum, 78), StepTimeoutMs, &rebuilt, &report, &why))
        return fail(QStringLiteral("topology-rebuild"), why);
    if (report.value(QStringLiteral("overLape")).toBool())
        return fail(QStringLiteral("topology-rebuild"), QStringLiteral("ports overlap"));
    const QString difference = compareWithWall(rebuilt, wall);
    if (!difference.isEmpty())
        return fail(QStringLiteral("topology-rebuild"), difference);
    stepOk(QStringLiteral("topology-rebuild"),
           QStringLiteral("%1 port records match the wall").arg(ethNum));
    return true;
}

} // namespace demo
