#include "subtitlebitmap.h"

#include <QtEndian>

namespace ledwall::subtitle
{
namespace
{

Colour colourFromMap(const QVariantMap &map, const char *prefix)
{
    const QString p = QLatin1String(prefix);
    const auto value = [&](const char *channel) {
        return map.value(p + QLatin1String(channel)).toInt() & 0xFF;
    };
    return Colour{value("Red"), value("Green"), value("Blue"), value("Alpha")};
}

quint32 le32(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

void putLe16(QByteArray &bytes, int offset, quint16 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

void putLe32(QByteArray &bytes, int offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

// Bytes per stored row: whole 32-bit words.
qint64 rowBytes(qint64 width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

quint8 twoBits(int channel)
{
    return quint8((channel & 0xFF) >> 6);
}

bool near(int a, int b)
{
    return qAbs(a - b) < 11;
}

void convertStream(const QByteArray &data, int bitCount, const ConversionOptions &options,
                   QByteArray &out)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const int size = data.size();
    const quint8 fore = options.foreground.pixelByte();
    const quint8 back = options.background.pixelByte();
    if (bitCount == 1) {
        out.reserve(size * 8);
        for (int i = 0; i < size; ++i)
            for (int bit = 7; bit >= 0; --bit)
                out.append(char((bytes[i] >> bit) & 1 ? fore : back));
    } else if (bitCount == 24) {
        out.reserve(size / 3);
        const Colour &f = options.foreground;
        for (int i = 0; i + 3 <= size; i += 3) {
            const int blue = bytes[i], green = bytes[i + 1], red = bytes[i + 2];
            if (options.isImage)
                out.append(char(0xC0 | twoBits(red) << 4 | twoBits(green) << 2 | twoBits(blue)));
            else
                out.append(char(
                    near(red, f.red) && near(green, f.green) && near(blue, f.blue) ? fore : back));
        }
    } else { // 32
        out.reserve(size / 4);
        for (int i = 0; i + 4 <= size; i += 4)
            out.append(char((bytes[i + 3] & 3) << 6 | twoBits(bytes[i + 2]) << 4 |
                            twoBits(bytes[i + 1]) << 2 | twoBits(bytes[i])));
    }
}

} // namespace

quint8 Colour::pixelByte() const
{
    return quint8((alpha & 3) << 6 | (red & 3) << 4 | (green & 3) << 2 | (blue & 3));
}

ConversionOptions ConversionOptions::fromMap(const QVariantMap &map)
{
    ConversionOptions options;
    options.foreground = colourFromMap(map, "foreground");
    options.background = colourFromMap(map, "background");
    options.isImage = map.value(QStringLiteral("isImage")).toBool();
    return options;
}

std::optional<BitmapHeader> readHeader(const QByteArray &file)
{
    if (file.size() < FileHeaderSize)
        return std::nullopt;
    BitmapHeader header;
    header.pixelOffset = le32(file, 10);
    header.width = qint32(le32(file, 18));
    header.height = qint32(le32(file, 22));
    header.bitCount = qFromLittleEndian<quint16>(file.constData() + 28);
    return header;
}

QVariantMap headerInformation(const QByteArray &file)
{
    const auto header = readHeader(file);
    if (!header)
        return {};
    return {{QStringLiteral("BMPBit"), int(header->bitCount)},
            {QStringLiteral("BMPWidth"), header->width},
            {QStringLiteral("BMPHeight"), header->height}};
}

Conversion convert(const QByteArray &file, const ConversionOptions &options)
{
    Conversion result;
    if (file.size() <= FileHeaderSize)
        return result;
    const BitmapHeader header = *readHeader(file);
    const qint64 rows = qAbs(qint64(header.height));
    if (rows > MaxHeight)
        result.error = QStringLiteral("Bitmap height exceeds size");
    const int bits = header.bitCount;
    if (bits != 1 && bits != 24 && bits != 32) {
        result.error += QStringLiteral(",Unsupported bitmaps");
        return result;
    }
    const qint64 stride = rowBytes(header.width, bits);
    const qint64 available = qint64(file.size()) - qint64(header.pixelOffset);
    // Compared by division: a width and a height read from the file may be as large
    // as their fields, and their product would not fit.
    if (header.width < 0 || available < 0 || (rows > 0 && stride > available / rows))
        result.error += QStringLiteral(",Bitmap pixel data out of range");
    if (!result.ok())
        return result;

    // The rows bottom first, whichever order the file keeps them in.
    QByteArray data;
    if (header.height >= 0) {
        data = file.mid(int(header.pixelOffset), int(stride * rows));
    } else {
        data.reserve(int(stride * rows));
        for (qint64 row = rows - 1; row >= 0; --row)
            data += file.mid(int(header.pixelOffset + row * stride), int(stride));
    }
    convertStream(data, bits, options, result.pixels);
    return result;
}

int chunkCount(int size)
{
    return size <= 0 ? 0 : (size + ChunkSize - 1) / ChunkSize;
}

QVariantMap chunkCommand(const QString &guid, const QByteArray &pixels, int position)
{
    if (position < 0 || position >= pixels.size())
        return endCommand(guid);
    const int length = qMin(pixels.size() - position, ChunkSize);
    QByteArray chunk = pixels.mid(position, length);
    chunk.append(ChunkSize - length, '\0');
    return {{QStringLiteral("moduleName"), QStringLiteral("Module_WriteSubtitleBMPFileInfo")},
            {QStringLiteral("isSave"), false},
            {QStringLiteral("isBig"), true},
            {QStringLiteral("guid"), guid},
            {QStringLiteral("subtitleBMPPos"), position},
            {QStringLiteral("subtitleBMPLen"), length},
            {QStringLiteral("subtitleBMPFile"), chunk}};
}

QVariantMap endCommand(const QString &guid)
{
    return {{QStringLiteral("moduleName"), QStringLiteral("Module_WriteSubtitleStartOrEndInfo")},
            {QStringLiteral("isSave"), true},
            {QStringLiteral("isFill"), true},
            {QStringLiteral("guid"), guid},
            {QStringLiteral("topOrButtomSubtitle"), 0},
            {QStringLiteral("startOrEndSubtitle"), 255},
            {QStringLiteral("isSubtitle"), 0}};
}

QByteArray oneBitBitmap(const QByteArray &pixels, int width, int height,
                        const ConversionOptions &colours)
{
    if (width <= 0 || height <= 0 || height > MaxHeight || qint64(width) * height > pixels.size())
        return {};
    const int stride = int(rowBytes(width, 1));
    const int paletteSize = 8;
    const int offset = FileHeaderSize + paletteSize;
    QByteArray file(offset + stride * height, '\0');
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file, 2, quint32(file.size()));
    putLe32(file, 10, quint32(offset));
    putLe32(file, 14, 40); // info header size
    putLe32(file, 18, quint32(width));
    putLe32(file, 22, quint32(height));
    putLe16(file, 26, 1); // planes
    putLe16(file, 28, 1); // bits per pixel
    putLe32(file, 34, quint32(stride * height));
    putLe32(file, 46, 2); // colours in the palette
    const auto putColour = [&file](int at, const Colour &c) {
        file[at] = char(c.blue);
        file[at + 1] = char(c.green);
        file[at + 2] = char(c.red);
    };
    putColour(FileHeaderSize, colours.background);
    putColour(FileHeaderSize + 4, colours.foreground);
    const char fore = char(colours.foreground.pixelByte());
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            if (pixels.at(row * width + x) == fore)
                file[offset + row * stride + x / 8] =
                    char(file.at(offset + row * stride + x / 8) | (0x80 >> (x % 8)));
    return file;
}

} // namespace ledwall::subtitle
