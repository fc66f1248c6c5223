#pragma once
// Subtitle sender: converts a bitmap file into the card's subtitle pixels and sends
// it chunk by chunk through the module pipeline, one chunk per acknowledgement,
// then the end command.
//
// The transfer runs on a worker thread of its own; acknowledgements arrive on the
// facade's thread (slot_nextSendBMPFile) and only one from the target device for
// the chunk in flight moves it on. A chunk that stays unacknowledged is sent again
// after AckTimeoutMs, at most MaxAttempts times in all; then the transfer ends
// with an error. sig_closeThread is the one completion report, and
// slot_closeThread (reached queued) joins the worker.

#include "workerthreads.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <mutex>

namespace ledwall::subtitle
{
class SubtitleTransfer;
}

class BLL_BusinessLogic_SendBMPFileThread : public QObject
{
    Q_OBJECT
public:
    static constexpr int AckTimeoutMs = 1000;
    static constexpr int MaxAttempts = 3; // tries of one chunk

    explicit BLL_BusinessLogic_SendBMPFileThread(QObject *parent = nullptr);
    // Stops and joins a running transfer.
    ~BLL_BusinessLogic_SendBMPFileThread() override;

    // "BMPBit", "BMPWidth", "BMPHeight" of the file named by "fileName"; empty on failure.
    QVariantMap getBMPFileInformation(QVariantMap map);
    // Starts a transfer unless one runs (then the call is ignored and false returned).
    bool sendBMPFileName(QVariantMap map);
    // Sends the chunk at `position`, or the end command after the last one.
    void sendBMPFileByteArray(int position);
    // A transfer was started and not closed yet.
    bool isRunning() const { return m_active; }
    // Chunks the card acknowledged in the current transfer, and their number in all.
    int acknowledgedChunks() const;
    int chunkTotal() const;

signals:
    // The transfer ended: "Bitmap transfer completed" or why it failed.
    void sig_closeThread(QString message);
    // A chunk was acknowledged (`done` of `total` chunks).
    void sig_chunkAcknowledged(int done, int total);

public slots:
    // Every module reply; an acknowledged chunk moves the transfer on.
    void slot_nextSendBMPFile(QVariantMap map);
    void slot_closeThread(QString message);

private:
    void sendBMPFileThreadFun();
    // Converts the request's file; false after reporting why it cannot be sent.
    bool convertFile(const QVariantMap &request);

    std::atomic<bool> m_running{false};
    bool m_active = false; // a transfer was started and not closed yet (own thread only)
    WorkerThreads m_worker;
    QVariantMap m_request;
    QString m_guid;

    mutable std::mutex m_mutex; // guards the members below
    QByteArray m_data;
    bool m_converted = false;
    std::unique_ptr<ledwall::subtitle::SubtitleTransfer> m_transfer;
};
