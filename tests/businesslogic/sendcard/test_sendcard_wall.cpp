// The display read-back end to end: the facade reads a sending card's window and
// box-position registers and its receiving cards' size reports from the virtual
// wall on loopback, and the sending-card object turns them into cabinet rectangles.

#include "bll_businesslogic_desktop.h"
#include "virtualwall.h"

#include "sendcardtestdata.h"
#include "threadspy.h"

#include <QtTest>

namespace
{
constexpr int WaitMs = 3000;

QVariantMap command(const QString &guid, const QString &module, quint32 address, int length)
{
    return {{QStringLiteral("moduleName"), module}, {QStringLiteral("sendCardFlag"), 1},
            {QStringLiteral("guid"), guid},         {QStringLiteral("m_regAddr"), address},
            {QStringLiteral("readLength"), length}, {QStringLiteral("timeout"), 1000}};
}
} // namespace

class TestSendCardWall : public QObject
{
    Q_OBJECT
private slots:
    void readBackGivesCabinetRectangles()
    {
        ledwall::sim::VirtualWall wall;
        ledwall::sim::WallDescription description = wall.wall();
        ledwall::sim::WallPort port;
        port.port = 0;
        port.cabinets = {ledwall::sim::WallCabinet{0, 128, 64},
                         ledwall::sim::WallCabinet{1, 96, 64}};
        description.ports = {port};
        wall.setWall(description);
        QVERIFY(wall.start());
        // Port 0 window at x 100, y 8; cabinet 1 sits 128 pixels right of cabinet 0.
        QVERIFY(wall.writeMemory(0x40000, words({0, 0, 8, 100})));
        QVERIFY(wall.writeMemory(0x0000, words({0, 0, 0, 128})));

        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        BLL_BusinessLogic_SendCardPackage &card = facade->sendCardPackage();
        card.clearBoxXYWHList();
        ThreadSpy devices(facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
        ThreadSpy replies(facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData);
        ThreadSpy boxes(&card, &BLL_BusinessLogic_SendCardPackage::recvAllBox);
        ThreadSpy done(&card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        // Replies reach the sending-card object once a listing has set up its relays.
        facade->getComPort();
        facade->connectSendCard(QStringLiteral("127.0.0.1"), wall.port(), QStringLiteral("wall"));
        QCOMPARE(devices.count(), 1);
        const QString guid = devices.at(0).at(0).toString();

        const QString read = QStringLiteral("Module_ReadSendCardRegister");
        facade->moduleThread().appendModuleData(command(guid, read, 0x40000, 8));
        facade->moduleThread().appendModuleData(command(guid, read, 0x0000, 8));
        for (int cabinet = 0; cabinet < 2; ++cabinet) {
            QVariantMap size =
                command(guid, QStringLiteral("Module_ReceivingSDRAMInfo"), 0x100000, 16);
            size.insert(QStringLiteral("ltcpFirstCard"), cabinet);
            size.insert(QStringLiteral("ltcpLastCard"), cabinet);
            size.insert(QStringLiteral("ltcpAddr_data"), 0xA0000000u);
            facade->moduleThread().appendModuleData(size);
        }
        QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 4, WaitMs);
        facade->moduleThread().appendModuleData(command(guid, read, 0xFC00, 16));

        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, WaitMs);
        QCOMPARE(done.at(0).at(0).toMap().value(QStringLiteral("addr")).toUInt(), 0xFC00u);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.at(0).at(0).toList(), (QVariantList{QStringLiteral("0:0:100:8:128:64"),
                                                           QStringLiteral("0:1:228:8:96:64")}));
        card.clearBoxXYWHList();
        facade->clearData();
        wall.stop();
    }
};

QTEST_GUILESS_MAIN(TestSendCardWall)
#include "test_sendcard_wall.moc"
