#pragma once
// A device stand-in on 127.0.0.1 for link tests and the round-trip benchmark:
// a UDP socket in its own thread that decodes each request and answers it with
// a reply frame of the same sequence number ("re:" before the payload), or
// answers a discovery request with a JSON identity.

#include "module_protocolbase.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

class QUdpSocket;

class LoopbackResponder
{
public:
    LoopbackResponder();
    ~LoopbackResponder();

    // Binds an ephemeral port on 127.0.0.1 and starts answering.
    bool start();
    quint16 port() const { return m_port; }
    void stop();

    // Sends raw bytes to the sender of the last request (from the responder's thread).
    void sendToLastSender(const QByteArray &bytes);

    std::atomic<bool> silent{false};          // receive and count, never answer
    std::atomic<int> replyDelayMs{0};         // answer this much later
    std::atomic<int> requests{0};             // requests received (discovery included)
    std::atomic<int> discoveryRequests{0};
    std::atomic<int> undecodable{0};          // datagrams that failed to decode

    // The reply to `request` (a decoded request frame), encoded with its sequence.
    static QByteArray replyTo(const Module_ProtocolBase &request);

private:
    void onReadyRead();

    QThread m_thread;
    QObject *m_context = nullptr;
    QUdpSocket *m_socket = nullptr;
    quint16 m_port = 0;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
};
