#include "checksums.h"

#include "armframe.h"

namespace ledwall::checksums {

namespace
{
constexpr std::array<quint16, 256> makeCrc16Table()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        table[std::size_t(i)] = crc;
    }
    return table;
}
} // namespace

const std::array<quint16, 256> g_CRCTAB = makeCrc16Table();

quint32 crc32(const QByteArray &data, qint64 end, qint64 start)
{
    // One CRC-32 for the whole code base: the frame codec's (zlib, slicing tables).
    const qint64 from = qBound<qint64>(0, start, data.size());
    const qint64 to = qBound<qint64>(0, end, data.size());
    return ledwall::arm::crc32(data, int(from), int(to));
}

quint16 crc16(const void *data, qsizetype length)
{
    if (!data || length <= 0)
        return 0;
    const auto *bytes = static_cast<const quint8 *>(data);
    quint16 crc = 0;
    for (qsizetype i = 0; i < length; ++i)
        crc = quint16((crc << 8) ^ g_CRCTAB[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}

quint8 headerSum8(const QByteArray &data, int length)
{
    const int end = qMin(length, int(data.size()));
    quint8 sum = 0;
    for (int i = 3; i < end; ++i)
        sum = quint8(sum + quint8(data.at(i)));
    return sum;
}

quint16 byteSum16(const QByteArray &data)
{
    quint16 sum = 0;
    for (char byte : data)
        sum = quint16(sum + quint8(byte));
    return sum;
}

} // namespace ledwall::checksums
