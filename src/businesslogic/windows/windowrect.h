#pragma once
// Output windows of a sending-card port as plain values, and the map forms that the
// user interface and the register pages use.
//
// A window map holds "x", "y", "w", "h" (plain dialect) or "x", "y", "width",
// "height" (the complex screen); the two are never mixed within one computation.
// Values may arrive as numbers or as decimal texts. Coordinates are canvas pixels,
// origin top left, y growing downwards; once a computation has placed a window it
// is relative to its port's top-left corner.

#include <QRect>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

namespace ledwall::windows
{

// The widest window a port carries.
constexpr int MaxWindowWidth = 2048;

struct Window {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    int right() const { return x + w; } // one past the last column
    int bottom() const { return y + h; }
    QRect rect() const { return QRect(x, y, w, h); }
    static Window fromRect(const QRect &r) { return {r.x(), r.y(), r.width(), r.height()}; }
    bool operator==(const Window &o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
    bool operator!=(const Window &o) const { return !(*this == o); }
};
using WindowList = QVector<Window>;

enum class Dialect { Plain, Complex };

Window windowFromMap(const QVariantMap &map, Dialect dialect);
QVariantMap windowToMap(const Window &window, Dialect dialect);
WindowList windowsFromList(const QVariantList &list, Dialect dialect);
QVariantList windowsToList(const WindowList &windows, Dialect dialect);

// The smallest multiple of 128 that is not below width; 0 (and less) gives 0. Width
// limits are always checked against this "virtual" width of a candidate union.
constexpr int alignUp128(int width)
{
    return width <= 0 ? 0 : (width + 127) / 128 * 128;
}

// The bounding rectangle of both.
Window unite(const Window &a, const Window &b);
// The bounding rectangle of all; a null window for an empty list.
Window boundingWindow(const WindowList &windows);

// How a port of `width` pixels is cut into slices no wider than MaxWindowWidth:
// "wCount" slices of "splitWidth" (the remainder dropped), "netWidth" the width.
struct PortSplit {
    int netWidth = 0;
    int wCount = 1;
    int splitWidth = MaxWindowWidth;
};
PortSplit portSplit(int width);

// The sort orders of the passes, all ascending. Ties keep their list order.
enum class SortOrder { ByY, ByX, ByXThenY, ByYThenX };
void sortWindows(WindowList &windows, SortOrder order);

} // namespace ledwall::windows
