#pragma once
// The register pages that carry the output windows: their byte layouts and where
// each goes in the sending card. Multi-byte fields are big-endian.
//
// Register banks: bank A (operation byte 0xA1) and bank B (0xA5).
//
//   page                      bank A                      bank B
//   image windows of port i   0x800000 + i * 0x10000      0x40000 + i * 0x1000
//   box positions of port i   0x900000 + i * 0x10000      i * 0x1000
//   DVI record of input k<4   0xF10000/28/30/38 (8 bytes) offset 0x84000, 0xA3000,
//                                                         0xA5000, 0xA7000; area
//                                                         0x85000, 0xA4000, 0xA6000,
//                                                         0xA8000 (4 bytes each)
//   box-count summary         -                           0x12FFD0
//   role word of port q (1..) 0xF1007C + 4 * q            (q + 0x8B) * 0x1000
//
// Image-window page (1024 bytes):
//   0..2 zero | 3 window count | 4-5 offset y | 6-7 offset x | 8-9 zero |
//   10-11 width of the empty column (or zero) | 12..63 zero |
//   from 64, 8 bytes per window: y, x, h, w | 0xFF to the end
// Box-position page (1024 bytes): 4 bytes per box (y, x relative to the port's
//   corner) | zero | 1020-1023 the box count (32 bits)
// Box-count summary (34 bytes): 16 | 16 counts of 2 bytes | (16 + their low bytes) mod 256

#include "windowrect.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <optional>

namespace ledwall::windows
{

constexpr int PageSize = 1024;
constexpr int PageHeaderSize = 64;
constexpr int MaxPageWindows = (PageSize - PageHeaderSize) / 8; // 120
constexpr int MaxPageBoxes = (PageSize - 4) / 4;                // 255
constexpr int DviInputs = 4;

enum class Bank { A, B };
// The plain writers: the empty screen type is bank A, any other bank B.
inline Bank bankForScreenType(const QString &scType)
{
    return scType.isEmpty() ? Bank::A : Bank::B;
}
// The complex writers: curing writes bank B.
inline Bank bankForCuring(bool curing)
{
    return curing ? Bank::B : Bank::A;
}

struct PageTarget {
    quint8 operation = 0;
    quint32 address = 0;
};
constexpr quint8 operationOf(Bank bank)
{
    return bank == Bank::A ? 0xA1 : 0xA5;
}
PageTarget imageWindowTarget(Bank bank, int port);
PageTarget boxPositionTarget(Bank bank, int port);
// Bank A: the whole 8-byte record at `offset`; bank B: 4 bytes each at `offset` and
// `area`. Nothing for an input beyond the four the card has.
struct DviTarget {
    PageTarget offset;
    PageTarget area;
};
std::optional<DviTarget> dviTarget(Bank bank, int input);
PageTarget roleWordTarget(Bank bank, int oneBasedPort);
constexpr PageTarget BoxSummaryTarget{0xA5, 0x12FFD0};

// The empty-column rule of a port: applies when "empResult" is set and
// "empPortStrList" names the port; then the page carries "empWidth".
std::optional<int> emptyColumnWidth(const QVariantMap &empMap, int netNum);

// The image-window page; empty when there are more windows than a page holds.
// offset is added to every window when addOffset is set.
QByteArray imageWindowPage(QPoint offset, const WindowList &windows, std::optional<int> emptyColumn,
                           bool addOffset);
// The box-position page from box positions relative to the port's corner; empty
// when there are more boxes than the page holds.
QByteArray boxPositionPage(const QVector<QPoint> &positions);
// The count in the last 4 bytes of a box-position page; 0 for a short page.
quint32 boxPageCount(const QByteArray &page);
QByteArray boxSummaryRecord(const QVector<int> &counts);
// Offset (y, x) then area (height, width).
QByteArray dviRecord(int offsetY, int offsetX, int areaHeight, int areaWidth);
// ((ports - port) << 8) | (port - 1), with 0x8000 for the primary.
quint32 portRoleWord(int ports, int oneBasedPort, bool primary);
QByteArray bigEndian32(quint32 value);

// The box-position page with its first `boxes` entries in reverse order (at most
// the entries a page holds); the count at the page's end is kept.
QByteArray mirrorBoxPage(QByteArray page, int boxes);

// Two lowercase hex digits per byte, a newline before every fourth byte.
QByteArray hexDumpByEntry(const QByteArray &data);

} // namespace ledwall::windows
