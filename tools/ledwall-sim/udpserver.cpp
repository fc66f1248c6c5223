#include "udpserver.h"
#include "echostreamer.h"
#include "simlog.h"
#include "wallmodel.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

namespace ledwall::sim
{

bool isLoopbackAddress(const QHostAddress &address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return isIpv4 && (ipv4 >> 24) == 127;
}

UdpServer::UdpServer(WallModel *model, FaultInjector *faults, EchoSettings *echo)
    : m_model(model), m_faults(faults), m_echoSettings(echo)
{
}

UdpServer::~UdpServer()
{
    delete m_socket;
}

bool UdpServer::bind(const QHostAddress &address, quint16 port, quint16 *boundPort)
{
    if (!isLoopbackAddress(address))
        return false;
    close();
    m_socket = new QUdpSocket(this);
    if (!m_socket->bind(address, port)) {
        qCDebug(lcSim) << "cannot bind" << address << port << m_socket->errorString();
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpServer::readPendingDatagrams);
    m_echo = new EchoStreamer(
        m_echoSettings, m_faults,
        [this](const QVector<OutgoingDatagram> &datagrams) { sendStreamed(datagrams); }, this);
    if (boundPort)
        *boundPort = m_socket->localPort();
    qCDebug(lcSim) << "listening on" << address << m_socket->localPort();
    return true;
}

void UdpServer::close()
{
    if (!m_socket)
        return;
    // Nothing is lost on a clean stop: a reply held back for reordering still goes out.
    delete m_echo;
    m_echo = nullptr;
    sendAll(m_faults->takeHeld());
    delete m_socket;
    m_socket = nullptr;
}

void UdpServer::releaseHeld()
{
    sendAll(m_faults->takeHeld());
}

void UdpServer::readPendingDatagrams()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram received = m_socket->receiveDatagram(MaxDatagramSize);
        if (!received.isValid())
            break;
        if (!isLoopbackAddress(received.senderAddress())) {
            qCDebug(lcSim) << "ignoring a datagram from" << received.senderAddress();
            continue;
        }
        if (isEchoRequest(received.data())) {
            if (m_echo && !m_faults->shouldDropStreamed())
                m_echo->begin(received.senderAddress(), quint16(received.senderPort()));
            continue;
        }
        Frame request;
        if (m_model->accept(received.data(), &request) != RejectReason::None)
            continue;
        if (m_faults->shouldDrop(request)) {
            m_model->noteDropped();
            emit requestDropped(request);
            continue;
        }
        const QVector<QByteArray> replies = m_model->handleFrameAll(request);
        emit requestAccepted(request);
        for (const QByteArray &reply : replies) {
            OutgoingDatagram outgoing{reply, received.senderAddress(),
                                      quint16(received.senderPort())};
            const QVector<OutgoingDatagram> now = m_faults->shapeReply(outgoing);
            const int delay = m_faults->replyDelay();
            if (delay > 0 && !now.isEmpty())
                QTimer::singleShot(delay, this, [this, now] { sendAll(now); });
            else
                sendAll(now);
        }
    }
}

void UdpServer::sendAll(const QVector<OutgoingDatagram> &datagrams)
{
    if (!m_socket)
        return;
    int sent = 0;
    for (const OutgoingDatagram &out : datagrams) {
        if (!isLoopbackAddress(out.address))
            continue; // the wall never talks to anything but loopback
        if (m_socket->writeDatagram(out.datagram, out.address, out.port) == out.datagram.size())
            ++sent;
        else
            qCDebug(lcSim) << "reply not sent:" << m_socket->errorString();
    }
    m_model->noteAnswered(sent);
}

} // namespace ledwall::sim

namespace ledwall::sim
{

void UdpServer::sendStreamed(const QVector<OutgoingDatagram> &datagrams)
{
    for (const OutgoingDatagram &out : datagrams) {
        if (m_socket && isLoopbackAddress(out.address))
            m_socket->writeDatagram(out.datagram, out.address, out.port);
    }
}

} // namespace ledwall::sim
