#pragma once
// How a command names the device it talks to, the same way for every command:
//
//     --host A --port N       a controller on the network (host defaults to 127.0.0.1)
//     --usb                   the first controller on USB
//     --serial NAME [--baud B] a controller on a serial port
//
// addDeviceOptions() declares the options, deviceTarget() reads them, and
// FacadeSession::open(target) opens the link through the library's facade.

#include <QCommandLineParser>
#include <QString>

namespace cli
{

struct DeviceTarget {
    enum Kind { Network, Usb, Serial };
    Kind kind = Network;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 0;
    QString serialPort;
    int baudRate = 0; // 0: the library's default rate

    // "127.0.0.1:5000", "USB", "serial port /dev/ttyUSB0": for messages.
    QString describe() const;
};

void addDeviceOptions(QCommandLineParser &parser);
// The device the options name. Prints why and returns false on bad usage: no way
// or two ways of naming a device, a port or rate out of range, a host that is not
// an IPv4 address.
bool deviceTarget(const QCommandLineParser &parser, DeviceTarget *target);

} // namespace cli
