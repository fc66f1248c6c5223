// Block transfers end to end: the sending-card object pushes its frames through the
// link manager to the virtual wall, whose receiving cards store, acknowledge and
// answer them.

#include "armframe.h"
#include "bll_businesslogic_sendcardpackage.h"
#include "bll_communicationmain_desktop.h"
#include "dal_sendcard.h"
#include "module_base.h"
#include "module_sendcard_protocol.h"
#include "virtualwall.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace ledwall::sim;

class TestBlocksWall : public QObject
{
    Q_OBJECT

private:
    VirtualWall wall;
    QString guid;
    BLL_BusinessLogic_SendCardPackage package;
    QVector<QVariantMap> replies;

    static constexpr quint32 Port0 = 0x100000;

    FlashAccessDescriptor cardDescriptor(quint32 commandWord, quint8 recvCommand, quint16 card,
                                         quint32 recvAddress)
    {
        FlashAccessDescriptor d;
        d.commandWord = commandWord;
        d.startAddress = Port0;
        d.recvCommand = recvCommand;
        d.recvWord1 = card;
        d.recvWord2 = card;
        d.recvAddress = recvAddress;
        return d;
    }

    QVariantMap waitForReply(const QString &moduleName)
    {
        QVariantMap found;
        const bool arrived = QTest::qWaitFor(
            [&] {
                for (const QVariantMap &map : qAsConst(replies))
                    if (map.value("moduleName").toString() == moduleName) {
                        found = map;
                        return true;
                    }
                return false;
            },
            3000);
        return arrived ? found : QVariantMap();
    }

private slots:
    void initTestCase()
    {
        WallDescription description;
        description.ports.resize(2);
        description.ports[0].port = 0;
        description.ports[0].cabinets = {WallCabinet{0, 64, 32}, WallCabinet{1, 128, 64}};
        description.ports[1].port = 1;
        description.ports[1].cabinets = {WallCabinet{0, 64, 32}};
        wall.setWall(description);
        QVERIFY(wall.start());
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
        QVERIFY(link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port()));
        // Replies are parsed as the pipeline would and handed to the block routines'
        // acknowledgement check, as the reply dispatch does.
        connect(
            link, &BLL_CommunicationMain_Desktop::sig_reciveCmd, this,
            [this](QString, Module_ProtocolBase *frame) {
                auto *sendCardFrame = dynamic_cast<Module_SendCard_Protocol *>(frame);
                Module_Base *data = nullptr;
                QVariantMap map;
                if (!sendCardFrame ||
                    !DAL_SendCard::getInstance()->parseData(sendCardFrame, &data, &map))
                    return;
                delete data;
                // The frame lives only during the emission; the map goes to the
                // test's thread.
                QMetaObject::invokeMethod(this, [this, map] {
                    replies << map;
                    package.noteBlockAcknowledgement(map);
                });
            },
            Qt::DirectConnection);
    }

    void cleanupTestCase()
    {
        BLL_CommunicationMain_Desktop::getInstance()->releaseCommunicateObject(guid);
        wall.stop();
    }

    void init()
    {
        replies.clear();
        wall.resetCounters();
        package.setBlockPacing([](int) {});
    }

    void receivingCardBlockIsHeldByTheWall()
    {
        package.setFlashAccessDescriptor(cardDescriptor(0x008000A1, 0x01, 1, 0xA0030000));
        QByteArray data(1000, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i % 251);
        QCOMPARE(package.writeRecvCardInfo(guid, data, 256, 500, false), quint32(0xA0030000 + 192));

        QTRY_COMPARE(wall.readReceivingCard(0, 1, 0xA0030000, 1008), data + QByteArray(8, '\0'));
        QTRY_COMPARE(wall.counters().receivingCardAcknowledged, quint64(4));
        QCOMPARE(wall.readReceivingCard(0, 0, 0xA0030000, 16), QByteArray(16, '\0'));
    }

    void flashReadBackAndSizeReport()
    {
        FlashAccessDescriptor d = cardDescriptor(0x008000A4, 0x02, 1, 0xAF000100);
        d.readLength = 1024;
        package.setFlashAccessDescriptor(d);
        package.readRecvCardInfo(guid, 1000);
        const QVariantMap flash = waitForReply("Module_ReceivingFlashInfo");
        QVERIFY(!flash.isEmpty());
        QCOMPARE(flash.value("ltcpAddr").toUInt(), quint32(0xAF000100));
        const QByteArray firmware = ReceivingCards::firmwareImage(0, 1, 64 * 1024);
        QCOMPARE(flash.value("recvUpdateData").toByteArray().mid(15, 1024),
                 firmware.mid(1024, 1024));

        d.recvAddress = 0xA0000000;
        d.readLength = 4;
        d.recvWord1 = d.recvWord2 = 0xFFFF; // every card of port 0 answers
        package.setFlashAccessDescriptor(d);
        package.readRecvCardInfo(guid, 1000);
        QTRY_COMPARE(wall.counters().answered, quint64(3));
        const QVariantMap size = waitForReply("Module_ReceivingSDRAMInfo");
        QCOMPARE(size.value("boxWHStr").toString(), QStringLiteral("0:0:64:32"));
    }

    void flashWriteWaitsForEachAcknowledgement()
    {
        // Acknowledgements end the poll early: far fewer 1 ms steps than twice the
        // time-out per frame.
        std::atomic<int> pollSteps{0};
        package.setBlockPacing([&pollSteps](int ms) {
            if (ms == 1) {
                ++pollSteps;
                QThread::msleep(1);
            }
        });
        package.setFlashAccessDescriptor(cardDescriptor(0x008000A1, 0x01, 0, 0xAF010000));
        const QByteArray data(1024, 'f');
        std::atomic<bool> done{false};
        std::thread transfer([&] {
            package.writeRecvCardInfo(guid, data, 256, 1000, false);
            done = true;
        });
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
        transfer.join();
        QVERIFY(finished);
        QVERIFY2(pollSteps < 4 * 500, qPrintable(QString::number(pollSteps)));
        QCOMPARE(wall.readReceivingCard(0, 0, 0xAF010000, 1024), data);
        QCOMPARE(wall.counters().receivingCardAcknowledged, quint64(4));
    }
};

QTEST_GUILESS_MAIN(TestBlocksWall)
#include "test_blocks_wall.moc"
