#pragma once
// Merge passes over the window list of one port.
//
// A pass sorts the list, then lets every window in turn (the "outer" window) grow by
// absorbing the windows its test accepts, and emits the grown windows. It returns
// the new, shorter list, or an EMPTY list when it did not shorten the list: the
// drivers read an empty result as "unchanged" and keep what they had. So a pass
// always terminates, and a driver that repeats passes stops after at most as many
// rounds as the list has windows.
//
// Every window of the input lies inside some window of a pass's result.
//
// The passes are strategies on one skeleton (mergepass.cpp), found by name:
//   "stack"            same column and width, exactly on top of each other
//   "stackWithinWidth" "stack", refused when the union's aligned width exceeds the limit
//   "rowAdjacent"      same row band, exactly side by side, within the width limit
//   "outputCheck"      any union whose aligned width fits the limit, unless an
//                      emitted window already covers or touches it (then the best
//                      merge repairs the outer window)
//   "cornerOrRow"      "outputCheck" restricted to windows whose corner lies inside
//                      the outer window or that continue its row band

#include "windowrect.h"

#include <QStringList>
#include <QStringView>

#include <optional>

namespace ledwall::windows
{

class MergePass
{
public:
    virtual ~MergePass() = default;
    // The merged list, or empty when nothing merged. widthLimit is the largest
    // aligned width of a union (passes without a limit ignore it).
    virtual WindowList run(const WindowList &windows, int widthLimit) const = 0;
};

// The pass of that name; null for an unknown name.
const MergePass *mergePass(const QString &name);
QStringList mergePassNames();

// The best merge: when growing an outer window was refused because of `otherRc`,
// the largest union of the outer window's members (`members`, positions into
// `windows`) that stays clear of otherRc. Members the union does not contain are
// released: removed from `members` and from `consumed`, so that they are emitted on
// their own. A released window that the union's aligned width would cover, or that
// overlaps the union, restarts the search with it as otherRc. Nothing when no
// member is clear of otherRc.
std::optional<Window> bestMerge(QRect otherRc, const WindowList &windows, QVector<int> &members,
                                QVector<bool> &consumed);

} // namespace ledwall::windows
