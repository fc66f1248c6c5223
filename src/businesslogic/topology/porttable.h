#pragma once
// The sending card's hardware port table and the connection topology rebuilt
// from it.
//
// The table lives in flash at registers::PortTable (0x10E000) and holds one 13-byte record per
// Ethernet port, records back to back:
//   0 ethId (signed)  1 chaining order 0..7  2 cabinets across  3 cabinets down
//   4..5 left edge  6..7 top edge  8..9 cabinet width  10..11 cabinet height
//   (pixels, little-endian)  12 enable (1 = port in use)
//
// Chaining orders, each a serpentine (the inner walk reverses after every line):
//   0 rows from the bottom, first row left to right   1 ... first row right to left
//   2 rows from the top, first row left to right      3 ... first row right to left
//   4 columns from the left, first column bottom up   5 from the right, bottom up
//   6 columns from the left, first column top down    7 from the right, top down

#include <QByteArray>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

namespace ledwall::porttable
{

constexpr int RecordSize = 13;
// Largest grid (cells) and cabinet count a rebuild accepts; a table that asks
// for more is refused instead of allocating without bound.
constexpr int MaxCells = 65536;

struct PortRecord {
    qint8 ethId = 0;
    quint8 pxCardTraceMethod = 0;
    quint8 ledCabinetHNum = 0;
    quint8 ledCabinetVNum = 0;
    quint16 ethImageCropPosiH = 0;
    quint16 ethImageCropPosiV = 0;
    quint16 ledCabinetHPixel = 0;
    quint16 ledCabinetVPixel = 0;
    quint8 enable = 0;

    int ethImageCropSizeH() const { return int(ledCabinetHPixel) * ledCabinetHNum; }
    int ethImageCropSizeV() const { return int(ledCabinetVPixel) * ledCabinetVNum; }
    int ledCabinetNum() const { return int(ledCabinetHNum) * ledCabinetVNum; }
    // A port that places cabinets: enabled, with cabinets, sizes and a known order.
    bool inUse() const;
};

// Every whole record of `bytes`; a truncated last record is ignored.
QVector<PortRecord> parseRecords(const QByteArray &bytes);

struct Cell {
    int col = 0;
    int row = 0;
};
// The cabinets of an hNum x vNum block (local column, row) in chaining order;
// empty for an unknown order or an empty block.
QVector<Cell> chainingOrder(int method, int hNum, int vNum);

struct Rebuild {
    bool ok = false; // false: the table was refused (see error), nothing rebuilt
    QString error;
    QVariantMap displayMap; // "basicInfo" and "displayArr" (one display)
    bool result = false;    // true when no cabinet was placed (1 x 1 placeholder)
    bool overLape = false;
    QVariantList overlappingEthPort; // one-based port numbers, first seen first
};

// Rebuilds the connection topology (one display, one item per grid cell).
Rebuild rebuildTopology(const QByteArray &bytes);

} // namespace ledwall::porttable
