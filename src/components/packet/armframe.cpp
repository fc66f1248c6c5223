#include "armframe.h"

#include <QtEndian>
#include <cstring>

#include <zlib.h>

namespace ledwall::arm
{

namespace
{
const uchar InnerSync[3] = {0x55, 0x55, 0xD5};
} // namespace

quint16 readU16(const QByteArray &bytes, int offset)
{
    return quint16((quint8(bytes.at(offset)) << 8) | quint8(bytes.at(offset + 1)));
}

quint32 readU32(const QByteArray &bytes, int offset)
{
    return (quint32(readU16(bytes, offset)) << 16) | readU16(bytes, offset + 2);
}

void writeU16(QByteArray &bytes, int offset, quint16 value)
{
    bytes[offset] = char(value >> 8);
    bytes[offset + 1] = char(value & 0xFF);
}

void writeU32(QByteArray &bytes, int offset, quint32 value)
{
    writeU16(bytes, offset, quint16(value >> 16));
    writeU16(bytes, offset + 2, quint16(value & 0xFFFF));
}

quint32 crc32(const QByteArray &bytes, int start, int end)
{
    start = qMax(start, 0);
    end = qMin(end, bytes.size());
    if (start >= end)
        return 0;
    const auto *data = reinterpret_cast<const Bytef *>(bytes.constData()) + start;
    return quint32(::crc32(::crc32(0L, Z_NULL, 0), data, uInt(end - start)));
}

QByteArray emptyHeader()
{
    QByteArray head(HeaderSize, '\0');
    head[0] = char(Sync0);
    head[1] = char(Sync1);
    return head;
}

void setCommandBytes(QByteArray &head, const quint8 (&c)[7])
{
    head[2] = char(c[0]);
    head[3] = char(c[1]);
    head[4] = char(c[2]);
    head[7] = char(c[5]);
    head[8] = char(c[6]);
    head[9] = char(c[4]);
    head[10] = char(c[3]);
}

void setCommandBytes(QByteArray &head, const std::array<quint8, 7> &c)
{
    const quint8 bytes[7] = {c[0], c[1], c[2], c[3], c[4], c[5], c[6]};
    setCommandBytes(head, bytes);
}

void setAddress(QByteArray &head, quint32 address)
{
    writeU32(head, 11, address);
}

void setLength(QByteArray &head, quint16 length)
{
    writeU16(head, 15, length);
}

quint16 headerSum(const QByteArray &head)
{
    quint32 sum = 0;
    auto add = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            sum += quint8(head.at(i));
    };
    add(2, 4);
    add(7, 16);
    add(22, 25);
    return quint16(sum & 0xFFFF);
}

void finishHeader(QByteArray &head, const QByteArray &payload)
{
    finishHeader(head, payload.size(), crc32(payload, 0, payload.size()));
}

void finishHeader(QByteArray &head, int payloadSize, quint32 payloadCrc)
{
    writeU16(head, 18, quint16(qMin(payloadSize, MaxPayload) + HeaderSize));
    writeU32(head, 22, payloadSize > 0 ? payloadCrc : 0);
    writeU16(head, 26, headerSum(head));
}

namespace
{

// CRC-32 of the three sync bytes followed by `length` bytes whose own CRC-32 is
// `crc`. The operator that shifts the sync bytes' CRC past `length` bytes depends
// on the length only, and a block's chunks share one length: it is kept.
uLong prefixCrc(uInt length, uLong crc)
{
    static const uLong syncCrc = ::crc32(::crc32(0L, Z_NULL, 0), InnerSync, 3);
#if ZLIB_VERNUM >= 0x12c0 // zlib 1.2.12 brought the combine operators
    thread_local uInt cachedLength = 0;
    thread_local uLong shift = ::crc32_combine_gen(0);
    if (length != cachedLength) {
        shift = ::crc32_combine_gen(z_off_t(length));
        cachedLength = length;
    }
    return ::crc32_combine_op(syncCrc, crc, shift);
#else
    return ::crc32_combine(syncCrc, crc, z_off_t(length));
#endif
}

} // namespace

QByteArray buildInnerFrame(const InnerFrame &frame)
{
    QByteArray bytes(InnerOverhead + frame.data.size(), Qt::Uninitialized);
    writeInnerFrame(bytes.data(), frame, frame.data.constData(), frame.data.size(),
                    frame.data.size());
    return bytes;
}

quint32 writeInnerFrame(char *out, const InnerFrame &fields, const char *data, int length,
                        int paddedLength)
{
    auto *bytes = reinterpret_cast<uchar *>(out);
    std::memcpy(bytes, InnerSync, 3);
    bytes[3] = fields.command;
    qToBigEndian(fields.word1, bytes + 4);
    qToBigEndian(fields.word2, bytes + 6);
    qToBigEndian(fields.dataLength, bytes + 8);
    qToBigEndian(fields.address, bytes + 10);
    quint32 sum = 0;
    for (int i = 3; i < 14; ++i)
        sum += bytes[i];
    bytes[14] = uchar(sum & 0xFF);
    if (length > 0)
        std::memcpy(bytes + InnerHeaderSize, data, size_t(length));
    if (paddedLength > length)
        std::memset(bytes + InnerHeaderSize + length, 0, size_t(paddedLength - length));
    // The trailing CRC-32 covers bytes 3 to the end of the data.
    const uInt summed = uInt(InnerHeaderSize - 3 + paddedLength);
    const uLong empty = ::crc32(0L, Z_NULL, 0);
    const uLong innerCrc = ::crc32(empty, bytes + 3, summed);
    uchar *tail = bytes + InnerHeaderSize + paddedLength;
    qToBigEndian(quint32(innerCrc), tail);
    // The CRC-32 of the whole frame, combined from the one just computed instead
    // of reading the data a second time.
    return quint32(::crc32(prefixCrc(summed, innerCrc), tail, 4));
}

bool looksLikeInnerFrame(const QByteArray &bytes)
{
    return bytes.size() >= 3 && quint8(bytes.at(0)) == 0x55 && quint8(bytes.at(1)) == 0x55 &&
           quint8(bytes.at(2)) == 0xD5;
}

std::optional<InnerFrame> parseInnerFrame(const QByteArray &bytes)
{
    if (!looksLikeInnerFrame(bytes) || bytes.size() < InnerOverhead)
        return std::nullopt;
    quint32 sum = 0;
    for (int i = 3; i < 14; ++i)
        sum += quint8(bytes.at(i));
    if (quint8(bytes.at(14)) != (sum & 0xFF))
        return std::nullopt;
    const int dataSize = bytes.size() - InnerOverhead;
    if (readU32(bytes, bytes.size() - 4) != crc32(bytes, 3, bytes.size() - 4))
        return std::nullopt;
    InnerFrame frame;
    frame.command = quint8(bytes.at(3));
    frame.word1 = readU16(bytes, 4);
    frame.word2 = readU16(bytes, 6);
    frame.dataLength = readU16(bytes, 8);
    frame.address = readU32(bytes, 10);
    // Write chunks carry exactly dataLength bytes; read requests carry none.
    if (dataSize != 0 && dataSize != frame.dataLength)
        return std::nullopt;
    frame.data = bytes.mid(InnerHeaderSize, dataSize);
    return frame;
}

} // namespace ledwall::arm
