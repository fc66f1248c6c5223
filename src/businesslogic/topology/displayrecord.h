#pragma once
// The display record that the sending card keeps in flash at registers::DisplayRecord
// (0x120000): the
// device text of a layout, compressed with zlib.
//
//   offset 0, 4 bytes   length N of the compressed text, big-endian
//   offset 4, N bytes   the text compressed with zlib `compress` (default level)
//
// The connection layout is read back as 60 blocks of 1024 bytes, the complex one
// as 64 blocks; a record is refused when it would not fit what its read fetches,
// so that everything written can be read again.

#include <QByteArray>
#include <QVector>

namespace ledwall::displayrecord
{

constexpr int BlockSize = 0x400;
constexpr int ConnectBlockCount = 60;
constexpr int ComplexBlockCount = 64;
constexpr int PrefixSize = 4;
// Largest compressed text per layout: the whole record stays inside the blocks
// that its read fetches (60 KiB and 64 KiB).
constexpr int ConnectMaxCompressed = ConnectBlockCount * BlockSize - PrefixSize; // 61436
constexpr int ComplexMaxCompressed = 0xFFFB;                                     // 65531
// Largest text a record may expand to. Bounds the decompression whatever the
// length prefix or the compressed bytes say; a layout of 4096 cabinets is about
// 172 KB of text, so 1 MiB leaves a wide margin. (zlib can expand a 64 KiB
// record a thousandfold, and every item of the text becomes a map.)
constexpr int MaxTextSize = 1024 * 1024;

enum class PackResult { Ok, EmptyText, CompressionError, SizeOverflow };

// Compresses `text` (already encoded) into a record; `maxCompressed` is the
// limit of the layout. `compressedSize` gets the compressed length when known.
PackResult pack(const QByteArray &text, int maxCompressed, QByteArray *record,
                int *compressedSize = nullptr);

enum class UnpackResult { Ok, ShortRecord, BadLength, Corrupt, TooLarge };

// Expands a record read back from flash. The length prefix must fit the bytes
// actually read (erased flash reads 0xFFFFFFFF); the output is capped at
// MaxTextSize. `zlibCode` gets zlib's return code. `text` is untouched on failure.
UnpackResult unpack(const QByteArray &readBack, QByteArray *text, int *zlibCode = nullptr);

// Register addresses of the block reads of one layout, in request order.
QVector<quint32> blockAddresses(bool isComplex);

} // namespace ledwall::displayrecord
