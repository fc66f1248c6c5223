#pragma once
// The per-item records of a processor scene, packed as the processor stores them,
// and the registry that ties each data type the processor asks for to its scene
// data, its table kind, its record size and its packer.
//
// Every value is read from the item's map as an integer and cut to its field's
// width. Multi-byte fields are big-endian unless a layout says otherwise; the byte
// tables are in docs/protocol.md ("Scene table records").
//
// To add a data type: write its packer and participation rule below, then add one
// row to the registry in processorrecords.cpp (request code, scene data kind,
// table kind, record size, name).

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

namespace ledwall::processor
{

// Table kinds of the scene table frames (the frame's module code is 0x0200 + kind).
enum TableKind {
    OutputSetupTable = 0,
    ChannelTable = 1,
    LayerTable = 2,
    ImageAdjustTable = 3,
    GroupTable = 4,
    EdgeFusionTable = 5,
    InputBlockTable = 6
};

// Request codes ("synType") of the processor's synchronisation requests.
enum SynType {
    SynEdgeFusion = 0,
    SynGroups = 1,
    SynImageAdjust = 2,
    SynInputBlocks = 3,
    SynNothing = 4, // nothing to send: the handler answers with a before-synchronisation 4
    SynLayers = 5,
    SynChannels = 6,
    SynOutputSetup = 255
};

constexpr int EdgeFusionRecordSize = 54;
constexpr int OutputSetupRecordSize = 38;
constexpr int InputBlockRecordSize = 30;
constexpr int ImageAdjustRecordSize = 25;
constexpr int LayerRecordSize = 31;
constexpr int ChannelRecordSize = 27; // one channel's fields
constexpr int ChannelUnitSize = 219;  // the record size the frames and the capacity test use
constexpr int GroupRecordSize = 55;
constexpr int TableBlockLimit = 1344; // bytes of records one table frame carries at most

QByteArray edgeFusionRecord(const QVariantMap &item);
QByteArray outputSetupRecord(const QVariantMap &item);
QByteArray inputBlockRecord(const QVariantMap &item);
QByteArray imageAdjustRecord(const QVariantMap &item);
QByteArray layerRecord(const QVariantMap &item);
QByteArray channelRecord(const QVariantMap &item);
QByteArray groupRecord(const QVariantMap &item);

struct RecordLayout {
    int synType;      // the processor's request code
    int sceneKind;    // getDataListFromScene type that holds the items
    int tableKind;    // TableKind of the frames
    int recordSize;   // given to the frame builder and used for the capacity test
    const char *name; // "edge-fusion", "output-setup", ... (the command line's names)
    QByteArray (*pack)(const QVariantMap &item);
    bool (*takesPart)(const QVariantMap &item);
    bool singleFrame; // every record in one frame, numbered (1, k, k)
};

// The layout of a request code or of a name; null when there is none.
const RecordLayout *layoutForSynType(int synType);
const RecordLayout *layoutNamed(const QString &name);
const QVector<RecordLayout> &recordLayouts();

// True when any item has "isGrouping" true: every frame of the table then carries
// the grouping flag.
bool anyGrouping(const QVariantList &items);

// One frame of a table: the numbers given to the frame builder and its records.
struct TableFrame {
    int startIndex = 1;  // number of the first record in this frame (from 1)
    int recordCount = 0; // number of the last record in this frame (0 in an empty table)
    int totalCount = 0;
    QByteArray records;
    bool operator==(const TableFrame &other) const
    {
        return startIndex == other.startIndex && recordCount == other.recordCount &&
               totalCount == other.totalCount && records == other.records;
    }
};

// The frames that carry the taking-part items of `items`: records in list order, a
// frame flushed when one more record of the layout's size would make its block
// exceed TableBlockLimit. A table with no taking-part item is one empty frame
// (1, 0, 0).
QVector<TableFrame> planTableFrames(const RecordLayout &layout, const QVariantList &items);

} // namespace ledwall::processor
