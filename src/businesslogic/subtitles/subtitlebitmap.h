#pragma once
// Subtitle bitmaps: reading a Windows bitmap, converting its pixels into the card's
// subtitle pixel bytes, the chunk and end commands of a transfer, and a 1-bit
// bitmap built back from subtitle pixels.
//
// The card's subtitle pixel is one byte: bits 7..6 alpha, 5..4 red, 3..2 green,
// 1..0 blue. Pixels go in file order (bottom row first), each row as stored in
// the file, its padding included: the card takes the rows as the file holds them.
//
// Every read is checked against the bytes of the file: a pixel offset beyond the
// file, a width or height that makes the pixel array larger than the file, or a
// header cut short is refused with an error text, never read past.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace ledwall::subtitle
{

constexpr int FileHeaderSize = 54;
constexpr int ChunkSize = 1344;
constexpr int MaxHeight = 128;
// Subtitle files are a few hundred kilobytes; a 16384 x 128 bitmap at 32 bits fits.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 0;
    // (alpha & 3) << 6 | (red & 3) << 4 | (green & 3) << 2 | (blue & 3)
    quint8 pixelByte() const;
};

struct ConversionOptions {
    Colour foreground;
    Colour background;
    bool isImage = false; // 24-bit: the pixel's own colour instead of the two colours
    // From a request map: "foregroundRed" ... "backgroundAlpha", "isImage".
    static ConversionOptions fromMap(const QVariantMap &map);
};

// The header fields of a bitmap file, least significant byte first.
struct BitmapHeader {
    quint32 pixelOffset = 0; // offset 10
    qint32 width = 0;        // offset 18
    qint32 height = 0;       // offset 22; negative: rows stored top row first
    quint16 bitCount = 0;    // offset 28
};
// The header of the first FileHeaderSize bytes; nothing when fewer.
std::optional<BitmapHeader> readHeader(const QByteArray &file);
// {"BMPBit", "BMPWidth", "BMPHeight"}, empty when the header is short.
QVariantMap headerInformation(const QByteArray &file);

struct Conversion {
    QByteArray pixels; // subtitle pixel bytes
    QString error;     // empty when the bitmap was converted
    bool ok() const { return error.isEmpty(); }
};
// Converts the whole file. A file of FileHeaderSize bytes or fewer converts to
// nothing (and is no error). Errors: "Bitmap height exceeds size" (over MaxHeight
// rows), ",Unsupported bitmaps" (bit counts other than 1, 24, 32) and
// ",Bitmap pixel data out of range" (offset, width or rows beyond the file).
Conversion convert(const QByteArray &file, const ConversionOptions &options);

// The command that sends the chunk at `position` (ChunkSize bytes, the last one
// zero-padded, "subtitleBMPLen" its real length), or, when `position` is at or past
// the end, the end command.
QVariantMap chunkCommand(const QString &guid, const QByteArray &pixels, int position);
QVariantMap endCommand(const QString &guid);
// Number of chunks a transfer of `size` bytes sends.
int chunkCount(int size);

// A 1-bit bitmap of `width` x `height` subtitle pixels (rows bottom first, `width`
// bytes each): a pixel equal to the foreground byte is set. The palette holds the
// background colour (index 0) and the foreground colour (index 1). Empty when the
// pixels do not cover the size or the size is not positive.
QByteArray oneBitBitmap(const QByteArray &pixels, int width, int height,
                        const ConversionOptions &colours);

} // namespace ledwall::subtitle
