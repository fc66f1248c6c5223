#include "bll_communicationserver_desktop.h"

#include "bll_communicationxml_desktop.h"
#include "messageframing.h"
#include "serverlogging.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcServer, "ledwall.server")

BLL_CommunicationServer_Desktop::BLL_CommunicationServer_Desktop(QObject *parent)
    : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this,
            &BLL_CommunicationServer_Desktop::acceptConnections);
    connect(this, &BLL_CommunicationServer_Desktop::sig_getScreenBoxWh, this,
            &BLL_CommunicationServer_Desktop::sendScreenBoxWh);
}

BLL_CommunicationServer_Desktop::~BLL_CommunicationServer_Desktop()
{
    stopListenServer();
}

void BLL_CommunicationServer_Desktop::setListenAddress(const QHostAddress &address, quint16 port)
{
    m_address = address;
    m_port = port;
}

void BLL_CommunicationServer_Desktop::setIdleTimeout(int milliseconds)
{
    m_idleTimeoutMs = qMax(0, milliseconds);
}

bool BLL_CommunicationServer_Desktop::startListenServer()
{
    if (m_server->isListening())
        return true;
    if (!m_server->listen(m_address, m_port)) {
        qCDebug(lcServer) << "listen on" << m_address.toString() << m_port
                          << "failed:" << m_server->errorString();
        return false;
    }
    qCDebug(lcServer) << "listening on" << m_server->serverAddress().toString()
                      << m_server->serverPort();
    return true;
}

void BLL_CommunicationServer_Desktop::stopListenServer()
{
    m_server->close();
    const QList<QTcpSocket *> clients = m_clients;
    for (QTcpSocket *socket : clients)
        dropClient(socket);
}

bool BLL_CommunicationServer_Desktop::isListening() const
{
    return m_server->isListening();
}

QHostAddress BLL_CommunicationServer_Desktop::serverAddress() const
{
    return m_server->serverAddress();
}

quint16 BLL_CommunicationServer_Desktop::serverPort() const
{
    return m_server->serverPort();
}

int BLL_CommunicationServer_Desktop::clientCount() const
{
    return m_clients.size();
}

bool BLL_CommunicationServer_Desktop::sendXmlData(unsigned char type, const QByteArray &xml)
{
    QTcpSocket *only = type == ReplyToSender ? m_lastSender.data() : nullptr;
    return writeMessage(only, xml);
}

bool BLL_CommunicationServer_Desktop::sndData2Client(QString text, bool toSenderOnly)
{
    return writeMessage(toSenderOnly ? m_lastSender.data() : nullptr, text.toUtf8());
}

void BLL_CommunicationServer_Desktop::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_clients.size() >= MaxClients) {
            qCDebug(lcServer) << "too many clients, connection from"
                              << socket->peerAddress().toString() << "refused";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        qCDebug(lcServer) << "client connected:" << socket->peerAddress().toString()
                          << socket->peerPort();
        // Bounded reads: pending input never grows past one message and a chunk.
        socket->setReadBufferSize(64 * 1024);
        m_clients.append(socket);
        if (m_idleTimeoutMs > 0) {
            auto *idle = new QTimer(socket);
            idle->setSingleShot(true);
            idle->setInterval(m_idleTimeoutMs);
            connect(idle, &QTimer::timeout, this, [this, socket] {
                qCDebug(lcServer) << "idle client dropped:" << socket->peerAddress().toString();
                dropClient(socket);
            });
            connect(socket, &QTcpSocket::readyRead, idle, qOverload<>(&QTimer::start));
            idle->start();
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropClient(socket); });
    }
}

void BLL_CommunicationServer_Desktop::readClient(QTcpSocket *socket)
{
    if (!m_clients.contains(socket))
        return;
    // Work on a copy: a receiver of the signals below may drop clients. The read
    // buffer is bounded, so pending input never grows past one message and a chunk.
    QByteArray pending = m_pending.take(socket) + socket->readAll();
    int start = 0;
    for (;;) {
        const ledwall::server::FramedMessage framed =
            ledwall::server::takeMessage(pending, start, MaxMessageSize);
        if (framed.status == ledwall::server::FrameStatus::Incomplete)
            break;
        if (framed.status == ledwall::server::FrameStatus::TooLarge) {
            qCDebug(lcServer) << "message of" << framed.length << "bytes exceeds the limit";
            sendError(socket, QStringLiteral("message of %1 bytes exceeds the limit of %2")
                                  .arg(framed.length)
                                  .arg(MaxMessageSize));
            // Closed gracefully, so that the error reaches the client first.
            m_clients.removeOne(socket);
            socket->disconnect(this);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            return;
        }
        start = framed.next;
        if (!framed.message.isEmpty())
            handleMessage(socket, framed.message);
        // A handler may have stopped the server and dropped this client.
        if (!m_clients.contains(socket))
            return;
    }
    pending.remove(0, start);
    m_pending.insert(socket, pending);
}

void BLL_CommunicationServer_Desktop::handleMessage(QTcpSocket *socket, const QByteArray &message)
{
    int type = 0;
    QVariantMap map;
    QString error;
    if (!BLL_CommunicationXml_Desktop::fromXml(message, &type, &map, &error)) {
        qCDebug(lcServer) << "malformed message from" << socket->peerAddress().toString() << ":"
                          << error;
        sendError(socket, error);
        return;
    }
    m_lastSender = socket;
    if (type == BLL_CommunicationXml_Desktop::CalibrationData)
        emit sig_recvCalibData(map);
    else
        emit recvXmlData(message);
}

void BLL_CommunicationServer_Desktop::sendError(QTcpSocket *socket, const QString &why)
{
    writeMessage(socket, BLL_CommunicationXml_Desktop::toXml(
                             BLL_CommunicationXml_Desktop::Response,
                             {{QStringLiteral("cmd"), QStringLiteral("error")},
                              {QStringLiteral("result"), 0},
                              {QStringLiteral("error"), why}}));
}

void BLL_CommunicationServer_Desktop::dropClient(QTcpSocket *socket)
{
    if (!m_clients.removeOne(socket))
        return;
    m_pending.remove(socket);
    qCDebug(lcServer) << "client gone:" << socket->peerAddress().toString();
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void BLL_CommunicationServer_Desktop::sendScreenBoxWh(const QVariantMap &map)
{
    writeMessage(nullptr, BLL_CommunicationXml_Desktop::toXml(
                              BLL_CommunicationXml_Desktop::ScreenInfo, map));
}

bool BLL_CommunicationServer_Desktop::writeMessage(QTcpSocket *only, const QByteArray &message)
{
    QList<QTcpSocket *> targets;
    if (only && m_clients.contains(only))
        targets.append(only);
    else
        targets = m_clients;
    const QByteArray framed = ledwall::server::frameMessage(message);
    bool sent = false;
    for (QTcpSocket *socket : std::as_const(targets)) {
        if (socket->write(framed) == framed.size())
            sent = true;
    }
    if (!sent)
        qCDebug(lcServer) << "no client to send to";
    return sent;
}
