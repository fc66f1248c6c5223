#pragma once
// Where an AVPlayer shows its pictures: a video widget, a file writer, a test.
//
// renderFrame runs on the player's decoding thread, one picture at a time; a
// renderer that hands the picture to a widget queues it to the widget's thread.
// Once the player's removeVideoRenderer or clearVideoRenderers has returned, the
// renderer is not called again and may be destroyed.

#include <QImage>

class AVVideoRenderer
{
public:
    virtual ~AVVideoRenderer() = default;
    virtual void renderFrame(const QImage &frame) = 0;
};
