#pragma once
// The echo role of the virtual wall: a processor that streams the video of its
// channels back. An echo request datagram (FF 01 00 00 00 00 'h', 14 bytes) to the
// wall's port starts the stream to the sender: first the stream information
// datagram, then one frame per channel every interval, taken in turn from the
// built-in clip (ledwall_echoclip, looped), each cut into a 'b' packet and 'q'
// packets of at most payloadSize bytes behind the 15-byte echo header. A new
// request starts the stream afresh. Requests may be lost to the wall's fault
// injection, and streamed datagrams go through it (loss, duplication,
// reordering). Without a clip, or with
// `supported` off, the stream information says "not supported" and nothing
// follows.
//
// The wall keeps its own copy of the echo layout on purpose (see DESIGN.md).

#include "faultinjector.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>

namespace ledwall::sim
{

// Settings of the echo role; read when a stream starts, safe from any thread.
struct EchoSettings {
    std::atomic<int> payloadSize{1024};
    std::atomic<int> frameIntervalMs{40};   // 25 pictures per second
    std::atomic<int> framesPerRequest{250}; // per channel: ten seconds
    std::atomic<bool> supported{true};
    std::atomic<quint64> datagramsSent{0};
};

// The datagrams of one frame: 'b' with count and frame number, then 'q' packets
// with their index (bytes 13..14).
QVector<QByteArray> echoFrameDatagrams(quint8 channel, quint16 frameNumber, const QByteArray &frame,
                                       int payloadSize);
bool isEchoRequest(const QByteArray &datagram);

class EchoStreamer : public QObject
{
    Q_OBJECT
public:
    using Send = std::function<void(const QVector<OutgoingDatagram> &)>;
    EchoStreamer(EchoSettings *settings, FaultInjector *faults, Send send,
                 QObject *parent = nullptr);

    // Starts (or restarts) the stream to `address`:`port`. On the server's thread.
    void begin(const QHostAddress &address, quint16 port);
    void stop();

private:
    void sendNextFrames();
    void sendShaped(const QByteArray &datagram);

    EchoSettings *m_settings;
    FaultInjector *m_faults;
    Send m_send;
    QTimer m_timer;
    QHostAddress m_address;
    quint16 m_port = 0;
    int m_payloadSize = 1024;
    int m_sent = 0; // pictures per channel so far
    int m_limit = 0;
};

} // namespace ledwall::sim
