#pragma once
// The thin network shell of the virtual wall: one UDP socket on loopback, living
// on the wall's own thread. It feeds datagrams to the wall model, applies the
// fault injector and sends the replies back to the sender. Echo requests go to
// the echo role (echostreamer.h), which streams from the same socket.

#include "faultinjector.h"
#include "simwire.h"

#include <QObject>

class QUdpSocket;

namespace ledwall::sim
{

class WallModel;
class EchoStreamer;
struct EchoSettings;

// True for IPv4 addresses in 127.0.0.0/8 (also written as IPv4-mapped IPv6).
bool isLoopbackAddress(const QHostAddress &address);

class UdpServer : public QObject
{
    Q_OBJECT
public:
    // Largest datagram read from the socket; bigger ones are cut and then refused
    // by the frame check as too long.
    static constexpr int MaxDatagramSize = 65536;

    UdpServer(WallModel *model, FaultInjector *faults, EchoSettings *echo);
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
    void sendStreamed(const QVector<OutgoingDatagram> &datagrams);

    WallModel *m_model;
    FaultInjector *m_faults;
    EchoSettings *m_echoSettings;
    QUdpSocket *m_socket = nullptr;
    EchoStreamer *m_echo = nullptr; // the echo role, on the server's thread
};

} // namespace ledwall::sim
