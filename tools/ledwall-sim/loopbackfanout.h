#pragma once
// A stand-in for a broadcast address on loopback: every datagram sent to it goes
// to each of several virtual walls, and each wall's answers come back from an
// address of that wall's own (a relay socket beside it, port chosen by the
// system), as several devices on one network would answer a broadcast.
//
//     LoopbackFanOut fanOut;
//     fanOut.start({{wallA.address(), wallA.port()}, {wallB.address(), wallB.port()}});
//     link.connectServer(guid, "127.0.0.1", fanOut.port());
//
// It lives in the thread that creates it, which needs a running event loop.
// Every address involved must be in 127.0.0.0/8.

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace ledwall::sim
{

class LoopbackFanOut
{
public:
    using Endpoint = QPair<QHostAddress, quint16>;

    // Listens on `address` (an ephemeral port) and opens one relay per wall.
    bool start(const QList<Endpoint> &walls,
               const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    quint16 port() const { return m_front.localPort(); }

private:
    struct Relay {
        QUdpSocket socket;
        Endpoint wall;
    };

    QUdpSocket m_front;
    std::vector<std::unique_ptr<Relay>> m_relays;
    Endpoint m_client;
};

} // namespace ledwall::sim
