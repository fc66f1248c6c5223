#include "wiringpdflayout.h"

#include <QtGlobal>

namespace ledwall
{

WiringPdfLayout wiringPdfLayout(QSize imageSize, int dotsPerMetreX, int dotsPerMetreY)
{
    constexpr double inchesPerMetre = 39.3701;
    WiringPdfLayout layout;
    layout.dpiX = qMax(96.0, dotsPerMetreX / inchesPerMetre);
    layout.dpiY = qMax(96.0, dotsPerMetreY / inchesPerMetre);

    const int width = qMax(imageSize.width(), wiringTableWidth) + 40;
    const int height = imageSize.height() + 120;
    layout.pagePixels = QSize(width, height);
    layout.pageMillimetres = QSizeF(width * 25.4 / layout.dpiX, height * 25.4 / layout.dpiY);
    layout.imageTopLeft = QPoint((width - imageSize.width() - 40) / 2 + 20, 20);

    const int x0 = imageSize.width() > 520 ? width - 300 : (width - 300) / 2 + 20;
    const int y0 = imageSize.height() + 40;
    for (int row = 0; row <= 3; ++row) {
        const int y = y0 + row * wiringTableRowHeight;
        layout.tableLines.append(QLineF(x0, y, x0 + wiringTableWidth, y));
    }
    const int bottom = y0 + 3 * wiringTableRowHeight;
    layout.tableLines.append(QLineF(x0, y0, x0, bottom));
    layout.tableLines.append(QLineF(x0 + wiringTableWidth, y0, x0 + wiringTableWidth, bottom));
    for (int row = 0; row < 3; ++row)
        layout.tableRows.append(
            QRect(x0, y0 + row * wiringTableRowHeight, wiringTableWidth, wiringTableRowHeight));
    return layout;
}

} // namespace ledwall
