#include "bll_communicationserver_desktop.h"
#include "bll_communicationxml_desktop.h"

#include "threadspy.h"
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <vector>

class TestServer : public QObject
{
    Q_OBJECT
private slots:
    void codecRoundTripsEveryValueType()
    {
        QVariantMap inner{{"x", 1}, {"name", "a<b & \"c\"\nnext line"}};
        QVariantMap map{
            {"cmd", "SendAdjustData"},
            {"int", qlonglong(-5000000000LL)},
            {"flag", true},
            {"bytes", QByteArray("\x00\xff\n", 3)},
            {"inner", inner},
            {"list", QVariantList{1, "two", QVariantList{3.5}}},
        };
        const QByteArray xml = BLL_CommunicationXml_Desktop::toXml(2, map);
        QVERIFY(!xml.contains('\n')); // one message fits on one line

        int type = -1;
        QVariantMap back;
        QString error;
        QVERIFY2(BLL_CommunicationXml_Desktop::fromXml(xml, &type, &back, &error),
                 qPrintable(error));
        QCOMPARE(type, 2);
        QCOMPARE(back.value("int").toLongLong(), -5000000000LL);
        QCOMPARE(back.value("flag").userType(), int(QMetaType::Bool));
        QCOMPARE(back.value("bytes").toByteArray(), QByteArray("\x00\xff\n", 3));
        QCOMPARE(back.value("inner").toMap().value("name").toString(),
                 inner.value("name").toString());
        QCOMPARE(back.value("list").toList().at(2).toList().at(0).toDouble(), 3.5);
    }

    void codecRejectsMalformedDocuments_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("not xml") << QByteArray("hello");
        QTest::newRow("truncated")
            << QByteArray("<message type=\"1\"><item key=\"a\" type=\"int\"");
        QTest::newRow("bad int") << QByteArray(
            "<message type=\"1\"><item key=\"a\" type=\"int\" value=\"1x\"/></message>");
        QTest::newRow("unknown type") << QByteArray(
            "<message type=\"1\"><item key=\"a\" type=\"pointer\" value=\"1\"/></message>");
        QTest::newRow("scalar with children") << QByteArray(
            "<message type=\"1\"><item key=\"a\" type=\"int\" value=\"1\"><item key=\"b\" "
            "type=\"int\" value=\"2\"/></item></message>");
        QTest::newRow("dtd") << QByteArray(
            "<!DOCTYPE message [<!ENTITY e \"x\">]><message type=\"1\"/>");
        QByteArray deep = "<message type=\"1\">";
        for (int i = 0; i < 40; ++i)
            deep += "<item key=\"k\" type=\"map\">";
        for (int i = 0; i < 40; ++i)
            deep += "</item>";
        deep += "</message>";
        QTest::newRow("too deep") << deep;
    }

    void codecRejectsMalformedDocuments()
    {
        QFETCH(QByteArray, xml);
        BLL_CommunicationXml_Desktop codec;
        ThreadSpy received(&codec, &BLL_CommunicationXml_Desktop::recvCmdData);
        QVERIFY(!codec.parseXml(xml));
        QCOMPARE(received.count(), 0);
    }

    void messageOverTcpReachesTheCodecAndIsAnswered()
    {
        Connected c;
        QVERIFY(connectClient(c));
        BLL_CommunicationXml_Desktop codec;
        connect(&c.server, &BLL_CommunicationServer_Desktop::recvXmlData, &codec,
                &BLL_CommunicationXml_Desktop::parseXml);
        ThreadSpy commands(&codec, &BLL_CommunicationXml_Desktop::recvCmdData);

        // A malformed message (answered with an error), then two messages in one
        // write, the second split across writes: the connection survives.
        const QVariantMap first{{"cmd", "SendAdjustData"}, {"box", 3}};
        const QVariantMap second{{"cmd", "Other"}};
        const QByteArray secondFrame = framed(BLL_CommunicationXml_Desktop::toXml(2, second));
        c.client.write(framed("<message type=\"1\"><item key=\"a\"") +
                       framed(BLL_CommunicationXml_Desktop::toXml(1, first)) +
                       secondFrame.left(10));
        c.client.flush();
        QTRY_COMPARE(commands.count(), 1);
        QCOMPARE(commands.at(0).at(1).toMap(), first);
        QCOMPARE(readMessage(c.client).value("cmd").toString(), QString("error"));
        c.client.write(secondFrame.mid(10));
        QTRY_COMPARE(commands.count(), 2);
        QCOMPARE(commands.at(1).at(1).toMap(), second);

        // The answer goes to the sender.
        QVERIFY(c.server.sendXmlData(
            BLL_CommunicationServer_Desktop::ReplyToSender,
            BLL_CommunicationXml_Desktop::getResponseXml("SendAdjustData", 1)));
        QCOMPARE(readMessage(c.client), QVariantMap({{"cmd", "SendAdjustData"}, {"result", 1}}));

        QVERIFY(c.server.sndData2Client("CMD_READ_FLASHDISPLAY#true#1920,1080", false));
        QCOMPARE(readFrame(c.client), QByteArray("CMD_READ_FLASHDISPLAY#true#1920,1080"));
    }

    void calibrationDataAndScreenInfo()
    {
        Connected c;
        QVERIFY(connectClient(c));
        ThreadSpy calib(&c.server, &BLL_CommunicationServer_Desktop::sig_recvCalibData);
        const QVariantMap data{{"box", "0:1:0:0:64:64"}, {"gain", 0.98}};
        c.client.write(framed(BLL_CommunicationXml_Desktop::toXml(
            BLL_CommunicationXml_Desktop::CalibrationData, data)));
        QTRY_COMPARE(calib.count(), 1);
        QCOMPARE(calib.at(0).at(0).toMap(), data);

        emit c.server.sig_getScreenBoxWh({{"cmd", "CMD_FLASHDISPLAY_INFO"}, {"error", true}});
        int type = -1;
        QVariantMap map;
        QVERIFY(BLL_CommunicationXml_Desktop::fromXml(readFrame(c.client), &type, &map));
        QCOMPARE(type, int(BLL_CommunicationXml_Desktop::ScreenInfo));
    }

    void oversizedMessageIsRefusedUnread()
    {
        Connected c;
        QVERIFY(connectClient(c));
        ThreadSpy xml(&c.server, &BLL_CommunicationServer_Desktop::recvXmlData);
        QByteArray header(4, '\0');
        qToBigEndian<quint32>(BLL_CommunicationServer_Desktop::MaxMessageSize + 1, header.data());
        c.client.write(header + "<message");
        QCOMPARE(readMessage(c.client).value("cmd").toString(), QString("error"));
        QTRY_COMPARE(c.server.clientCount(), 0);
        QTRY_COMPARE(c.client.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(xml.count(), 0);
    }

    void idleAndSurplusClientsAreDropped()
    {
        Connected c;
        c.server.setIdleTimeout(300);
        QVERIFY(connectClient(c)); // connects and sends nothing
        std::vector<std::unique_ptr<QTcpSocket>> crowd;
        for (int i = 0; i < 100; ++i) {
            crowd.push_back(std::make_unique<QTcpSocket>());
            crowd.back()->connectToHost(QHostAddress::LocalHost, c.server.serverPort());
        }
        QTRY_COMPARE(c.server.clientCount(), BLL_CommunicationServer_Desktop::MaxClients);
        // Nobody talks: every client goes after the idle time-out.
        QTRY_COMPARE_WITH_TIMEOUT(c.server.clientCount(), 0, 5000);
        QVERIFY(c.server.isListening());
    }

private:
    struct Connected {
        BLL_CommunicationServer_Desktop server;
        QTcpSocket client;
    };
    static bool connectClient(Connected &c);
    static QByteArray framed(const QByteArray &message);
    static QByteArray readFrame(QTcpSocket &socket);
    static QVariantMap readMessage(QTcpSocket &socket);
};

bool TestServer::connectClient(Connected &c)
{
    c.server.setListenAddress(QHostAddress::LocalHost, 0);
    if (!c.server.startListenServer())
        return false;
    c.client.connectToHost(QHostAddress::LocalHost, c.server.serverPort());
    if (!c.client.waitForConnected(5000))
        return false;
    // Let the server accept the connection.
    return QTest::qWaitFor([&] { return c.server.clientCount() == 1; }, 5000);
}

QByteArray TestServer::framed(const QByteArray &message)
{
    QByteArray header(4, '\0');
    qToBigEndian<quint32>(quint32(message.size()), header.data());
    return header + message;
}

QByteArray TestServer::readFrame(QTcpSocket &socket)
{
    QByteArray header;
    (void)QTest::qWaitFor([&] { return socket.bytesAvailable() >= 4; }, 5000);
    header = socket.read(4);
    if (header.size() < 4)
        return {};
    const int length = int(qFromBigEndian<quint32>(header.constData()));
    (void)QTest::qWaitFor([&] { return socket.bytesAvailable() >= length; }, 5000);
    return socket.read(length);
}

QVariantMap TestServer::readMessage(QTcpSocket &socket)
{
    int type = -1;
    QVariantMap map;
    BLL_CommunicationXml_Desktop::fromXml(readFrame(socket), &type, &map);
    return map;
}

QTEST_GUILESS_MAIN(TestServer)

#include "test_server.moc"
