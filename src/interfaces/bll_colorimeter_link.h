#pragma once
// Colorimeter link: takes measurement commands for the colorimeter.
//
// A command is a parameter map; appendCommandData queues it in arrival order
// and announces it with sig_commandAppended. The queue holds at most
// MaxPendingCommands maps: when it is full the oldest command is dropped (and
// logged), so a link that nobody drains cannot grow without bound.
// takePendingCommands hands the queue over and empties it. All members may be
// called from any thread.

#include <QList>
#include <QMutex>
#include <QObject>
#include <QVariantMap>

class BLL_Colorimeter_Link : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxPendingCommands = 256;

    explicit BLL_Colorimeter_Link(QObject *parent = nullptr);
    ~BLL_Colorimeter_Link() override;

    void appendCommandData(QVariantMap commandData);

    QList<QVariantMap> pendingCommands() const;
    QList<QVariantMap> takePendingCommands();
    int pendingCount() const;
    void clearCommands();

signals:
    void sig_commandAppended(QVariantMap commandData);
    // Reserved for the measurement side: one result map per measured command.
    void sig_measureData(QVariantMap measureData);

private:
    mutable QMutex m_mutex;
    QList<QVariantMap> m_commands;
};
