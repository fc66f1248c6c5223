// End to end: the link manager against the virtual wall on loopback.
#include "armframe.h"
#include "bll_communicationmain_desktop.h"
#include "module_sendcard_protocol.h"
#include "virtualwall.h"

#include <QtTest>

namespace {

BLL_CommunicationMain_Desktop *links()
{
    return BLL_CommunicationMain_Desktop::getInstance();
}

Module_SendCard_Protocol registerFrame(quint8 operation, quint32 address, quint16 length, const QByteArray &data)
{
    Module_SendCard_Protocol frame;
    frame.m_head[2] = char(operation);
    ledwall::arm::setAddress(frame.m_head, address);
    ledwall::arm::setLength(frame.m_head, length);
    frame.cmdData = data;
    frame.m_timeout = 300;
    return frame;
}

} // namespace

class TestLinkWall : public QObject
{
    Q_OBJECT
private slots:
    void registerWriteReadAndFaults();
};

void TestLinkWall::registerWriteReadAndFaults()
{
    ledwall::sim::VirtualWall wall;
    QVERIFY(wall.start());
    QSignalSpy status(links(), &BLL_CommunicationMain_Desktop::sig_TalkToUI);
    QList<QByteArray> replies;
    int timeouts = 0;
    QObject receiver;
    connect(links(), &BLL_CommunicationMain_Desktop::sig_reciveCmd, &receiver,
            [&](const QString &, Module_ProtocolBase *frame) {
                replies.append(static_cast<Module_SendCard_Protocol *>(frame)->cmdData);
            });
    connect(links(), &BLL_CommunicationMain_Desktop::sig_timeoutCmd, &receiver,
            [&](const QString &, Module_ProtocolBase *) { ++timeouts; });

    const QString guid = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
    QVERIFY(links()->connectServer(guid, "127.0.0.1", wall.port()));
    QTRY_COMPARE_WITH_TIMEOUT(status.size(), 2, 2000);
    const QVariantMap found = status.at(1).at(0).toMap();
    QCOMPARE(found.value("event").toString(), QString("deviceFound"));
    QCOMPARE(found.value("address").toString(), QString("127.0.0.1"));
    QVERIFY(!found.value("name").toString().isEmpty());

    const QByteArray value = QByteArray::fromHex("11223344");
    Module_SendCard_Protocol write = registerFrame(0x01, 0x2000, 4, value);
    QVERIFY(links()->pushCmdToClient(guid, &write, false));
    Module_SendCard_Protocol read = registerFrame(ledwall::arm::ReadOperation, 0x2000, 4, QByteArray());
    QVERIFY(links()->pushCmdToClient(guid, &read, false));
    QTRY_COMPARE_WITH_TIMEOUT(replies.size(), 2, 2000);
    QCOMPARE(replies.at(1), value);

    // A duplicated reply is delivered once.
    wall.setDuplicateReplies(true);
    QVERIFY(links()->pushCmdToClient(guid, &read, false));
    QTRY_COMPARE_WITH_TIMEOUT(links()->linkStatistics(guid).value("late").toInt(), 1, 2000);
    QCOMPARE(replies.size(), 3);
    wall.clearFaults();

    // A silent wall ends in a time-out.
    wall.setSilent(true);
    QVERIFY(links()->pushCmdToClient(guid, &read, false));
    QTRY_COMPARE_WITH_TIMEOUT(timeouts, 1, 2000);
    QCOMPARE(replies.size(), 3);

    // Everything the link sent was well-formed.
    const ledwall::sim::Counters counters = wall.counters();
    QCOMPARE(counters.rejectedTotal(), quint64(0));
    QCOMPARE(counters.malformed, quint64(0));
    QCOMPARE(links()->linkStatistics(guid).value("dropped").toInt(), 0);
    links()->releaseCommunicateObject(guid);
    wall.stop();
}

QTEST_GUILESS_MAIN(TestLinkWall)
#include "test_link_wall.moc"
