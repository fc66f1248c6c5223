// The command pipeline end to end: the real packet layer, link manager and data
// center, and the virtual wall on loopback. Replies come out as the facade's
// sig_devicesModuleData.

#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_modulethread.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "virtualwall.h"

#include <QSignalSpy>
#include <QtTest>

// Takes the facade's signal (emitted on the pipeline's receive thread) into the
// test thread, as the user interface gets it.
class ModuleDataRelay : public QObject
{
    Q_OBJECT
signals:
    void moduleData(QVariantMap moduleData);
public slots:
    void relay(QVariantMap map) { emit moduleData(map); }
};

class TestPipelineWall : public QObject
{
    Q_OBJECT

private:
    ledwall::sim::VirtualWall wall;
    QString guid;
    ModuleDataRelay relay;

    QVariantMap command(const QString &module, quint32 address) const
    {
        return {{"moduleName", module},
                {"guid", guid},
                {"sendCardFlag", 1},
                {"m_regAddr", address},
                {"timeout", 300}};
    }

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
        connect(BLL_BusinessLogic_Desktop::instance(),
                &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &relay, &ModuleDataRelay::relay,
                Qt::QueuedConnection);
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
        QSignalSpy spy(&relay, &ModuleDataRelay::moduleData);
        const quint32 address = 0x00200000;
        const QByteArray bytes = QByteArray::fromHex("0123456789abcdef");

        QVariantMap write = command("Module_WriteSendCardRegister", address);
        write.insert("regData", bytes);
        pipeline.appendModuleData(write);
        QVariantMap read = command("Module_ReadSendCardRegister", address);
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
};

QTEST_GUILESS_MAIN(TestPipelineWall)
#include "test_pipeline_wall.moc"
