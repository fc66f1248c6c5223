#include "storedimage.h"

#include <QPainter>
#include <QtEndian>

#include <limits>

namespace ledwall::storedimage
{

QImage readPicture(QImageReader &reader, QString *error)
{
    // A header may give a side as negative (a BMP stored top-down): its size counts.
    const QSize declared = reader.size();
    const qint64 width = qAbs(qint64(declared.width()));
    const qint64 height = qAbs(qint64(declared.height()));
    if (width > MaxCanvasSide || height > MaxCanvasSide || width * height > MaxPicturePixels) {
        *error = QStringLiteral("picture of %1 x %2 pixels is larger than %3 pixels")
                     .arg(width)
                     .arg(height)
                     .arg(MaxPicturePixels);
        return {};
    }
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        *error = reader.errorString();
    return picture;
}

bool parseCabinet(const QString &line, Cabinet *cabinet)
{
    const QStringList fields = line.split(QLatin1Char(':'));
    if (fields.size() < 6)
        return false;
    int values[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        values[i] = fields.at(i).trimmed().toInt(&ok);
        if (!ok || values[i] < 0)
            return false;
    }
    if (values[4] <= 0 || values[5] <= 0)
        return false;
    // The far edges must be numbers too: x + w past the largest int is no rectangle.
    if (qint64(values[2]) + values[4] > std::numeric_limits<int>::max() ||
        qint64(values[3]) + values[5] > std::numeric_limits<int>::max())
        return false;
    cabinet->port = values[0];
    cabinet->card = values[1];
    cabinet->rect = QRect(values[2], values[3], values[4], values[5]);
    return true;
}

QSize screenExtent(const QVariantList &boxList)
{
    qint64 width = 0, height = 0;
    for (const QVariant &line : boxList) {
        Cabinet cabinet;
        if (!parseCabinet(line.toString(), &cabinet))
            continue;
        width = qMax(width, qint64(cabinet.rect.x()) + cabinet.rect.width());
        height = qMax(height, qint64(cabinet.rect.y()) + cabinet.rect.height());
    }
    if (width > MaxCanvasSide || height > MaxCanvasSide)
        return QSize(-1, -1);
    return QSize(int(width), int(height));
}

QSize canvasSize(const QVariantMap &params, const QVariantList &boxList)
{
    QSize size;
    if (params.value(QStringLiteral("screenEffects")).toInt() == 0)
        size = screenExtent(boxList);
    if (size.isEmpty()) {
        bool okWidth = false, okHeight = false;
        const qlonglong width = params.value(QStringLiteral("width")).toLongLong(&okWidth);
        const qlonglong height = params.value(QStringLiteral("height")).toLongLong(&okHeight);
        if (!okWidth || !okHeight || width > MaxCanvasSide || height > MaxCanvasSide)
            return {};
        size = QSize(int(width), int(height));
    }
    if (size.isEmpty() || size.width() > MaxCanvasSide || size.height() > MaxCanvasSide ||
        qint64(size.width()) * size.height() > MaxCanvasPixels)
        return {};
    return size;
}

QImage composeCanvas(const QImage &picture, const QSize &size, int imageEffect)
{
    if (size.isEmpty() || size.width() > MaxCanvasSide || size.height() > MaxCanvasSide ||
        qint64(size.width()) * size.height() > MaxCanvasPixels)
        return {};
    QImage canvas(size, QImage::Format_ARGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(QColor(QStringLiteral("#00000000")));
    if (picture.isNull())
        return canvas;

    QPainter painter(&canvas);
    // Copy the picture's pixels as they are, alpha included.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    switch (imageEffect) {
    case TileOverCanvas:
        for (int y = 0; y < size.height(); y += picture.height())
            for (int x = 0; x < size.width(); x += picture.width())
                painter.drawImage(x, y, picture);
        break;
    case CentreOnCanvas:
        painter.drawImage((size.width() - picture.width()) / 2,
                          (size.height() - picture.height()) / 2, picture);
        break;
    default:
        painter.drawImage(0, 0,
                          picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        break;
    }
    painter.end();
    return canvas;
}

QByteArray imageBlock(const QImage &canvas, const QRect &area)
{
    if (area.isEmpty() || area.width() > MaxCanvasSide || area.height() > MaxCanvasSide ||
        qint64(area.width()) * area.height() > MaxCanvasPixels)
        return {};
    const QImage pixels = canvas.convertToFormat(QImage::Format_ARGB32);
    const qint64 pixelBytes = qint64(area.width()) * area.height() * BytesPerPixel;
    QByteArray block(int(HeaderSize + pixelBytes), '\0');
    uchar *out = reinterpret_cast<uchar *>(block.data());
    qToBigEndian<quint16>(quint16(area.width()), out);
    qToBigEndian<quint16>(quint16(area.height()), out + 2);
    qToBigEndian<quint32>(quint32(pixelBytes), out + 4);

    // Rows and columns outside the canvas stay 0.
    const QRect inside = area.intersected(pixels.rect());
    for (int y = inside.top(); y <= inside.bottom() && !inside.isEmpty(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        uchar *dst =
            out + HeaderSize +
            (qint64(y - area.y()) * area.width() + (inside.x() - area.x())) * BytesPerPixel;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = row[x];
            *dst++ = uchar(qBlue(p));
            *dst++ = uchar(qGreen(p));
            *dst++ = uchar(qRed(p));
            *dst++ = uchar(qAlpha(p));
        }
    }
    return block;
}

QVector<ImageWrite> planWrites(const QImage &canvas, const QVariantList &boxList, bool perCabinet)
{
    QVector<ImageWrite> writes;
    if (canvas.isNull())
        return writes;
    if (!perCabinet) {
        writes.append({EveryPort, EveryCard, imageBlock(canvas, canvas.rect())});
        return writes;
    }
    for (const QVariant &line : boxList) {
        Cabinet cabinet;
        if (!parseCabinet(line.toString(), &cabinet) || cabinet.port > 15 ||
            cabinet.card >= EveryCard)
            continue;
        QByteArray data = imageBlock(canvas, cabinet.rect);
        if (data.isEmpty())
            continue;
        writes.append({portAddress(cabinet.port), quint16(cabinet.card), std::move(data)});
    }
    return writes;
}

qint64 countedSize(qint64 bytes)
{
    return (bytes + CountingUnit - 1) / CountingUnit * CountingUnit;
}

} // namespace ledwall::storedimage
