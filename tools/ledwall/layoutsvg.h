#pragma once
// A picture of a screen layout (the editor map of the connection model) as SVG:
// each display's grid of cabinets at its offset, each cabinet labelled PORT:CARD
// and coloured by its port, and per port arrows along the chaining order (card
// 0, 1, 2, ...). Cells without a cabinet are drawn dashed.

#include <QString>
#include <QVariantMap>

namespace cli
{

struct LayoutPicture {
    QString svg;
    int displays = 0;
    int cabinets = 0;
};

LayoutPicture renderLayoutSvg(const QVariantMap &editorMap);

} // namespace cli
