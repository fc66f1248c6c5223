#include "displayrecord.h"

#include "registermap.h"

#include <zlib.h>

namespace ledwall::displayrecord
{

PackResult pack(const QByteArray &text, int maxCompressed, QByteArray *record, int *compressedSize)
{
    if (text.isEmpty())
        return PackResult::EmptyText;
    uLongf length = compressBound(uLong(text.size()));
    QByteArray out(PrefixSize + int(length), Qt::Uninitialized);
    const int code =
        compress(reinterpret_cast<Bytef *>(out.data() + PrefixSize), &length,
                 reinterpret_cast<const Bytef *>(text.constData()), uLong(text.size()));
    if (code != Z_OK)
        return PackResult::CompressionError;
    if (compressedSize)
        *compressedSize = int(length);
    if (length > uLongf(maxCompressed))
        return PackResult::SizeOverflow;
    out.resize(PrefixSize + int(length));
    out[0] = char(length >> 24);
    out[1] = char(length >> 16);
    out[2] = char(length >> 8);
    out[3] = char(length);
    *record = out;
    return PackResult::Ok;
}

UnpackResult unpack(const QByteArray &readBack, QByteArray *text, int *zlibCode)
{
    if (zlibCode)
        *zlibCode = Z_OK;
    if (readBack.size() < PrefixSize)
        return UnpackResult::ShortRecord;
    const auto *bytes = reinterpret_cast<const uchar *>(readBack.constData());
    const quint32 length =
        quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
    if (length == 0 || length > quint32(readBack.size() - PrefixSize))
        return UnpackResult::BadLength;

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return UnpackResult::Corrupt;
    stream.next_in = const_cast<Bytef *>(bytes + PrefixSize);
    stream.avail_in = uInt(length);

    // Grow the output as it fills, never beyond the cap.
    QByteArray out(int(qMin<qint64>(qint64(length) * 8, MaxTextSize)), Qt::Uninitialized);
    int code = Z_OK;
    while (true) {
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + stream.total_out);
        stream.avail_out = uInt(out.size() - int(stream.total_out));
        code = inflate(&stream, Z_NO_FLUSH);
        if (code == Z_STREAM_END)
            break;
        if (code != Z_OK && code != Z_BUF_ERROR)
            break;
        if (stream.avail_out != 0) { // input exhausted before the end of the stream
            code = Z_DATA_ERROR;
            break;
        }
        if (out.size() >= MaxTextSize) {
            code = Z_BUF_ERROR;
            break;
        }
        out.resize(int(qMin<qint64>(qint64(out.size()) * 2, MaxTextSize)));
    }
    const uLong produced = stream.total_out;
    inflateEnd(&stream);
    if (zlibCode)
        *zlibCode = code;
    if (code != Z_STREAM_END)
        return code == Z_BUF_ERROR && produced >= uLong(MaxTextSize) ? UnpackResult::TooLarge
                                                                     : UnpackResult::Corrupt;
    out.resize(int(produced));
    *text = out;
    return UnpackResult::Ok;
}

QVector<quint32> blockAddresses(bool isComplex)
{
    const int count = isComplex ? ComplexBlockCount : ConnectBlockCount;
    QVector<quint32> addresses;
    addresses.reserve(count);
    for (int b = 0; b < count; ++b)
        addresses.append(registers::DisplayRecord.first + quint32(b) * BlockSize);
    return addresses;
}

} // namespace ledwall::displayrecord
