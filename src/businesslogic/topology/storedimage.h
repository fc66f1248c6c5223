#pragma once
// The stored picture of the receiving cards (what they show while no video comes
// in): the canvas it is drawn on, how the picture is placed there, and the bytes
// written into the cards.
//
// Block layout (every write, broadcast or per cabinet):
//   bytes 0-1   width of the area in pixels (big-endian)
//   bytes 2-3   height of the area in lines (big-endian)
//   bytes 4-7   number of pixel bytes that follow (big-endian)
//   bytes 8-15  0 (reserved; keeps the pixels on the 16-byte units of the card)
//   then width x height pixels, row by row from the top left, 4 bytes each:
//   blue, green, red, alpha. Parts of the area outside the canvas are 0.

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

namespace ledwall::storedimage
{

// "imageEffects": how the picture is put on the canvas.
enum ImageEffect { ScaleToCanvas = 0, TileOverCanvas = 1, CentreOnCanvas = 2 };

constexpr int HeaderSize = 16;
constexpr int BytesPerPixel = 4;
constexpr int MaxCanvasSide = 16384;
constexpr qint64 MaxCanvasPixels = qint64(32) * 1024 * 1024; // 128 MiB of pixels
constexpr int CountingUnit = 1024; // data sizes are reported in whole units of this

// The largest picture read: a 64-megapixel photograph, no side past MaxCanvasSide.
constexpr qint64 MaxPicturePixels = qint64(64) * 1024 * 1024;

// Reads the picture (turned by its orientation tag). A picture whose header
// declares more than MaxPicturePixels pixels or a side past MaxCanvasSide is
// refused before it is decoded, so that a short file cannot make the reader
// allocate and fill gigabytes. Null, with the reason in `error`, when refused or
// unreadable.
QImage readPicture(QImageReader &reader, QString *error);

// One cabinet rectangle string "port:card:x:y:w:h".
struct Cabinet {
    int port = 0;
    int card = 0;
    QRect rect;
};

// False unless the line has at least six numeric fields, port, card, x and y are
// not negative, width and height are positive, and x + width and y + height are
// still ints.
bool parseCabinet(const QString &line, Cabinet *cabinet);

// The size of the whole screen: the largest x + w and y + h over the cabinets;
// empty when there are none.
QSize screenExtent(const QVariantList &boxList);

// Size of the canvas: "screenEffects" 0 (or missing) the whole screen (falling back
// to the given size when no cabinet is known), otherwise the given "width" and
// "height". An invalid size when the result is empty or larger than the caps above.
QSize canvasSize(const QVariantMap &params, const QVariantList &boxList);

// A transparent ARGB32 canvas of `size` with the picture scaled to it, tiled over
// it from the top left, or centred on it (clipped when larger); a null image for
// an invalid size. Unknown effects scale.
QImage composeCanvas(const QImage &picture, const QSize &size, int imageEffect);

// The header and the pixels of `area` of the canvas; empty for an empty area or
// one beyond the canvas caps.
QByteArray imageBlock(const QImage &canvas, const QRect &area);

// Port address of a receiving-card write: every port, or one port of the card.
constexpr quint32 EveryPort = 0xFF0000;
constexpr quint16 EveryCard = 0xFFFF;
constexpr quint32 portAddress(int port)
{
    return quint32(port | 0x10) << 16;
}

// One receiving-card write of the picture.
struct ImageWrite {
    quint32 portAddress = EveryPort;
    quint16 card = EveryCard;
    QByteArray data;
};

// The writes that put the canvas into the cards: one broadcast of the whole canvas
// to every card, or (perCabinet) one write per cabinet of boxList with the
// cabinet's rectangle. Cabinets with a malformed rectangle, a port above 15 or a
// card above 0xFFFE are left out (they would address other cards or every card).
QVector<ImageWrite> planWrites(const QImage &canvas, const QVariantList &boxList, bool perCabinet);

// bytes rounded up to whole counting units.
qint64 countedSize(qint64 bytes);

} // namespace ledwall::storedimage
