#include "windowrect.h"

#include <algorithm>

namespace ledwall::windows
{

namespace
{
const QString KeyX = QStringLiteral("x");
const QString KeyY = QStringLiteral("y");

QString widthKey(Dialect dialect)
{
    return dialect == Dialect::Plain ? QStringLiteral("w") : QStringLiteral("width");
}

QString heightKey(Dialect dialect)
{
    return dialect == Dialect::Plain ? QStringLiteral("h") : QStringLiteral("height");
}
} // namespace

Window windowFromMap(const QVariantMap &map, Dialect dialect)
{
    // toInt() reads numbers and decimal texts alike.
    return {map.value(KeyX).toInt(), map.value(KeyY).toInt(), map.value(widthKey(dialect)).toInt(),
            map.value(heightKey(dialect)).toInt()};
}

QVariantMap windowToMap(const Window &window, Dialect dialect)
{
    return {{KeyX, window.x},
            {KeyY, window.y},
            {widthKey(dialect), window.w},
            {heightKey(dialect), window.h}};
}

WindowList windowsFromList(const QVariantList &list, Dialect dialect)
{
    WindowList windows;
    windows.reserve(list.size());
    for (const QVariant &entry : list)
        windows.append(windowFromMap(entry.toMap(), dialect));
    return windows;
}

QVariantList windowsToList(const WindowList &windows, Dialect dialect)
{
    QVariantList list;
    list.reserve(windows.size());
    for (const Window &window : windows)
        list.append(windowToMap(window, dialect));
    return list;
}

Window unite(const Window &a, const Window &b)
{
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    return {left, top, std::max(a.right(), b.right()) - left,
            std::max(a.bottom(), b.bottom()) - top};
}

Window boundingWindow(const WindowList &windows)
{
    if (windows.isEmpty())
        return {};
    Window box = windows.first();
    for (const Window &window : windows)
        box = unite(box, window);
    return box;
}

PortSplit portSplit(int width)
{
    PortSplit split;
    split.netWidth = width;
    if (width > MaxWindowWidth) {
        split.wCount = width / MaxWindowWidth + (width % MaxWindowWidth ? 1 : 0);
        split.splitWidth = width / split.wCount;
    }
    return split;
}

void sortWindows(WindowList &windows, SortOrder order)
{
    const auto key = [order](const Window &w) {
        switch (order) {
        case SortOrder::ByY:
            return std::make_pair(w.y, 0);
        case SortOrder::ByX:
            return std::make_pair(w.x, 0);
        case SortOrder::ByXThenY:
            return std::make_pair(w.x, w.y);
        case SortOrder::ByYThenX:
            break;
        }
        return std::make_pair(w.y, w.x);
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&key](const Window &a, const Window &b) { return key(a) < key(b); });
}

} // namespace ledwall::windows
