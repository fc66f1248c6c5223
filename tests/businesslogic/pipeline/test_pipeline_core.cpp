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
