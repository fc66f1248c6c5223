#include "echoframeassembler.h"
#include "echodatagram.h"

namespace ledwall::echo
{

EchoFrameAssembler::EchoFrameAssembler(const EchoAssemblyLimits &limits) : m_limits(limits)
{
    m_limits.recordsPerChannel = qMax(1, m_limits.recordsPerChannel);
    m_limits.maxPacketsPerFrame = qBound(1, m_limits.maxPacketsPerFrame, 0xFFFF);
}

std::optional<EchoFrame> EchoFrameAssembler::feed(const QByteArray &datagram)
{
    ++m_counters.datagrams;
    EchoHeader header;
    if (!parseEchoHeader(datagram, &header)) {
        ++m_counters.refused;
        return std::nullopt;
    }
    if (header.type == TypeInformation)
        return std::nullopt;
    const bool begin = header.type == TypeBegin;
    const quint16 count = header.packetCount;
    const quint16 index = header.packetIndex;
    if ((!begin && header.type != TypeFollowing) || count == 0 ||
        count > m_limits.maxPacketsPerFrame || (!begin && (index == 0 || index >= count))) {
        ++m_counters.refused;
        return std::nullopt;
    }
    const int size = datagram.size() - HeaderLength;
    if (count == 1) {
        ++m_counters.framesCompleted;
        return EchoFrame{header.channel, header.frameNumber, datagram.mid(HeaderLength)};
    }
    return store(header.channel, header.frameNumber, count, index,
                 datagram.constData() + HeaderLength, size);
}

std::optional<EchoFrame> EchoFrameAssembler::store(quint8 channel, quint16 frameNumber,
                                                   quint16 count, quint16 index,
                                                   const char *payload, int size)
{
    Records &records = m_channels[channel];
    const auto found = findOrOpen(records, frameNumber, count);
    Record &record = *found;
    if (index < record.nextIndex || record.ahead.count(index) != 0) {
        ++m_counters.duplicates;
        return std::nullopt;
    }
    if (record.bytes + size > m_limits.maxFrameBytes) {
        ++m_counters.framesOversized;
        drop(records, found);
        return std::nullopt;
    }
    record.bytes += size;
    m_bytesHeld += size;
    if (index != record.nextIndex) {
        record.ahead.emplace(index, QByteArray(payload, size));
        keepWithinBudget();
        return std::nullopt;
    }
    record.joined.append(payload, size);
    ++record.nextIndex;
    while (!record.ahead.empty() && record.ahead.begin()->first == record.nextIndex) {
        record.joined.append(record.ahead.begin()->second);
        record.ahead.erase(record.ahead.begin());
        ++record.nextIndex;
    }
    if (record.nextIndex < record.packetCount) {
        keepWithinBudget();
        return std::nullopt;
    }
    EchoFrame frame{channel, frameNumber, std::move(record.joined)};
    drop(records, found);
    ++m_counters.framesCompleted;
    return frame;
}

EchoFrameAssembler::Records::iterator
EchoFrameAssembler::findOrOpen(Records &records, quint16 frameNumber, quint16 count)
{
    for (auto it = records.end(); it != records.begin();) {
        --it;
        if (it->frameNumber == frameNumber && it->packetCount == count)
            return it;
    }
    if (int(records.size()) >= m_limits.recordsPerChannel) {
        ++m_counters.framesEvicted;
        drop(records, records.begin());
    }
    Record record;
    record.frameNumber = frameNumber;
    record.packetCount = count;
    record.sequence = m_sequence++;
    records.push_back(std::move(record));
    return records.end() - 1;
}

void EchoFrameAssembler::drop(Records &records, Records::iterator record)
{
    m_bytesHeld -= record->bytes;
    records.erase(record);
}

void EchoFrameAssembler::keepWithinBudget()
{
    while (m_bytesHeld > m_limits.maxTotalBytes) {
        Records *oldest = nullptr;
        for (Records &records : m_channels) {
            if (!records.empty() &&
                (!oldest || records.front().sequence < oldest->front().sequence))
                oldest = &records;
        }
        if (!oldest)
            return;
        ++m_counters.framesEvicted;
        drop(*oldest, oldest->begin());
    }
}

void EchoFrameAssembler::clear()
{
    for (Records &records : m_channels)
        records.clear();
    m_bytesHeld = 0;
}

int EchoFrameAssembler::unfinishedFrames() const
{
    int frames = 0;
    for (const Records &records : m_channels)
        frames += int(records.size());
    return frames;
}

void EchoFrameLoss::note(quint16 frameNumber)
{
    const quint16 step = quint16(frameNumber - m_last);
    if (m_frames == 0) {
        m_last = frameNumber;
    } else if (step > 0 && step < 0x8000) {
        m_lost += step - 1u;
        m_last = frameNumber;
    } else if (step >= 0x8000 && m_lost > 0) {
        --m_lost;
    }
    ++m_frames;
}

} // namespace ledwall::echo
