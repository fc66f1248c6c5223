#include "processorrecords.h"

#include <QStringList>

namespace ledwall::processor
{
namespace
{

// A value of an item as a 64-bit integer; numbers stored as text or as floating
// point (scene items come back from JSON) are read as that number; missing: 0.
qint64 itemValue(const QVariantMap &item, const QString &key)
{
    const QVariant value = item.value(key);
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (ok)
        return number;
    const double real = value.toDouble(&ok);
    return ok ? qint64(real) : 0;
}

// Appends fields of one record, each cut to its width.
class RecordWriter
{
public:
    explicit RecordWriter(const QVariantMap &item) : m_item(item) {}

    RecordWriter &u8(const char *key) { return byte(value(key)); }
    RecordWriter &be16(const char *key) { return bigEndian(value(key), 2); }
    RecordWriter &be32(const char *key) { return bigEndian(value(key), 4); }
    RecordWriter &le16(const char *key) { return littleEndian(value(key), 2); }
    RecordWriter &le32(const char *key) { return littleEndian(value(key), 4); }
    RecordWriter &u8s(std::initializer_list<const char *> keys)
    {
        for (const char *key : keys)
            u8(key);
        return *this;
    }
    RecordWriter &be16s(std::initializer_list<const char *> keys)
    {
        for (const char *key : keys)
            be16(key);
        return *this;
    }
    RecordWriter &byte(qint64 v)
    {
        m_bytes.append(char(v & 0xFF));
        return *this;
    }
    RecordWriter &zeros(int count)
    {
        m_bytes.append(count, '\0');
        return *this;
    }
    qint64 value(const char *key) const { return itemValue(m_item, QLatin1String(key)); }
    qint64 value(const QString &key) const { return itemValue(m_item, key); }
    QByteArray bytes() const { return m_bytes; }

    RecordWriter &bigEndian(qint64 v, int width)
    {
        for (int i = width - 1; i >= 0; --i)
            byte(v >> (8 * i));
        return *this;
    }
    RecordWriter &littleEndian(qint64 v, int width)
    {
        for (int i = 0; i < width; ++i)
            byte(v >> (8 * i));
        return *this;
    }

private:
    const QVariantMap &m_item;
    QByteArray m_bytes;
};

// One fused edge: switch, direction byte (bits 8..15 of the direction value), table,
// gamma, then position and size, little-endian.
void edge(RecordWriter &out, int n, const char *table, const char *gamma, const QString &pos,
          const QString &size)
{
    out.byte(out.value(QStringLiteral("switch%1").arg(n)));
    out.byte(out.value(QStringLiteral("direction%1").arg(n)) >> 8);
    out.u8(table).u8(gamma);
    out.littleEndian(out.value(pos), 2).littleEndian(out.value(size), 2);
}

bool everyItem(const QVariantMap &)
{
    return true;
}
bool portSwitchOn(const QVariantMap &item)
{
    return itemValue(item, QStringLiteral("portSwitch")) == 1;
}
bool channelSwitchOn(const QVariantMap &item)
{
    return itemValue(item, QStringLiteral("channelSwitch")) == 1;
}
// Slot 12 means "no input" on the processor.
bool hasInputSlot(const QVariantMap &item)
{
    return itemValue(item, QStringLiteral("inputSlot")) != 12;
}

} // namespace

QByteArray edgeFusionRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    out.u8s({"cardSlotNum", "portNum"});
    edge(out, 1, "tableH1", "gammaH1", QStringLiteral("fuseAreaX1"),
         QStringLiteral("fuseAreaWidth1"));
    edge(out, 2, "tableH2", "gammaH2", QStringLiteral("fuseAreaX2"),
         QStringLiteral("fuseAreaWidth2"));
    edge(out, 3, "tableV1", "gammaV1", QStringLiteral("fuseAreaY1"),
         QStringLiteral("fuseAreaHeight1"));
    edge(out, 4, "tableV2", "gammaV2", QStringLiteral("fuseAreaY2"),
         QStringLiteral("fuseAreaHeight2"));
    for (int table = 1; table <= 4; ++table)
        for (const char *point : {"Point1_X", "Point1_Y", "Point2_X", "Point2_Y"})
            out.byte(out.value(QStringLiteral("table%1_%2").arg(table).arg(QLatin1String(point))));
    return out.zeros(4).bytes();
}

QByteArray outputSetupRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    out.u8s({"cardSlotNum", "portNum", "portSwitch"});
    out.be16s({"brightness", "contrast", "timeAdjustmentValue", "xPosition", "yPosition", "xWidth",
               "yHeight", "xJointWidth", "yJointHeight"});
    out.be32("xJointPosition").be32("yJointPosition");
    out.be16s({"xResolution", "yResolution"});
    out.u8s({"resolution", "logoID", "redBackground", "greenBackground", "blueBackground"});
    return out.bytes();
}

QByteArray inputBlockRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    // Two 12-bit values in three bytes: both low bytes, then the high nibbles
    // (first value's in bits 0..3, second's in bits 4..7).
    const auto packPair = [&out](qint64 first, qint64 second) {
        out.byte(first).byte(second);
        out.byte(((first >> 8) & 0x0F) | ((second >> 4) & 0xF0));
    };
    for (int block = 1; block <= 4; ++block) {
        packPair(out.value(QStringLiteral("startX_Block%1").arg(block)),
                 out.value(QStringLiteral("startY_Block%1").arg(block)));
        packPair(out.value(QStringLiteral("width_Block%1").arg(block)),
                 out.value(QStringLiteral("height_Block%1").arg(block)));
    }
    out.u8("inputSlot").le16("inputResoWidth").le16("inputResoHeight").u8("effePort");
    return out.bytes();
}

QByteArray imageAdjustRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    out.u8s({"cardSlotNum", "portNum"});
    out.u8("imageRGBRed").u8("imageLuminance");
    out.u8("imageRGBGreen").u8("imageLuminance");
    out.u8("imageRGBBlue").u8("imageLuminance");
    out.u8s({"saturability", "imageAcutance", "extMatrixOutputPortID", "extMatrixInputPortID",
             "imageCutSwitch"});
    out.be16s({"imageCutX", "imageCutY", "imageCutWidth", "imageCutHeight", "inputResoWidth2",
               "inputResoHeight2"});
    return out.bytes();
}

QByteArray layerRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    out.le16("layerID").u8s({"cardSlotNum", "portNum"});
    out.be16s({"xZoom", "yZoom", "zoomXPosition", "zoomYPosition"});
    out.be32("xPosition").be32("yPosition").be32("width").be32("height");
    out.u8s({"layerSwitch", "layerTransparency", "inputSourceArea"});
    return out.bytes();
}

QByteArray channelRecord(const QVariantMap &item)
{
    RecordWriter out(item);
    out.u8s({"cardSlotNum", "portNum", "MPIPMode", "rabbet", "inputSourceID", "channelSwitch"});
    out.be16s({"startX", "startY", "width", "height"});
    out.u8("cutSwitch");
    out.be16s({"cutStartX", "cutStartY", "cutWidth", "cutHeight", "inputSignalWidth",
               "inputSignalHeight"});
    return out.bytes();
}

QByteArray groupRecord(const QVariantMap &item)
{
    // isGrouping, the group's number, the number of group values, then the seven
    // values least significant byte first; the rest is reserved (zero).
    RecordWriter out(item);
    out.byte(out.value("isGrouping") != 0 ? 1 : 0).u8("groupID").byte(7);
    for (int i = 1; i <= 7; ++i)
        out.littleEndian(out.value(QStringLiteral("groupData%1").arg(i)), 4);
    return out.zeros(GroupRecordSize - 31).bytes();
}

const QVector<RecordLayout> &recordLayouts()
{
    // synType, scene kind, table kind, record size, name, packer, who takes part, one frame
    static const QVector<RecordLayout> layouts = {
        {SynEdgeFusion, 2, EdgeFusionTable, EdgeFusionRecordSize, "edge-fusion", edgeFusionRecord,
         portSwitchOn, false},
        {SynGroups, 3, GroupTable, GroupRecordSize, "groups", groupRecord, everyItem, false},
        {SynImageAdjust, 1, ImageAdjustTable, ImageAdjustRecordSize, "image-adjust",
         imageAdjustRecord, everyItem, false},
        {SynInputBlocks, 1, InputBlockTable, InputBlockRecordSize, "input-blocks", inputBlockRecord,
         hasInputSlot, true},
        {SynLayers, 0, LayerTable, LayerRecordSize, "layers", layerRecord, everyItem, false},
        {SynChannels, 2, ChannelTable, ChannelUnitSize, "channels", channelRecord, channelSwitchOn,
         false},
        {SynOutputSetup, 2, OutputSetupTable, OutputSetupRecordSize, "output-setup",
         outputSetupRecord, portSwitchOn, false},
    };
    return layouts;
}

const RecordLayout *layoutForSynType(int synType)
{
    for (const RecordLayout &layout : recordLayouts())
        if (layout.synType == synType)
            return &layout;
    return nullptr;
}

const RecordLayout *layoutNamed(const QString &name)
{
    for (const RecordLayout &layout : recordLayouts())
        if (name == QLatin1String(layout.name))
            return &layout;
    return nullptr;
}

bool anyGrouping(const QVariantList &items)
{
    for (const QVariant &item : items)
        if (item.toMap().value(QStringLiteral("isGrouping")).toBool())
            return true;
    return false;
}

QVector<TableFrame> planTableFrames(const RecordLayout &layout, const QVariantList &items)
{
    QVector<QByteArray> records;
    for (const QVariant &entry : items) {
        const QVariantMap item = entry.toMap();
        if (layout.takesPart(item))
            records.append(layout.pack(item));
    }
    const int total = records.size();
    if (total == 0)
        return {TableFrame{1, 0, 0, {}}};

    QVector<TableFrame> frames;
    TableFrame frame{1, 0, total, {}};
    for (int k = 1; k <= total; ++k) {
        frame.records += records.at(k - 1);
        frame.recordCount = k;
        const bool full =
            !layout.singleFrame && frame.records.size() + layout.recordSize > TableBlockLimit;
        if (k == total || full) {
            frames.append(frame);
            frame = TableFrame{k + 1, 0, total, {}};
        }
    }
    return frames;
}

} // namespace ledwall::processor
