#pragma once
// The thin network shell of the virtual wall: one UDP socket on loopback, living
// on the wall's own thread. It feeds datagrams to the wall model, applies the
// fault injector and sends the replies back to the sender.

#include "faultinjector.h"
#include "simwire.h"

#include <QObject>

class QUdpSocket;

namespace ledwall::sim
{

class WallModel;

// True for IPv4 addresses in 127.0.0.0/8 (also written as IPv4-mapped IPv6).
bool isLoopbackAddress(const QHostAddress &address);

class UdpServer : public QObject
{
    Q_OBJECT
public:
    // Largest datagram read from the socket; bigger ones are cut and then refused
    // by the frame check as too long.
    static constexpr int MaxDatagramSize = 65536;

    UdpServer(WallModel *model, FaultInjector *faults);
    ~UdpServer() override;

    // Both run on the server's thread.
    bool bind(const QHostAddress &address, quint16 port, quint16 *boundPort);
    void close();
    // Sends a reply held back for reordering.
    void releaseHeld();

signals:
    void requestAccepted(const ledwall::sim::Frame &request);
    void requestDropped(const ledwall::sim::Frame &request);

private:
    void readPendingDatagrams();
    void sendAll(const QVector<OutgoingDatagram> &datagrams);

    WallModel *m_model;
    FaultInjector *m_faults;
    QUdpSocket *m_socket = nullptr;
};

} // namespace ledwall::sim
