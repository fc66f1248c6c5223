// Demo group: send a small calibration file to the virtual wall's receiving cards
// and see one cabinet hold its packed words.
#include "calibflow.h"
#include "demo.h"

#include "calibrationpacking.h"

#include <QFile>
#include <QTemporaryDir>

namespace demo
{

bool runCalibrationDemo(Context &context)
{
    // Up to two cabinets of the first port that has any, side by side.
    const ledwall::sim::WallDescription wall = context.wall.wall();
    QVariantList boxes;
    int width = 0, height = 0, port = 0, card = 0;
    for (const ledwall::sim::WallPort &p : wall.ports) {
        for (const ledwall::sim::WallCabinet &c : p.cabinets) {
            if (boxes.size() == 2 || p.port > 15)
                break;
            boxes << QStringLiteral("%1:%2:%3:0:%4:%5")
                         .arg(p.port)
                         .arg(c.card)
                         .arg(width)
                         .arg(c.width)
                         .arg(c.height);
            port = p.port;
            card = c.card;
            width += c.width;
            height = qMax(height, c.height);
        }
        if (!boxes.isEmpty())
            break;
    }
    if (boxes.isEmpty())
        return fail(QStringLiteral("calibration"), QStringLiteral("the wall has no cabinet"));

    QByteArray text;
    for (int y = 1; y <= height; ++y)
        for (int x = 1; x <= width; ++x)
            text += QStringLiteral("%1,%2,%3,%4,0.9\n")
                        .arg(x)
                        .arg(y)
                        .arg(0.5 + x % 50 / 100.0)
                        .arg(1.0 - y % 50 / 100.0)
                        .toLatin1();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("calibration.txt")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return fail(QStringLiteral("calibration"), QStringLiteral("no temporary file"));
    file.close();

    cli::layout::attach(context.guid);
    QVariantMap report;
    QString why;
    if (!cli::calib::send(file.fileName(), boxes, 0, true, StepTimeoutMs * 10, {}, &report, &why))
        return fail(QStringLiteral("calib-send"), why);
    stepOk(QStringLiteral("calib-send"),
           QStringLiteral("%1 pixels to %2 cabinets, last address 0x%3")
               .arg(width * height)
               .arg(boxes.size())
               .arg(report.value(QStringLiteral("last_ltcpAddr_data")).toUInt(), 0, 16));

    using namespace ledwall::calibration;
    DisplayPacker display(width, height, ThreeCoefficients);
    readCalibrationText(text, display);
    ledwall::storedimage::Cabinet last;
    ledwall::storedimage::parseCabinet(boxes.constLast().toString(), &last);
    const QByteArray expected = cutCabinet(display.data(), width, 4, last.rect);
    const bool held = cli::waitUntil(
        [&] {
            return context.wall.readReceivingCard(port, card, 0xA0030000, expected.size()) ==
                   expected;
        },
        StepTimeoutMs);
    if (!held)
        return fail(
            QStringLiteral("calib-verify"),
            QStringLiteral("card %1 of port %2 does not hold its words").arg(card).arg(port));
    stepOk(QStringLiteral("calib-verify"), QStringLiteral("card %1 of port %2 holds its %3 bytes")
                                               .arg(card)
                                               .arg(port)
                                               .arg(expected.size()));
    return true;
}

} // namespace demo
