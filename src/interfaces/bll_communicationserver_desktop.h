#pragma once
// TCP server for remote tools (calibration software).
//
// Framing: a connection carries any number of messages in both directions, each
// a 4-byte big-endian length N followed by N bytes (docs/protocol.md, "Server
// bridge"). A client message is one XML document in the codec's format
// (BLL_CommunicationXml_Desktop); a length of 0 is skipped. A length above
// MaxMessageSize is answered with an error message and ends that client's
// connection before anything is read for it. At most MaxClients clients are
// served at a time; further connections are closed at once. A client that sends
// nothing for the idle time-out (DefaultIdleTimeoutMs unless setIdleTimeout chose
// otherwise) is disconnected.
//
// Incoming: a calibration-data message (type 3) is decoded and emitted as
// sig_recvCalibData; every other well-formed message is emitted as received
// bytes through recvXmlData, for the codec to decode. A malformed message is
// logged and answered with a Response message {"cmd": "error", "result": 0,
// "error": why}; the connection stays.
//
// Outgoing: sendXmlData and sndData2Client write one message each. Emitting
// sig_getScreenBoxWh(map) sends the map to every client as a screen-information
// message (type 4); the server never emits that signal itself.
//
// The server listens only where it is told: 127.0.0.1 and DefaultPort unless
// setListenAddress chose otherwise (port 0 picks a free port; see serverPort()).
// It lives in the thread that created it; all members are called from there.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class QTcpServer;
class QTcpSocket;

class BLL_CommunicationServer_Desktop : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 16619;
    static constexpr int MaxMessageSize = 1 << 20;
    static constexpr int MaxClients = 16;
    static constexpr int DefaultIdleTimeoutMs = 60000;
    // sendXmlData types: ReplyToSender answers the client whose message came in
    // last (every client when it has gone); any other value goes to every client.
    static constexpr unsigned char ReplyToSender = 1;

    explicit BLL_CommunicationServer_Desktop(QObject *parent = nullptr);
    ~BLL_CommunicationServer_Desktop() override;

    void setListenAddress(const QHostAddress &address, quint16 port);
    // 0 keeps idle clients for ever; applies to clients that connect afterwards.
    void setIdleTimeout(int milliseconds);
    // Starts listening at the configured address; true when listening (also when
    // it already was). A failure is logged and returns false.
    bool startListenServer();
    void stopListenServer();
    bool isListening() const;
    QHostAddress serverAddress() const;
    quint16 serverPort() const;
    int clientCount() const;

    // Sends one XML message; true when at least one client got it.
    bool sendXmlData(unsigned char type, const QByteArray &xml);
    // Sends one text message (e.g. "CMD_READ_FLASHDISPLAY#true#1920,1080") to the
    // last sender only when toSenderOnly is set, else to every client.
    bool sndData2Client(QString text, bool toSenderOnly);

signals:
    void recvXmlData(QByteArray data);
    void sig_recvCalibData(QVariantMap vMap);
    void sig_getScreenBoxWh(QVariantMap vMap);

private:
    void acceptConnections();
    void readClient(QTcpSocket *socket);
    void dropClient(QTcpSocket *socket);
    void handleMessage(QTcpSocket *socket, const QByteArray &message);
    void sendScreenBoxWh(const QVariantMap &map);
    void sendError(QTcpSocket *socket, const QString &why);
    bool writeMessage(QTcpSocket *only, const QByteArray &message);

    QTcpServer *m_server = nullptr;
    QHostAddress m_address = QHostAddress(QHostAddress::LocalHost);
    quint16 m_port = DefaultPort;
    int m_idleTimeoutMs = DefaultIdleTimeoutMs;
    QList<QTcpSocket *> m_clients;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QPointer<QTcpSocket> m_lastSender;
};
