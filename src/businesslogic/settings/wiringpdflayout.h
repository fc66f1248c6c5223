#pragma once
// Page geometry of the wiring picture export: one PDF page holding the picture
// and, below it, a three-row table (title, date, resolution).

#include <QLineF>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QVector>

namespace ledwall
{

struct WiringPdfLayout {
    double dpiX = 96; // the picture's resolution, at least 96
    double dpiY = 96;
    QSize pagePixels; // W = max(picture width, 260) + 40, H = picture height + 120
    QSizeF pageMillimetres;
    QPoint imageTopLeft;
    QVector<QLineF> tableLines; // four horizontal, then two vertical
    QVector<QRect> tableRows;   // title, date, resolution
};

constexpr int wiringTableWidth = 260;
constexpr int wiringTableRowHeight = 20;

// `dotsPerMetreX/Y` as QImage reports them.
WiringPdfLayout wiringPdfLayout(QSize imageSize, int dotsPerMetreX, int dotsPerMetreY);

} // namespace ledwall
