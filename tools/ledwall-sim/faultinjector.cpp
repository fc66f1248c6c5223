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

void FaultInjector::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
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

int FaultInjector::replyDelay() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_delay;
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
    return m_dropEveryNth > 0 && m_requestCount % quint64(m_dropEveryNth) == 0;
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
    const int copies = m_duplicate ? 2 : 1;
    if (m_reorder && m_held.isEmpty()) {
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
