// The topology units: both display text codecs, the compressed display record and
// the topology rebuilt from a hardware port table; and the sending-card object's
// display data operations that the wall round trip cannot reach: overlapping
// conversions on their worker threads, the complex record read back out of order,
// and damaged or missing flash blocks (requests caught at the block routines'
// frame sink, replies fed to slot_dealData).

#include "bll_businesslogic_sendcardpackage.h"
#include "bll_datacenter_desktop.h"
#include "complexdisplaytext.h"
#include "displayrecord.h"
#include "displaytext.h"
#include "module_sendcard_protocol.h"
#include "porttable.h"

#include "threadspy.h"
#include <QRandomGenerator>
#include <QtTest>

using namespace ledwall;

namespace
{

struct Port {
    int ethId = 0, order = 0, across = 1, down = 1, x = 0, y = 0, width = 128, height = 128,
        enable = 1;
};

QByteArray record(const Port &p)
{
    QByteArray r;
    r.append(char(p.ethId)).append(char(p.order)).append(char(p.across)).append(char(p.down));
    for (int v : {p.x, p.y, p.width, p.height})
        r.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    r.append(char(p.enable));
    return r;
}

QVariantMap connectItem(int index, int seed)
{
    QVariantMap item;
    for (int k = 0; k < 13; ++k)
        item.insert(QLatin1String(displaytext::ConnectItemKeys[k]), seed * 13 + k);
    item.insert(QStringLiteral("index"), index);
    return item;
}

QVariantMap connectMap()
{
    QVariantList displays;
    for (int d = 0; d < 2; ++d) {
        QVariantList items;
        for (int i = 0; i < 3; ++i)
            items << connectItem(i, d * 10 + i);
        displays << QVariantMap{{"display_idx", d}, {"row_count", 1 + d},
                                {"col_count", 3},   {"x_offset", 100 * d},
                                {"y_offset", -7},   {"display_name", "Main hall"},
                                {"itemArr", items}};
    }
    return {{"basicInfo", QVariantMap{{"enable_as_master_card", 1},
                                      {"display_count", 2},
                                      {"enable_port_auto_bakup", 0},
                                      {"FreeLine", 3}}},
            {"displayArr", displays}};
}

QVariantMap display(const QVariantMap &map, int index = 0)
{
    return map.value("displayArr").toList().value(index).toMap();
}

QVariantList cells(const porttable::Rebuild &rebuild)
{
    return display(rebuild.displayMap).value("itemArr").toList();
}

// sender_addr of every cell, row-major; -1 for an empty cell.
QList<int> addresses(const porttable::Rebuild &rebuild)
{
    QList<int> out;
    for (const QVariant &cell : cells(rebuild)) {
        const QVariantMap item = cell.toMap();
        out << (item.value("init").toInt() ? item.value("sender_addr").toInt() : -1);
    }
    return out;
}

QVariantMap layout(int ports, int cabinetsPerPort)
{
    QVariantList items;
    for (int p = 0; p < ports; ++p)
        for (int c = 0; c < cabinetsPerPort; ++c)
            items << ledwall::displaytext::connectItemForCell(p, c, p, 128, 128, c);
    return {{"basicInfo", QVariantMap{{"enable_as_master_card", 0},
                                      {"display_count", 1},
                                      {"enable_port_auto_bakup", 1},
                                      {"FreeLine", 0}}},
            {"displayArr", QVariantList{QVariantMap{{"display_idx", 0},
                                                    {"row_count", ports},
                                                    {"col_count", cabinetsPerPort},
                                                    {"x_offset", 0},
                                                    {"y_offset", 0},
                                                    {"display_name", "Hall"},
                                                    {"itemArr", items}}}}};
}

QVariantMap complexLayout()
{
    return {{"basicInfo", QVariantMap{{"display_count", 1},
                                      {"netPortIndex", 0},
                                      {"connectMode", 2},
                                      {"paramShow", "ü"},
                                      {"FreeLine", "0"}}},
            {"displayArr",
             QVariantList{
                 QVariantMap{{"display_idx", 0},
                             {"display_name", "Bühne"},
                             {"display_flag", "readBack"},
                             {"itemArr", QVariantList{QVariantMap{{"id", 7},
                                                                  {"x", 10},
                                                                  {"y", 20},
                                                                  {"z", 1},
                                                                  {"boxName", "B1"},
                                                                  {"sNetPort", 2},
                                                                  {"strInfoText", "t"},
                                                                  {"boxId", "id"},
                                                                  {"width", 64},
                                                                  {"height", 64},
                                                                  {"connectFlag", true},
                                                                  {"lockFlag", false},
                                                                  {"bGConnectColor", "blue"}}}}}}}};
}

QVariantMap flashReply(quint32 address, const QString &key, const QByteArray &bytes)
{
    return {{"moduleName", "Module_SendCardFlashInfo"}, {"m_regAddr", address}, {key, bytes}};
}

} // namespace

class TestTopologyCodecs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<BLL_BusinessLogic_SendCardPackage> m_card;
    QList<FlashAccessDescriptor> m_frames; // the read requests sent

    bool convert(bool complex, int mode)
    {
        ThreadSpy done(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_displayOperation);
        const bool started = complex ? m_card->complexDisplayDataFormatConv(mode)
                                     : m_card->connectDisplayDataFormatConv(mode);
        // The signal comes from the worker thread, possibly before we start waiting.
        return started && QTest::qWaitFor([&] { return !done.isEmpty(); }, 5000) &&
               done.first().first().toInt() == mode;
    }

    void feed(const QVariantMap &reply)
    {
        QVERIFY(QMetaObject::invokeMethod(m_card.get(), "slot_dealData", Qt::DirectConnection,
                                          Q_ARG(QVariantMap, reply)));
    }

    void startCard()
    {
        BLL_DataCenter_Desktop::instance()->setCurrentGuid(QStringLiteral("test-guid"));
        m_frames.clear();
        m_card = std::make_unique<BLL_BusinessLogic_SendCardPackage>();
        m_card->setBlockFrameSink(
            [this](const QString &, const Module_SendCard_Protocol &, quint8) {
                m_frames.append(m_card->flashAccessDescriptor());
                return true;
            });
    }

private slots:
    void connectTextLayout()
    {
        QVariantMap map = connectMap();
        QVariantMap one = display(map);
        one.insert("itemArr", QVariantList{connectItem(0, 0)});
        map.insert("displayArr", QVariantList{one});
        QCOMPARE(displaytext::connectMapToText(map),
                 QStringLiteral("basic_info:1,2,0,3display:0,1,3,0,-7,Main hall"
                                "item:0,1,2,3,4,5,6,7,8,9,10,11,12"));
    }

    void connectRoundTripRestoresEveryField()
    {
        const QVariantMap original = connectMap();
        QVariantMap back;
        QVERIFY(displaytext::connectTextToMap(displaytext::connectMapToText(original), &back));
        QCOMPARE(back.value("basicInfo").toMap(), original.value("basicInfo").toMap());
        const QVariantList displays = back.value("displayArr").toList();
        QCOMPARE(displays.size(), 2);
        for (int d = 0; d < 2; ++d)
            QCOMPARE(displays.at(d).toMap(), display(original, d)); // every key and value

        // Values from a JSON editor come as doubles; they go out as integers too.
        QVariantMap json = QJsonDocument::fromJson(QJsonDocument::fromVariant(original).toJson())
                               .toVariant()
                               .toMap();
        QCOMPARE(displaytext::connectMapToText(json), displaytext::connectMapToText(original));
    }

    void connectMalformedTexts()
    {
        QVariantMap map{{"stale", 1}};
        QVERIFY(!displaytext::connectTextToMap("display:0,1,1,0,0,Aitem:1", &map));
        QVERIFY(map.isEmpty());

        // No display marker: the basic group only.
        QVERIFY(displaytext::connectTextToMap("basic_info:1,2,1", &map));
        QCOMPARE(map.value("basicInfo").toMap(), (QVariantMap{{"enable_as_master_card", 1},
                                                              {"display_count", 2},
                                                              {"enable_port_auto_bakup", 1}}));
        QVERIFY(map.value("displayArr").toList().isEmpty());

        // Five header fields name the display after its index; a short item stays an
        // empty map in its place; a wrong header count gives no header keys; text
        // in a number field reads 0; a short basic group leaves basicInfo empty.
        QVERIFY(displaytext::connectTextToMap("basic_info:1display:2,1,2,0,0item:0,1,2,3,4,5,6,7,8,"
                                              "9,10,11item:1,1,x,3,4,5,6,7,8,9,10,"
                                              "1,0display:0,1,1,0,0,Big,hall",
                                              &map));
        QVERIFY(map.value("basicInfo").toMap().isEmpty());
        const QVariantMap first = display(map, 0);
        QCOMPARE(first.value("display_name").toString(), QStringLiteral("display3"));
        const QVariantList items = first.value("itemArr").toList();
        QCOMPARE(items.size(), 2);
        QVERIFY(items.at(0).toMap().isEmpty());
        QCOMPARE(items.at(1).toMap().value("sender_addr").toInt(), 0);
        QCOMPARE(display(map, 1).keys(), QStringList{"itemArr"});
    }

    void complexLayoutAndFlags()
    {
        QVariantMap back;
        // "1" connects, but only "true" locks.
        QVERIFY(displaytext::complexTextToMap(
            "basic_info:1,0,0,nodisplay_info:0,Aitem:1,0,0,0,a,0,b,c,8,8,1,1,red", &back));
        const QVariantMap item = display(back).value("itemArr").toList().value(0).toMap();
        QCOMPARE(item.value("connectFlag").toBool(), true);
        QCOMPARE(item.value("lockFlag").toBool(), false);
        QVERIFY(!back.value("basicInfo").toMap().contains("FreeLine"));
    }

    void recordPrefixAndLimits()
    {
        QByteArray text(3000, '\0');
        QRandomGenerator random(7);
        for (char &c : text)
            c = char('a' + random.bounded(16));
        QByteArray record;
        QCOMPARE(displayrecord::pack(text, displayrecord::ComplexMaxCompressed, &record),
                 displayrecord::PackResult::Ok);
        const int size = record.size() - 4; // a big-endian length, then the stream
        QCOMPARE(record.left(4),
                 QByteArray::fromHex(QByteArray::number(size, 16).rightJustified(8, '0')));
        QByteArray back;
        QCOMPARE(displayrecord::unpack(record + QByteArray(500, '\xff'), &back),
                 displayrecord::UnpackResult::Ok);
        QCOMPARE(back, text);

        // A stream of exactly the limit fits; one byte over is refused, the record kept.
        QCOMPARE(displayrecord::pack(text, size, &record), displayrecord::PackResult::Ok);
        int needed = 0;
        QByteArray untouched = "kept";
        QCOMPARE(displayrecord::pack(text, size - 1, &untouched, &needed),
                 displayrecord::PackResult::SizeOverflow);
        QCOMPARE(needed, size);
        QCOMPARE(untouched, QByteArray("kept"));
    }

    void recordRefusesBadFlash()
    {
        QByteArray record;
        QVERIFY(displayrecord::pack(QByteArray(5000, 'a'), 65531, &record) ==
                displayrecord::PackResult::Ok);
        QByteArray text = "unchanged";
        const struct {
            const char *what;
            QByteArray readBack;
            displayrecord::UnpackResult result;
        } cases[] = {
            {"erased flash", QByteArray(61440, '\xff'), displayrecord::UnpackResult::BadLength},
            {"too short", QByteArray(3, '\0'), displayrecord::UnpackResult::ShortRecord},
            {"cut record", record.left(record.size() - 1), displayrecord::UnpackResult::BadLength},
            {"garbage", QByteArray::fromHex("00000008") + QByteArray(8, 'x'),
             displayrecord::UnpackResult::Corrupt},
            {"prefix shorter than the stream", QByteArray::fromHex("00000004") + record.mid(4),
             displayrecord::UnpackResult::Corrupt},
        };
        for (const auto &c : cases) {
            QCOMPARE(displayrecord::unpack(c.readBack, &text), c.result);
            QCOMPARE(text, QByteArray("unchanged"));
        }

        // A small record that expands beyond 1 MiB is refused, not allocated.
        QVERIFY(displayrecord::pack(QByteArray(2 * 1024 * 1024, '\0'), 65531, &record) ==
                displayrecord::PackResult::Ok);
        QVERIFY(record.size() < 20000);
        QCOMPARE(displayrecord::unpack(record, &text), displayrecord::UnpackResult::TooLarge);
        QCOMPARE(text, QByteArray("unchanged"));
    }

    void chainingOrders_data()
    {
        // A 3 x 2 block; cabinet number k at each cell, row-major, worked out by hand.
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("0 rows up, first left to right") << 0 << QList<int>{5, 4, 3, 0, 1, 2};
        QTest::newRow("1 rows up, first right to left") << 1 << QList<int>{3, 4, 5, 2, 1, 0};
        QTest::newRow("2 rows down, first left to right") << 2 << QList<int>{0, 1, 2, 5, 4, 3};
        QTest::newRow("3 rows down, first right to left") << 3 << QList<int>{2, 1, 0, 3, 4, 5};
        QTest::newRow("4 columns right, first bottom up") << 4 << QList<int>{1, 2, 5, 0, 3, 4};
        QTest::newRow("5 columns left, first bottom up") << 5 << QList<int>{5, 2, 1, 4, 3, 0};
        QTest::newRow("6 columns right, first top down") << 6 << QList<int>{0, 3, 4, 1, 2, 5};
        QTest::newRow("7 columns left, first top down") << 7 << QList<int>{4, 3, 0, 5, 2, 1};
    }

    void chainingOrders()
    {
        QFETCH(int, order);
        QFETCH(QList<int>, expected);
        const porttable::Rebuild rebuild =
            porttable::rebuildTopology(record(Port{0, order, 3, 2, 0, 0, 64, 32, 1}));
        QVERIFY(rebuild.ok);
        QCOMPARE(addresses(rebuild), expected);
        QCOMPARE(cells(rebuild).at(4).toMap().value("vcs_height").toInt(), 32);
    }

    void rebuildPlacesPortBlocksAndReportsOverlaps()
    {
        // Two ports side by side, a disabled one, and a truncated record at the end.
        Port left{0, 0, 2, 2, 0, 0, 128, 128, 1};
        Port right{1, 2, 1, 2, 256, 0, 128, 128, 1};
        Port off{2, 0, 4, 4, 0, 0, 128, 128, 0};
        porttable::Rebuild rebuild = porttable::rebuildTopology(record(left) + record(right) +
                                                                record(off) + record(left).left(7));
        QVERIFY(rebuild.ok);
        QVERIFY(!rebuild.result);
        QVERIFY(!rebuild.overLape);
        QCOMPARE(addresses(rebuild), (QList<int>{3, 2, 0, 0, 1, 1}));
        QCOMPARE(cells(rebuild).at(2).toMap().value("sender_port").toInt(), 1);

        // A port whose block covers another's: both reported, one-based.
        Port cover{3, 2, 1, 1, 128, 128, 128, 128, 1};
        rebuild = porttable::rebuildTopology(record(left) + record(right) + record(cover));
        QVERIFY(rebuild.overLape);
        QCOMPARE(rebuild.overlappingEthPort, (QVariantList{1, 4}));
        QCOMPARE(cells(rebuild).at(4).toMap().value("sender_port").toInt(),
                 3); // the last filed wins

        // No port in use: a 1 x 1 display with one empty cell.
        rebuild = porttable::rebuildTopology(record(off));
        QVERIFY(rebuild.ok && rebuild.result);
        QCOMPARE(addresses(rebuild), QList<int>{-1});
    }

    void rebuildSurvivesHostileTables()
    {
        // Erased flash, zero cabinet sizes, an unknown order: nothing placed, no crash.
        Port zeroWidth{0, 0, 2, 2, 0, 0, 0, 128, 1};
        Port badOrder{1, 9, 2, 2, 0, 0, 128, 128, 1};
        for (const QByteArray &table :
             {QByteArray(13 * 16, '\xff'), record(zeroWidth), record(badOrder)}) {
            const porttable::Rebuild rebuild = porttable::rebuildTopology(table);
            QVERIFY(rebuild.ok);
            QVERIFY(rebuild.result);
        }

        // Mixed cabinet sizes put a block beyond the sized grid: the grid widens and
        // no cabinet wraps into the next row.
        Port wide{0, 2, 1, 1, 0, 0, 256, 128, 1};
        Port narrow{1, 2, 2, 1, 256, 0, 128, 128, 1};
        porttable::Rebuild rebuild = porttable::rebuildTopology(record(wide) + record(narrow));
        QVERIFY(rebuild.ok);
        QVERIFY(!rebuild.overLape);
        QCOMPARE(display(rebuild.displayMap).value("col_count").toInt(), 3);
        QCOMPARE(addresses(rebuild), (QList<int>{0, 0, 1}));
        QCOMPARE(cells(rebuild).at(2).toMap().value("row").toInt(), 0);

        // A table that asks for a huge grid is refused.
        Port far{0, 0, 1, 1, 65535, 65535, 1, 1, 1};
        rebuild = porttable::rebuildTopology(record(far));
        QVERIFY(!rebuild.ok);
    }

    void conversionsSignalAndRefuseOverlap()
    {
        startCard();
        QVERIFY(m_card->saveConnectDisplayData(layout(16, 256)));
        QVERIFY(!m_card->saveConnectDisplayData({}));

        // A mode that converts nothing, and a second conversion of the same model
        // while one runs, are refused.
        QVERIFY(!m_card->connectDisplayDataFormatConv(3));
        QVERIFY(!m_card->complexDisplayDataFormatConv(0));
        ThreadSpy done(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_displayOperation);
        QVERIFY(m_card->connectDisplayDataFormatConv(1));
        QVERIFY(!m_card->connectDisplayDataFormatConv(1));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
    }

    // The write is done when the card has acknowledged every chunk; one chunk that
    // times out or is refused fails it, naming the chunk.
    void recordWriteNeedsEveryAcknowledgement_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<uint>("failedAt");
        QTest::newRow("every chunk acknowledged") << QString() << 0u;
        QTest::newRow("a chunk times out") << "timeout" << 0x120400u;
        QTest::newRow("a chunk refused") << "refused" << 0x120000u;
    }

    void recordWriteNeedsEveryAcknowledgement()
    {
        QFETCH(QString, fault);
        QFETCH(uint, failedAt);
        startCard();
        QVERIFY(m_card->saveConnectDisplayData(layout(16, 256)));
        QVERIFY(convert(false, 1));
        ThreadSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        QVERIFY(m_card->sendConnectDisplayDataToDevice({}));
        QVERIFY(m_frames.size() > 2);
        for (int i = m_frames.size() - 1; i >= 0; --i) {
            const uint address = 0x120000 + uint(i) * 0x400;
            if (address == failedAt && fault == "timeout")
                QVERIFY(QMetaObject::invokeMethod(
                    m_card.get(), "slot_timeoutCmd", Qt::DirectConnection,
                    Q_ARG(QVariantMap, (QVariantMap{{"m_con", 0xA5}, {"m_reg", address}}))));
            else
                feed({{"moduleName", "Module_WriteSendCardRegister"},
                      {"m_regAddr", address},
                      {"result", address != failedAt}});
        }
        QCOMPARE(report.size(), 2); // the last address at once, then one confirmation
        const QVariantMap confirmation = report.last().first().toMap();
        QCOMPARE(confirmation.value("displayRecordWritten").toBool(), failedAt == 0);
        QCOMPARE(confirmation.value("m_regAddr").toUInt(), failedAt);
    }

    void readRequestsEveryBlockAndReassembles()
    {
        startCard();
        m_card->readConnectDisplayDataToDevice({{"isComplex", 1}});
        QCOMPARE(m_frames.size(), 64);
        QCOMPARE(m_frames.last().startAddress, 0x12FC00u);
        QCOMPARE(m_frames.last().readLength, quint16(0x400));

        // The flash holds a complex record; its blocks come back last first, one twice.
        QByteArray record;
        const QString text =
            QStringLiteral("basic_info:1,0,2,ü,0display_info:0,Bühneitem:7,10,20,1,B1,2,t,id,64,64,"
                           "true,false,blue");
        QCOMPARE(ledwall::displayrecord::pack(text.toUtf8(), 65531, &record),
                 ledwall::displayrecord::PackResult::Ok);
        record.append(QByteArray(64 * 1024 - record.size(), '\xff'));
        ThreadSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        for (int b = 63; b >= 0; --b) {
            feed(flashReply(0x120000 + b * 0x400, "displayInfo", record.mid(b * 0x400, 0x400)));
            if (b == 63)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", record.mid(b * 0x400, 0x400)));
            QCOMPARE(report.size(), b == 0 ? 1 : 0);
        }
        // Once complete, a repeated last block completes nothing more.
        feed(flashReply(0x12FC00, "displayInfo", record.mid(63 * 0x400, 0x400)));
        QCOMPARE(report.size(), 1);
        QCOMPARE(report.first().first().toMap(), (QVariantMap{{"addr", 0x12FC00u}}));
        QVERIFY(m_card->parseConnectDisplayDataFromDevice(true));
        QVERIFY(convert(true, 2));
        QCOMPARE(m_card->getComplexConnectDisplayData(), complexLayout());
        // The same record is no connection text.
        QVERIFY(!m_card->parseConnectDisplayDataFromDevice(false));
    }

    void readBackOfBadFlashFails()
    {
        startCard();
        const QVariantMap original = layout(2, 3);
        QVERIFY(m_card->saveConnectDisplayData(original));
        QVERIFY(convert(false, 1));

        // Erased flash, garbage, and a small record that declares more items than
        // any layout holds.
        QByteArray manyItems;
        QVERIFY(displayrecord::pack("basic_info:0,1,0,0display:0,1,1,0,0,A" +
                                        QByteArray("item:").repeated(displaytext::MaxItemCount + 1),
                                    displayrecord::ConnectMaxCompressed,
                                    &manyItems) == displayrecord::PackResult::Ok);
        for (const QByteArray &flash :
             {QByteArray(60 * 1024, '\xff'),
              QByteArray::fromHex("00001000") + QByteArray(60 * 1024 - 4, 'z'),
              manyItems + QByteArray(60 * 1024 - manyItems.size(), '\xff')}) {
            m_card->readConnectDisplayDataToDevice({});
            ThreadSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
            for (int b = 0; b < 60; ++b)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", flash.mid(b * 0x400, 0x400)));
            QCOMPARE(report.size(), 1);
            QVERIFY(!m_card->parseConnectDisplayDataFromDevice(false));
            // The device text is still the one converted before.
            QVERIFY(convert(false, 2));
            QCOMPARE(m_card->openConnectDisplayData(false), QVariantList{original});
        }

        // A block that does not come back holds the completion back.
        m_card->readConnectDisplayDataToDevice({});
        ThreadSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        for (int b = 0; b < 60; ++b)
            if (b != 30)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", QByteArray(0x400, '\xff')));
        QCOMPARE(report.size(), 0);
    }
};

QTEST_MAIN(TestTopologyCodecs)
#include "test_topology_codecs.moc"
