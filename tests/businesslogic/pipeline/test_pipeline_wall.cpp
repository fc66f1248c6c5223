// The command pipeline end to end: the real packet layer, link manager and data
// center, and the virtual wall on loopback. Replies come out as the facade's
// sig_devicesModuleData.

#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_modulethread.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "virtualwall.h"

#include "threadspy.h"
#include <QProcess>
#include <QtTest>

#include <cstdlib>

namespace
{
QVariantMap sendCardCommand(const QString &module, const QString &guid, quint32 address)
{
    return {{"moduleName", module},
            {"guid", guid},
            {"sendCardFlag", 1},
            {"m_regAddr", address},
            {"timeout", 300}};
}

// Registered last, so it runs first at exit, before any static dies: from here on
// no pipeline thread may work, as the statics it uses are about to go.
void checkPipelineStoppedAtExit()
{
    const BLL_BusinessLogic_ModuleThread &pipeline =
        BLL_BusinessLogic_Desktop::instance()->moduleThread();
    const int pending = pipeline.pendingCommandCount();
    QThread::msleep(50);
    if (pending == 0 || pipeline.pendingCommandCount() != pending)
        std::_Exit(5);
}

// A process that leaves while the facade's pipeline is busy: the walking point
// blinks, commands are queued and replies come back as main returns.
int exitWithWorkInFlight(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ledwall::sim::VirtualWall wall;
    if (!wall.start())
        return 3;
    auto *link = BLL_CommunicationMain_Desktop::getInstance();
    const QString guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
    if (!link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port()))
        return 4;
    BLL_DataCenter_Desktop::instance()->createDevice(guid, 2);
    BLL_BusinessLogic_ModuleThread &pipeline =
        BLL_BusinessLogic_Desktop::instance()->moduleThread();
    QVariantMap walk = sendCardCommand("Module_PixelWalkPointMap", guid, 0);
    walk.insert("pointIndex", 1);
    walk.insert("ltcpAddr_data", 0xA0100000u);
    pipeline.appendModuleData(walk);
    QThread::msleep(300); // one blink
    QVariantMap read = sendCardCommand("Module_ReadSendCardRegister", guid, 0x00200000);
    read.insert("readLength", 8);
    for (int i = 0; i < 100000; ++i)
        pipeline.appendModuleData(read);
    QThread::msleep(20);
    std::atexit(checkPipelineStoppedAtExit);
    return 0;
}
} // namespace

class TestPipelineWall : public QObject
{
    Q_OBJECT

private:
    ledwall::sim::VirtualWall wall;
    QString guid;

private slots:
    void initTestCase()
    {
        QVERIFY(wall.start());
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
        QVERIFY(!guid.isEmpty());
        QVERIFY(link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port()));
        link->setTimeoutFlag(guid, true);
        auto *center = BLL_DataCenter_Desktop::instance();
        QVERIFY(center->createDevice(guid, 2));
        center->setCurrentGuid(guid);
        center->setDeviceNetId(guid, guid);
    }
    void cleanupTestCase()
    {
        BLL_CommunicationMain_Desktop::getInstance()->stopConnect(guid);
        wall.stop();
    }

    void registerWriteAndReadComeBackAsMaps()
    {
        BLL_BusinessLogic_ModuleThread pipeline;
        QVERIFY(connect(BLL_CommunicationMain_Desktop::getInstance(),
                        SIGNAL(sig_reciveCmd(QString, Module_ProtocolBase *)), &pipeline,
                        SLOT(slot_reciveCmd(QString, Module_ProtocolBase *)),
                        Qt::DirectConnection));
        // The facade emits on the pipeline's receive thread; the spy takes it into
        // the test thread, as the user interface gets it.
        ThreadSpy spy(BLL_BusinessLogic_Desktop::instance(),
                      &BLL_BusinessLogic_Desktop::sig_devicesModuleData);
        const quint32 address = 0x00200000;
        const QByteArray bytes = QByteArray::fromHex("0123456789abcdef");

        QVariantMap write = sendCardCommand("Module_WriteSendCardRegister", guid, address);
        write.insert("regData", bytes);
        pipeline.appendModuleData(write);
        QVariantMap read = sendCardCommand("Module_ReadSendCardRegister", guid, address);
        read.insert("readLength", bytes.size());
        pipeline.appendModuleData(read);

        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 5000);
        const QVariantMap ack = spy.at(0).at(0).toMap();
        QCOMPARE(ack.value("moduleName").toString(),
                 QStringLiteral("Module_WriteSendCardRegister"));
        QVERIFY(ack.value("result").toBool());
        const QVariantMap reply = spy.at(1).at(0).toMap();
        QCOMPARE(reply.value("moduleName").toString(), QStringLiteral("Module_SendCardFlashInfo"));
        QCOMPARE(reply.value("regData").toByteArray(), bytes);
        QCOMPARE(wall.readMemory(address, bytes.size()), bytes);
        QCOMPARE(wall.counters().rejectedTotal(), quint64(0));
        QCOMPARE(wall.counters().malformed, quint64(0));
    }

    void exitWithWorkInFlightEndsCleanly()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--exit-in-flight"});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray log = child.readAllStandardError().right(1500);
        QVERIFY2(child.exitStatus() == QProcess::NormalExit, log.constData());
        QVERIFY2(child.exitCode() == 0, log.constData());
    }
};

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--exit-in-flight") == 0)
        return exitWithWorkInFlight(argc, argv);
    QCoreApplication app(argc, argv);
    TestPipelineWall test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_pipeline_wall.moc"
