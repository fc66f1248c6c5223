#include "avplayer.h"

#include <QLoggingCategory>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#ifdef LEDWALL_HAVE_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixfmt.h>
}
#endif

Q_LOGGING_CATEGORY(lcPlayer, "ledwall.player")

#ifdef LEDWALL_HAVE_FFMPEG

namespace
{

constexpr int kMaxDimension = 8192;

int clampByte(int value)
{
    return std::clamp(value, 0, 255);
}

// Planar 8-bit YCbCr (BT.601) to RGB32. fullRange for the JPEG-range formats.
QImage toImage(const AVFrame *frame, int chromaShiftX, int chromaShiftY, bool fullRange)
{
    QImage image(frame->width, frame->height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < frame->height; ++y) {
        const uint8_t *lumaRow = frame->data[0] + y * frame->linesize[0];
        const uint8_t *cbRow = frame->data[1] + (y >> chromaShiftY) * frame->linesize[1];
        const uint8_t *crRow = frame->data[2] + (y >> chromaShiftY) * frame->linesize[2];
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < frame->width; ++x) {
            int luma = lumaRow[x];
            const int cb = cbRow[x >> chromaShiftX] - 128;
            const int cr = crRow[x >> chromaShiftX] - 128;
            int r, g, b;
            if (fullRange) {
                luma <<= 8;
                r = (luma + 359 * cr + 128) >> 8;
                g = (luma - 88 * cb - 183 * cr + 128) >> 8;
                b = (luma + 454 * cb + 128) >> 8;
            } else {
                luma = 298 * (luma - 16);
                r = (luma + 409 * cr + 128) >> 8;
                g = (luma - 100 * cb - 208 * cr + 128) >> 8;
                b = (luma + 516 * cb + 128) >> 8;
            }
            out[x] = qRgb(clampByte(r), clampByte(g), clampByte(b));
        }
    }
    return image;
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

} // namespace

class AVPlayerDecoder
{
public:
    AVPlayerDecoder()
    {
        const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
        if (!codec) {
            qCDebug(lcPlayer) << "no H.264 decoder in this FFmpeg build";
            return;
        }
        // libavcodec's own messages only when the player's debug output is wanted.
        if (!lcPlayer().isDebugEnabled())
            av_log_set_level(AV_LOG_QUIET);
        m_context = avcodec_alloc_context3(codec);
        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_context || !m_packet || !m_frame)
            return;
        // Echo video is shown as it arrives: no frame reordering delay.
        m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
        const int status = avcodec_open2(m_context, codec, nullptr);
        if (status < 0) {
            qCDebug(lcPlayer) << "H.264 decoder did not open:" << errorText(status);
            return;
        }
        m_open = true;
    }

    ~AVPlayerDecoder()
    {
        avcodec_free_context(&m_context);
        av_packet_free(&m_packet);
        av_frame_free(&m_frame);
    }

    bool isOpen() const { return m_open; }

    // Decodes one access unit; false when the decoder rejected it.
    bool decode(const QByteArray &data, QList<QImage> *pictures)
    {
        if (!m_open)
            return false;
        // av_new_packet adds the zeroed padding the bitstream reader needs.
        if (av_new_packet(m_packet, data.size()) < 0)
            return false;
        std::memcpy(m_packet->data, data.constData(), size_t(data.size()));
        int status = avcodec_send_packet(m_context, m_packet);
        av_packet_unref(m_packet);
        if (status < 0) {
            qCDebug(lcPlayer) << "access unit rejected:" << errorText(status);
            return false;
        }
        bool ok = true;
        while ((status = avcodec_receive_frame(m_context, m_frame)) >= 0) {
            const QImage image = convert(m_frame);
            if (image.isNull())
                ok = false;
            else
                pictures->append(image);
            av_frame_unref(m_frame);
        }
        if (status != AVERROR(EAGAIN) && status != AVERROR_EOF) {
            qCDebug(lcPlayer) << "decoding failed:" << errorText(status);
            return false;
        }
        return ok;
    }

private:
    static QImage convert(const AVFrame *frame)
    {
        if (frame->width <= 0 || frame->height <= 0 || frame->width > kMaxDimension ||
            frame->height > kMaxDimension)
            return QImage();
        switch (frame->format) {
        case AV_PIX_FMT_YUV420P:
            return toImage(frame, 1, 1, false);
        case AV_PIX_FMT_YUVJ420P:
            return toImage(frame, 1, 1, true);
        case AV_PIX_FMT_YUV422P:
            return toImage(frame, 1, 0, false);
        case AV_PIX_FMT_YUVJ422P:
            return toImage(frame, 1, 0, true);
        case AV_PIX_FMT_YUV444P:
            return toImage(frame, 0, 0, false);
        case AV_PIX_FMT_YUVJ444P:
            return toImage(frame, 0, 0, true);
        default:
            qCDebug(lcPlayer) << "unsupported picture format" << frame->format;
            return QImage();
        }
    }

    AVCodecContext *m_context = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    bool m_open = false;
};

#else

// Build without FFmpeg: units are counted, nothing is decoded.
class AVPlayerDecoder
{
public:
    bool isOpen() const { return false; }
    bool decode(const QByteArray &, QList<QImage> *) { return false; }
};

#endif

// The queue between the callers and the decoding thread, the renderers and the
// counters. Everything here is shared between the two sides.
class AVPlayerQueue
{
public:
    std::mutex mutex;
    std::condition_variable wake; // a unit arrived or the player stops
    std::condition_variable idle; // the queue ran empty
    std::deque<QByteArray> units;
    int capacity = AVPlayer::DefaultQueueLength;
    bool stopping = false;
    bool decoding = false; // a unit is taken and not yet rendered
    std::thread thread;
    int received = 0, decoded = 0, errors = 0, dropped = 0;
    QImage lastFrame;

    // Held while renderers run, so none is called after it has been detached.
    std::recursive_mutex renderersMutex;
    std::vector<AVVideoRenderer *> renderers;
};

AVPlayer::AVPlayer(QObject *parent)
    : QObject(parent), m_decoder(new AVPlayerDecoder), m_queue(new AVPlayerQueue)
{
}

AVPlayer::~AVPlayer()
{
    {
        std::lock_guard<std::mutex> lock(m_queue->mutex);
        m_queue->stopping = true;
        m_queue->units.clear();
    }
    m_queue->wake.notify_all();
    if (m_queue->thread.joinable())
        m_queue->thread.join();
}

bool AVPlayer::putH264ArraryData(const QByteArray &frameData)
{
    if (frameData.isEmpty() || frameData.size() > MaxFrameSize) {
        qCDebug(lcPlayer) << "access unit of" << frameData.size() << "bytes refused";
        return false;
    }
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    ++m_queue->received;
    if (!m_decoder->isOpen())
        return true;
    if (!m_queue->thread.joinable())
        m_queue->thread = std::thread([this] { decodingThreadFun(); });
    while (int(m_queue->units.size()) >= m_queue->capacity) {
        m_queue->units.pop_front();
        ++m_queue->dropped;
    }
    m_queue->units.push_back(frameData);
    m_queue->wake.notify_one();
    return true;
}

void AVPlayer::decodingThreadFun()
{
    std::unique_lock<std::mutex> lock(m_queue->mutex);
    for (;;) {
        m_queue->wake.wait(lock, [this] { return m_queue->stopping || !m_queue->units.empty(); });
        if (m_queue->stopping)
            return;
        const QByteArray unit = m_queue->units.front();
        m_queue->units.pop_front();
        m_queue->decoding = true;
        lock.unlock();

        QList<QImage> pictures;
        const bool ok = m_decoder->decode(unit, &pictures);
        {
            std::lock_guard<std::recursive_mutex> renderersLock(m_queue->renderersMutex);
            for (const QImage &picture : std::as_const(pictures)) {
                for (AVVideoRenderer *renderer : m_queue->renderers)
                    renderer->renderFrame(picture);
            }
        }
        for (const QImage &picture : std::as_const(pictures))
            emit sig_frameDecoded(picture);

        lock.lock();
        m_queue->errors += ok ? 0 : 1;
        m_queue->decoded += pictures.size();
        if (!pictures.isEmpty())
            m_queue->lastFrame = pictures.constLast();
        m_queue->decoding = false;
        if (m_queue->units.empty())
            m_queue->idle.notify_all();
    }
}

void AVPlayer::addVideoRenderer(AVVideoRenderer *renderer)
{
    std::lock_guard<std::recursive_mutex> lock(m_queue->renderersMutex);
    if (renderer && std::find(m_queue->renderers.begin(), m_queue->renderers.end(), renderer) ==
                        m_queue->renderers.end())
        m_queue->renderers.push_back(renderer);
}

void AVPlayer::removeVideoRenderer(AVVideoRenderer *renderer)
{
    std::lock_guard<std::recursive_mutex> lock(m_queue->renderersMutex);
    auto &renderers = m_queue->renderers;
    renderers.erase(std::remove(renderers.begin(), renderers.end(), renderer), renderers.end());
}

void AVPlayer::clearVideoRenderers()
{
    std::lock_guard<std::recursive_mutex> lock(m_queue->renderersMutex);
    m_queue->renderers.clear();
}

int AVPlayer::videoRendererCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_queue->renderersMutex);
    return int(m_queue->renderers.size());
}

void AVPlayer::setQueueLength(int units)
{
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    m_queue->capacity = std::max(1, units);
}

bool AVPlayer::waitUntilIdle(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_queue->mutex);
    return m_queue->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_queue->units.empty() && !m_queue->decoding; });
}

bool AVPlayer::hasDecoder() const
{
    return m_decoder->isOpen();
}

int AVPlayer::counter(int AVPlayerQueue::*field) const
{
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    return (*m_queue).*field;
}

int AVPlayer::framesReceived() const
{
    return counter(&AVPlayerQueue::received);
}

int AVPlayer::framesDecoded() const
{
    return counter(&AVPlayerQueue::decoded);
}

int AVPlayer::decodeErrors() const
{
    return counter(&AVPlayerQueue::errors);
}

int AVPlayer::framesDropped() const
{
    return counter(&AVPlayerQueue::dropped);
}

QImage AVPlayer::lastFrame() const
{
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    return m_queue->lastFrame;
}
