#pragma once
// The whole simulated wall without sockets: checks each datagram, counts what it
// refuses, and hands well-formed frames to the device roles (sending card,
// processor). Thread-safe: the server thread handles frames while tests read
// counters and memory.

#include "devicerole.h"
#include "processorrole.h"
#include "receivingcards.h"
#include "sendcardmodel.h"

#include <QVariantMap>
#include <mutex>

#include <array>
#include <memory>
#include <vector>

namespace ledwall::sim
{

struct Counters {
    quint64 received = 0;            // datagrams that reached the wall
    quint64 answered = 0;            // reply datagrams sent (duplicates count twice)
    quint64 dropped = 0;             // well-formed requests ignored by fault injection
    quint64 malformed = 0;           // well-formed frames whose request made no sense (status 1)
    quint64 outOfRange = 0;          // requests beyond the memory of the card (status 2)
    quint64 receivingCardFrames = 0; // inner frames the receiving cards acted on
    quint64 receivingCardFramesRejected = 0;    // malformed or addressed to no card
    quint64 receivingCardAcknowledged = 0;      // receiving-card writes acknowledged
    quint64 receivingCardFramesNotModelled = 0; // inner commands other than read and write
    quint64 processorFramesNotModelled = 0;
    std::array<quint64, RejectReasonCount> rejected{}; // indexed by RejectReason

    quint64 rejectedBy(RejectReason reason) const { return rejected[size_t(reason)]; }
    quint64 rejectedTotal() const;
    // Every counter by name; rejects under "rejected" keyed by rejectReasonName().
    QVariantMap toVariantMap() const;
};

class WallModel
{
public:
    WallModel();

    void setWall(const WallDescription &wall);
    WallDescription wall() const;

    SendCardModel &sendCard() { return *m_sendCard; }
    const SendCardModel &sendCard() const { return *m_sendCard; }
    ReceivingCards &receivingCards() { return *m_receivingCards; }
    const ReceivingCards &receivingCards() const { return *m_receivingCards; }
    ProcessorRole &processor() { return *m_processor; }
    // Adds a role; it is asked before the built-in ones.
    void addRole(std::unique_ptr<DeviceRole> role);

    // Step 1: counts the datagram and checks it; fills `frame` when it is well formed.
    RejectReason accept(const QByteArray &datagram, Frame *frame);
    // Step 2: the reply of the role that takes the frame (empty = no answer).
    QByteArray handleFrame(const Frame &frame);
    // Every reply datagram of the frame, in order (several cards may answer one read).
    QVector<QByteArray> handleFrameAll(const Frame &frame);
    // Both steps.
    QByteArray handleDatagram(const QByteArray &datagram);

    void noteAnswered(int replies);
    void noteDropped();
    Counters counters() const;
    void resetCounters();

private:
    mutable std::mutex m_mutex; // counters and the role list
    Counters m_counters;
    SendCardModel *m_sendCard;        // owned by m_roles
    ReceivingCards *m_receivingCards; // owned by m_roles
    ProcessorRole *m_processor;       // owned by m_roles
    std::vector<std::unique_ptr<DeviceRole>> m_roles;
};

} // namespace ledwall::sim
