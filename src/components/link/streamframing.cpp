#include "streamframing.h"

#include <zlib.h>

namespace ledwall::link
{

namespace
{

constexpr quint8 Magic0 = 0x7E;
constexpr quint8 Magic1 = 0xE7;

quint8 headerCheck(const char *head)
{
    quint8 sum = 0;
    for (int i = 0; i < 4; ++i)
        sum = quint8(sum + quint8(head[i]));
    return quint8(0xFF - sum);
}

quint32 crcOf(const char *data, int size)
{
    return quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(data), uInt(size)));
}

} // namespace

QByteArray StreamDeframer::wrap(const QByteArray &datagram)
{
    if (datagram.isEmpty() || datagram.size() > MaxDatagram)
        return QByteArray();
    QByteArray record;
    record.reserve(HeaderSize + datagram.size() + TrailerSize);
    record.append(char(Magic0));
    record.append(char(Magic1));
    record.append(char(datagram.size() >> 8));
    record.append(char(datagram.size() & 0xFF));
    record.append(char(headerCheck(record.constData())));
    record.append(datagram);
    const quint32 crc = crcOf(datagram.constData(), datagram.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        record.append(char((crc >> shift) & 0xFF));
    return record;
}

QList<QByteArray> StreamDeframer::feed(const QByteArray &bytes)
{
    QList<QByteArray> datagrams;
    m_buffer.append(bytes);
    int pos = 0;
    const int size = m_buffer.size();
    const char *data = m_buffer.constData();
    while (size - pos >= HeaderSize) {
        if (quint8(data[pos]) != Magic0 || quint8(data[pos + 1]) != Magic1 ||
            headerCheck(data + pos) != quint8(data[pos + 4])) {
            ++pos;
            ++m_skippedBytes;
            continue;
        }
        const int length = (quint8(data[pos + 2]) << 8) | quint8(data[pos + 3]);
        if (length == 0) {
            ++m_badRecords;
            ++pos;
            ++m_skippedBytes;
            continue;
        }
        const int total = HeaderSize + length + TrailerSize;
        if (size - pos < total)
            break; // wait for the rest of the record
        const char *payload = data + pos + HeaderSize;
        const char *trailer = payload + length;
        const quint32 expected = (quint32(quint8(trailer[0])) << 24) |
                                 (quint32(quint8(trailer[1])) << 16) |
                                 (quint32(quint8(trailer[2])) << 8) | quint32(quint8(trailer[3]));
        if (crcOf(payload, length) != expected) {
            ++m_badRecords;
            ++pos;
            ++m_skippedBytes;
            continue;
        }
        datagrams.append(QByteArray(payload, length));
        pos += total;
    }
    m_buffer.remove(0, pos);
    return datagrams;
}

} // namespace ledwall::link
