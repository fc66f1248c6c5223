#include "cardblocks.h"

#include "armframe.h"

#include <cstring>

namespace ledwall::blocks
{

bool alwaysSendsFinalFrame(quint8 c0)
{
    return c0 == 0 || c0 == 2 || c0 == 0xFF;
}

namespace
{

// size / chunkSize full chunks, then the rest: always, or only when not empty.
QVector<Chunk> cut(int size, int chunkSize, bool emptyRest)
{
    QVector<Chunk> chunks;
    if (chunkSize < 1 || size < 0)
        return chunks;
    const int full = size / chunkSize;
    const int rest = size % chunkSize;
    chunks.reserve(full + 1);
    for (int i = 0; i < full; ++i)
        chunks.append({i * chunkSize, chunkSize});
    if (rest > 0 || emptyRest)
        chunks.append({full * chunkSize, rest});
    return chunks;
}

} // namespace

QVector<Chunk> sendCardChunks(int size, int chunkSize, quint8 c0)
{
    return cut(size, chunkSize, alwaysSendsFinalFrame(c0));
}

QVector<Chunk> receivingCardChunks(int size, int chunkSize)
{
    return cut(size, chunkSize, false);
}

QByteArray padToUnit(const QByteArray &data)
{
    const int rest = data.size() % PaddedUnit;
    if (rest == 0)
        return data;
    return data + QByteArray(PaddedUnit - rest, '\0');
}

void fillHeader(QByteArray &head, const std::array<quint8, 7> &c, quint32 address, quint16 length,
                const QByteArray &payload)
{
    if (head.size() != arm::HeaderSize)
        head = arm::emptyHeader();
    arm::setCommandBytes(head, c);
    arm::setAddress(head, address);
    arm::setLength(head, length);
    arm::finishHeader(head, payload);
}

void setFlagsByte(QByteArray &head, quint8 flags)
{
    head[4] = char(flags);
    arm::writeU16(head, 26, arm::headerSum(head));
}

QByteArray innerFrame(const FlashAccessDescriptor &descriptor, quint32 receivingAddress,
                      quint16 dataLength, const QByteArray &data)
{
    arm::InnerFrame inner;
    inner.command = descriptor.recvCommand;
    inner.word1 = descriptor.recvWord1;
    inner.word2 = descriptor.recvWord2;
    inner.dataLength = dataLength;
    inner.address = receivingAddress;
    inner.data = data;
    return arm::buildInnerFrame(inner);
}

bool AckSchedule::asks(int frame)
{
    ++m_sinceLast;
    const bool ask =
        (frame == 0 && m_askFirst) || m_sinceLast >= AckEvery || frame == m_frameCount - 1;
    if (ask)
        m_sinceLast = 0;
    return ask;
}

void appendUsbFrame(QByteArray &image, const QByteArray &head, const QByteArray &payload)
{
    const int padding = (4 - payload.size() % 4) % 4;
    image.append(head);
    image.append(payload);
    image.append(padding, char(0xFF));
}

void appendUsbChunkFrame(QByteArray &image, QByteArray &head,
                         const FlashAccessDescriptor &descriptor, quint32 receivingAddress,
                         const char *chunk, int length, int paddedLength, int flags)
{
    const int payloadSize = arm::InnerOverhead + paddedLength;
    const int padding = (4 - payloadSize % 4) % 4;
    const int at = image.size();
    image.resize(at + arm::HeaderSize + payloadSize + padding);
    char *frame = image.data() + at;

    arm::InnerFrame fields;
    fields.command = descriptor.recvCommand;
    fields.word1 = descriptor.recvWord1;
    fields.word2 = descriptor.recvWord2;
    fields.dataLength = quint16(paddedLength);
    fields.address = receivingAddress;
    const quint32 payloadCrc =
        arm::writeInnerFrame(frame + arm::HeaderSize, fields, chunk, length, paddedLength);

    if (head.size() != arm::HeaderSize)
        head = arm::emptyHeader();
    arm::setCommandBytes(head, descriptor.commandBytes());
    arm::setAddress(head, descriptor.startAddress);
    arm::setLength(head, quint16(payloadSize));
    arm::finishHeader(head, payloadSize, payloadCrc);
    if (flags >= 0)
        setFlagsByte(head, quint8(flags));
    std::memcpy(frame, head.constData(), arm::HeaderSize);
    std::memset(frame + arm::HeaderSize + payloadSize, 0xFF, size_t(padding));
}

} // namespace ledwall::blocks
