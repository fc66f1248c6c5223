#include "receivingcards.h"
#include "simlog.h"

#include <algorithm>

namespace ledwall::sim
{

namespace
{

constexpr quint8 CommandWrite = 0x01;
constexpr quint8 CommandRead = 0x02;
// Calibration coefficients, seam data and stored pictures come as table writes;
// the cards store them like any write.
constexpr quint8 CommandTableWrite = 0xCD;
constexpr quint8 AckRequest = 0x80; // header byte 4 (c2) of a receiving-card write
constexpr quint8 FlashSpace = 0xAF;
constexpr quint8 PaddedSpace = 0xA0;
constexpr int PaddedUnit = 16;
constexpr int InnerHeaderSize = 15;
constexpr int InnerOverhead = InnerHeaderSize + 4;
// Pages of one space of one card: 8 MiB. Every top byte of an address is a
// space of its own, so the wall's pages are bounded as a whole too
// (ReceivingCards::MaxWrittenPages).
constexpr int MaxPagesPerSpace = 2048;

quint16 be16(const QByteArray &bytes, int index)
{
    return quint16((quint8(bytes.at(index)) << 8) | quint8(bytes.at(index + 1)));
}

quint32 be32(const QByteArray &bytes, int index)
{
    return (quint32(be16(bytes, index)) << 16) | be16(bytes, index + 2);
}

void put16(QByteArray &bytes, int index, quint16 value)
{
    bytes[index] = char(value >> 8);
    bytes[index + 1] = char(value);
}

void put32(QByteArray &bytes, int index, quint32 value)
{
    put16(bytes, index, quint16(value >> 16));
    put16(bytes, index + 2, quint16(value));
}

struct Inner {
    quint8 command = 0;
    quint16 first = 0;
    quint16 last = 0;
    quint16 length = 0;
    quint32 address = 0;
    QByteArray data;
};

quint8 innerSum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (int i = 3; i < 14; ++i)
        sum += quint8(bytes.at(i));
    return quint8(sum);
}

// Checks sync, sum, CRC and the data length against the bytes present.
bool parseInner(const QByteArray &bytes, Inner *inner)
{
    if (bytes.size() < InnerOverhead || !wire::isReceivingCardFrame(bytes))
        return false;
    if (quint8(bytes.at(14)) != innerSum(bytes))
        return false;
    const int end = bytes.size() - 4;
    if (be32(bytes, end) != wire::crc32(bytes.mid(3, end - 3)))
        return false;
    inner->command = quint8(bytes.at(3));
    inner->first = be16(bytes, 4);
    inner->last = be16(bytes, 6);
    inner->length = be16(bytes, 8);
    inner->address = be32(bytes, 10);
    inner->data = bytes.mid(InnerHeaderSize, end - InnerHeaderSize);
    return true;
}

QByteArray buildInner(quint8 command, quint16 card, quint32 address, const QByteArray &data)
{
    QByteArray bytes(InnerHeaderSize, '\0');
    bytes[0] = char(0x55);
    bytes[1] = char(0x55);
    bytes[2] = char(0xD5);
    bytes[3] = char(command);
    put16(bytes, 4, card);
    put16(bytes, 6, card);
    put16(bytes, 8, quint16(data.size()));
    put32(bytes, 10, address);
    bytes[14] = char(innerSum(bytes));
    bytes += data;
    QByteArray crc(4, '\0');
    put32(crc, 0, wire::crc32(bytes.mid(3)));
    return bytes + crc;
}

// Byte offset of a receiving-card address inside its space.
quint32 byteOffset(quint32 address)
{
    return (address & 0x00FFFFFF) * 4;
}

constexpr quint8 AckFlags = wire::FlagFromDevice | wire::FlagAcknowledge;

RoleReply answer(const Frame &request, quint16 status, bool acknowledge)
{
    RoleReply reply;
    reply.status = status;
    if (request.replyExpected() && acknowledge) {
        Frame ack = request;
        ack.flags = AckFlags;
        ack.status = status;
        ack.payload.clear();
        reply.datagram = encodeFrame(ack);
    }
    return reply;
}

} // namespace

QByteArray ReceivingCards::firmwareImage(int port, int card, int size)
{
    QByteArray image(qBound(0, size, MaxFirmwareSize), '\0');
    char *data = image.data();
    for (int i = 0; i < image.size(); ++i)
        data[i] = char((i * 31 + (i >> 8) * 7 + port * 17 + card * 5 + 0x5A) & 0xFF);
    return image;
}

void ReceivingCards::setWall(const WallDescription &wall)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wall = wall;
    rebuildLocked();
}

void ReceivingCards::setFirmwareSize(int bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_firmwareSize = qBound(0, bytes, MaxFirmwareSize);
    rebuildLocked();
}

int ReceivingCards::firmwareSize() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firmwareSize;
}

void ReceivingCards::rebuildLocked()
{
    m_cards.clear();
    for (const WallPort &port : qAsConst(m_wall.ports)) {
        for (const WallCabinet &cabinet : port.cabinets) {
            auto card = std::make_shared<Card>();
            card->port = port.port;
            card->index = cabinet.card;
            card->width = cabinet.width;
            card->height = cabinet.height;
            m_cards.insert(Key(port.port, cabinet.card), card);
        }
    }
    m_writtenPages = 0;
}

bool ReceivingCards::writeLocked(const QVector<Card *> &cards, quint32 address,
                                 const QByteArray &bytes)
{
    // All addressed cards or none: a broadcast that does not fit leaves no trace.
    const quint8 space = quint8(address >> 24);
    const quint32 offset = byteOffset(address);
    qint64 needed = 0;
    for (Card *card : cards) {
        const SparseMemory &memory = spaceLocked(*card, space);
        const int pages = memory.pagesNeeded(offset, bytes.size());
        if (memory.pageCount() + pages > MaxPagesPerSpace)
            return false;
        needed += pages;
    }
    if (cards.isEmpty() || m_writtenPages + needed > MaxWrittenPages) {
        if (!cards.isEmpty())
            qCDebug(lcSim) << "receiving-card write refused: the wall's memory is full,"
                           << m_writtenPages << "pages written";
        return false;
    }
    for (Card *card : cards) {
        if (!spaceLocked(*card, space).write(offset, bytes))
            return false; // only past the end of the space, the same for every card
    }
    m_writtenPages += needed;
    return true;
}

int ReceivingCards::writtenPages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_writtenPages);
}

ReceivingCards::Card *ReceivingCards::cardLocked(int port, int card) const
{
    const auto it = m_cards.constFind(Key(port, card));
    return it == m_cards.constEnd() ? nullptr : it->get();
}

SparseMemory &ReceivingCards::spaceLocked(Card &card, quint8 space) const
{
    auto it = card.spaces.find(space);
    if (it != card.spaces.end())
        return *it->second;
    // Spaces are made on first use; the flash comes with the firmware in it.
    auto memory =
        std::make_unique<SparseMemory>(space == FlashSpace ? 0xFF : 0x00, MaxPagesPerSpace);
    if (space == FlashSpace)
        memory->write(byteOffset(FirmwareAddress),
                      firmwareImage(card.port, card.index, m_firmwareSize));
    return *card.spaces.emplace(space, std::move(memory)).first->second;
}

QVector<ReceivingCards::Card *> ReceivingCards::addressedLocked(quint32 portAddress, quint16 first,
                                                                quint16 last) const
{
    QVector<Card *> cards;
    const bool everyPort = portAddress == EveryPort;
    const int port = int((portAddress >> 16) & 0x0F);
    for (const auto &card : m_cards) {
        if (!everyPort && card->port != port)
            continue;
        if (first != EveryCard && (card->index < first || card->index > last))
            continue;
        cards.append(card.get());
    }
    std::sort(cards.begin(), cards.end(), [](const Card *a, const Card *b) {
        return a->port != b->port ? a->port < b->port : a->index < b->index;
    });
    return cards;
}

bool ReceivingCards::hasCard(int port, int card) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return cardLocked(port, card) != nullptr;
}

int ReceivingCards::cardCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cards.size();
}

QByteArray ReceivingCards::read(int port, int card, quint32 address, int length) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Card *found = cardLocked(port, card);
    if (!found)
        return QByteArray();
    return spaceLocked(*found, quint8(address >> 24)).read(byteOffset(address), length);
}

bool ReceivingCards::write(int port, int card, quint32 address, const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Card *found = cardLocked(port, card);
    return found && writeLocked({found}, address, bytes);
}

ReceivingCards::Stats ReceivingCards::stats() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stats;
}

void ReceivingCards::resetStats()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stats = Stats();
}

bool ReceivingCards::accepts(const Frame &frame) const
{
    return frame.isReceivingCardFrame() && !(frame.flags & wire::FlagFromDevice) &&
           !frame.isDiscovery();
}

RoleReply ReceivingCards::handle(const Frame &request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Inner inner;
    const bool portAddressValid =
        request.address == EveryPort ||
        ((request.address & 0xFFFF) == 0 && (request.address >> 16) >= 0x10 &&
         (request.address >> 16) <= 0x1F);
    if (!parseInner(request.payload, &inner) || !portAddressValid) {
        ++m_stats.rejected;
        qCDebug(lcSim) << "receiving-card frame refused: malformed inner frame or port address"
                       << Qt::hex << request.address;
        return answer(request, wire::StatusMalformed, true);
    }
    const bool isWrite = inner.command == CommandWrite || inner.command == CommandTableWrite;
    if (!isWrite && inner.command != CommandRead) {
        qCDebug(lcSim) << "receiving-card command not modelled:" << inner.command;
        RoleReply reply = answer(request, wire::StatusOk, true);
        reply.notModelled = true;
        return reply;
    }

    const quint8 space = quint8(inner.address >> 24);
    if (isWrite) {
        // The ARM length is the inner frame's; the data length the bytes carried.
        const bool wellFormed = request.length == request.payload.size() &&
                                inner.length == inner.data.size() && !inner.data.isEmpty() &&
                                (space != PaddedSpace || inner.data.size() % PaddedUnit == 0);
        const bool asksAck = request.command[2] & AckRequest;
        if (!wellFormed) {
            ++m_stats.rejected;
            qCDebug(lcSim) << "receiving-card write refused, length" << request.length
                           << "data length" << inner.length << "data" << inner.data.size();
            return answer(request, wire::StatusMalformed, true);
        }
        const QVector<Card *> cards = addressedLocked(request.address, inner.first, inner.last);
        const quint16 status =
            writeLocked(cards, inner.address, inner.data) ? wire::StatusOk : wire::StatusOutOfRange;
        if (status == wire::StatusOk) {
            ++m_stats.frames;
            m_stats.writes += quint64(cards.size());
        } else {
            ++m_stats.rejected;
        }
        RoleReply reply = answer(request, status, asksAck);
        if (!reply.datagram.isEmpty())
            ++m_stats.acknowledged;
        return reply;
    }

    // A read request carries no data and asks for 1 .. 1024 bytes.
    if (!inner.data.isEmpty() || inner.length < 1 || inner.length > MaxReadLength ||
        request.length != inner.length + InnerOverhead) {
        ++m_stats.rejected;
        return answer(request, wire::StatusMalformed, true);
    }
    const QVector<Card *> cards = addressedLocked(request.address, inner.first, inner.last);
    if (cards.isEmpty()) {
        ++m_stats.rejected;
        RoleReply reply;
        reply.status = wire::StatusOutOfRange;
        Frame refusal = request;
        refusal.flags = wire::FlagFromDevice;
        refusal.status = wire::StatusOutOfRange;
        refusal.payload.clear();
        reply.datagram = encodeFrame(refusal);
        return reply;
    }
    ++m_stats.frames;
    RoleReply reply;
    for (Card *card : cards) {
        QByteArray data = spaceLocked(*card, space).read(byteOffset(inner.address), inner.length);
        if (inner.address == SizeReportAddress && data.size() >= 4) {
            put16(data, 0, quint16(card->width));
            put16(data, 2, quint16(card->height));
        }
        Frame answerFrame = request;
        answerFrame.flags = wire::FlagFromDevice;
        answerFrame.status = wire::StatusOk;
        answerFrame.address = (quint32(card->port) | 0x10) << 16;
        answerFrame.payload = buildInner(CommandRead, quint16(card->index), inner.address, data);
        const QByteArray datagram = encodeFrame(answerFrame);
        if (reply.datagram.isEmpty())
            reply.datagram = datagram;
        else
            reply.more.append(datagram);
        ++m_stats.reads;
    }
    return reply;
}

} // namespace ledwall::sim
