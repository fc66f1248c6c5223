#include "echoclip.h"

#include <QPainter>

#include <cmath>

namespace ledwall::echoclip
{

QImage testPattern(int channel, int frame)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            if (channel == 0) {
                line[x] = qRgb(x * 255 / Width, y * 255 / Height, 128);
            } else {
                const int wave =
                    128 + int(100 * std::sin((x + y + frame * 3) * 2 * 3.14159265 / 48));
                line[x] = qRgb(wave, 255 - wave, 64);
            }
        }
    }
    // A square that moves one step per picture, so that motion is coded.
    QPainter painter(&image);
    const int side = 24;
    painter.fillRect((frame * 4) % (Width - side), channel == 0 ? 36 : 12, side, side,
                     channel == 0 ? QColor(235, 235, 235) : QColor(30, 30, 200));
    return image;
}

} // namespace ledwall::echoclip
