// The server bridge through the facade: a TCP client's commands reach the
// interface, an adjust command is answered at once, and the screen size of the
// sending-card object goes back to the clients.

#include "bll_businesslogic_desktop.h"
#include "bll_communicationserver_desktop.h"
#include "bll_communicationxml_desktop.h"
#include "threadspy.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

namespace
{
QByteArray framed(const QByteArray &message)
{
    QByteArray header(4, '\0');
    qToBigEndian<quint32>(quint32(message.size()), header.data());
    return header + message;
}

// The next message from the server; empty when none came within `ms`.
QByteArray readFrame(QTcpSocket &socket, int ms = 3000)
{
    if (!QTest::qWaitFor([&] { return socket.bytesAvailable() >= 4; }, ms))
        return {};
    const QByteArray header = socket.peek(4);
    const int length = int(qFromBigEndian<quint32>(header.constData()));
    (void)QTest::qWaitFor([&] { return socket.bytesAvailable() >= 4 + length; }, ms);
    socket.read(4);
    return socket.read(length);
}
} // namespace

class TestFacadeServer : public QObject
{
    Q_OBJECT
private slots:
    void clientsTalkToTheInterface()
    {
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        QVERIFY(!facade->listenServer());
        QVERIFY(facade->startListenServer(QHostAddress(QHostAddress::LocalHost), 0));
        BLL_CommunicationServer_Desktop *server = facade->listenServer();
        QVERIFY(server);
        facade->startListenServer(); // reuses the bridge, changes nothing
        QCOMPARE(facade->listenServer(), server);
        QCOMPARE(server->serverAddress(), QHostAddress(QHostAddress::LocalHost));

        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server->serverPort());
        QVERIFY(client.waitForConnected(3000));
        ThreadSpy received(facade, &BLL_BusinessLogic_Desktop::sig_serverRecv);
        ThreadSpy calibration(facade, &BLL_BusinessLogic_Desktop::sig_recvCalibData);
        ThreadSpy screen(facade, &BLL_BusinessLogic_Desktop::sig_getScreenBoxWh);

        // Type 2: relayed, no reply. Type 1: relayed and answered at once.
        client.write(framed(BLL_CommunicationXml_Desktop::toXml(2, {{"cmd", "Two"}})));
        QTRY_COMPARE(received.count(), 1);
        QVERIFY(readFrame(client, 200).isEmpty());
        client.write(framed(BLL_CommunicationXml_Desktop::toXml(1, {{"cmd", "One"}})));
        QTRY_COMPARE(received.count(), 2);
        QCOMPARE(received.at(1).at(0).toMap().value("cmd").toString(), QString("One"));
        QCOMPARE(readFrame(client),
                 BLL_CommunicationXml_Desktop::getResponseXml("SendAdjustData", 1));

        client.write(framed("<message type=\"2\">"));
        QVERIFY(readFrame(client).contains("\"error\""));
        client.write(framed(BLL_CommunicationXml_Desktop::toXml(3, {{"gain", 2}})));
        QTRY_COMPARE(calibration.count(), 1);

        emit facade->sendCardPackage().sig_sndScreenWh(1920, 1080);
        QCOMPARE(readFrame(client), QByteArray("CMD_READ_FLASHDISPLAY#true#1920,1080"));
        QVERIFY(readFrame(client).contains("CMD_FLASHDISPLAY_INFO"));
        QTRY_COMPARE(screen.count(), 1);
        QCOMPARE(received.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestFacadeServer)
#include "test_facade_server.moc"
