#pragma once
// A renderer that saves every picture as a PNG file:
// <directory>/<prefix>00000.png, <prefix>00001.png, ... up to `maxFiles` files
// (0 = no limit); pictures past the limit are counted, not written.

#include "avvideorenderer.h"

#include <QString>

#include <atomic>

class AVPngRenderer : public AVVideoRenderer
{
public:
    AVPngRenderer(const QString &directory, const QString &prefix, int maxFiles = 0);
    void renderFrame(const QImage &frame) override;

    int filesWritten() const { return m_written; }
    int writeFailures() const { return m_failed; }

private:
    QString m_directory;
    QString m_prefix;
    int m_maxFiles;
    std::atomic<int> m_written{0};
    std::atomic<int> m_failed{0};
    std::atomic<int> m_seen{0};
};
