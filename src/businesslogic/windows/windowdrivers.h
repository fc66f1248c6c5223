#pragma once
// The drivers: which passes each window computation applies to a port's list, and
// how often. Each takes the port's initial windows and returns the final list (the
// input itself when nothing merged). All of them end on every input: a repeated
// round runs only while it shortens the list.

#include "windowrect.h"

namespace ledwall::windows
{

// One pass of a round: the registered pass name and its width limit.
struct PassStep {
    const char *pass;
    int widthLimit;
};

// Applies the steps in turn, each to the latest list, and repeats the round while
// one of them shortens the list.
WindowList repeatUntilStable(const WindowList &windows, const QVector<PassStep> &round);

// "outputCheck" at `firstLimit`, then again at MaxWindowWidth on its result.
WindowList mergeWithinWidths(const WindowList &windows, int firstLimit);

// Strip packing: windows taken in rows (by y, then x) are gathered into strips no
// wider than splitWidth, each emitted as its bounding box. A window wider than the
// strip alone makes its own strip.
WindowList packStrips(const WindowList &windows, int splitWidth);

// The drivers of the four computations.
WindowList diffWHWindows(const WindowList &windows, bool isFreeLine, int splitWidth);
WindowList complexWindows(const WindowList &windows, bool isFreeLine, bool bMerged);

// A run of `width` pixels from x cut into slices no wider than MaxWindowWidth; the
// pixels the equal split would leave over go one each to the first slices, so the
// slices cover the run exactly.
QVector<QPair<int, int>> splitRun(int x, int width);

} // namespace ledwall::windows
