#pragma once
// Faults the virtual wall can be told to show, so that time-outs, retries and
// duplicate handling of the library can be tested. Thread-safe: tests change the
// settings while the server thread applies them.
//
// - A dropped or silenced request is lost as if it never arrived: the card does
//   not act on it and does not answer (counted as "dropped").
// - Silence applies to the whole wall or to sending-card frames whose register
//   address is in the chosen set.
// - Drop every Nth counts the well-formed requests that are not silenced (and,
//   separately, the echo datagrams the wall streams).
// - Delay, duplicate and reorder shape the replies: a delayed reply leaves D ms
//   later, a duplicated one leaves twice, and with reordering each reply is held
//   back and sent right after the next one (or when reordering is switched off).
// - Random faults do the same by chance, from a generator seeded by the caller, so
//   that a long run under a realistic mix of faults can be repeated exactly.

#include "simwire.h"

#include <QHostAddress>
#include <QSet>
#include <QVector>
#include <mutex>
#include <random>

namespace ledwall::sim
{

struct OutgoingDatagram {
    QByteArray datagram;
    QHostAddress address;
    quint16 port = 0;
};

// Chances in percent (0 = never); each request or reply draws on its own.
struct RandomFaults {
    quint32 seed = 1;
    double dropPercent = 0;      // a request is lost
    double duplicatePercent = 0; // a reply leaves twice
    double reorderPercent = 0;   // a reply is held back until the next one
    double delayPercent = 0;     // a reply leaves 1 .. maxDelay ms later
    int maxDelay = 0;
};

// What the random faults did since they were set.
struct FaultTally {
    quint64 dropped = 0;
    quint64 duplicated = 0;
    quint64 reordered = 0;
    quint64 delayed = 0;
};

class FaultInjector
{
public:
    void setDropEveryNth(int n); // 0 = off; n >= 1 drops requests n, 2n, 3n, ...
    void dropNext(int count);    // the next `count` requests are dropped
    void setReplyDelay(int milliseconds);
    void setDuplicateReplies(bool on);
    void setReorderReplies(bool on); // switching it off releases a held reply (see takeHeld)
    void setSilent(bool on);
    void setSilentAddresses(const QSet<quint32> &addresses);
    // Restarts the generator with faults.seed and zeroes the tally.
    void setRandomFaults(const RandomFaults &faults);
    FaultTally tally() const;
    void clear(); // every fault off (a held reply stays for takeHeld)

    // The delay of the reply being sent now: the fixed one, or a drawn one.
    int replyDelay();

    // True when the request is to be lost.
    bool shouldDrop(const Frame &request);
    // True when a datagram the wall streams on its own (echo video) is to be lost:
    // silence, drop-next and drop-every-Nth, counted over streamed datagrams.
    bool shouldDropStreamed();
    // The datagrams to send now for one reply, in order.
    QVector<OutgoingDatagram> shapeReply(const OutgoingDatagram &reply);
    // A reply held back for reordering, released.
    QVector<OutgoingDatagram> takeHeld();

private:
    bool chance(double percent); // called with the mutex held

    mutable std::mutex m_mutex;
    int m_dropEveryNth = 0;
    int m_dropNext = 0;
    quint64 m_requestCount = 0;
    quint64 m_streamedCount = 0;
    int m_delay = 0;
    bool m_duplicate = false;
    bool m_reorder = false;
    bool m_silent = false;
    QSet<quint32> m_silentAddresses;
    QVector<OutgoingDatagram> m_held;
    RandomFaults m_random;
    FaultTally m_tally;
    std::mt19937 m_generator;
};

} // namespace ledwall::sim
