#pragma once
// The broadcast address of the local network, from a list of interface
// descriptions.
//
// Discovery sends to it, so the list is a plain value that callers can build
// themselves: the system's interfaces by default (systemNetworkInterfaces()), a
// loopback-only list in tests and in the demo.

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QString>

namespace ledwall
{

struct NetworkAddressInfo {
    QHostAddress ip;
    QHostAddress broadcast;
};

struct NetworkInterfaceInfo {
    QString name;
    QString humanReadableName;
    QNetworkInterface::InterfaceFlags flags;
    QList<NetworkAddressInfo> addresses;
};

using NetworkInterfaceList = QList<NetworkInterfaceInfo>;

// QNetworkInterface::allInterfaces(), in the order the system lists them.
NetworkInterfaceList systemNetworkInterfaces();

// A list that keeps searches on this machine: one usable interface "loopback-search"
// whose address and broadcast address are 127.0.0.1. For tests and the demo.
NetworkInterfaceList loopbackSearchInterfaces();

// True for an interface that discovery may use: up, running, able to broadcast
// and to multicast, not loopback, and not a VMware virtual adapter (its
// human-readable name contains "VMware").
bool isDiscoveryInterface(const NetworkInterfaceInfo &interface);

// The broadcast address, as text, of the first IPv4 entry (with a broadcast
// address) of the first discovery interface that has one; empty when none has.
QString localBroadcastAddress(const NetworkInterfaceList &interfaces);

} // namespace ledwall
