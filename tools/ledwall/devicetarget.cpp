#include "devicetarget.h"

#include "cliutil.h"

#include <QHostAddress>

namespace cli
{

QString DeviceTarget::describe() const
{
    switch (kind) {
    case Usb:
        return QStringLiteral("the USB controller");
    case Serial:
        return QStringLiteral("serial port %1").arg(serialPort);
    case Network:
        break;
    }
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

void addDeviceOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("host"), QStringLiteral("IPv4 address of the device."),
                      QStringLiteral("A"), QStringLiteral("127.0.0.1")});
    parser.addOption(
        {QStringLiteral("port"), QStringLiteral("UDP port of the device."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("usb"), QStringLiteral("Use the first controller on USB.")});
    parser.addOption({QStringLiteral("serial"),
                      QStringLiteral("Use the controller on this serial port."),
                      QStringLiteral("NAME")});
    parser.addOption(
        {QStringLiteral("baud"), QStringLiteral("Baud rate of --serial."), QStringLiteral("B")});
}

bool deviceTarget(const QCommandLineParser &parser, DeviceTarget *target)
{
    const bool network =
        parser.isSet(QStringLiteral("port")) || parser.isSet(QStringLiteral("host"));
    const bool usb = parser.isSet(QStringLiteral("usb"));
    const bool serial = parser.isSet(QStringLiteral("serial"));
    if (int(network) + int(usb) + int(serial) != 1) {
        printError(network || usb || serial
                       ? QStringLiteral("name the device one way only: --port, --usb or --serial")
                       : QStringLiteral("--port is required (or --usb, or --serial NAME)"));
        return false;
    }
    if (parser.isSet(QStringLiteral("baud")) && !serial) {
        printError(QStringLiteral("--baud goes with --serial"));
        return false;
    }
    *target = DeviceTarget();
    if (usb) {
        target->kind = DeviceTarget::Usb;
        return true;
    }
    if (serial) {
        target->kind = DeviceTarget::Serial;
        target->serialPort = parser.value(QStringLiteral("serial"));
        qint64 baud = 0;
        if (parser.isSet(QStringLiteral("baud")) &&
            !optionNumber(parser, QStringLiteral("baud"), 50, 4000000, &baud))
            return false;
        target->baudRate = int(baud);
        return !target->serialPort.isEmpty() ||
               (printError(QStringLiteral("--serial needs a port name")), false);
    }
    if (!parser.isSet(QStringLiteral("port"))) {
        printError(QStringLiteral("--port is required with --host"));
        return false;
    }
    qint64 port = 0;
    if (!optionNumber(parser, QStringLiteral("port"), 1, 65535, &port))
        return false;
    const QString host = parser.value(QStringLiteral("host"));
    const QHostAddress address(host);
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        printError(QStringLiteral("--host '%1' is not an IPv4 address").arg(host));
        return false;
    }
    target->host = address.toString();
    target->port = quint16(port);
    return true;
}

} // namespace cli
