#pragma once
// The geometry of the desktop screen under a point, as the compact JSON text the
// interface places its windows with.

#include <QList>
#include <QRect>
#include <QString>

namespace ledwall
{

struct ScreenArea {
    QRect geometry;  // the whole screen, desktop coordinates
    QRect available; // its work area (without task bars and docks)
};

using ScreenAreaList = QList<ScreenArea>;

// The screens of the running QGuiApplication, in its order; empty without one.
ScreenAreaList applicationScreens();

// {"x", "y", "w", "h", "ret": true} for the first screen that holds (x, y) (left
// and top edges inclusive, right and bottom exclusive); {"ret": false} when none
// does. w and h are the screen's size less what the work area leaves out; a
// screen whose work area is the whole screen reports one line less in height.
QString desktopInfoJson(const ScreenAreaList &screens, double x, double y);

} // namespace ledwall
