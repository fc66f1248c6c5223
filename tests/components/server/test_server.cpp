#include "bll_communicationserver_desktop.h"
#include "bll_communicationxml_desktop.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

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
        QSignalSpy received(&codec, &BLL_CommunicationXml_Desktop::recvCmdData);
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
        QSignalSpy commands(&codec, &BLL_CommunicationXml_Desktop::recvCmdData);

        // A malformed line, then two messages in one write, the second split across
        // writes, CR LF endings: the connection survives the bad line.
        const QVariantMap first{{"cmd", "SendAdjustData"}, {"box", 3}};
        const QVariantMap second{{"cmd", "Other"}};
        const QByteArray secondXml = BLL_CommunicationXml_Desktop::toXml(2, second);
        c.client.write("<message type=\"1\"><item key=\"a\"\n" +
                       BLL_CommunicationXml_Desktop::toXml(1, first) + "\r\n\n" +
                       secondXml.left(10));
        c.client.flush();
        QTRY_COMPARE(commands.count(), 1);
        QCOMPARE(commands.at(0).at(1).toMap(), first);
        c.client.write(secondXml.mid(10) + "\n");
        QTRY_COMPARE(commands.count(), 2);
        QCOMPARE(commands.at(1).at(1).toMap(), second);

        // The answer goes to the sender, one line.
        QVERIFY(c.server.sendXmlData(
            BLL_CommunicationServer_Desktop::ReplyToSender,
            BLL_CommunicationXml_Desktop::getResponseXml("SendAdjustData", 1)));
        const QByteArray reply = readLine(c.client);
        int type = -1;
        QVariantMap map;
        QVERIFY(BLL_CommunicationXml_Desktop::fromXml(reply.trimmed(), &type, &map));
        QCOMPARE(map, QVariantMap({{"cmd", "SendAdjustData"}, {"result", 1}}));

        QVERIFY(c.server.sndData2Client("CMD_READ_FLASHDISPLAY#true#1920,1080", false));
        QCOMPARE(readLine(c.client), QByteArray("CMD_READ_FLASHDISPLAY#true#1920,1080\n"));
    }

    void calibrationDataAndScreenInfo()
    {
        Connected c;
        QVERIFY(connectClient(c));
        QSignalSpy calib(&c.server, &BLL_CommunicationServer_Desktop::sig_recvCalibData);
        const QVariantMap data{{"box", "0:1:0:0:64:64"}, {"gain", 0.98}};
        c.client.write(BLL_CommunicationXml_Desktop::toXml(
                           BLL_CommunicationXml_Desktop::CalibrationData, data) +
                       "\n");
        QTRY_COMPARE(calib.count(), 1);
        QCOMPARE(calib.at(0).at(0).toMap(), data);

        emit c.server.sig_getScreenBoxWh({{"cmd", "CMD_FLASHDISPLAY_INFO"}, {"error", true}});
        int type = -1;
        QVariantMap map;
        QVERIFY(BLL_CommunicationXml_Desktop::fromXml(readLine(c.client).trimmed(), &type, &map));
        QCOMPARE(type, int(BLL_CommunicationXml_Desktop::ScreenInfo));
    }

    void oversizedMessageDropsTheClient()
    {
        Connected c;
        QVERIFY(connectClient(c));
        QSignalSpy xml(&c.server, &BLL_CommunicationServer_Desktop::recvXmlData);
        const QByteArray chunk(64 * 1024, 'a');
        // The event loop of QTRY_COMPARE lets both ends move the data along.
        for (int written = 0; written <= BLL_CommunicationServer_Desktop::MaxMessageSize;
             written += chunk.size())
            c.client.write(chunk);
        QTRY_COMPARE_WITH_TIMEOUT(c.server.clientCount(), 0, 10000);
        QCOMPARE(xml.count(), 0);
    }

private:
    struct Connected {
        BLL_CommunicationServer_Desktop server;
        QTcpSocket client;
    };
    static bool connectClient(Connected &c);
    static QByteArray readLine(QTcpSocket &socket);
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

QByteArray TestServer::readLine(QTcpSocket &socket)
{
    (void)QTest::qWaitFor([&] { return socket.canReadLine(); }, 5000);
    return socket.readLine();
}

QTEST_GUILESS_MAIN(TestServer)

#include "test_server.moc"
