// The processor flows end to end against the virtual wall on loopback: a whole
// preset run, the large-package handshake, and subtitle transfers with lost and
// missing acknowledgements.

#include "applicationdirectory.h"
#include "bll_businesslogic_bmpfile.h"
#include "processorflow.h"
#include "threadspy.h"
#include "virtualwall.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{
constexpr int WaitMs = 5000;

} // namespace

class TestProcessorWall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_wall.start());
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        ThreadSpy devices(facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        facade->connectSendCard(QStringLiteral("127.0.0.1"), m_wall.port(), QStringLiteral("p"));
        QCOMPARE(devices.count(), 1);
        m_guid = devices.at(0).at(0).toString();
        cli::processor::attachProcessor(m_guid, cli::processor::sampleScenes());
    }

    void cleanupTestCase()
    {
        BLL_BusinessLogic_Desktop::instance()->clearData();
        m_wall.stop();
    }

    void presetRunStoresEveryTemplateInOrder()
    {
        ledwall::sim::ProcessorRole &processor = m_wall.model().processor();
        processor.resetState();
        const cli::processor::PresetRun run = cli::processor::runPresets(WaitMs);
        QVERIFY(run.finished);
        const ledwall::sim::ProcessorState state = processor.state();
        QList<int> expected;
        for (int i = 0; i < 16; ++i)
            expected << i;
        QCOMPARE(state.templates, expected);
        QCOMPARE(state.scenesStarted, 17);
        QCOMPARE(state.scenesFinished, 17);
        QCOMPARE(state.refused, 0);
        // The live scene went last: its four output records carry brightness 100.
        const QByteArray outputs = state.tables.value(0);
        QCOMPARE(outputs.size(), 4 * 38);
        QCOMPARE(outputs.mid(3, 2), QByteArray::fromHex("0064"));
        QCOMPARE(state.tables.value(1).size(), 4 * 27); // channels
        QCOMPARE(BLL_BusinessLogic_Desktop::instance()->localPreinstall().currentSceneId(),
                 QString());
        // A stray scene end after the run takes no step.
        BLL_BusinessLogic_Desktop::instance()->localPreinstall().slot_sendDataToDevice(1);
        QTest::qWait(100);
        QCOMPARE(processor.state().templates.size(), 16);
    }

    void largePackageHandshakeSendsBothTables()
    {
        ledwall::sim::ProcessorRole &processor = m_wall.model().processor();
        processor.resetState();
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        ThreadSpy ended(&facade->bigPackage(), &BLL_BusinessLogic_BigPackage::sig_switchSceneEnd);
        facade->bigPackage().slot_dealBigData(1); // not a stored package of kind 0
        facade->bigPackage().slot_dealBigData(0);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, WaitMs);
        QCOMPARE(ended.at(0).at(0).toInt(), 1);
        const ledwall::sim::ProcessorState state = processor.state();
        QCOMPARE(state.tables.value(5).size(), 4 * 54);
        QCOMPARE(state.tables.value(0).size(), 4 * 38);
        QCOMPARE(state.tableFrames.size(), 2);
    }

    void subtitleTransfers_data()
    {
        QTest::addColumn<int>("lostRequests");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("acknowledged");
        QTest::newRow("three chunks") << 0 << false << "Bitmap transfer completed" << 3;
        QTest::newRow("a lost chunk is sent again")
            << 1 << false << "Bitmap transfer completed" << 3;
        QTest::newRow("a silent card fails it")
            << 0 << true << "Bitmap transfer failed: chunk at 0 not acknowledged" << 0;
    }
    void subtitleTransfers()
    {
        QFETCH(int, lostRequests);
        QFETCH(bool, silent);
        QFETCH(QString, message);
        QFETCH(int, acknowledged);
        ledwall::sim::ProcessorRole &processor = m_wall.model().processor();
        processor.resetState();
        // 480 x 8 pixels: 3840 bytes, three chunks of 1344, 1344 and 1152.
        const QString path = m_dir.filePath(QStringLiteral("subtitle.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cli::processor::sampleSubtitle(480, 8));
        file.close();
        m_wall.dropNext(lostRequests);
        m_wall.setSilent(silent);
        QList<int> progress;
        const cli::processor::SubtitleSend sent = cli::processor::sendSubtitle(
            {{"guid", m_guid}, {"fileName", "file:///" + path}, {"foregroundAlpha", 3}}, WaitMs * 2,
            [&](int done, int total) { progress << done << total; });
        m_wall.clearFaults();
        QCOMPARE(sent.message, message);
        QCOMPARE(sent.acknowledged, acknowledged);
        if (silent)
            return;
        QCOMPARE(progress, (QList<int>{1, 3, 2, 3, 3, 3}));
        const ledwall::sim::ProcessorState state = processor.state();
        QCOMPARE(state.subtitle.size(), 480 * 8);
        QTRY_VERIFY_WITH_TIMEOUT(processor.state().subtitleEnded, WaitMs);
    }

    void olderWorkersSendAndSave()
    {
        m_wall.model().processor().resetState();
        const QString path = m_dir.filePath(QStringLiteral("older.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cli::processor::sampleSubtitle(480, 8));
        file.close();
        BLL_BusinessLogic_BMPFile workers;
        ThreadSpy sent(&workers, &BLL_BusinessLogic_BMPFile::sig_endSendBMPFile);
        ThreadSpy saved(&workers, &BLL_BusinessLogic_BMPFile::sig_endSaveBMPFile);
        workers.sendBMPFileName({{"guid", m_guid}, {"fileName", path}, {"foregroundAlpha", 3}});
        QTRY_COMPARE_WITH_TIMEOUT(sent.count(), 1, WaitMs);
        QCOMPARE(sent.at(0).at(0).toString(), QString("Bitmap transfer completed"));
        const QByteArray pixels = m_wall.model().processor().state().subtitle;
        QCOMPARE(pixels.size(), 3840);

        // The pixels read back become the bottom subtitle's file again.
        ledwall::setApplicationDirectory(m_dir.path());
        workers.saveBMPFileData({{"BMPData", pixels},
                                 {"BMPWidth", 480},
                                 {"BMPHeight", 8},
                                 {"foregroundRed", 3},
                                 {"foregroundGreen", 3},
                                 {"foregroundBlue", 3},
                                 {"foregroundAlpha", 3},
                                 {"topOrButtomSubtitle", false}});
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, WaitMs);
        const QVariantMap result = saved.at(0).at(0).toMap();
        QVERIFY2(result.value("result").toBool(), qPrintable(result.value("error").toString()));
        QCOMPARE(result.value("filePath").toString(), m_dir.filePath("PFile1.bmp"));
        QCOMPARE(workers.runningWorkers(), 0);
    }

private:
    QTemporaryDir m_dir;
    ledwall::sim::VirtualWall m_wall;
    QString m_guid;
};

QTEST_GUILESS_MAIN(TestProcessorWall)
#include "test_processor_wall.moc"
