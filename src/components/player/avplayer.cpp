#include "avplayer.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

#ifdef LEDWALL_HAVE_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
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

AVPlayer::AVPlayer(QObject *parent) : QObject(parent), m_decoder(new AVPlayerDecoder) {}

AVPlayer::~AVPlayer() = default;

bool AVPlayer::putH264ArraryData(const QByteArray &frameData)
{
    if (frameData.isEmpty() || frameData.size() > MaxFrameSize) {
        qCDebug(lcPlayer) << "access unit of" << frameData.size() << "bytes refused";
        return false;
    }
    ++m_framesReceived;
    if (!m_decoder->isOpen())
        return true;
    QList<QImage> pictures;
    if (!m_decoder->decode(frameData, &pictures))
        ++m_decodeErrors;
    for (const QImage &picture : std::as_const(pictures))
        deliver(picture);
    return true;
}

int AVPlayer::addVideoRenderer(VideoRenderer renderer)
{
    if (!renderer)
        return 0;
    const int id = m_nextRendererId++;
    m_renderers.emplace(id, std::move(renderer));
    return id;
}

void AVPlayer::removeVideoRenderer(int id)
{
    m_renderers.erase(id);
}

void AVPlayer::clearVideoRenderers()
{
    m_renderers.clear();
}

int AVPlayer::videoRendererCount() const
{
    return int(m_renderers.size());
}

bool AVPlayer::hasDecoder() const
{
    return m_decoder->isOpen();
}

void AVPlayer::deliver(const QImage &frame)
{
    ++m_framesDecoded;
    m_lastFrame = frame;
    // A renderer may detach renderers while it runs; call a snapshot.
    const auto renderers = m_renderers;
    for (const auto &entry : renderers)
        entry.second(frame);
    emit sig_frameDecoded(frame);
}
