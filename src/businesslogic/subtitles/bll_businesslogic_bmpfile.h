#pragma once
// The older subtitle workers, on Qt threads: BLL_BusinessLogic_BMPFile runs each
// request on a thread of its own with a worker object moved onto it, so several
// bitmaps can be sent at once (each worker takes only the acknowledgements of its
// own device and chunk), and it saves a subtitle read back from a card as a 1-bit
// bitmap file ("/PFile0.bmp" for the top subtitle, "/PFile1.bmp" for the bottom one,
// in the application's directory).
//
// Every thread is quit and waited for when its work ends or when the
// BLL_BusinessLogic_BMPFile goes; its worker is deleted as the thread finishes.

#include "subtitletransfer.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <mutex>

class QThread;
class QTimer;

class BLL_BusinessLogic_SendBMPFile : public QObject
{
    Q_OBJECT
public:
    static constexpr int AckTimeoutMs = 1000;
    explicit BLL_BusinessLogic_SendBMPFile(QObject *parent = nullptr);

signals:
    // "Bitmap transfer completed" or why the transfer ended.
    void sig_endSendBMPFile(QString message);

public slots:
    // Converts the request's file at once and sends the first chunk.
    void slot_startSendBMPFile(QVariantMap map);
    void slot_nextSendBMPFile(QVariantMap map);

private:
    void sendNext();
    void chunkUnanswered();

    std::mutex m_mutex;
    ledwall::subtitle::SubtitleTransfer m_transfer;
    QTimer *m_ackTimer;
    bool m_ended = false;
};

class BLL_BusinessLogic_SaveBMPFile : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // {"result": bool, "filePath", "error" when it failed}.
    void sig_endSaveBMPFile(QVariantMap vMap);

public slots:
    // "BMPData" (the card's pixel bytes), "BMPWidth", "BMPHeight", the colours and
    // "topOrButtomSubtitle".
    void slot_startSaveBMPFile(QVariantMap map);
};

class BLL_BusinessLogic_BMPFile : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_BMPFile(QObject *parent = nullptr);
    ~BLL_BusinessLogic_BMPFile() override;

    // Starts a transfer on a thread of its own.
    void sendBMPFileName(QVariantMap map);
    // Saves a subtitle as a 1-bit bitmap on a thread of its own.
    void saveBMPFileData(QVariantMap map);
    int runningWorkers() const { return m_threads.size(); }

signals:
    void sig_endSendBMPFile(QString message);
    void sig_endSaveBMPFile(QVariantMap vMap);

private:
    QThread *startWorker(QObject *worker);
    void endWorker(QObject *worker);

    QHash<QObject *, QThread *> m_threads; // worker -> its thread
};
