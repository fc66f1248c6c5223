// The command pipeline's threads against a recording stand-in for the packet
// layer, link manager, data center and facade.

#include "fakepipelinebackend.h"

#include "threadspy.h"
#include <QtTest>

#include <thread>

// Delivers frames the way the link manager does: a signal connected by its
// signature text to the pipeline's private slot.
class FakeLink : public QObject
{
    Q_OBJECT
signals:
    void sig_reciveCmd(QString guid, Module_ProtocolBase *cmd);
};

class TestPipelineThread : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<FakePipelineBackend> backend;
    std::unique_ptr<BLL_BusinessLogic_ModuleThread> pipeline;
    FakeLink link;

    static QVariantMap vpu(const QString &module, const QString &guid = QStringLiteral("dev1"))
    {
        return {{"moduleName", module}, {"guid", guid}};
    }
    void deliver(Module_ProtocolBase *frame, const QString &guid = QStringLiteral("dev1"))
    {
        emit link.sig_reciveCmd(guid, frame);
        delete frame; // as the link manager does, right after the emission
    }
    void deliverProcessor(const QByteArray &module, const QString &guid = QStringLiteral("dev1"))
    {
        auto *frame = new Module_Processor_Protocol;
        frame->m_data = module;
        deliver(frame, guid);
    }
    std::thread openGateSoon()
    {
        return std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            backend->setPushGateOpen(true);
        });
    }

private slots:
    void init()
    {
        backend = std::make_shared<FakePipelineBackend>();
        backend->addDevice("dev1", 2);
        backend->addDevice("proc", 1, 120, 56);
        backend->setCurrentDevice("dev1");
        pipeline = std::make_unique<BLL_BusinessLogic_ModuleThread>(backend);
        QVERIFY(connect(&link, SIGNAL(sig_reciveCmd(QString, Module_ProtocolBase *)),
                        pipeline.get(), SLOT(slot_reciveCmd(QString, Module_ProtocolBase *))));
    }
    void cleanup()
    {
        backend->setPushGateOpen(true);
        backend->setParseGateOpen(true);
        pipeline.reset();
        backend.reset();
    }

    void onlyValidCommandsForKnownDevicesAreStoredAndSent()
    {
        pipeline->appendModuleData(
            {{"moduleName", "Module_Scene"}, {"guid", "dev1"}, {"sceneId", "3"}, {"isSave", true}});
        pipeline->appendModuleData({{"moduleName", "Module_Quiet"},
                                    {"guid", "dev1"},
                                    {"sendDataToDevice", "no"},
                                    {"isSave", true}});
        pipeline->appendModuleData(
            {{"moduleName", "Module_Lost"}, {"guid", "nobody"}, {"isSave", true}});
        pipeline->appendModuleData({});
        pipeline->appendModuleData(
            {{"moduleName", "Module_Unknown"}, {"guid", "dev1"}, {"isSave", true}});
        pipeline->appendModuleData({{"moduleName", 12},
                                    {"guid", QVariantList{"dev1"}},
                                    {"sendCardFlag", QVariantMap{}},
                                    {"processorFlag", QByteArray("\xff")},
                                    {"isBig", QVariantList{true}},
                                    {"pointIndex", QVariantMap{}}});
        pipeline->appendModuleData(vpu("Module_Marker"));
        QTRY_VERIFY(backend->events().contains("push:dev1:Module_Marker:0:0"));
        QCOMPARE(backend->eventsStartingWith("save:"),
                 QStringList({"save:dev1:3:Module_Scene", "save:dev1::Module_Quiet"}));
        QCOMPARE(backend->eventsStartingWith("push"),
                 QStringList({"pushing:dev1:Module_Marker", "push:dev1:Module_Marker:0:0"}));
        // The wrongly typed map went down the VPU branch with default keys.
        QVERIFY(backend->events().contains("create:vpu:12"));
    }

    void processorBranchAndVpuBytes()
    {
        pipeline->appendModuleData({{"moduleName", "Module_Proc"},
                                    {"guid", "dev1"},
                                    {"processorFlag", 1},
                                    {"isBig", true},
                                    {"isSave", true},
                                    {"grouping", true}});
        pipeline->appendModuleData(vpu("Module_A", "proc"));
        pipeline->appendModuleData(vpu("Module_B", "dev1"));
        // Only devices of kind one put their VPU bytes into frames.
        QTRY_COMPARE(backend->eventsStartingWith("push:"),
                     QStringList({"push:dev1:Module_Proc:flag", "push:proc:Module_A:120:56",
                                  "push:dev1:Module_B:0:0"}));
        QVERIFY(backend->events().contains("save:dev1::Module_Proc"));
    }

    void bigPackageType()
    {
        ThreadSpy spy(pipeline.get(), &BLL_BusinessLogic_ModuleThread::sig_bigPackageType);
        auto big = [](const QString &scene, const QString &guid = QStringLiteral("dev1")) {
            return QVariantMap{{"moduleName", "Module_Table"},
                               {"guid", guid},
                               {"isBig", true},
                               {"isSave", true},
                               {"bigType", 2},
                               {"sceneId", scene}};
        };
        pipeline->appendModuleData(big("4"));                 // stored under a scene: no signal
        pipeline->appendModuleData(big(QString(), "nobody")); // not stored: no signal
        pipeline->appendModuleData(big(QString()));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
        QCOMPARE(backend->eventsStartingWith("save:"),
                 QStringList({"save:dev1:4:Module_Table", "save:dev1::Module_Table"}));
    }

    void walkingPointBlinksUntilAnotherModule()
    {
        pipeline->appendModuleData({{"moduleName", "Module_PixelWalkPointMap"},
                                    {"guid", "dev1"},
                                    {"sendCardFlag", 1},
                                    {"pointIndex", 2},
                                    {"ltcpAddr_data", 0xA0100000u},
                                    {"pointBright", 200}});
        QTRY_COMPARE_WITH_TIMEOUT(backend->eventsStartingWith("walk:").size(), 3, 3000);
        QCOMPARE(backend->eventsStartingWith("walk:"),
                 QStringList({"walk:dev1:2:a0100000:off", "walk:dev1:2:a0100000:on",
                              "walk:dev1:2:a0100000:off"}));

        pipeline->appendModuleData({{"moduleName", "Module_WriteSendCardRegister"},
                                    {"guid", "dev1"},
                                    {"sendCardFlag", 1}});
        QTRY_VERIFY(
            backend->events().contains("create:sendcard:dev1:Module_WriteSendCardRegister"));
        const int draws = backend->eventsStartingWith("walk:").size();
        QTest::qWait(600); // more than two blink periods
        QCOMPARE(backend->eventsStartingWith("walk:").size(), draws);
    }

    void closeThreadKeepsQueuedCommands()
    {
        backend->setPushGateOpen(false);
        pipeline->appendModuleData(vpu("Module_One"));
        pipeline->appendModuleData(vpu("Module_Two"));
        QTRY_VERIFY(backend->events().contains("pushing:dev1:Module_One"));
        std::thread opener = openGateSoon();
        pipeline->closeThread(); // waits for the command in flight
        pipeline->closeThread(); // twice is harmless
        opener.join();
        QVERIFY(backend->events().contains("push:dev1:Module_One:0:0"));
        QCOMPARE(pipeline->pendingCommandCount(), 1);
        pipeline->appendModuleData(vpu("Module_Three"));
        QTRY_COMPARE(backend->eventsStartingWith("push:").size(), 3);
    }

    void closeFromPipelineThreadLetsTheNextItemStartAFreshThread_data()
    {
        QTest::addColumn<bool>("fromReceiveThread");
        QTest::newRow("send thread") << false;
        QTest::newRow("receive thread") << true;
    }
    void closeFromPipelineThreadLetsTheNextItemStartAFreshThread()
    {
        QFETCH(bool, fromReceiveThread);
        std::atomic<bool> closed{false};
        // Direct receivers run on the pipeline's thread, which cannot join itself.
        auto close = [&] {
            if (!closed.exchange(true))
                pipeline->closeThread();
        };
        if (fromReceiveThread) {
            backend->onEmit = close;
            deliverProcessor("Module_Close");
        } else {
            connect(
                pipeline.get(), &BLL_BusinessLogic_ModuleThread::sig_bigPackageType, pipeline.get(),
                [&](int) { close(); }, Qt::DirectConnection);
            pipeline->appendModuleData({{"moduleName", "Module_Table"},
                                        {"guid", "dev1"},
                                        {"isBig", true},
                                        {"isSave", true},
                                        {"bigType", 0}});
        }
        QTRY_VERIFY(closed);
        pipeline->appendModuleData(vpu("Module_After"));
        deliverProcessor("Module_Reply");
        QTRY_VERIFY(backend->events().contains("push:dev1:Module_After:0:0"));
        QTRY_COMPARE(backend->emitted().size(), fromReceiveThread ? 2 : 1);
        pipeline.reset(); // joins every thread, the stopped one too, before `closed` goes
    }

    void floodOfFramesKeepsTheNewestWithinTheBound()
    {
        pipeline->setReceiveQueueLimit(3);
        backend->setParseGateOpen(false);
        deliverProcessor("Module_0");
        QTRY_VERIFY(backend->events().contains("parse:processor:dev1:Module_0"));
        for (int i = 1; i <= 5; ++i)
            deliverProcessor("Module_" + QByteArray::number(i));
        QCOMPARE(pipeline->pendingFrameCount(), 3);
        QCOMPARE(pipeline->droppedFrameCount(), quint64(2));
        backend->setParseGateOpen(true);
        QTRY_COMPARE(
            backend->eventsStartingWith("parse:"),
            QStringList({"parse:processor:dev1:Module_0", "parse:processor:dev1:Module_3",
                         "parse:processor:dev1:Module_4", "parse:processor:dev1:Module_5"}));
    }

    void receivedFramesAreStoredButOnlyTheDeviceInUseReported()
    {
        backend->addDevice("other", 2);
        auto *card = new Module_SendCard_Protocol;
        card->cmdData = "Module_SendCardFlashInfo";
        deliver(card);
        deliverProcessor("Module_FromOther", "other"); // not the current device
        deliverProcessor("Module_Unknown");            // the parser makes nothing of it
        deliverProcessor("Module_ProcessorCommand");
        QTRY_COMPARE(backend->emitted().size(), 2);
        QCOMPARE(backend->emitted().at(0).value("guid").toString(), QStringLiteral("dev1"));
        QCOMPARE(
            backend->eventsStartingWith("save:"),
            QStringList({"save:dev1:dev1:Module_SendCardFlashInfo", "save:other::Module_FromOther",
                         "save:dev1::Module_ProcessorCommand"}));
        QVERIFY(backend->events().contains("parse:processor:dev1:Module_Unknown"));
    }

    void vpuBytesTakenFromReceivedFrames()
    {
        backend->setCurrentDevice("proc");
        auto *frame = new Module_VPU_Protocol;
        frame->m_vpuByte1 = 7;
        frame->m_vpuByte2 = 9;
        frame->m_data = "Module_ReadBeforeSynInfo";
        deliver(frame, "proc");
        QTRY_COMPARE(backend->emitted().size(), 1);
        QVERIFY(backend->events().contains("device-bytes-at-parse:7:9"));
        QCOMPARE(backend->device("proc").vpuByte1, quint8(7));
    }
};

QTEST_GUILESS_MAIN(TestPipelineThread)
#include "test_pipeline_thread.moc"
