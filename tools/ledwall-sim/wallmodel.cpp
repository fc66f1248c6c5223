#include "wallmodel.h"
#include "processorrole.h"
#include "simlog.h"

#include <mutex>

namespace ledwall::sim
{

quint64 Counters::rejectedTotal() const
{
    quint64 total = 0;
    for (quint64 count : rejected)
        total += count;
    return total;
}

QVariantMap Counters::toVariantMap() const
{
    QVariantMap rejects;
    for (int reason = 1; reason < RejectReasonCount; ++reason)
        rejects.insert(rejectReasonName(RejectReason(reason)), rejected[size_t(reason)]);
    return {{QStringLiteral("received"), received},
            {QStringLiteral("answered"), answered},
            {QStringLiteral("dropped"), dropped},
            {QStringLiteral("malformed"), malformed},
            {QStringLiteral("outOfRange"), outOfRange},
            {QStringLiteral("receivingCardFrames"), receivingCardFrames},
            {QStringLiteral("receivingCardFramesRejected"), receivingCardFramesRejected},
            {QStringLiteral("receivingCardAcknowledged"), receivingCardAcknowledged},
            {QStringLiteral("receivingCardFramesNotModelled"), receivingCardFramesNotModelled},
            {QStringLiteral("processorFramesNotModelled"), processorFramesNotModelled},
            {QStringLiteral("rejected"), rejects},
            {QStringLiteral("rejectedTotal"), rejectedTotal()}};
}

WallModel::WallModel()
{
    auto sendCard = std::make_unique<SendCardModel>();
    m_sendCard = sendCard.get();
    m_roles.push_back(std::move(sendCard));
    auto processor = std::make_unique<ProcessorRole>();
    m_processor = processor.get();
    m_roles.push_back(std::move(processor));
    // The receiving cards take their inner frames before the sending card sees them.
    auto receivingCards = std::make_unique<ReceivingCards>();
    m_receivingCards = receivingCards.get();
    m_roles.insert(m_roles.begin(), std::move(receivingCards));
}

void WallModel::setWall(const WallDescription &wall)
{
    m_sendCard->setWall(wall);
    m_receivingCards->setWall(wall);
}

WallDescription WallModel::wall() const
{
    return m_sendCard->wall();
}

void WallModel::addRole(std::unique_ptr<DeviceRole> role)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_roles.insert(m_roles.begin(), std::move(role));
}

RejectReason WallModel::accept(const QByteArray &datagram, Frame *frame)
{
    const RejectReason reason = decodeDatagram(datagram, frame);
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counters.received;
    if (reason != RejectReason::None) {
        ++m_counters.rejected[size_t(reason)];
        qCDebug(lcSim) << "rejected a datagram of" << datagram.size()
                       << "bytes:" << rejectReasonName(reason);
    }
    return reason;
}

QByteArray WallModel::handleFrame(const Frame &frame)
{
    const QVector<QByteArray> replies = handleFrameAll(frame);
    return replies.isEmpty() ? QByteArray() : replies.constFirst();
}

QVector<QByteArray> WallModel::handleFrameAll(const Frame &frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto &role : m_roles) {
        if (!role->accepts(frame))
            continue;
        const RoleReply reply = role->handle(frame);
        if (reply.status == wire::StatusMalformed)
            ++m_counters.malformed;
        else if (reply.status == wire::StatusOutOfRange)
            ++m_counters.outOfRange;
        if (reply.notModelled) {
            if (frame.protocolType == 0)
                ++m_counters.receivingCardFramesNotModelled;
            else
                ++m_counters.processorFramesNotModelled;
        }
        QVector<QByteArray> replies;
        if (!reply.datagram.isEmpty())
            replies.append(reply.datagram);
        replies += reply.more;
        return replies;
    }
    ++m_counters.rejected[size_t(RejectReason::UnknownType)];
    return {};
}

QByteArray WallModel::handleDatagram(const QByteArray &datagram)
{
    Frame frame;
    if (accept(datagram, &frame) != RejectReason::None)
        return QByteArray();
    return handleFrame(frame);
}

void WallModel::noteAnswered(int replies)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counters.answered += quint64(qMax(0, replies));
}

void WallModel::noteDropped()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counters.dropped;
}

Counters WallModel::counters() const
{
    const ReceivingCards::Stats cards = m_receivingCards->stats();
    std::lock_guard<std::mutex> lock(m_mutex);
    Counters counters = m_counters;
    counters.receivingCardFrames = cards.frames;
    counters.receivingCardFramesRejected = cards.rejected;
    counters.receivingCardAcknowledged = cards.acknowledged;
    return counters;
}

void WallModel::resetCounters()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_counters = Counters();
    m_receivingCards->resetStats();
}

} // namespace ledwall::sim
