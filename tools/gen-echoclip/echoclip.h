#pragma once
// The short H.264 clip the virtual wall echoes back: a moving test pattern per
// channel, encoded with libavcodec when the project is built (gen_echoclip.cpp)
// and compiled into the programs that use it.

#include <QByteArray>
#include <QImage>
#include <QVector>

namespace ledwall::echoclip
{

constexpr int Width = 160;
constexpr int Height = 96;
constexpr int FramesPerSecond = 25;
constexpr int FramesPerChannel = 75; // three seconds
constexpr int Channels = 2;

// Access units (Annex B, one picture each) per channel; the first of every second
// is an IDR picture with its parameter sets. Empty when the build had no H.264
// encoder.
const QVector<QVector<QByteArray>> &accessUnits();

// Picture `frame` of channel `channel` as it was before encoding.
QImage testPattern(int channel, int frame);

} // namespace ledwall::echoclip
