#pragma once
// The register map: the named address ranges of a sending card and of the
// receiving cards chained behind it. The packet layer, the library and the
// command-line tool all take their addresses from here. (The virtual wall keeps
// its own copy on purpose, so that it checks these numbers instead of agreeing
// with them.)
//
// Sending card, byte addresses:
//
//   0x000000 .. 0x00FFFF   cabinet positions ("pxBoxPos"), read in 1024-byte pieces
//   0x040000 .. 0x04FFFF   image windows of the ports ("pxImageWindow")
//   0x080000 .. 0x0A8000   single display registers ("imageControl", "imageOff", ...)
//   0x10E000 .. 0x10E120   hardware port table, one 13-byte record per port
//   0x120000 .. 0x12FFFF   display record: the compressed layout text
//
// Receiving cards, addresses in 4-byte units; the top byte names the space:
//
//   0xA0xxxxxx             memory, written in 16-byte units
//     0xA0000000           size report: a read answers with the cabinet's size
//     0xA0100000           the stored picture; the walking point starts here too
//   0xAFxxxxxx             flash
//     0xAF000000 .. 0xAF03FFFF   firmware image read back, 1 MiB at the most

#include <QtGlobal>

namespace ledwall::registers
{

// An address range, both ends included.
struct Range {
    quint32 first;
    quint32 last;

    constexpr bool contains(quint32 address) const { return address >= first && address <= last; }
    constexpr bool overlaps(const Range &other) const
    {
        return first <= other.last && other.first <= last;
    }
};

// The range of a single address.
constexpr Range at(quint32 address)
{
    return {address, address};
}

// Every address: for replies whose handler looks at the address itself.
inline constexpr Range AnyAddress{0x00000000, 0xFFFFFFFF};

// ---- sending card -------------------------------------------------------------------

inline constexpr Range BoxPos{0x000000, 0x00FFFF};
// The last 1024-byte piece of the cabinet positions; its reply ends a read-back.
inline constexpr quint32 LastBoxPosPiece = 0x00FC00;
inline constexpr Range ImageWindow{0x040000, 0x04FFFF};
inline constexpr Range PortTable{0x10E000, 0x10E120};
inline constexpr Range DisplayRecord{0x120000, 0x12FFFF};

// Display registers read back one block each, under their own names.
struct NamedRegister {
    quint32 address;
    const char *name;
};
inline constexpr NamedRegister DisplayRegisters[] = {
    {0x080000, "imageControl"}, {0x084000, "imageOff"},   {0x085000, "imageArea"},
    {0x0A3000, "imageOff1"},    {0x0A4000, "imageArea1"}, {0x0A5000, "imageOff2"},
    {0x0A6000, "imageArea2"},   {0x0A7000, "imageOff3"},  {0x0A8000, "imageArea3"},
};

// The name of the display register at `address`, null when there is none.
constexpr const char *displayRegisterName(quint32 address)
{
    for (const NamedRegister &reg : DisplayRegisters) {
        if (reg.address == address)
            return reg.name;
    }
    return nullptr;
}

// From the lowest to the highest display register.
constexpr Range displayRegisterSpan()
{
    Range span = at(DisplayRegisters[0].address);
    for (const NamedRegister &reg : DisplayRegisters) {
        span.first = qMin(span.first, reg.address);
        span.last = qMax(span.last, reg.address);
    }
    return span;
}
inline constexpr Range DisplayRegisterSpan = displayRegisterSpan();

// The read-back areas are disjoint, so an address names one area whatever order
// they are tried in.
static_assert(!DisplayRegisterSpan.overlaps(BoxPos) && !DisplayRegisterSpan.overlaps(ImageWindow) &&
                  !DisplayRegisterSpan.overlaps(PortTable) &&
                  !DisplayRegisterSpan.overlaps(DisplayRecord),
              "display registers inside another read-back area");
static_assert(!BoxPos.overlaps(ImageWindow) && !ImageWindow.overlaps(PortTable) &&
                  !PortTable.overlaps(DisplayRecord),
              "read-back areas overlap");

// ---- receiving cards ------------------------------------------------------------------

inline constexpr Range ReceivingMemory{0xA0000000, 0xA0FFFFFF};
inline constexpr quint32 SizeReport = 0xA0000000;
inline constexpr quint32 StoredPicture = 0xA0100000;
// The driver chips' register image (up to 4096 bytes), as the chip library holds it.
inline constexpr quint32 ChipRegisterImage = 0xA0200000;

inline constexpr Range ReceivingFlash{0xAF000000, 0xAFFFFFFF};
inline constexpr Range FirmwareImage{0xAF000000, 0xAF03FFFF};
// The last 1024-byte block of a 512 KiB, a 768 KiB and a 1 MiB firmware image: the
// reply to it ends a read-back.
inline constexpr quint32 FirmwareImageLastBlocks[] = {0xAF01FF00, 0xAF02FF00, 0xAF03FF00};

// The space (top byte) of a receiving-card address.
constexpr quint8 spaceOf(quint32 address)
{
    return quint8(address >> 24);
}

} // namespace ledwall::registers
