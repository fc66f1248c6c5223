// The display record and the hardware port table end to end: the library writes
// a layout into the virtual wall's flash, reads it back block by block, expands
// and decodes it, and rebuilds a topology from the wall's port table.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "displayrecord.h"
#include "displaytext.h"
#include "virtualwall.h"
#include "wallsession.h"

#include "threadspy.h"
#include <QtTest>

namespace
{

constexpr int WaitMs = 10000;

QVariantMap layout()
{
    QVariantList items;
    for (int i = 0; i < 40; ++i)
        items << ledwall::displaytext::connectItemForCell(i % 4, i % 8, i / 8, 128, 128, i / 4);
    return {{"basicInfo", QVariantMap{{"enable_as_master_card", 1},
                                      {"display_count", 1},
                                      {"enable_port_auto_bakup", 0},
                                      {"FreeLine", 2}}},
            {"displayArr", QVariantList{QVariantMap{{"display_idx", 0},
                                                    {"row_count", 5},
                                                    {"col_count", 8},
                                                    {"x_offset", 0},
                                                    {"y_offset", 0},
                                                    {"display_name", "Foyer"},
                                                    {"itemArr", items}}}}};
}

} // namespace

class TestTopologyWall : public QObject, private WallFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString why;
        m_guid = startWallSession(m_wall, TwoPortWallJson, QStringLiteral("topology"), &why);
        QVERIFY2(!m_guid.isEmpty(), qPrintable(why));
    }

    void cleanupTestCase() { stopWallSession(m_wall, m_guid); }

    void layoutSurvivesTheCardsFlash()
    {
        const QVariantMap original = layout();
        QVERIFY(m_card.saveConnectDisplayData(original));
        QVERIFY(convertDisplayData(m_card, 1));
        // A card that does not answer the first chunk: the write fails, naming it.
        m_wall.setSilentAddresses({0x120000});
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        QVERIFY(m_card.sendConnectDisplayDataToDevice({}));
        QTRY_COMPARE_WITH_TIMEOUT(report.size(), 2, WaitMs);
        QCOMPARE(report.last().first().toMap().value("m_regAddr").toUInt(), 0x120000u);
        m_wall.clearFaults();
        report.clear();
        QVERIFY(m_card.sendConnectDisplayDataToDevice({}));
        QTRY_COMPARE_WITH_TIMEOUT(report.size(), 2, WaitMs);
        QCOMPARE(report.last().first().toMap().value("displayRecordWritten").toBool(), true);

        // The flash ends up holding the record.
        QByteArray record;
        QCOMPARE(ledwall::displayrecord::pack(
                     ledwall::displaytext::connectMapToText(original).toLatin1(),
                     ledwall::displayrecord::ConnectMaxCompressed, &record),
                 ledwall::displayrecord::PackResult::Ok);
        QTRY_COMPARE_WITH_TIMEOUT(m_wall.readMemory(0x120000, record.size()), record, WaitMs);

        // A block that never comes back ends the read, named, after three requests.
        m_wall.setSilentAddresses({0x120400});
        m_wall.resetCounters();
        report.clear();
        m_card.readConnectDisplayDataToDevice({});
        QTRY_VERIFY_WITH_TIMEOUT(!report.isEmpty(), WaitMs);
        QCOMPARE(report.takeFirst().first().toMap(), (QVariantMap{{"displayRecordRead", false},
                                                                  {"m_regAddr", 0x120400u},
                                                                  {"error", "no answer in time"}}));
        QCOMPARE(m_wall.counters().dropped, quint64(3));
        m_wall.clearFaults();

        // Read back (two lost requests asked again), expand, decode.
        QVERIFY(m_card.saveConnectDisplayData({{"other", 1}}));
        m_wall.dropNext(2);
        m_card.readConnectDisplayDataToDevice({});
        QTRY_VERIFY_WITH_TIMEOUT(!report.isEmpty(), WaitMs);
        QCOMPARE(report.first().first().toMap().value("addr").toUInt(), 0x12EC00u);
        QVERIFY(m_card.parseConnectDisplayDataFromDevice(false));
        QVERIFY(convertDisplayData(m_card, 2));
        QCOMPARE(m_card.openConnectDisplayData(false), QVariantList{original});
    }

    void portTableRebuildsTheWall()
    {
        // A read that never comes back ends, said so, after three requests.
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_wall.setSilentAddresses({0x10E000});
        m_card.readHardwareConnectDisplayDataToDevice({{"EthNum", 2}});
        QTRY_VERIFY_WITH_TIMEOUT(!report.isEmpty(), WaitMs);
        QCOMPARE(
            report.takeFirst().first().toMap(),
            (QVariantMap{{"addr", 0x10E000u}, {"result", false}, {"error", "no answer in time"}}));
        m_wall.clearFaults();

        // Two lost requests are asked again.
        m_wall.dropNext(2);
        m_card.readHardwareConnectDisplayDataToDevice({{"EthNum", 2}});
        QTRY_VERIFY_WITH_TIMEOUT(!report.isEmpty(), WaitMs);
        const QVariantMap result = report.first().first().toMap();
        QCOMPARE(result.value("addr").toUInt(), 0x10E000u);
        QCOMPARE(result.value("result").toBool(), false);
        QCOMPARE(result.value("overLape").toBool(), false);

        // Port 0: 2 x 2 from the bottom left; port 1: one column top down at x 256.
        const QVariantMap display = firstConnectDisplay(m_card);
        QCOMPARE(display.value("col_count").toInt(), 3);
        QCOMPARE(display.value("row_count").toInt(), 2);
        const QStringList cells = cabinetCells(display);
        QCOMPARE(cells, (QStringList{"0.3", "0.2", "1.0", "0.0", "0.1", "1.1"}));
    }
};

QTEST_MAIN(TestTopologyWall)
#include "test_topology_wall.moc"
