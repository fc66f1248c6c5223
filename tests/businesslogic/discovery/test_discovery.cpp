// Device discovery: which interface a search goes out on, the search links the
// two search operations keep, and the search settings file.
//
// Every search goes to loopback: the interface lists are injected.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "localaddress.h"
#include "loopbackfanout.h"
#include "searchsettings.h"
#include "virtualwall.h"

#include "threadspy.h"
#include <QLoggingCategory>
#include <QtTest>

namespace
{

const QNetworkInterface::InterfaceFlags Usable =
    QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast |
    QNetworkInterface::CanMulticast;

ledwall::NetworkInterfaceInfo interface(const QString &name,
                                        QNetworkInterface::InterfaceFlags flags, const QString &ip,
                                        const QString &broadcast)
{
    ledwall::NetworkInterfaceInfo info;
    info.name = name;
    info.humanReadableName = name;
    info.flags = flags;
    info.addresses = {{QHostAddress(ip), QHostAddress(broadcast)}};
    return info;
}

ledwall::NetworkInterfaceInfo vmwareAdapter()
{
    return interface(QStringLiteral("VMware Network Adapter VMnet8"), Usable,
                     QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.255"));
}

ledwall::NetworkInterfaceInfo loopbackInterface()
{
    return interface(QStringLiteral("lo"), Usable | QNetworkInterface::IsLoopBack,
                     QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"));
}

bool linkExists(const QString &guid)
{
    return !BLL_CommunicationMain_Desktop::getInstance()->linkStatistics(guid).isEmpty();
}

} // namespace

class TestFacadeOpsDiscovery : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();
    ledwall::sim::VirtualWall m_wall;
    QTemporaryDir m_appDir;

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
        QVERIFY(m_wall.start());
        m_facade->setNetworkInterfaceProvider(&ledwall::loopbackSearchInterfaces);
        QVERIFY(m_appDir.isValid());
        ledwall::setApplicationDirectory(m_appDir.path());
    }

    void cleanupTestCase()
    {
        m_facade->setNetworkInterfaceProvider({});
        m_facade->clearData();
        m_wall.stop();
        ledwall::setApplicationDirectory({});
    }

    void broadcastAddressOfTheFirstQualifyingInterface()
    {
        using ledwall::localBroadcastAddress;
        QCOMPARE(localBroadcastAddress({vmwareAdapter(), loopbackInterface()}), QString());

        // Down, not running, no broadcast, no multicast: each disqualifies.
        for (QNetworkInterface::InterfaceFlag missing :
             {QNetworkInterface::IsUp, QNetworkInterface::IsRunning,
              QNetworkInterface::CanBroadcast, QNetworkInterface::CanMulticast}) {
            ledwall::NetworkInterfaceInfo lacking = ledwall::loopbackSearchInterfaces().first();
            lacking.flags &= ~QNetworkInterface::InterfaceFlags(missing);
            QCOMPARE(localBroadcastAddress({lacking}), QString());
        }

        // The first qualifying interface wins, in list order.
        const auto first = interface(QStringLiteral("eth0"), Usable, QStringLiteral("127.1.0.5"),
                                     QStringLiteral("127.1.0.255"));
        const auto second = interface(QStringLiteral("eth1"), Usable, QStringLiteral("127.2.0.5"),
                                      QStringLiteral("127.2.0.255"));
        QCOMPARE(localBroadcastAddress({vmwareAdapter(), first, second}),
                 QStringLiteral("127.1.0.255"));

        // IPv6 entries are passed over.
        auto ipv6Only = second;
        ipv6Only.addresses = {{QHostAddress(QStringLiteral("fe80::2")), QHostAddress()}};
        QCOMPARE(localBroadcastAddress({ipv6Only, first}), QStringLiteral("127.1.0.255"));

        QCOMPARE(m_facade->getLocalAddress(), QStringLiteral("127.0.0.1"));
    }

    void searchWithoutUsableInterfaceOpensNothing()
    {
        m_facade->setNetworkInterfaceProvider([] {
            return ledwall::NetworkInterfaceList{vmwareAdapter(), loopbackInterface()};
        });
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        const int devicesBefore = m_facade->getDevicesList().size();
        m_facade->searchDevices(QStringLiteral("127.0.0.99"), m_wall.port());
        QCOMPARE(newDevices.count(), 0);
        QCOMPARE(m_facade->getDevicesList().size(), devicesBefore);
        m_facade->setNetworkInterfaceProvider(&ledwall::loopbackSearchInterfaces);
    }

    void eachSearchReleasesOnlyItsOwnPreviousLink()
    {
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        m_facade->searchDevices(QStringLiteral("127.0.0.99"), m_wall.port());
        m_facade->searchKP7720Devices(QString(), m_wall.port());
        QCOMPARE(newDevices.count(), 2);
        const QString general = newDevices.at(0).at(0).toString();
        const QString kp7720 = newDevices.at(1).at(0).toString();

        // The caller's address is not used: the record holds where the search went.
        BLL_DataCenter_Desktop *dc = BLL_DataCenter_Desktop::instance();
        QCOMPARE(dc->getCurrentGuid(), kp7720);
        QVERIFY(dc->getDevice(general) && dc->getDevice(general)->ip() == "127.0.0.1");

        m_facade->searchDevices(QString(), m_wall.port());
        QCOMPARE(newDevices.count(), 3);
        QVERIFY(!linkExists(general));
        QVERIFY(linkExists(kp7720));
        const QString second = newDevices.at(2).at(0).toString();
        QVERIFY(linkExists(second));

        m_facade->searchKP7720Devices(QString(), m_wall.port());
        QVERIFY(!linkExists(kp7720));
        QVERIFY(linkExists(second));
    }

    // Three walls behind one broadcast address: each answers the search and each
    // answers a read sent on the search link.
    void everyWallAnswersOneSearch()
    {
        ledwall::sim::VirtualWall walls[3];
        QList<ledwall::sim::LoopbackFanOut::Endpoint> endpoints;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(walls[i].start(0, QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 2))));
            endpoints.append({walls[i].address(), walls[i].port()});
        }
        ledwall::sim::LoopbackFanOut broadcast;
        QVERIFY(broadcast.start(endpoints));
        ThreadSpy newDevices(m_facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        m_facade->searchDevices(QString(), broadcast.port());
        QCOMPARE(newDevices.count(), 1);
        const QString search = newDevices.at(0).at(0).toString();
        QList<QVariantMap> found, answers;
        QObject receiver;
        connect(m_facade, &BLL_BusinessLogic_Desktop::sig_TalkToUI, &receiver,
                [&](QVariantMap map) {
                    if (map.value("event") == "deviceFound" && map.value("guid") == search)
                        found.append(map);
                });
        connect(m_facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &receiver,
                [&](QVariantMap map) {
                    if (map.value("guid") == search)
                        answers.append(map);
                });
        QTRY_COMPARE(found.size(), 3);
        const int devicesBefore = m_facade->getDevicesList().size();
        for (const QVariantMap &device : qAsConst(found))
            m_facade->createDevices("HX28", QUuid::createUuid().toString(QUuid::WithoutBraces),
                                    device.value("address").toString(),
                                    device.value("port").toUInt());
        QCOMPARE(m_facade->getDevicesList().size(), devicesBefore + 3);

        m_facade->moduleThread().appendModuleData({{"moduleName", "Module_ReadSendCardRegister"},
                                                   {"guid", search},
                                                   {"sendCardFlag", 1},
                                                   {"timeout", 300},
                                                   {"m_regAddr", 0x200000},
                                                   {"readLength", 4}});
        QTRY_COMPARE(answers.size(), 3);
    }

    void settingsFileParsing()
    {
        const QVariantMap parsed = ledwall::parseSearchSettings(
            "usbUdpFlag=1\r\nlanType=2\nisGLVer=x\n  isResetAPP = 7 \nother=5\nlanType\n");
        QCOMPARE(
            parsed,
            QVariantMap({{"usbUdpFlag", 1}, {"lanType", 2}, {"isGLVer", 0}, {"isResetAPP", 7}}));
        QVERIFY(ledwall::parseSearchSettings(QByteArray()).isEmpty());

        // Only the keys held, in file order; a text value cannot add lines.
        QCOMPARE(ledwall::formatSearchSettings(
                     {{"isResetAPP", 1}, {"lanType", "3\nisGLVer=9"}, {"unknown", 4}}),
                 QByteArray("lanType=0\nisResetAPP=1\n"));
    }

    void settingsFileRoundTripThroughTheFacade()
    {
        const QString path = BLL_BusinessLogic_Desktop::searchConfigFilePath();
        QFile::remove(path);
        QVERIFY(m_facade->readSearchConfigFile().isEmpty());

        const QVariantMap settings{
            {"usbUdpFlag", 1}, {"lanType", 2}, {"isGLVer", 0}, {"isResetAPP", 1}};
        m_facade->saveSearchConfigFile(settings);
        QCOMPARE(m_facade->readSearchConfigFile(), settings);

        // A file that cannot be written keeps the old settings.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path)); // a directory where the file should be
        m_facade->saveSearchConfigFile(settings);
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QDir(path).removeRecursively());
    }
};

QTEST_GUILESS_MAIN(TestFacadeOpsDiscovery)
#include "test_discovery.moc"
