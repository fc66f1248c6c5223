// The pure parts of the command pipeline: reading a module data map and the
// walking-point state machine.

#include "bll_businesslogic_modulethread.h"

#include <QtTest>

class TestPipelineCore : public QObject
{
    Q_OBJECT

private slots:
    void branchOrder_data()
    {
        QTest::addColumn<QVariantMap>("map");
        QTest::addColumn<int>("branch");
        using B = ModuleCommand::Branch;
        QTest::newRow("processor beats isBig")
            << QVariantMap{{"processorFlag", 1}, {"isBig", true}, {"sendCardFlag", 1}}
            << int(B::Processor);
        QTest::newRow("processor flag as text")
            << QVariantMap{{"processorFlag", "1"}} << int(B::Processor);
        QTest::newRow("processor flag 0")
            << QVariantMap{{"processorFlag", 0}} << int(B::VideoProcessingUnit);
        QTest::newRow("isBig beats sending card")
            << QVariantMap{{"isBig", true}, {"sendCardFlag", 1}} << int(B::LargeTransfer);
        QTest::newRow("sending card") << QVariantMap{{"sendCardFlag", 2}} << int(B::SendCard);
        QTest::newRow("sendCardFlag 0")
            << QVariantMap{{"sendCardFlag", 0}} << int(B::VideoProcessingUnit);
    }
    void branchOrder()
    {
        QFETCH(QVariantMap, map);
        QFETCH(int, branch);
        QCOMPARE(int(ModuleCommand::fromMap(map).branch()), branch);
    }

    void wronglyTypedKeysTakeDefaults()
    {
        const QVariantMap map{{"moduleName", QVariantList{1, 2}},
                              {"guid", 42},
                              {"sendCardFlag", QVariantList{}},
                              {"processorFlag", "abc"},
                              {"isBig", QVariantMap{{"x", 1}}},
                              {"isSave", "true"},
                              {"sceneId", QVariantMap{}},
                              {"bigType", "two"},
                              {"pointIndex", "0x100"},
                              {"ltcpAddr_data", qint64(0xA0100200)},
                              {"scanLineLen", "junk"},
                              {"virtualPointCount", -1}};
        const ModuleCommand cmd = ModuleCommand::fromMap(map);
        QCOMPARE(cmd.moduleName, QString());
        QCOMPARE(cmd.guid, QStringLiteral("42"));
        QVERIFY(cmd.hasSendCardFlag); // present, even if useless
        QCOMPARE(cmd.processorFlag, -1);
        QVERIFY(!cmd.isBig);
        QVERIFY(cmd.isSave);
        QVERIFY(!cmd.bigType.has_value());
        QCOMPARE(cmd.pointIndex, 0x100u);
        QCOMPARE(cmd.ltcpAddr_data, 0xA0100200u);
        QCOMPARE(cmd.scanLineLen, 0u);
        QCOMPARE(cmd.virtualPointCount, 0xFFFFFFFFu);
        QCOMPARE(cmd.branch(), ModuleCommand::Branch::VideoProcessingUnit);

        // Keys of another type that still say something.
        QVERIFY(!ModuleCommand::fromMap({{"sceneId", 3}}).sendsFrame());
        QCOMPARE(ModuleCommand::fromMap({{"bigType", "2"}}).bigType, std::optional<int>(2));
    }

    void walkTickEvery26IdleRounds()
    {
        WalkPointState walk;
        QVERIFY(!walk.tick()); // inactive: nothing
        walk.command(walkCommand(false, 5, 0xA0100000));
        for (int phase = 0; phase < 4; ++phase) {
            for (int i = 0; i < WalkPointState::TicksPerPhase - 1; ++i)
                QVERIFY(!walk.tick());
            const auto draw = walk.tick();
            QVERIFY(draw);
            QCOMPARE(draw->on, phase % 2 == 0); // lit first, then dark, ...
            QCOMPARE(draw->address, 0xA0100000u);
            QCOMPARE(draw->scanLineLen, 9u);
        }
        walk.stop();
        for (int i = 0; i < 60; ++i)
            QVERIFY(!walk.tick());
    }

    void walkCommandDraws()
    {
        WalkPointState walk;
        // First point: only the point itself, dark.
        auto draws = walk.command(walkCommand(false, 1, 0xA0100000));
        QCOMPARE(draws.size(), 1);
        QCOMPARE(draws[0].address, 0xA0100000u);
        QVERIFY(!draws[0].on);

        // Moving on while the point is lit darkens the previous address first.
        for (int i = 0; i < WalkPointState::TicksPerPhase; ++i)
            walk.tick();
        QVERIFY(walk.phase());
        draws = walk.command(walkCommand(false, 1, 0xA0100100));
        QCOMPARE(draws.size(), 2);
        QCOMPARE(draws[0].address, 0xA0100000u);
        QVERIFY(!draws[0].on);
        QCOMPARE(draws[1].address, 0xA0100100u);
        QVERIFY(!walk.phase());

        // Point index 0x100 also lights the next row.
        draws = walk.command(walkCommand(false, 0x100, 0xA0100200));
        QCOMPARE(draws.size(), 2);
        QCOMPARE(draws[0].address, 0xA0100300u);
        QCOMPARE(draws[1].address, 0xA0100200u);

        // Below the first address nothing extra is drawn.
        draws = walk.command(walkCommand(false, 0x100, 0x1000));
        QCOMPARE(draws.size(), 1);
    }

    void walkAdvanceOneOffLeavesStateAlone()
    {
        WalkPointState walk;
        walk.command(walkCommand(false, 3, 0xA0100000));
        for (int i = 0; i < WalkPointState::TicksPerPhase; ++i)
            walk.tick();
        QVERIFY(walk.phase());

        // limit = (0xA0100100 - 0xA0100000) & ~0xFF = 0x100; p = 0x200 exceeds it.
        auto draws = walk.command(walkCommand(true, 0x200, 0xA0100100));
        QCOMPARE(draws.size(), 1);
        QCOMPARE(draws[0].address, 0xA0100100u);
        QVERIFY(draws[0].advance);
        QVERIFY(walk.phase()); // untouched
        QCOMPARE(walk.tickCount(), 0);
        for (int i = 0; i < WalkPointState::TicksPerPhase - 1; ++i)
            QVERIFY(!walk.tick());
        const auto next = walk.tick();
        QVERIFY(next);
        QCOMPARE(next->pointIndex, 3u); // still the old point

        // Not a multiple of 256, or not past the limit: an ordinary placement.
        QCOMPARE(walk.command(walkCommand(true, 0x201, 0xA0100100)).last().pointIndex, 0x201u);
        QVERIFY(!walk.phase());
    }

private:
    static ModuleCommand walkCommand(bool advance, quint32 pointIndex, quint32 address)
    {
        return ModuleCommand::fromMap({{"guid", "dev"},
                                       {"moduleName", "Module_PixelWalkPointMap"},
                                       {"sendCardFlag", 1},
                                       {"bAdvance", advance},
                                       {"pointIndex", pointIndex},
                                       {"ltcpAddr_data", address},
                                       {"scanLineLen", 9},
                                       {"virtualPointCount", 7}});
    }
};

QTEST_GUILESS_MAIN(TestPipelineCore)
#include "test_pipeline_core.moc"
