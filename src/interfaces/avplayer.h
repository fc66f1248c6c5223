#pragma once
// H.264 video player for echoed processor video.
//
// putH264ArraryData takes one complete H.264 access unit (Annex B byte stream,
// start codes included) per call. When the build has FFmpeg the unit is decoded
// at once, in the caller's thread, and every picture it yields is converted to
// a QImage (Format_RGB32), handed to each attached renderer and emitted as
// sig_frameDecoded. Without FFmpeg (or when no H.264 decoder can be opened) the
// units are only counted. Units that do not decode are counted as errors and
// logged; the decoder goes on with the next unit. Units larger than
// MaxFrameSize bytes are refused.
//
// Renderers are callbacks that receive each decoded picture; a video widget
// attaches one per view. clearVideoRenderers detaches them all (done before the
// player is deleted).

#include <QByteArray>
#include <QImage>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

class AVPlayerDecoder;

class AVPlayer : public QObject
{
    Q_OBJECT
public:
    using VideoRenderer = std::function<void(const QImage &frame)>;
    static constexpr int MaxFrameSize = 16 * 1024 * 1024;

    explicit AVPlayer(QObject *parent = nullptr);
    ~AVPlayer() override;

    // Queues one access unit for decoding and display; returns false when it was refused.
    bool putH264ArraryData(const QByteArray &frameData);

    int addVideoRenderer(VideoRenderer renderer); // returns an id for removeVideoRenderer
    void removeVideoRenderer(int id);
    void clearVideoRenderers();
    int videoRendererCount() const;

    // True when an H.264 decoder is open (FFmpeg build with a working decoder).
    bool hasDecoder() const;
    int framesReceived() const { return m_framesReceived; }
    int framesDecoded() const { return m_framesDecoded; }
    int decodeErrors() const { return m_decodeErrors; }
    QImage lastFrame() const { return m_lastFrame; }

signals:
    void sig_frameDecoded(QImage frame);

private:
    void deliver(const QImage &frame);

    std::unique_ptr<AVPlayerDecoder> m_decoder;
    std::map<int, VideoRenderer> m_renderers;
    int m_nextRendererId = 1;
    int m_framesReceived = 0;
    int m_framesDecoded = 0;
    int m_decodeErrors = 0;
    QImage m_lastFrame;
};
