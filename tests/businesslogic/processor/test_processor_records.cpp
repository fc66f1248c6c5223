// Scene table records and their frames: field order and byte order of the
// layouts, who takes part, and how records are grouped into frames.

#include "processorrecords.h"

#include <QtTest>

using namespace ledwall::processor;

namespace
{
QVariantList items(int count, const QVariantMap &item)
{
    QVariantList list;
    for (int i = 0; i < count; ++i)
        list << item;
    return list;
}
using Numbers = QVector<QVector<int>>; // per frame: start, last, total, records in it
} // namespace

class TestProcessorRecords : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAndByteOrder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariantMap>("item");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("fusion LE") << "edge-fusion" << QVariantMap{{"fuseAreaX1", 0x0102}} << 6
                                   << QByteArray::fromHex("0201");
        QTest::newRow("fusion direction")
            << "edge-fusion" << QVariantMap{{"switch3", 1}, {"direction3", 0x0345}} << 18
            << QByteArray::fromHex("0103");
        QTest::newRow("fusion points") << "edge-fusion" << QVariantMap{{"table4_Point2_Y", 9}} << 49
                                       << QByteArray::fromHex("0900000000");
        QTest::newRow("output BE") << "output-setup" << QVariantMap{{"brightness", 0x0102}} << 3
                                   << QByteArray::fromHex("0102");
        QTest::newRow("output joint")
            << "output-setup" << QVariantMap{{"xJointPosition", 0x01020304}} << 21
            << QByteArray::fromHex("01020304");
        QTest::newRow("output tail") << "output-setup" << QVariantMap{{"blueBackground", "300"}}
                                     << 37 << QByteArray::fromHex("2c");
        // Start X 0x123 with start Y 0x456 of the same block; width/height next.
        QTest::newRow("input pair")
            << "input-blocks"
            << QVariantMap{{"startX_Block2", 0x123}, {"startY_Block2", 0x456}, {"width_Block2", 7}}
            << 6 << QByteArray::fromHex("23564107 0000");
        QTest::newRow("input tail")
            << "input-blocks"
            << QVariantMap{{"inputSlot", 3}, {"inputResoWidth", 1920}, {"effePort", 2}} << 24
            << QByteArray::fromHex("038007000002");
        QTest::newRow("layer id LE") << "layers" << QVariantMap{{"layerID", 0x0102}, {"width", 5}}
                                     << 0 << QByteArray::fromHex("0201");
        QTest::newRow("layer width") << "layers" << QVariantMap{{"width", 0x0A0B0C0D}} << 20
                                     << QByteArray::fromHex("0a0b0c0d");
        QTest::newRow("channel cut")
            << "channels" << QVariantMap{{"cutSwitch", 1}, {"inputSignalHeight", 1080}} << 14
            << QByteArray::fromHex("01000000000000000000000438");
        QTest::newRow("image colours") << "image-adjust"
                                       << QVariantMap{{"imageRGBRed", 10},
                                                      {"imageRGBGreen", 20},
                                                      {"imageRGBBlue", 30},
                                                      {"imageLuminance", 5}}
                                       << 2 << QByteArray::fromHex("0a0514051e05");
        QTest::newRow("group values") << "groups" << QVariantMap{{"groupData7", 0x01020304}} << 27
                                      << QByteArray::fromHex("04030201");
    }
    void fieldsAndByteOrder()
    {
        QFETCH(QString, kind);
        QFETCH(QVariantMap, item);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        const RecordLayout *layout = layoutNamed(kind);
        QVERIFY(layout);
        const QByteArray record = layout->pack(item);
        QCOMPARE(record.size(), kind == "channels" ? ChannelRecordSize : layout->recordSize);
        QCOMPARE(record.mid(offset, expected.size()).toHex(), expected.toHex());
    }

    void framesOfATable_data()
    {
        QTest::addColumn<int>("synType");
        QTest::addColumn<QVariantList>("list");
        QTest::addColumn<Numbers>("frames");
        const QVariantMap on{{"portSwitch", 1}}, off{{"portSwitch", 0}};
        QTest::newRow("30 fusion")
            << 0 << items(30, on) << Numbers{{1, 24, 30, 24}, {25, 30, 30, 6}};
        QTest::newRow("4 of 10") << 255 << items(6, off) + items(4, on) << Numbers{{1, 4, 4, 4}};
        QTest::newRow("none on") << 255 << items(3, off) << Numbers{{1, 0, 0, 0}};
        QTest::newRow("30 output") << 255 << items(30, on) << Numbers{{1, 30, 30, 30}};
        QTest::newRow("36 output")
            << 255 << items(36, on) << Numbers{{1, 35, 36, 35}, {36, 36, 36, 1}};
        QTest::newRow("43 channels")
            << 6 << items(43, {{"channelSwitch", 1}}) << Numbers{{1, 42, 43, 42}, {43, 43, 43, 1}};
        QTest::newRow("input slot 12")
            << 3 << items(2, {{"inputSlot", 12}}) + items(60, {{"inputSlot", 1}})
            << Numbers{{1, 60, 60, 60}};
        QTest::newRow("empty layers") << 5 << QVariantList() << Numbers{{1, 0, 0, 0}};
    }
    void framesOfATable()
    {
        QFETCH(int, synType);
        QFETCH(QVariantList, list);
        QFETCH(Numbers, frames);
        const RecordLayout *layout = layoutForSynType(synType);
        QVERIFY(layout);
        const int size = synType == SynChannels ? ChannelRecordSize : layout->recordSize;
        Numbers got;
        for (const TableFrame &f : planTableFrames(*layout, list))
            got << QVector<int>{f.startIndex, f.recordCount, f.totalCount,
                                int(f.records.size()) / size};
        QCOMPARE(got, frames);
    }

    void groupingAndUnknownTypes()
    {
        QVERIFY(!anyGrouping({QVariantMap{{"isGrouping", false}}}));
        QVERIFY(anyGrouping({QVariantMap{}, QVariantMap{{"isGrouping", true}}}));
        QVERIFY(!layoutForSynType(SynNothing));
        QVERIFY(!layoutNamed("nothing"));
    }
};

QTEST_GUILESS_MAIN(TestProcessorRecords)
#include "test_processor_records.moc"
