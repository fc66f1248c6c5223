#include "loopbackresponder.h"

#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

LoopbackResponder::LoopbackResponder() = default;

LoopbackResponder::~LoopbackResponder()
{
    stop();
}

bool LoopbackResponder::start()
{
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    bool bound = false;
    QMetaObject::invokeMethod(
        m_context,
        [this, &bound] {
            m_socket = new QUdpSocket(m_context);
            bound = m_socket->bind(QHostAddress::LocalHost, 0);
            m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
            m_port = m_socket->localPort();
            QObject::connect(m_socket, &QUdpSocket::readyRead, m_context, [this] { onReadyRead(); });
        },
        Qt::BlockingQueuedConnection);
    return bound;
}

void LoopbackResponder::stop()
{
    if (!m_context)
        return;
    QMetaObject::invokeMethod(
        m_context, [this] { delete m_socket; m_socket = nullptr; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_context;
    m_context = nullptr;
}

void LoopbackResponder::sendToLastSender(const QByteArray &bytes)
{
    QMetaObject::invokeMethod(
        m_context, [this, bytes] { m_socket->writeDatagram(bytes, m_lastSender, m_lastSenderPort); },
        Qt::BlockingQueuedConnection);
}

QByteArray LoopbackResponder::replyTo(const Module_ProtocolBase &request)
{
    if (request.m_wireFlags & Module_ProtocolBase::Discovery) {
        Module_SendCard_Protocol answer;
        answer.m_wireFlags = Module_ProtocolBase::Discovery | Module_ProtocolBase::IsReply;
        answer.cmdData = QByteArrayLiteral(R"({"name":"wall-1","model":"LW-S1","serial":"SN0001"})");
        return answer.encode(request.m_sequence);
    }
    std::unique_ptr<Module_ProtocolBase> reply(request.clone());
    reply->m_timeout = 0;
    reply->m_wireFlags = Module_ProtocolBase::IsReply;
    switch (reply->protocolType()) {
    case Module_ProtocolBase::SendCard: {
        auto &frame = static_cast<Module_SendCard_Protocol &>(*reply);
        frame.cmdData.prepend("re:");
        break;
    }
    case Module_ProtocolBase::VideoProcessingUnit:
        static_cast<Module_VPU_Protocol &>(*reply).m_data.prepend("re:");
        break;
    case Module_ProtocolBase::Processor:
        static_cast<Module_Processor_Protocol &>(*reply).m_data.prepend("re:");
        break;
    }
    return reply->encode(request.m_sequence);
}

void LoopbackResponder::onReadyRead()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        m_lastSender = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        ++requests;
        auto decoded = ledwall::wire::decodeFrame(datagram.data());
        if (!decoded.frame) {
            ++undecodable;
            continue;
        }
        if (decoded.frame->m_wireFlags & Module_ProtocolBase::Discovery)
            ++discoveryRequests;
        if (silent)
            continue;
        const QByteArray reply = replyTo(*decoded.frame);
        const QHostAddress to = m_lastSender;
        const quint16 toPort = m_lastSenderPort;
        const int delay = replyDelayMs;
        if (delay > 0) {
            QTimer::singleShot(delay, m_context, [this, reply, to, toPort] {
                if (m_socket)
                    m_socket->writeDatagram(reply, to, toPort);
            });
        } else {
            m_socket->writeDatagram(reply, to, toPort);
        }
    }
}
