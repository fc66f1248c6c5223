#include "bll_businesslogic_bmpfile.h"

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "filepaths.h"
#include "filereader.h"
#include "subtitlebitmap.h"

#include <QLoggingCategory>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

using namespace ledwall::subtitle;

namespace
{
Q_LOGGING_CATEGORY(lcBmpFile, "ledwall.subtitle.bmpfile")
}

// ---- sending worker --------------------------------------------------------------------

BLL_BusinessLogic_SendBMPFile::BLL_BusinessLogic_SendBMPFile(QObject *parent)
    : QObject(parent), m_ackTimer(new QTimer(this))
{
    m_ackTimer->setSingleShot(true);
    m_ackTimer->setInterval(AckTimeoutMs);
    connect(m_ackTimer, &QTimer::timeout, this, &BLL_BusinessLogic_SendBMPFile::chunkUnanswered);
}

void BLL_BusinessLogic_SendBMPFile::slot_startSendBMPFile(QVariantMap map)
{
    const QString path =
        ledwall::normalizeFilePath(map.value(QStringLiteral("fileName")).toString());
    const ledwall::FileContents file = ledwall::readWholeFile(path, MaxFileSize);
    const Conversion conversion =
        file.ok() ? convert(file.bytes, ConversionOptions::fromMap(map)) : Conversion();
    const QString error =
        file.ok() ? conversion.error
                  : QStringLiteral("Bitmap file cannot be read: %1").arg(file.errorString);
    if (!error.isEmpty()) {
        m_ended = true;
        emit sig_endSendBMPFile(error);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_transfer.start(map.value(QStringLiteral("guid")).toString(), conversion.pixels);
    }
    sendNext();
}

void BLL_BusinessLogic_SendBMPFile::slot_nextSendBMPFile(QVariantMap map)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_transfer.acknowledge(map))
            return;
    }
    sendNext();
}

void BLL_BusinessLogic_SendBMPFile::sendNext()
{
    std::optional<QVariantMap> command;
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        command = m_transfer.takeCommand();
        last = m_transfer.finished();
    }
    if (!command || m_ended)
        return;
    BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(*command);
    if (last) {
        m_ended = true;
        emit sig_endSendBMPFile(QStringLiteral("Bitmap transfer completed"));
    } else {
        m_ackTimer->start();
    }
}

void BLL_BusinessLogic_SendBMPFile::chunkUnanswered()
{
    int position = 0;
    bool again = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        again = m_transfer.retry();
        position = m_transfer.position();
    }
    if (again) {
        sendNext();
    } else if (!m_ended) {
        m_ended = true;
        emit sig_endSendBMPFile(
            QStringLiteral("Bitmap transfer failed: chunk at %1 not acknowledged").arg(position));
    }
}

// ---- saving worker ---------------------------------------------------------------------

void BLL_BusinessLogic_SaveBMPFile::slot_startSaveBMPFile(QVariantMap map)
{
    const QString path =
        ledwall::applicationDirectory() + (map.value(QStringLiteral("topOrButtomSubtitle")).toBool()
                                               ? QStringLiteral("/PFile0.bmp")
                                               : QStringLiteral("/PFile1.bmp"));
    const QByteArray file = oneBitBitmap(map.value(QStringLiteral("BMPData")).toByteArray(),
                                         map.value(QStringLiteral("BMPWidth")).toInt(),
                                         map.value(QStringLiteral("BMPHeight")).toInt(),
                                         ConversionOptions::fromMap(map));
    QString error;
    QSaveFile out(path);
    if (file.isEmpty())
        error = QStringLiteral("pixel data does not cover the size");
    else if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit())
        error = out.errorString();
    QVariantMap result{{QStringLiteral("result"), error.isEmpty()},
                       {QStringLiteral("filePath"), path}};
    if (!error.isEmpty()) {
        qCDebug(lcBmpFile) << "subtitle bitmap not saved:" << path << error;
        result.insert(QStringLiteral("error"), error);
    }
    emit sig_endSaveBMPFile(result);
}

// ---- the threads -------------------------------------------------------------------------

BLL_BusinessLogic_BMPFile::BLL_BusinessLogic_BMPFile(QObject *parent) : QObject(parent) {}

BLL_BusinessLogic_BMPFile::~BLL_BusinessLogic_BMPFile()
{
    const QList<QObject *> workers = m_threads.keys();
    for (QObject *worker : workers)
        endWorker(worker);
}

QThread *BLL_BusinessLogic_BMPFile::startWorker(QObject *worker)
{
    auto *thread = new QThread;
    worker->moveToThread(thread);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    m_threads.insert(worker, thread);
    thread->start();
    return thread;
}

void BLL_BusinessLogic_BMPFile::endWorker(QObject *worker)
{
    QThread *thread = m_threads.take(worker);
    if (!thread)
        return;
    worker->disconnect(this);
    BLL_BusinessLogic_Desktop::instance()->disconnect(worker);
    // The worker goes with the thread's last events (finished -> deleteLater).
    thread->quit();
    thread->wait();
    delete thread;
}

void BLL_BusinessLogic_BMPFile::sendBMPFileName(QVariantMap map)
{
    auto *worker = new BLL_BusinessLogic_SendBMPFile;
    connect(BLL_BusinessLogic_Desktop::instance(),
            &BLL_BusinessLogic_Desktop::sig_devicesModuleData, worker,
            &BLL_BusinessLogic_SendBMPFile::slot_nextSendBMPFile);
    connect(worker, &BLL_BusinessLogic_SendBMPFile::sig_endSendBMPFile, this,
            [this, worker](QString message) {
                endWorker(worker);
                emit sig_endSendBMPFile(message);
            });
    startWorker(worker);
    // Only this worker starts: every transfer has its own request.
    QMetaObject::invokeMethod(worker, "slot_startSendBMPFile", Qt::QueuedConnection,
                              Q_ARG(QVariantMap, map));
}

void BLL_BusinessLogic_BMPFile::saveBMPFileData(QVariantMap map)
{
    auto *worker = new BLL_BusinessLogic_SaveBMPFile;
    connect(worker, &BLL_BusinessLogic_SaveBMPFile::sig_endSaveBMPFile, this,
            [this, worker](QVariantMap result) {
                endWorker(worker);
                emit sig_endSaveBMPFile(result);
            });
    startWorker(worker);
    QMetaObject::invokeMethod(worker, "slot_startSaveBMPFile", Qt::QueuedConnection,
                              Q_ARG(QVariantMap, map));
}
