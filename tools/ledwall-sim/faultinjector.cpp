#include "faultinjector.h"

#include <mutex>

namespace ledwall::sim
{

void FaultInjector::setDropEveryNth(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dropEveryNth = qMax(0, n);
    m_requestCount = 0;
}

void FaultInjector::dropNext(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dropNext = qMax(0, count);
}

void FaultInjector::setReplyDelay(int milliseconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delay = qBound(0, milliseconds, 60000);
}

void FaultInjector::setDuplicateReplies(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_duplicate = on;
}

void FaultInjector::setReorderReplies(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reorder = on;
}

void FaultInjector::setSilent(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = on;
}

void FaultInjector::setSilentAddresses(const QSet<quint32> &addresses)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silentAddresses = addresses;
}

void FaultInjector::setRandomFaults(const RandomFaults &faults)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_random = faults;
    m_random.maxDelay = qBound(0, faults.maxDelay, 60000);
    m_generator.seed(faults.seed);
    m_tally = {};
}

FaultTally FaultInjector::tally() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tally;
}

bool FaultInjector::chance(double percent)
{
    // The generator's raw 32-bit output, so that a seed gives the same faults
    // whatever the standard library's distributions do.
    return percent > 0 && double(m_generator()) < percent / 100.0 * 4294967296.0;
}

void FaultInjector::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_random = {};
    m_dropEveryNth = 0;
    m_dropNext = 0;
    m_requestCount = 0;
    m_streamedCount = 0;
    m_delay = 0;
    m_duplicate = false;
    m_reorder = false;
    m_silent = false;
    m_silentAddresses.clear();
}

bool FaultInjector::shouldDrop(const Frame &request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_silent)
        return true;
    if (request.protocolType == 0 && m_silentAddresses.contains(request.address))
        return true;
    ++m_requestCount;
    if (m_dropNext > 0) {
        --m_dropNext;
        return true;
    }
    if (chance(m_random.dropPercent)) {
        ++m_tally.dropped;
        return true;
    }
    return m_dropEveryNth > 0 && m_requestCount % quint64(m_dropEveryNth) == 0;
}

int FaultInjector::replyDelay()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_random.maxDelay > 0 && chance(m_random.delayPercent)) {
        ++m_tally.delayed;
        return m_delay + 1 + int(m_generator() % quint32(m_random.maxDelay));
    }
    return m_delay;
}

bool FaultInjector::shouldDropStreamed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_silent)
        return true;
    ++m_streamedCount;
    if (m_dropNext > 0) {
        --m_dropNext;
        return true;
    }
    return m_dropEveryNth > 0 && m_streamedCount % quint64(m_dropEveryNth) == 0;
}

QVector<OutgoingDatagram> FaultInjector::shapeReply(const OutgoingDatagram &reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<OutgoingDatagram> out;
    const bool duplicate = m_duplicate || chance(m_random.duplicatePercent);
    const int copies = duplicate ? 2 : 1;
    m_tally.duplicated += !m_duplicate && duplicate;
    const bool reorder = m_reorder || (m_held.isEmpty() && chance(m_random.reorderPercent));
    m_tally.reordered += !m_reorder && reorder && m_held.isEmpty();
    if (reorder && m_held.isEmpty()) {
        for (int i = 0; i < copies; ++i)
            m_held.append(reply);
        return out;
    }
    for (int i = 0; i < copies; ++i)
        out.append(reply);
    out += m_held;
    m_held.clear();
    return out;
}

QVector<OutgoingDatagram> FaultInjector::takeHeld()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<OutgoingDatagram> out;
    out.swap(m_held);
    return out;
}

} // namespace ledwall::sim
