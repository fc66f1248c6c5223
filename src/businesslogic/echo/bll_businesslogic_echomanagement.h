#pragma once
// Video echo: one receiver per processor slot reassembles the H.264 frames that a
// processor echoes back, and one player per slot and channel shows them.
//
// This is the shell the facade owns and wires; the receivers and players arrive
// with the echo feature.

#include <QByteArray>
#include <QObject>
#include <QString>

class AVPlayer;

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

public slots:
    // One complete frame of `slotNum`'s channel `channelId`.
    void slot_recvData(QString slotNum, QString channelId, QByteArray frameData);
};
