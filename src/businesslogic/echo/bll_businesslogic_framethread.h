#pragma once
// The receiver of one processor slot's echo video. start() raises a worker thread
// that sends the echo request to the processor, waits on its UDP socket, learns
// the stream mode from the stream information datagram (asking again every second
// until it comes) and reassembles frames
// (echoframeassembler.h); every complete frame is emitted as sig_data from the
// worker thread. Datagrams from any other host than the processor are ignored.
// Stopping (or destroying) the receiver joins the worker thread.

#include "echodatagram.h"
#include "echoframeassembler.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <mutex>

class WorkerThreads;

class BLL_BusinessLogic_FrameThread : public QObject
{
    Q_OBJECT
public:
    // How long the worker waits on the socket before it looks at the running flag.
    static constexpr int WaitMs = 50;
    // The request is repeated this often until the stream information arrives.
    static constexpr int RequestRepeatMs = 1000;

    explicit BLL_BusinessLogic_FrameThread(QObject *parent = nullptr);
    ~BLL_BusinessLogic_FrameThread() override;

    // (Re)starts the worker for `slot`, asking `address`:`port` for its echo stream.
    void start(QString slot, QString address, unsigned short port);
    void stop();

    ledwall::echo::StreamMode streamMode() const;
    // {"streamMode", "datagrams", "refused", "foreign", "evicted",
    //  "channels": {"<channel>": {"frames", "lost"}}}
    QVariantMap statistics() const;

signals:
    void sig_data(QString slotNum, QString channelId, QByteArray data);
    // The stream mode the processor announced (once per start).
    void sig_streamMode(QString slotNum, int mode);

private:
    void frameThreadFun(QString slot, QString address, quint16 port);

    std::unique_ptr<WorkerThreads> m_worker;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_streamMode{int(ledwall::echo::StreamMode::Unknown)};
    QString m_slot;
    QString m_address;
    unsigned short m_port = 0;

    mutable std::mutex m_countsMutex;
    QMap<int, ledwall::echo::EchoFrameLoss> m_channels;
    quint64 m_datagrams = 0, m_refused = 0, m_foreign = 0, m_evicted = 0;
};
