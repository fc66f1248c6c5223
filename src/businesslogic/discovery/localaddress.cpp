#include "localaddress.h"

#include <QNetworkAddressEntry>

namespace ledwall
{

NetworkInterfaceList systemNetworkInterfaces()
{
    NetworkInterfaceList list;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        NetworkInterfaceInfo info;
        info.name = interface.name();
        info.humanReadableName = interface.humanReadableName();
        info.flags = interface.flags();
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            info.addresses.append({entry.ip(), entry.broadcast()});
        list.append(info);
    }
    return list;
}

NetworkInterfaceList loopbackSearchInterfaces()
{
    NetworkInterfaceInfo info;
    info.name = info.humanReadableName = QStringLiteral("loopback-search");
    // Deliberately not flagged as loopback: it stands in for a network interface.
    info.flags = QNetworkInterface::IsUp | QNetworkInterface::IsRunning |
                 QNetworkInterface::CanBroadcast | QNetworkInterface::CanMulticast;
    const QHostAddress loopback(QHostAddress::LocalHost);
    info.addresses = {{loopback, loopback}};
    return {info};
}

bool isDiscoveryInterface(const NetworkInterfaceInfo &interface)
{
    const QNetworkInterface::InterfaceFlags required =
        QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast |
        QNetworkInterface::CanMulticast;
    return (interface.flags & required) == required &&
           !interface.flags.testFlag(QNetworkInterface::IsLoopBack) &&
           !interface.humanReadableName.contains(QLatin1String("VMware"), Qt::CaseSensitive);
}

QString localBroadcastAddress(const NetworkInterfaceList &interfaces)
{
    for (const NetworkInterfaceInfo &interface : interfaces) {
        if (!isDiscoveryInterface(interface))
            continue;
        // An interface with only IPv6 (or a point-to-point IPv4 link without a
        // broadcast address) cannot carry a search: the next one may.
        for (const NetworkAddressInfo &address : interface.addresses) {
            if (address.ip.protocol() == QAbstractSocket::IPv4Protocol &&
                !address.broadcast.isNull())
                return address.broadcast.toString();
        }
    }
    return {};
}

} // namespace ledwall
