#include "bll_businesslogic_sendbmpfilethread.h"

#include "bll_businesslogic_desktop.h"
#include "filepaths.h"
#include "filereader.h"
#include "subtitlebitmap.h"
#include "subtitletransfer.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>

using namespace ledwall::subtitle;

namespace
{
Q_LOGGING_CATEGORY(lcSubtitle, "ledwall.subtitle")

const QString Completed = QStringLiteral("Bitmap transfer completed");

QString requestPath(const QVariantMap &map)
{
    return ledwall::normalizeFilePath(map.value(QStringLiteral("fileName")).toString());
}
} // namespace

BLL_BusinessLogic_SendBMPFileThread::BLL_BusinessLogic_SendBMPFileThread(QObject *parent)
    : QObject(parent), m_transfer(std::make_unique<SubtitleTransfer>())
{
    static_assert(MaxAttempts == SubtitleTransfer::MaxAttempts);
}

BLL_BusinessLogic_SendBMPFileThread::~BLL_BusinessLogic_SendBMPFileThread()
{
    m_running = false;
    m_worker.joinAll();
}

QVariantMap BLL_BusinessLogic_SendBMPFileThread::getBMPFileInformation(QVariantMap map)
{
    const ledwall::FileContents head = ledwall::readFileHead(requestPath(map), FileHeaderSize);
    return head.ok() ? headerInformation(head.bytes) : QVariantMap();
}

bool BLL_BusinessLogic_SendBMPFileThread::sendBMPFileName(QVariantMap map)
{
    if (m_active) {
        qCDebug(lcSubtitle) << "a bitmap transfer is running; request ignored";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_converted = false;
        m_data.clear();
        *m_transfer = {};
    }
    m_request = map;
    m_guid = map.value(QStringLiteral("guid")).toString();
    m_running = true;
    m_active = true;
    connect(this, &BLL_BusinessLogic_SendBMPFileThread::sig_closeThread, this,
            &BLL_BusinessLogic_SendBMPFileThread::slot_closeThread, Qt::UniqueConnection);
    connect(BLL_BusinessLogic_Desktop::instance(),
            &BLL_BusinessLogic_Desktop::sig_devicesModuleData, this,
            &BLL_BusinessLogic_SendBMPFileThread::slot_nextSendBMPFile, Qt::UniqueConnection);
    if (!m_worker.start([this] { sendBMPFileThreadFun(); })) {
        slot_closeThread(QStringLiteral("Bitmap transfer could not start"));
        return false;
    }
    return true;
}

bool BLL_BusinessLogic_SendBMPFileThread::convertFile(const QVariantMap &request)
{
    const QString path = requestPath(request);
    const ledwall::FileContents file = ledwall::readWholeFile(path, MaxFileSize);
    QString error;
    Conversion conversion;
    if (!file.ok()) {
        error = QStringLiteral("Bitmap file cannot be read: %1").arg(file.errorString);
    } else {
        conversion = convert(file.bytes, ConversionOptions::fromMap(request));
        error = conversion.error;
    }
    if (!error.isEmpty()) {
        qCDebug(lcSubtitle) << "bitmap not sent:" << path << error;
        m_running = false;
        emit sig_closeThread(error);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data = conversion.pixels;
    m_transfer->start(m_guid, m_data);
    m_converted = true;
    return true;
}

void BLL_BusinessLogic_SendBMPFileThread::sendBMPFileThreadFun()
{
    QElapsedTimer sinceSent;
    while (m_running) {
        QThread::msleep(10);
        bool converted;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            converted = m_converted;
        }
        if (!converted) {
            if (!convertFile(m_request))
                return;
            continue;
        }
        std::optional<QVariantMap> command;
        bool last = false;
        int unanswered = -1;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            command = m_transfer->takeCommand();
            last = m_transfer->finished();
            if (command) {
                sinceSent.start();
            } else if (m_transfer->waiting() && sinceSent.elapsed() >= AckTimeoutMs) {
                if (m_transfer->retry())
                    qCDebug(lcSubtitle)
                        << "chunk at" << m_transfer->position() << "not acknowledged; sent again";
                else
                    unanswered = m_transfer->position();
            }
        }
        if (command)
            BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(*command);
        if (command && last) {
            m_running = false;
            emit sig_closeThread(Completed);
            return;
        }
        if (unanswered >= 0) {
            m_running = false;
            qCDebug(lcSubtitle) << "no acknowledgement of the chunk at" << unanswered;
            emit sig_closeThread(
                QStringLiteral("Bitmap transfer failed: chunk at %1 not acknowledged")
                    .arg(unanswered));
            return;
        }
    }
}

void BLL_BusinessLogic_SendBMPFileThread::sendBMPFileByteArray(int position)
{
    QByteArray data;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        data = m_data;
    }
    BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(
        chunkCommand(m_guid, data, position));
    if (position >= data.size()) {
        m_running = false;
        emit sig_closeThread(Completed);
    }
}

void BLL_BusinessLogic_SendBMPFileThread::slot_nextSendBMPFile(QVariantMap map)
{
    int done = 0, total = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Only the chunk in flight counts: a late or repeated answer changes nothing.
        if (!m_transfer->acknowledge(map))
            return;
        done = m_transfer->acknowledged();
        total = m_transfer->chunkTotal();
    }
    emit sig_chunkAcknowledged(done, total);
}

int BLL_BusinessLogic_SendBMPFileThread::acknowledgedChunks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transfer->acknowledged();
}

int BLL_BusinessLogic_SendBMPFileThread::chunkTotal() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transfer->chunkTotal();
}

void BLL_BusinessLogic_SendBMPFileThread::slot_closeThread(QString message)
{
    qCDebug(lcSubtitle) << "close thread" << message;
    m_running = false;
    // The worker notices within one 10 ms turn; its thread is joined by the next
    // start or by the destructor (WorkerThreads).
    while (m_worker.runningCount() > 0)
        QThread::msleep(1);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_data.clear();
        m_converted = false;
    }
    m_active = false;
    disconnect(this, &BLL_BusinessLogic_SendBMPFileThread::sig_closeThread, this,
               &BLL_BusinessLogic_SendBMPFileThread::slot_closeThread);
    disconnect(BLL_BusinessLogic_Desktop::instance(),
               &BLL_BusinessLogic_Desktop::sig_devicesModuleData, this,
               &BLL_BusinessLogic_SendBMPFileThread::slot_nextSendBMPFile);
}
