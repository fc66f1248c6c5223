#include "bll_businesslogic_echomanagement.h"
#include "bll_businesslogic_framethread.h"

#include "avplayer.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcEcho, "ledwall.echo")
}

BLL_BusinessLogic_EchoManagement::BLL_BusinessLogic_EchoManagement(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<AVPlayer *>();
}

BLL_BusinessLogic_EchoManagement::~BLL_BusinessLogic_EchoManagement()
{
    closeFrameThread(QString());
}

QString BLL_BusinessLogic_EchoManagement::echoKey(const QString &first, const QString &second)
{
    return QStringLiteral("%1_%2").arg(first, second);
}

void BLL_BusinessLogic_EchoManagement::openFrameThread(QString slot, QString address,
                                                       unsigned short port)
{
    if (m_receivers.contains(slot))
        return;
    auto *receiver = new BLL_BusinessLogic_FrameThread;
    m_receivers.insert(slot, receiver);
    connect(receiver, &BLL_BusinessLogic_FrameThread::sig_data, this,
            &BLL_BusinessLogic_EchoManagement::slot_recvData);
    connect(receiver, &BLL_BusinessLogic_FrameThread::sig_streamMode, this,
            &BLL_BusinessLogic_EchoManagement::sig_streamMode);
    qCDebug(lcEcho) << "echo receiver of slot" << slot << "for" << address << port;
    receiver->start(slot, address, port);
}

void BLL_BusinessLogic_EchoManagement::deletePlayers(QMap<QString, AVPlayer *> &players)
{
    for (AVPlayer *player : std::as_const(players)) {
        player->clearVideoRenderers();
        delete player;
    }
    players.clear();
}

void BLL_BusinessLogic_EchoManagement::closeFrameThread(QString slot)
{
    if (!slot.isEmpty()) {
        delete m_receivers.take(slot); // joins its worker
        auto players = m_players.find(slot);
        if (players != m_players.end()) {
            deletePlayers(*players);
            m_players.erase(players);
        }
        return;
    }
    for (BLL_BusinessLogic_FrameThread *receiver : std::as_const(m_receivers)) {
        disconnect(receiver, nullptr, this, nullptr);
        delete receiver;
    }
    m_receivers.clear();
    for (auto &players : m_players)
        deletePlayers(players);
    m_players.clear();
}

void BLL_BusinessLogic_EchoManagement::setEchoChannel(QString slotKey, QString first,
                                                      QString second, QString channelKey)
{
    const QString key = echoKey(first, second);
    m_channelSlotNames.insert(key, slotKey);
    m_channelNames.insert(key, channelKey);
}

AVPlayer *BLL_BusinessLogic_EchoManagement::getAVPlayer(QString first, QString second)
{
    const QString key = echoKey(first, second);
    if (!m_channelSlotNames.contains(key) || !m_channelNames.contains(key))
        return nullptr;
    return m_players.value(m_channelSlotNames.value(key)).value(m_channelNames.value(key), nullptr);
}

void BLL_BusinessLogic_EchoManagement::slot_recvData(QString slotNum, QString channelId,
                                                     QByteArray frameData)
{
    // A frame queued before its receiver was closed finds no receiver: it is dropped
    // rather than bringing the slot's players back.
    if (!m_receivers.contains(slotNum))
        return;
    QMap<QString, AVPlayer *> &players = m_players[slotNum];
    AVPlayer *player = players.value(channelId, nullptr);
    if (!player) {
        player = new AVPlayer(nullptr);
        players.insert(channelId, player);
        emit sig_playerCreated(slotNum, channelId, player);
    }
    player->putH264ArraryData(frameData);
}

QVariantMap BLL_BusinessLogic_EchoManagement::echoStatistics(QString slot) const
{
    const BLL_BusinessLogic_FrameThread *receiver = m_receivers.value(slot, nullptr);
    if (!receiver)
        return {};
    QVariantMap statistics = receiver->statistics();
    QVariantMap channels = statistics.value(QStringLiteral("channels")).toMap();
    const QMap<QString, AVPlayer *> players = m_players.value(slot);
    for (auto it = players.cbegin(); it != players.cend(); ++it) {
        QVariantMap channel = channels.value(it.key()).toMap();
        channel.insert(QStringLiteral("decoded"), it.value()->framesDecoded());
        channel.insert(QStringLiteral("dropped"), it.value()->framesDropped());
        channel.insert(QStringLiteral("decodeErrors"), it.value()->decodeErrors());
        channels.insert(it.key(), channel);
    }
    statistics.insert(QStringLiteral("channels"), channels);
    return statistics;
}
