#include "windowdrivers.h"

#include "mergepass.h"

#include <QLoggingCategory>

#include <limits>

namespace ledwall::windows
{

namespace
{
Q_LOGGING_CATEGORY(lcDrivers, "ledwall.windows.drivers")
} // namespace

WindowList repeatUntilStable(const WindowList &windows, const QVector<PassStep> &round)
{
    WindowList current = windows;
    // Every round that goes on has shortened the list.
    for (int rounds = 0; rounds <= windows.size(); ++rounds) {
        bool changed = false;
        for (const PassStep &step : round) {
            const MergePass *pass = mergePass(QLatin1String(step.pass));
            if (!pass)
                continue;
            const WindowList next = pass->run(current, step.widthLimit);
            if (!next.isEmpty()) {
                current = next;
                changed = true;
            }
        }
        if (!changed)
            break;
    }
    return current;
}

WindowList mergeWithinWidths(const WindowList &windows, int firstLimit)
{
    const MergePass *pass = mergePass(QStringLiteral("outputCheck"));
    const WindowList first = pass->run(windows, firstLimit);
    const WindowList second = pass->run(first.isEmpty() ? windows : first, MaxWindowWidth);
    if (!second.isEmpty())
        return second;
    return first.isEmpty() ? windows : first;
}

WindowList packStrips(const WindowList &windows, int splitWidth)
{
    WindowList list = windows;
    sortWindows(list, SortOrder::ByYThenX);
    QVector<bool> consumed(list.size(), false);
    WindowList strips;
    int left = list.size();
    while (left > 0) {
        // The bounds of the next strip: [low, bound) as wide as the windows walked
        // before one would make it wider than splitWidth.
        int minX = std::numeric_limits<int>::max();
        int maxX = 0;
        int previous = 0;
        int previousMin = minX;
        int bound = -1;
        int low = 0;
        for (int i = 0; i < list.size(); ++i) {
            if (consumed.at(i))
                continue;
            minX = qMin(minX, list.at(i).x);
            maxX = qMax(maxX, list.at(i).right());
            if (maxX - minX > splitWidth && previous != 0) {
                bound = previous;
                low = previousMin;
                break;
            }
            previous = maxX;
            previousMin = minX;
        }
        if (bound < 0) {
            bound = maxX;
            low = minX;
        }
        Window strip;
        bool any = false;
        for (int i = 0; i < list.size(); ++i) {
            // Only windows inside the bounds: one further left would widen the strip
            // past what the port carries; a later strip takes it.
            if (consumed.at(i) || list.at(i).right() > bound || list.at(i).x < low)
                continue;
            strip = any ? unite(strip, list.at(i)) : list.at(i);
            any = true;
            consumed[i] = true;
            --left;
        }
        if (!any) { // cannot happen (the first window left is within the bound); never loop
            const int first = consumed.indexOf(false);
            strip = list.at(first);
            consumed[first] = true;
            --left;
        }
        strips.append(strip);
    }
    qCDebug(lcDrivers) << "newWinList:" << strips.size() << "strips of" << splitWidth;
    return strips;
}

WindowList diffWHWindows(const WindowList &windows, bool isFreeLine, int splitWidth)
{
    if (isFreeLine) {
        // The horizontal pass at the limit -1 never merges; stacking does the work.
        return repeatUntilStable(windows, {{"outputCheck", -1}, {"stack", 0}});
    }
    return mergeWithinWidths(windows, splitWidth);
}

WindowList complexWindows(const WindowList &windows, bool isFreeLine, bool bMerged)
{
    if (isFreeLine && !bMerged) {
        const Window box = boundingWindow(windows);
        qCDebug(lcDrivers) << "minx" << box.x << "maxX" << box.right() << "miny" << box.y << "maxY"
                           << box.bottom();
        if (windows.isEmpty() || box.w <= MaxWindowWidth)
            return windows.isEmpty() ? windows : WindowList{box};
        return mergeWithinWidths(windows, portSplit(box.w).splitWidth);
    }
    if (isFreeLine)
        return repeatUntilStable(
            windows, {{"cornerOrRow", MaxWindowWidth}, {"stackWithinWidth", MaxWindowWidth}});
    return repeatUntilStable(windows, {{"rowAdjacent", MaxWindowWidth}, {"stack", 0}});
}

QVector<QPair<int, int>> splitRun(int x, int width)
{
    const PortSplit split = portSplit(width);
    if (split.wCount == 1)
        return {{x, width}};
    const int extra = width - split.wCount * split.splitWidth;
    QVector<QPair<int, int>> slices;
    for (int k = 0; k < split.wCount; ++k) {
        const int w = split.splitWidth + (k < extra ? 1 : 0);
        slices.append({x, w});
        x += w;
    }
    return slices;
}

} // namespace ledwall::windows
