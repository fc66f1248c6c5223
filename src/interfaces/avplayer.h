#pragma once
// H.264 video player for echoed processor video.
//
// putH264ArraryData takes one complete H.264 access unit (Annex B byte stream,
// start codes included) per call and returns at once: the unit waits in a short
// queue for the player's decoding thread. When the queue is full the oldest
// waiting unit is dropped and counted (framesDropped), so a slow decoder never
// makes the caller wait or memory grow. With FFmpeg every picture a unit yields
// is converted to a QImage (Format_RGB32), handed to each attached renderer and
// emitted as sig_frameDecoded, both on the decoding thread. A unit that does not
// decode is skipped and counted (decodeErrors); decoding goes on with the next.
// Without FFmpeg (or when no H.264 decoder can be opened) units are only
// counted. Empty units and units larger than MaxFrameSize bytes are refused.
//
// Renderers (avvideorenderer.h) are not owned. clearVideoRenderers detaches them
// all; it is called before the player is deleted. Deleting the player stops and
// joins its decoding thread; units still waiting are discarded.

#include "avvideorenderer.h"

#include <QByteArray>
#include <QImage>
#include <QObject>

#include <memory>

class AVPlayerDecoder;
class AVPlayerQueue;

class AVPlayer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxFrameSize = 16 * 1024 * 1024;
    static constexpr int DefaultQueueLength = 8;

    explicit AVPlayer(QObject *parent = nullptr);
    ~AVPlayer() override;

    // Queues one access unit for decoding and display; false when it was refused.
    bool putH264ArraryData(const QByteArray &frameData);

    void addVideoRenderer(AVVideoRenderer *renderer);
    void removeVideoRenderer(AVVideoRenderer *renderer);
    void clearVideoRenderers();
    int videoRendererCount() const;

    // Units that may wait for the decoder (at least 1); applies to later units.
    void setQueueLength(int units);
    // Waits until every queued unit has been decoded and rendered; false on time-out.
    bool waitUntilIdle(int timeoutMs);

    // True when an H.264 decoder is open (FFmpeg build with a working decoder).
    bool hasDecoder() const;
    int framesReceived() const;
    int framesDecoded() const;
    int decodeErrors() const;
    int framesDropped() const;
    QImage lastFrame() const;

signals:
    void sig_frameDecoded(QImage frame);

private:
    void decodingThreadFun();
    int counter(int AVPlayerQueue::*field) const;

    std::unique_ptr<AVPlayerDecoder> m_decoder;
    std::unique_ptr<AVPlayerQueue> m_queue;
};
