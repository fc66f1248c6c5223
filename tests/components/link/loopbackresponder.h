#pragma once
// A device stand-in on 127.0.0.1 for the link tests: a UDP socket in the test's
// thread (answering while the test waits in the event loop) that decodes each
// request and answers it with a reply frame of the same sequence number ("re:"
// before the payload), or answers a discovery request with a JSON identity.

#include "module_protocolbase.h"

#include <QHostAddress>
#include <QUdpSocket>

class LoopbackResponder
{
public:
    bool start(); // binds an ephemeral port on 127.0.0.1
    quint16 port() const { return m_socket.localPort(); }
    void sendToLastSender(const QByteArray &bytes)
    {
        m_socket.writeDatagram(bytes, m_lastSender, m_lastSenderPort);
    }

    // The reply to `request` (a decoded request frame), encoded with its sequence.
    static QByteArray replyTo(const Module_ProtocolBase &request);

    bool silent = false;             // receive and count, never answer
    int replyDelayMs = 0;            // answer this much later
    QUdpSocket *replyFrom = nullptr; // answer from this socket (another address) instead
    int requests = 0;                // requests received (discovery included)
    int undecodable = 0;             // datagrams that failed to decode

private:
    void onReadyRead();
    QUdpSocket m_socket;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
};
