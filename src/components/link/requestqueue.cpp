#include "requestqueue.h"

namespace ledwall::link
{

void RequestQueue::setQueueType(int queueType)
{
    m_queueType = queueType == 1 ? 1 : 0;
}

void RequestQueue::push(FramePtr frame, bool collect)
{
    if (frame)
        m_queued.push_back({std::move(frame), collect});
}

int RequestQueue::windowLimit() const
{
    if (m_fastMode)
        return MaxOutstanding;
    return m_queueType == 1 ? StreamWindow : NetworkWindow;
}

bool RequestQueue::takeNext(qint64 nowNs, Dispatch *out)
{
    if (m_queued.empty())
        return false;
    const bool expectsReply = m_queued.front().frame->m_timeout > 0;
    const int outstanding = int(m_outstanding.size());
    if (outstanding >= MaxOutstanding)
        return false;
    if (!m_fastMode) {
        // One-at-a-time queues hold every frame back behind an unanswered request;
        // windowed queues only hold back the next request.
        if (m_queueType == 1 && outstanding > 0)
            return false;
        if (expectsReply && outstanding >= windowLimit())
            return false;
    }

    FramePtr frame = std::move(m_queued.front().frame);
    const bool collect = m_queued.front().collect;
    m_queued.pop_front();
    const quint16 sequence = nextFreeSequence();
    frame->m_sequence = sequence;
    out->sequence = sequence;
    if (expectsReply) {
        const qint64 deadline = nowNs + qint64(frame->m_timeout) * 1000000;
        out->frame = frame.get();
        out->owned.reset();
        Outstanding entry;
        entry.frame = std::move(frame);
        entry.deadline = m_deadlines.emplace(deadline, sequence);
        entry.collect = collect;
        m_outstanding.emplace(sequence, std::move(entry));
    } else {
        out->frame = frame.get();
        out->owned = std::move(frame);
    }
    return true;
}

quint16 RequestQueue::reserveSequence()
{
    return nextFreeSequence();
}

quint16 RequestQueue::nextFreeSequence()
{
    // Sequence 0 is left to unsolicited device frames; numbers still on the wire
    // are skipped (at most MaxOutstanding of them, so this ends quickly).
    for (;;) {
        const quint16 candidate = m_nextSequence++;
        if (candidate == 0 || m_outstanding.count(candidate) != 0)
            continue;
        m_recent.reset(candidate);
        return candidate;
    }
}

void RequestQueue::remember(quint16 sequence)
{
    const quint16 evicted = m_recentRing[m_recentPos];
    if (evicted != 0)
        m_recent.reset(evicted);
    m_recentRing[m_recentPos] = sequence;
    m_recentPos = (m_recentPos + 1) % RecentCount;
    m_recent.set(sequence);
}

RequestQueue::Match RequestQueue::matchReply(quint16 sequence, FramePtr *request)
{
    auto it = m_outstanding.find(sequence);
    if (it == m_outstanding.end())
        return m_recent.test(sequence) ? Match::Late : Match::Unsolicited;
    if (it->second.collect) {
        it->second.answered = true;
        if (request)
            request->reset(it->second.frame->clone());
        return Match::Reply;
    }
    m_deadlines.erase(it->second.deadline);
    if (request)
        *request = std::move(it->second.frame);
    m_outstanding.erase(it);
    remember(sequence);
    return Match::Reply;
}

std::vector<RequestQueue::FramePtr> RequestQueue::takeExpired(qint64 nowNs)
{
    std::vector<FramePtr> expired;
    while (!m_deadlines.empty() && m_deadlines.begin()->first <= nowNs) {
        const quint16 sequence = m_deadlines.begin()->second;
        m_deadlines.erase(m_deadlines.begin());
        auto it = m_outstanding.find(sequence);
        if (it == m_outstanding.end())
            continue;
        if (!it->second.answered)
            expired.push_back(std::move(it->second.frame));
        m_outstanding.erase(it);
        remember(sequence);
    }
    return expired;
}

qint64 RequestQueue::nextDeadline() const
{
    return m_deadlines.empty() ? -1 : m_deadlines.begin()->first;
}

int RequestQueue::clearQueued()
{
    const int dropped = int(m_queued.size());
    m_queued.clear();
    return dropped;
}

void RequestQueue::clearAll()
{
    m_queued.clear();
    m_outstanding.clear();
    m_deadlines.clear();
}

} // namespace ledwall::link
