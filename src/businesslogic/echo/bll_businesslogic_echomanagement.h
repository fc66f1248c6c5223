#pragma once
// Video echo: one receiver per processor slot reassembles the H.264 frames that a
// processor echoes back, and one player per slot and channel shows them.
//
// The user interface opens a slot's receiver with openFrameThread, names the
// player of a video view with setEchoChannel and fetches it with getAVPlayer to
// attach its renderer. Players are made on the first frame of their slot and
// channel (sig_playerCreated, before that frame is queued) and are owned here:
// closeFrameThread detaches their renderers and deletes them.

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

class AVPlayer;
class BLL_BusinessLogic_FrameThread;

class BLL_BusinessLogic_EchoManagement : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_EchoManagement(QObject *parent = nullptr);
    ~BLL_BusinessLogic_EchoManagement() override;

    // Starts the receiver of `slot` unless it runs already.
    void openFrameThread(QString slot, QString address, unsigned short port);
    // Stops the receiver of `slot` and drops its players; an empty `slot` closes all.
    void closeFrameThread(QString slot);
    // Names the player that `getAVPlayer(first, second)` returns.
    void setEchoChannel(QString slotKey, QString first, QString second, QString channelKey);
    // The player named by `setEchoChannel`, or null.
    AVPlayer *getAVPlayer(QString first, QString second);

    // The receiver's counters (BLL_BusinessLogic_FrameThread::statistics) with, per
    // channel, the player's "decoded", "dropped" and "decodeErrors"; empty for a
    // slot without a receiver.
    QVariantMap echoStatistics(QString slot) const;

signals:
    void sig_playerCreated(QString slotNum, QString channelId, AVPlayer *player);
    void sig_streamMode(QString slotNum, int mode);

public slots:
    // One complete frame of `slotNum`'s channel `channelId`.
    void slot_recvData(QString slotNum, QString channelId, QByteArray frameData);

private:
    static QString echoKey(const QString &first, const QString &second);
    void deletePlayers(QMap<QString, AVPlayer *> &players);

    QMap<QString, BLL_BusinessLogic_FrameThread *> m_receivers;
    QMap<QString, QMap<QString, AVPlayer *>> m_players;
    QMap<QString, QString> m_channelSlotNames;
    QMap<QString, QString> m_channelNames;
};
