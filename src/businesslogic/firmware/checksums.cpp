#include "checksums.h"

#include "armframe.h"

#include <zlib.h>

namespace ledwall::checksums
{

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

namespace
{
// CRC-16/XMODEM continued over more bytes.
quint16 crc16Update(quint16 crc, const quint8 *bytes, qint64 length)
{
    for (qint64 i = 0; i < length; ++i)
        crc = quint16((crc << 8) ^ g_CRCTAB[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}
} // namespace

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
    return crc16Update(0, static_cast<const quint8 *>(data), length);
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

void StreamingChecksum::add(const char *data, qint64 length)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(data);
    switch (m_kind) {
    case Kind::Crc32:
        m_state = quint32(crc32_z(m_state, bytes, z_size_t(length)));
        break;
    case Kind::Crc16:
        m_state = crc16Update(quint16(m_state), bytes, length);
        break;
    case Kind::HeaderSum8:
    case Kind::ByteSum16:
        // The header sum leaves out the first three bytes of the whole.
        for (qint64 i = 0; i < length; ++i) {
            if (m_kind == Kind::ByteSum16 || m_offset + i >= 3)
                m_state += bytes[i];
        }
        break;
    }
    m_offset += length;
}

quint32 StreamingChecksum::value() const
{
    switch (m_kind) {
    case Kind::HeaderSum8:
        return m_state & 0xFF;
    case Kind::ByteSum16:
    case Kind::Crc16:
        return m_state & 0xFFFF;
    case Kind::Crc32:
        break;
    }
    return m_state;
}

} // namespace ledwall::checksums
