#include "bll_communicationserver_desktop.h"

#include "bll_communicationxml_desktop.h"
#include "serverlogging.h"

#include <QTcpServer>
#include <QTcpSocket>

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
    return writeLine(only, xml);
}

bool BLL_CommunicationServer_Desktop::sndData2Client(QString text, bool toSenderOnly)
{
    // A line break inside the text would split it into two messages.
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return writeLine(toSenderOnly ? m_lastSender.data() : nullptr, text.toUtf8());
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
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropClient(socket); });
    }
}

void BLL_CommunicationServer_Desktop::readClient(QTcpSocket *socket)
{
    if (!m_clients.contains(socket))
        return;
    // Work on a copy: a receiver of the signals below may drop clients.
    QByteArray pending = m_pending.take(socket) + socket->readAll();
    int start = 0;
    for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', start)) {
        QByteArray line = pending.mid(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > MaxMessageSize) {
            qCDebug(lcServer) << "message of" << line.size() << "bytes exceeds the limit";
            dropClient(socket);
            return;
        }
        if (!line.trimmed().isEmpty())
            handleMessage(socket, line);
        // A handler may have stopped the server and dropped this client.
        if (!m_clients.contains(socket))
            return;
    }
    pending.remove(0, start);
    if (pending.size() > MaxMessageSize) {
        qCDebug(lcServer) << "unterminated message exceeds the limit, client dropped";
        dropClient(socket);
        return;
    }
    m_pending.insert(socket, pending);
}

void BLL_CommunicationServer_Desktop::handleMessage(QTcpSocket *socket, const QByteArray &line)
{
    int type = 0;
    QVariantMap map;
    QString error;
    if (!BLL_CommunicationXml_Desktop::fromXml(line, &type, &map, &error)) {
        qCDebug(lcServer) << "malformed message from" << socket->peerAddress().toString() << ":"
                          << error;
        return;
    }
    m_lastSender = socket;
    if (type == BLL_CommunicationXml_Desktop::CalibrationData)
        emit sig_recvCalibData(map);
    else
        emit recvXmlData(line);
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
    writeLine(nullptr,
              BLL_CommunicationXml_Desktop::toXml(BLL_CommunicationXml_Desktop::ScreenInfo, map));
}

bool BLL_CommunicationServer_Desktop::writeLine(QTcpSocket *only, const QByteArray &line)
{
    QList<QTcpSocket *> targets;
    if (only && m_clients.contains(only))
        targets.append(only);
    else
        targets = m_clients;
    bool sent = false;
    for (QTcpSocket *socket : std::as_const(targets)) {
        if (socket->write(line + '\n') == line.size() + 1)
            sent = true;
    }
    if (!sent)
        qCDebug(lcServer) << "no client to send to";
    return sent;
}
