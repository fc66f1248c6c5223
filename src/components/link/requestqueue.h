#pragma once
// Request queue of one link: frames waiting to go out, the requests on the wire
// that wait for their reply, sequence numbers and reply time-outs.
//
// A plain class without threads or I/O: the link feeds it the current time and
// the sequence numbers it receives, and it says what to send, which reply
// belongs to which request and which requests ran out of time.

#include "module_protocolbase.h"

#include <QtGlobal>
#include <array>
#include <bitset>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace ledwall::link
{

class RequestQueue
{
public:
    using FramePtr = std::unique_ptr<Module_ProtocolBase>;

    // Requests on the wire at once: a window for network links, one for
    // byte-stream links, and a hard cap that keeps sequence numbers unambiguous.
    static constexpr int NetworkWindow = 16;
    static constexpr int StreamWindow = 1;
    static constexpr int MaxOutstanding = 1024;

    // Queue type 0 sends up to NetworkWindow requests before waiting for a reply;
    // queue type 1 sends one frame at a time and waits for its reply.
    void setQueueType(int queueType);
    int queueType() const { return m_queueType; }
    // In fast mode frames go out without waiting for replies (they still time out).
    void setFastMode(bool fast) { m_fastMode = fast; }
    bool fastMode() const { return m_fastMode; }

    // A request pushed with `collect` set goes to several devices at once (a
    // broadcast destination): it takes every answer until its deadline and only
    // times out when none came.
    void push(FramePtr frame, bool collect = false);

    // The next frame to transmit, if the window allows one. `frame` stays valid
    // until the request is answered, expires or the queue is cleared; a frame that
    // expects no reply is handed over in `owned`.
    struct Dispatch {
        quint16 sequence = 0;
        const Module_ProtocolBase *frame = nullptr;
        FramePtr owned;
    };
    bool takeNext(qint64 nowNs, Dispatch *out);

    // A sequence number for a frame sent outside the queue (discovery).
    quint16 reserveSequence();

    enum class Match {
        Reply,      // answers an outstanding request, which is removed (a collecting
                    // request stays until its deadline; `request` gets a copy)
        Late,       // answers a request that already timed out or was answered
        Unsolicited // belongs to no request of ours
    };
    // `request` (optional) receives the answered request.
    Match matchReply(quint16 sequence, FramePtr *request = nullptr);

    // Requests whose deadline is at or before `nowNs` and that got no answer,
    // oldest deadline first. Collecting requests that were answered end quietly.
    std::vector<FramePtr> takeExpired(qint64 nowNs);
    // Earliest deadline of the outstanding requests, -1 when there is none.
    qint64 nextDeadline() const;

    // Drops the frames not yet sent; returns how many.
    int clearQueued();
    // Drops everything, queued and outstanding.
    void clearAll();

    int queuedCount() const { return int(m_queued.size()); }
    int outstandingCount() const { return int(m_outstanding.size()); }

private:
    struct Queued {
        FramePtr frame;
        bool collect = false;
    };
    struct Outstanding {
        FramePtr frame;
        std::multimap<qint64, quint16>::iterator deadline;
        bool collect = false;
        bool answered = false;
    };

    int windowLimit() const;
    quint16 nextFreeSequence();
    void remember(quint16 sequence);

    std::deque<Queued> m_queued;
    std::unordered_map<quint16, Outstanding> m_outstanding;
    std::multimap<qint64, quint16> m_deadlines;
    int m_queueType = 0;
    bool m_fastMode = false;
    quint16 m_nextSequence = 1;

    // Recently finished sequence numbers (answered or timed out), so that a late or
    // duplicated reply is recognised and not taken for a new device message.
    static constexpr int RecentCount = 256;
    std::array<quint16, RecentCount> m_recentRing{};
    int m_recentPos = 0;
    std::bitset<65536> m_recent;
};

} // namespace ledwall::link
