// The echo manager against the virtual wall's echo role on loopback: frames of
// both channels reach their players through loss, duplication and reordering;
// a processor without echo streaming is recognised, also when the first request is
// lost; closing drops everything.

#include "bll_businesslogic_echomanagement.h"
#include "virtualwall.h"

#include "avplayer.h"
#include "echoclip.h"

#include "threadspy.h"
#include <QtTest>

class TestEchoReceiver : public QObject
{
    Q_OBJECT
private slots:
    void framesReachThePlayers_data()
    {
        QTest::addColumn<bool>("faults");
        QTest::newRow("clean") << false;
        QTest::newRow("loss, duplicates, reordering") << true;
    }

    void framesReachThePlayers()
    {
        QFETCH(bool, faults);
        if (ledwall::echoclip::accessUnits().isEmpty())
            QSKIP("built without an H.264 encoder");
        ledwall::sim::VirtualWall wall;
        wall.echoSettings().frameIntervalMs = 2;
        wall.echoSettings().framesPerRequest = 60;
        wall.echoSettings().payloadSize = 400;
        if (faults) {
            wall.setDropEveryNth(37);
            wall.setDuplicateReplies(true);
            wall.setReorderReplies(true);
        }
        QVERIFY(wall.start());
        BLL_BusinessLogic_EchoManagement echo;
        ThreadSpy modes(&echo, &BLL_BusinessLogic_EchoManagement::sig_streamMode);
        // Every frame is decoded, however slow the machine: none waits long enough to drop.
        connect(&echo, &BLL_BusinessLogic_EchoManagement::sig_playerCreated, this,
                [](QString, QString, AVPlayer *player) { player->setQueueLength(100); });
        echo.setEchoChannel("slot1", "view", "left", "1");
        QVERIFY(!echo.getAVPlayer("view", "right"));
        echo.openFrameThread("slot1", "127.0.0.1", wall.port());
        QTRY_COMPARE_WITH_TIMEOUT(modes.count(), 1, 5000);
        QCOMPARE(modes.at(0).at(1).toInt(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(echo.echoStatistics("slot1")
                                         .value("channels")
                                         .toMap()
                                         .value("1")
                                         .toMap()
                                         .value("frames")
                                         .toInt() >= 40,
                                 10000);
        AVPlayer *player = echo.getAVPlayer("view", "left");
        QVERIFY(player);
        QVERIFY(player->waitUntilIdle(5000));
        const QVariantMap statistics = echo.echoStatistics("slot1");
        for (const QString channel : {"0", "1"}) {
            const QVariantMap counts = statistics.value("channels").toMap().value(channel).toMap();
            QVERIFY2(counts.value("decoded").toInt() > 0, qPrintable(channel));
            QCOMPARE(counts.value("lost").toInt() > 0, faults);
        }
        echo.closeFrameThread(QString());
        QVERIFY(!echo.getAVPlayer("view", "left"));
        QVERIFY(echo.echoStatistics("slot1").isEmpty());
    }

    void processorWithoutEcho()
    {
        ledwall::sim::VirtualWall wall;
        wall.echoSettings().supported = false;
        wall.dropNext(1); // the first request is lost and asked again
        QVERIFY(wall.start());
        BLL_BusinessLogic_EchoManagement echo;
        ThreadSpy modes(&echo, &BLL_BusinessLogic_EchoManagement::sig_streamMode);
        ThreadSpy players(&echo, &BLL_BusinessLogic_EchoManagement::sig_playerCreated);
        echo.openFrameThread("2", "127.0.0.1", wall.port());
        QTRY_COMPARE_WITH_TIMEOUT(modes.count(), 1, 5000);
        QCOMPARE(modes.at(0).at(1).toInt(), 0);
        QTest::qWait(100);
        QCOMPARE(players.count(), 0);
        echo.closeFrameThread("2");
        QVERIFY(echo.echoStatistics("2").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEchoReceiver)

#include "test_echo_receiver.moc"
