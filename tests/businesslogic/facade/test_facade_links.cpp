// The facade's links end to end through the virtual wall on loopback: opening
// links, commands out and replies in, time-outs, and relays that exist once
// however often searches and port listings run.
//
// Searches go to the address the test provides (loopback), never to a broadcast
// address of the machine.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "module_base.h"
#include "virtualwall.h"

#include "threadspy.h"
#include <QtTest>

namespace
{

constexpr int WaitMs = 3000;
const QString FlashInfo = QStringLiteral("Module_SendCardFlashInfo");

// Collects what the facade reports, in the test's thread (replies come queued
// from the pipeline's receive thread).
class Collector : public QObject
{
    Q_OBJECT
public:
    explicit Collector(BLL_BusinessLogic_Desktop *facade)
    {
        connect(facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, this,
                &Collector::onModuleData);
        connect(facade, &BLL_BusinessLogic_Desktop::sig_timeoutCmd, this, &Collector::onTimeout);
    }

    // Replies of `moduleName` at register `address`.
    QList<QVariantMap> repliesAt(const QString &moduleName, quint32 address) const
    {
        QList<QVariantMap> out;
        for (const QVariantMap &m : moduleData)
            if (m.value(QStringLiteral("moduleName")).toString() == moduleName &&
                m.value(QStringLiteral("m_regAddr")).toUInt() == address)
                out << m;
        return out;
    }

    QList<QVariantMap> moduleData;
    QList<QVariantMap> timeouts;

private slots:
    void onModuleData(QVariantMap map) { moduleData << map; }
    void onTimeout(QVariantMap map) { timeouts << map; }
};

QVariantMap readRegisters(const QString &guid, quint32 address, int length, int timeout = 1000)
{
    return {{"moduleName", "Module_ReadSendCardRegister"},
            {"sendCardFlag", 1},
            {"guid", guid},
            {"m_regAddr", address},
            {"readLength", length},
            {"timeout", timeout}};
}

// A stored data object for the relay check.
class NoteModule : public Module_Base
{
public:
    NoteModule() { m_moduleName = QStringLiteral("Module_TestNote"); }
    Module_Base *clone() const override { return new NoteModule(*this); }
};

} // namespace

class TestFacadeLinks : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();
    ledwall::sim::VirtualWall m_wall;
    QString m_guid;

private slots:
    void initTestCase()
    {
        QVERIFY(m_wall.start());
        // Searches on loopback only: one interface whose "broadcast" address is 127.0.0.1.
        m_facade->setNetworkInterfaceProvider(&ledwall::loopbackSearchInterfaces);
    }

    void cleanupTestCase()
    {
        m_facade->setNetworkInterfaceProvider({});
        m_facade->clearData();
        m_wall.stop();
    }

    void directLinkWritesAndReadsBack()
    {
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        m_facade->connectSendCard(QStringLiteral("127.0.0.1"), m_wall.port(),
                                  QStringLiteral("wall"));
        QCOMPARE(newDevices.count(), 1);
        m_guid = newDevices.at(0).at(0).toString();
        QVERIFY(!m_guid.isEmpty());
        QCOMPARE(BLL_DataCenter_Desktop::instance()->getCurrentGuid(), m_guid);

        Collector collector(m_facade);
        QByteArray block;
        for (int i = 0; i < 64; ++i)
            block += char(i * 7 + 3);
        QVERIFY(m_wall.writeMemory(0x80000, block));
        m_facade->moduleThread().appendModuleData(readRegisters(m_guid, 0x80000, block.size()));

        QTRY_COMPARE_WITH_TIMEOUT(collector.repliesAt(FlashInfo, 0x80000).size(), 1, WaitMs);
        const QVariantMap reply = collector.repliesAt(FlashInfo, 0x80000).value(0);
        QCOMPARE(reply.value(QStringLiteral("regData")).toByteArray(), block);
        QVERIFY(collector.timeouts.isEmpty());
    }

    void secondLinkDoesNotDeliverFramesTwice()
    {
        QVERIFY(!m_guid.isEmpty());
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        m_facade->connectSendCard(QStringLiteral("127.0.0.1"), m_wall.port(),
                                  QStringLiteral("second"));
        QCOMPARE(newDevices.count(), 1);
        const QString second = newDevices.at(0).at(0).toString();
        QVERIFY(second != m_guid);

        Collector collector(m_facade);
        m_facade->moduleThread().appendModuleData(readRegisters(second, 0x80100, 16));
        QTRY_COMPARE_WITH_TIMEOUT(collector.repliesAt(FlashInfo, 0x80100).size(), 1, WaitMs);
        // A second connection of the link signals would deliver a second copy now.
        QTest::qWait(300);
        QCOMPARE(collector.repliesAt(FlashInfo, 0x80100).size(), 1);
    }

    void silentAddressArrivesAsTimeout()
    {
        QVERIFY(!m_guid.isEmpty());
        Collector collector(m_facade);
        m_wall.setSilentAddresses({0x90000});
        m_facade->moduleThread().appendModuleData(readRegisters(m_guid, 0x90000, 8, 200));
        QTRY_VERIFY_WITH_TIMEOUT(!collector.timeouts.isEmpty(), WaitMs);
        QCOMPARE(collector.timeouts.constFirst().value("m_reg").toUInt(), 0x90000u);
        QCOMPARE(collector.timeouts.constFirst().value("m_con").toUInt(), 0xA4u); // a read
        QCOMPARE(collector.repliesAt(FlashInfo, 0x90000).size(), 0);
        m_wall.clearFaults();

        // The link goes on working after a time-out.
        m_facade->moduleThread().appendModuleData(readRegisters(m_guid, 0x90000, 8));
        QTRY_COMPARE_WITH_TIMEOUT(collector.repliesAt(FlashInfo, 0x90000).size(), 1, WaitMs);
    }

    void guidLinksAreRecordedNotAnnounced()
    {
        BLL_DataCenter_Desktop *dc = BLL_DataCenter_Desktop::instance();
        const QString current = dc->getCurrentGuid();
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);

        const QString guid = m_facade->getDevicesGuid(QStringLiteral("127.0.0.1"), m_wall.port());
        QVERIFY(!guid.isEmpty());
        QVERIFY(dc->getDevice(guid));

        // Replies on such a link reach the interface like any other.
        Collector collector(m_facade);
        m_facade->moduleThread().appendModuleData(readRegisters(guid, 0x80200, 4));
        QTRY_COMPARE_WITH_TIMEOUT(collector.repliesAt(FlashInfo, 0x80200).size(), 1, WaitMs);

        QCOMPARE(newDevices.count(), 0);
        QCOMPARE(dc->getCurrentGuid(), current);
    }

    void relaysExistOnceAfterRepeatedSearchesAndListings()
    {
        BLL_DataCenter_Desktop *dc = BLL_DataCenter_Desktop::instance();
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        ThreadSpy comPorts(m_facade, &BLL_BusinessLogic_Desktop::sig_comPort);
        ThreadSpy usbSerials(m_facade, &BLL_BusinessLogic_Desktop::sig_usbSerialNumber);
        for (int i = 0; i < 2; ++i) {
            m_facade->searchDevices(QStringLiteral("127.0.0.99"), m_wall.port());
            m_facade->searchKP7720Devices(QStringLiteral("127.0.0.99"), m_wall.port());
            m_facade->getComPort();
            m_facade->getUSBSerialNumber();
        }
        QCOMPARE(comPorts.count(), 2);
        QCOMPARE(usbSerials.count(), 2);
        QCOMPARE(newDevices.count(), 4);
        ThreadSpy saveState(m_facade, &BLL_BusinessLogic_Desktop::sig_saveState);
        ThreadSpy saveDisplayFile(m_facade, &BLL_BusinessLogic_Desktop::sig_saveDisplayFile);
        ThreadSpy saveProcessorFile(m_facade, &BLL_BusinessLogic_Desktop::sig_saveProcessorFile);
        NoteModule note;
        const QString search = newDevices.at(0).at(0).toString();
        dc->saveData(search, &note, search);
        dc->displayBoxFile().saveDisplayBoxData(QStringLiteral("/nonexistent/x.drc"), {});
        dc->processorFile().saveProcessorXMLFile(QStringLiteral("/nonexistent/x.xml"), {});
        QCoreApplication::processEvents();
        QCOMPARE(saveState.count(), 1);
        QCOMPARE(saveDisplayFile.count(), 1);
        QCOMPARE(saveProcessorFile.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFacadeLinks)
#include "test_facade_links.moc"
