// Output windows end to end: the windows of a wall computed and written through the
// pipeline into the virtual wall's banks, checked against the wall's cabinets; then
// the backup port made a copy of its primary.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "virtualwall.h"
#include "wallsession.h"

#include "threadspy.h"
#include <QtTest>

namespace
{
constexpr int WaitMs = 10000;

const char WallJson[] = R"({"ports": [
  {"port": 0, "cabinets": [{"card": 0, "width": 256, "height": 128},
                           {"card": 1, "width": 256, "height": 128},
                           {"card": 2, "width": 256, "height": 128}]},
  {"port": 2, "cabinets": [{"card": 0, "width": 128, "height": 64},
                           {"card": 1, "width": 128, "height": 64}]}]})";

quint16 u16(const QByteArray &bytes, int offset)
{
    return quint16(quint8(bytes.at(offset)) << 8 | quint8(bytes.at(offset + 1)));
}
} // namespace

class TestWindowsWall : public QObject, private WallFixture
{
    Q_OBJECT

private:
    QMap<int, QPoint> m_corner; // per port, where its cabinets start

private slots:
    void initTestCase()
    {
        QString why;
        m_guid = startWallSession(m_wall, WallJson, QStringLiteral("windows"), &why);
        QVERIFY2(!m_guid.isEmpty(), qPrintable(why));
    }

    void cleanupTestCase() { stopWallSession(m_wall, m_guid); }

    void pagesMatchTheWallsCabinets()
    {
        // Each port a row of its cabinets; port 2 below port 0, moved right by 64.
        QVariantList items;
        int y = 0;
        for (const ledwall::sim::WallPort &port : m_wall.wall().ports) {
            m_corner.insert(port.port, QPoint(port.port * 32, y));
            int x = port.port * 32;
            for (const ledwall::sim::WallCabinet &c : port.cabinets) {
                items.append(QVariantMap{{"sender_port", port.port},
                                         {"sender_addr", c.card},
                                         {"x", x},
                                         {"y", y},
                                         {"vcs_width", c.width},
                                         {"vcs_height", c.height},
                                         {"init", 1}});
                x += c.width;
            }
            y += port.cabinets.first().height;
        }
        QVERIFY(m_card.saveConnectDisplayData(
            {{"displayArr", QVariantList{QVariantMap{{"itemArr", items}}}}}));
        // A page the card does not take fails the write, naming it; then all is confirmed.
        const QVariantMap request{{"scType", "4k"}, {"isSend", true}, {"dviWorkMode", 10}};
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_wall.setSilentAddresses({0x40000});
        QVERIFY(m_facade->setAllMultiWindow(request).value("result").toBool());
        QTRY_COMPARE_WITH_TIMEOUT(report.size(), 1, WaitMs);
        QCOMPARE(report.takeFirst().first().toMap(),
                 (QVariantMap{{"windowsWritten", false},
                              {"m_regAddr", 0x40000u},
                              {"error", "no acknowledgement in time"}}));
        m_wall.clearFaults();
        QVERIFY(m_facade->setAllMultiWindow(request).value("result").toBool());
        QTRY_COMPARE_WITH_TIMEOUT(report.size(), 1, WaitMs);
        QCOMPARE(report.first().first().toMap(), (QVariantMap{{"windowsWritten", true}}));
        // The summary is the last write: 2 ports in use, 3 and 2 boxes.
        QTRY_COMPARE_WITH_TIMEOUT(m_wall.readMemory(0x12FFD0, 7),
                                  QByteArray::fromHex("10000300000002"), WaitMs);
        for (const ledwall::sim::WallPort &port : m_wall.wall().ports) {
            const QByteArray page = m_wall.readMemory(0x40000 + port.port * 0x1000, 1024);
            QCOMPARE(QPoint(u16(page, 6), u16(page, 4)), m_corner.value(port.port));
            QRegion windows;
            for (int k = 0; k < quint8(page.at(3)); ++k)
                windows += QRect(u16(page, 66 + 8 * k), u16(page, 64 + 8 * k),
                                 u16(page, 70 + 8 * k), u16(page, 68 + 8 * k));
            const QByteArray boxes = m_wall.readMemory(port.port * 0x1000, 1024);
            QCOMPARE(int(u16(boxes, 1022)), port.cabinets.size());
            int x = 0;
            for (const ledwall::sim::WallCabinet &c : port.cabinets) {
                QCOMPARE(QPoint(u16(boxes, 4 * c.card + 2), u16(boxes, 4 * c.card)), QPoint(x, 0));
                QVERIFY((QRegion(x, 0, c.width, c.height) - windows).isEmpty());
                x += c.width;
            }
        }
        QCOMPARE(m_wall.readMemory(0x41000, 1024), QByteArray(1024, '\0')); // port 1 unused
    }

    void backupPortCopiesItsPrimary()
    {
        // The primary's pages as the card's read-back delivers them.
        for (const auto &[address, key] :
             {std::pair<quint32, const char *>{0x40000, "pxImageWindow"}, {0x0, "pxBoxPos"}}) {
            QMetaObject::invokeMethod(
                &m_card, "slot_dealData",
                Q_ARG(QVariantMap, (QVariantMap{{"moduleName", "Module_SendCardFlashInfo"},
                                                {"m_regAddr", address},
                                                {key, m_wall.readMemory(address, 1024)}})));
        }
        m_card.setAllSCDisplayMap("127.0.0.1");
        const QVariantMap entry{{"primaryIP", "127.0.0.1"},
                                {"primaryPort", 1},
                                {"backupPort", 2},
                                {"primaryGuid", m_guid},
                                {"backupGuid", m_guid}};
        // No DVI record was stored: reported incomplete, the pages are copied all the same.
        QVERIFY(!m_facade->sendRedundancyData({{"redundancyArr", QVariantList{entry}}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_wall.readMemory(0x8D000, 4), QByteArray::fromHex("00000e01"),
                                  WaitMs);
        QCOMPARE(m_wall.readMemory(0x8C000, 4), QByteArray::fromHex("00008f00"));
        QCOMPARE(m_wall.readMemory(0xF10080, 8), QByteArray::fromHex("00008f0000000e01"));
        QCOMPARE(m_wall.readMemory(0x41000, 1024), m_wall.readMemory(0x40000, 1024));
        const QByteArray primary = m_wall.readMemory(0x0, 1024);
        for (quint32 backup : {0x1000u, 0x910000u}) {
            const QByteArray copy = m_wall.readMemory(backup, 1024);
            QCOMPARE(copy.left(12), primary.mid(8, 4) + primary.mid(4, 4) + primary.left(4));
            QCOMPARE(copy.mid(12), primary.mid(12));
        }
    }
};

QTEST_MAIN(TestWindowsWall)
#include "test_windows_wall.moc"
