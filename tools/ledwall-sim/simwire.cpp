#include "simwire.h"

#include <zlib.h>

namespace ledwall::sim
{

QString rejectReasonName(RejectReason reason)
{
    switch (reason) {
    case RejectReason::None:
        return QStringLiteral("none");
    case RejectReason::TooShort:
        return QStringLiteral("too-short");
    case RejectReason::BadSync:
        return QStringLiteral("bad-sync");
    case RejectReason::BadLength:
        return QStringLiteral("bad-length");
    case RejectReason::BadHeaderSum:
        return QStringLiteral("bad-header-sum");
    case RejectReason::BadCrc:
        return QStringLiteral("bad-crc");
    case RejectReason::UnknownType:
        return QStringLiteral("unknown-type");
    case RejectReason::TooLong:
        return QStringLiteral("too-long");
    }
    return QStringLiteral("unknown");
}

namespace
{

quint8 byteAt(const QByteArray &bytes, int index)
{
    return quint8(bytes.at(index));
}

quint16 be16(const QByteArray &bytes, int index)
{
    return quint16((byteAt(bytes, index) << 8) | byteAt(bytes, index + 1));
}

quint32 be32(const QByteArray &bytes, int index)
{
    return (quint32(byteAt(bytes, index)) << 24) | (quint32(byteAt(bytes, index + 1)) << 16) |
           (quint32(byteAt(bytes, index + 2)) << 8) | quint32(byteAt(bytes, index + 3));
}

void put16(QByteArray &bytes, int index, quint16 value)
{
    bytes[index] = char(value >> 8);
    bytes[index + 1] = char(value);
}

void put32(QByteArray &bytes, int index, quint32 value)
{
    bytes[index] = char(value >> 24);
    bytes[index + 1] = char(value >> 16);
    bytes[index + 2] = char(value >> 8);
    bytes[index + 3] = char(value);
}

quint32 crcUpdate(quint32 crc, const char *data, int size)
{
    return quint32(::crc32(uLong(crc), reinterpret_cast<const Bytef *>(data), uInt(size)));
}

RejectReason decodeArm(const QByteArray &datagram, Frame *frame)
{
    const int size = datagram.size();
    if (size < wire::ArmHeaderSize)
        return RejectReason::TooShort;
    if (size > wire::ArmHeaderSize + wire::MaxArmPayload)
        return RejectReason::TooLong;
    if (be16(datagram, 18) != size)
        return RejectReason::BadLength;
    if (be16(datagram, 26) != wire::armHeaderSum(datagram))
        return RejectReason::BadHeaderSum;
    const int payloadSize = size - wire::ArmHeaderSize;
    const quint32 crc =
        payloadSize > 0 ? crcUpdate(0, datagram.constData() + wire::ArmHeaderSize, payloadSize) : 0;
    if (be32(datagram, 22) != crc)
        return RejectReason::BadCrc;

    if (frame) {
        *frame = Frame();
        frame->protocolType = 0;
        frame->command = {byteAt(datagram, 2),  byteAt(datagram, 3), byteAt(datagram, 4),
                          byteAt(datagram, 10), byteAt(datagram, 9), byteAt(datagram, 7),
                          byteAt(datagram, 8)};
        frame->sequence = be16(datagram, 5);
        frame->address = be32(datagram, 11);
        frame->length = be16(datagram, 15);
        frame->flags = byteAt(datagram, 17);
        frame->status = be16(datagram, 20);
        frame->payload = datagram.mid(wire::ArmHeaderSize);
    }
    return RejectReason::None;
}

RejectReason decodeEnvelope(const QByteArray &datagram, Frame *frame)
{
    const int size = datagram.size();
    if (size < wire::EnvelopeHeaderSize)
        return RejectReason::TooShort;
    const quint8 type = byteAt(datagram, 2);
    if (type != 1 && type != 2)
        return RejectReason::UnknownType;
    const quint32 declared = be32(datagram, 12);
    if (declared > quint32(wire::MaxEnvelopePayload) ||
        size > wire::EnvelopeHeaderSize + wire::MaxEnvelopePayload)
        return RejectReason::TooLong;
    if (quint32(size - wire::EnvelopeHeaderSize) != declared)
        return RejectReason::BadLength;
    quint32 crc = crcUpdate(0, datagram.constData(), 16);
    crc = crcUpdate(crc, datagram.constData() + wire::EnvelopeHeaderSize,
                    size - wire::EnvelopeHeaderSize);
    if (be32(datagram, 16) != crc)
        return RejectReason::BadCrc;

    if (frame) {
        *frame = Frame();
        frame->protocolType = type;
        frame->flags = byteAt(datagram, 3);
        frame->sequence = be16(datagram, 4);
        frame->module = be16(datagram, 6);
        frame->vpuByte1 = byteAt(datagram, 8);
        frame->vpuByte2 = byteAt(datagram, 9);
        frame->status = be16(datagram, 10);
        frame->payload = datagram.mid(wire::EnvelopeHeaderSize);
    }
    return RejectReason::None;
}

} // namespace

namespace wire
{

bool isReceivingCardFrame(const QByteArray &payload)
{
    return payload.size() >= 3 && quint8(payload.at(0)) == 0x55 && quint8(payload.at(1)) == 0x55 &&
           quint8(payload.at(2)) == 0xD5;
}

quint32 crc32(const QByteArray &bytes)
{
    return crcUpdate(0, bytes.constData(), bytes.size());
}

quint16 armHeaderSum(const QByteArray &head)
{
    if (head.size() < ArmHeaderSize)
        return 0;
    quint32 sum = 0;
    auto add = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            sum += byteAt(head, i);
    };
    add(2, 4);
    add(7, 16);
    add(22, 25);
    return quint16(sum);
}

} // namespace wire

RejectReason decodeDatagram(const QByteArray &datagram, Frame *frame)
{
    if (datagram.size() < 2)
        return RejectReason::TooShort;
    const quint8 first = byteAt(datagram, 0);
    const quint8 second = byteAt(datagram, 1);
    if (first == wire::ArmSync0 && second == wire::ArmSync1)
        return decodeArm(datagram, frame);
    if (first == 'L' && second == 'W')
        return decodeEnvelope(datagram, frame);
    return RejectReason::BadSync;
}

QByteArray encodeFrame(const Frame &frame)
{
    if (frame.protocolType == 0) {
        QByteArray bytes(wire::ArmHeaderSize, '\0');
        bytes[0] = char(wire::ArmSync0);
        bytes[1] = char(wire::ArmSync1);
        bytes[2] = char(frame.command[0]);
        bytes[3] = char(frame.command[1]);
        bytes[4] = char(frame.command[2]);
        put16(bytes, 5, frame.sequence);
        bytes[7] = char(frame.command[5]);
        bytes[8] = char(frame.command[6]);
        bytes[9] = char(frame.command[4]);
        bytes[10] = char(frame.command[3]);
        put32(bytes, 11, frame.address);
        put16(bytes, 15, frame.length);
        bytes[17] = char(frame.flags);
        put16(bytes, 18, quint16(wire::ArmHeaderSize + frame.payload.size()));
        put16(bytes, 20, frame.status);
        put32(bytes, 22, frame.payload.isEmpty() ? 0 : wire::crc32(frame.payload));
        put16(bytes, 26, wire::armHeaderSum(bytes));
        bytes.append(frame.payload);
        return bytes;
    }

    QByteArray bytes(wire::EnvelopeHeaderSize, '\0');
    bytes[0] = 'L';
    bytes[1] = 'W';
    bytes[2] = char(frame.protocolType);
    bytes[3] = char(frame.flags);
    put16(bytes, 4, frame.sequence);
    put16(bytes, 6, frame.module);
    bytes[8] = char(frame.vpuByte1);
    bytes[9] = char(frame.vpuByte2);
    put16(bytes, 10, frame.status);
    put32(bytes, 12, quint32(frame.payload.size()));
    quint32 crc = crcUpdate(0, bytes.constData(), 16);
    crc = crcUpdate(crc, frame.payload.constData(), frame.payload.size());
    put32(bytes, 16, crc);
    bytes.append(frame.payload);
    return bytes;
}

} // namespace ledwall::sim
