#include "loopbackresponder.h"

#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QVariant>

bool LoopbackResponder::start()
{
    if (!m_socket.bind(QHostAddress::LocalHost, 0))
        return false;
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] { onReadyRead(); });
    return true;
}

QByteArray LoopbackResponder::replyTo(const Module_ProtocolBase &request)
{
    if (request.m_wireFlags & Module_ProtocolBase::Discovery) {
        Module_SendCard_Protocol answer;
        answer.m_wireFlags = Module_ProtocolBase::Discovery | Module_ProtocolBase::IsReply;
        answer.cmdData =
            QByteArrayLiteral(R"({"name":"wall-1","model":"LW-S1","serial":"SN0001"})");
        return answer.encode(request.m_sequence);
    }
    std::unique_ptr<Module_ProtocolBase> reply(request.clone());
    reply->m_timeout = 0;
    reply->m_wireFlags = Module_ProtocolBase::IsReply;
    switch (reply->protocolType()) {
    case Module_ProtocolBase::SendCard:
        static_cast<Module_SendCard_Protocol &>(*reply).cmdData.prepend("re:");
        break;
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
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        m_lastSender = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        ++requests;
        auto decoded = ledwall::wire::decodeFrame(datagram.data());
        if (!decoded.frame) {
            ++undecodable;
            continue;
        }
        if (silent)
            continue;
        const QByteArray reply = replyTo(*decoded.frame);
        const QHostAddress to = m_lastSender;
        const quint16 toPort = m_lastSenderPort;
        QUdpSocket *from = replyFrom ? replyFrom : &m_socket;
        QTimer::singleShot(replyDelayMs, from,
                           [from, reply, to, toPort] { from->writeDatagram(reply, to, toPort); });
    }
}
