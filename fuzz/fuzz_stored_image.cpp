// A stored-image picture file as the sending-card object reads it (any format Qt
// reads, turned by its orientation tag, no larger than the picture cap), put on a
// small canvas with each effect and cut into the writes for the receiving cards,
// broadcast or per cabinet. What must hold: every block's header gives the area's
// width and height and exactly the pixel bytes that follow, and a cabinet write
// covers the cabinet's rectangle.
//
// Input: effect, per-cabinet flag, canvas width and height (1..64), four cabinet
// rectangles (x, y, w, h; bytes), then the picture file.
#include "fuzzinput.h"

#include "storedimage.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

using namespace ledwall::storedimage;

constexpr int Cabinets = 4;
constexpr int ParameterBytes = 4 + 4 * Cabinets;

void checkBlock(const QByteArray &block, const QSize &area)
{
    const auto *bytes = reinterpret_cast<const uchar *>(block.constData());
    if (block.size() < HeaderSize || qFromBigEndian<quint16>(bytes) != area.width() ||
        qFromBigEndian<quint16>(bytes + 2) != area.height() ||
        qFromBigEndian<quint32>(bytes + 4) != quint32(block.size() - HeaderSize) ||
        block.size() - HeaderSize != area.width() * area.height() * BytesPerPixel)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < ParameterBytes)
        return 0;
    const int effect = data[0] % 4;
    const bool perCabinet = data[1] & 1;
    const QSize canvasSize(1 + data[2] % 64, 1 + data[3] % 64);
    QVariantList boxList;
    QVector<QRect> rects;
    for (int i = 0; i < Cabinets; ++i) {
        const uint8_t *r = data + 4 + 4 * i;
        boxList.append(QStringLiteral("%1:%2:%3:%4:%5:%6")
                           .arg(i)
                           .arg(i)
                           .arg(r[0] % 80)
                           .arg(r[1] % 80)
                           .arg(r[2] % 80)
                           .arg(r[3] % 80));
        rects.append(QRect(r[0] % 80, r[1] % 80, r[2] % 80, r[3] % 80));
    }

    QByteArray file = fuzzBytes(data + ParameterBytes, size - ParameterBytes);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QString error;
    const QImage picture = readPicture(reader, &error);
    if (picture.isNull())
        return 0;

    const QImage canvas = composeCanvas(picture, canvasSize, effect);
    if (canvas.size() != canvasSize)
        std::abort();
    const QVector<ImageWrite> writes = planWrites(canvas, boxList, perCabinet);
    if (!perCabinet) {
        if (writes.size() != 1)
            std::abort();
        checkBlock(writes.front().data, canvasSize);
        return 0;
    }
    int next = 0;
    for (const ImageWrite &write : writes) {
        while (next < Cabinets && (rects.at(next).isEmpty() || write.card != next))
            ++next;
        if (next == Cabinets || write.portAddress != portAddress(next))
            std::abort();
        checkBlock(write.data, rects.at(next).size());
        ++next;
    }
    return 0;
}
