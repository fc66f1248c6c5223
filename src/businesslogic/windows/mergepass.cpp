#include "mergepass.h"

#include <QLoggingCategory>

#include <algorithm>
#include <memory>

namespace ledwall::windows
{

namespace
{
Q_LOGGING_CATEGORY(lcMerge, "ledwall.windows.merge")

// The state of one pass.
struct PassState {
    WindowList list; // sorted
    QVector<bool> consumed;
    QVector<int> members; // absorbed into the current outer window
    WindowList output;
    Window cur;       // the outer window as it grows
    Window candidate; // what cur becomes when the test says Merge
    bool merged = false;
    int limit = 0;
};

enum class Verdict { Skip, Merge, Stop };

// The common loop. A variant says how the list is sorted and what it does with
// each window `next` offered to the growing outer window.
class MergeSkeleton : public MergePass
{
public:
    WindowList run(const WindowList &windows, int widthLimit) const override;

protected:
    virtual SortOrder order() const = 0;
    virtual Verdict test(PassState &s, int next) const = 0;
};

WindowList MergeSkeleton::run(const WindowList &windows, int widthLimit) const
{
    PassState s;
    s.list = windows;
    sortWindows(s.list, order());
    const int n = s.list.size();
    s.consumed.fill(false, n);
    s.limit = widthLimit;
    for (int i = 0; i < n; ++i) {
        if (s.consumed.at(i))
            continue;
        s.cur = s.list.at(i);
        s.members.clear();
        s.merged = false;
        for (int j = 0; j < n; ++j) {
            if (s.consumed.at(j))
                continue;
            const Verdict verdict = test(s, j);
            if (verdict == Verdict::Stop)
                break;
            if (verdict == Verdict::Merge) {
                s.cur = s.candidate;
                s.merged = true;
                s.consumed[j] = true;
                s.members.append(j);
            }
        }
        if (s.merged || !s.consumed.at(i))
            s.output.append(s.cur);
    }
    // A window that a best merge released after its own turn, or that the emitted
    // best union left out, is emitted on its own: no window is ever lost.
    for (const Window &window : qAsConst(s.list)) {
        const bool covered = std::any_of(s.output.cbegin(), s.output.cend(), [&](const Window &o) {
            return o.rect().contains(window.rect());
        });
        if (!covered)
            s.output.append(window);
    }
    if (s.output.size() >= n)
        return {};
    return s.output;
}

// ---- the variants ------------------------------------------------------------------

bool exactlyStacked(const Window &cur, const Window &next)
{
    return next.x == cur.x && next.w == cur.w && cur.bottom() == next.y;
}

class StackPass : public MergeSkeleton
{
protected:
    SortOrder order() const override { return SortOrder::ByY; }
    Verdict test(PassState &s, int next) const override
    {
        if (!exactlyStacked(s.cur, s.list.at(next)))
            return Verdict::Skip;
        s.candidate = unite(s.cur, s.list.at(next));
        return Verdict::Merge;
    }
};

class StackWithinWidthPass : public StackPass
{
protected:
    Verdict test(PassState &s, int next) const override
    {
        const Verdict verdict = StackPass::test(s, next);
        if (verdict == Verdict::Merge && alignUp128(s.candidate.w) > s.limit)
            return Verdict::Skip;
        return verdict;
    }
};

class RowAdjacentPass : public MergeSkeleton
{
protected:
    SortOrder order() const override { return SortOrder::ByXThenY; }
    Verdict test(PassState &s, int next) const override
    {
        const Window &n = s.list.at(next);
        if (n.y != s.cur.y || n.h != s.cur.h || s.cur.right() != n.x)
            return Verdict::Skip;
        s.candidate = unite(s.cur, n);
        // A row wider than the port carries would not be shown.
        return alignUp128(s.candidate.w) <= s.limit ? Verdict::Merge : Verdict::Skip;
    }
};

// Ends the outer window's growth with a best merge against `other`.
Verdict stopWithBestMerge(PassState &s, const Window &other)
{
    if (const std::optional<Window> best = bestMerge(other.rect(), s.list, s.members, s.consumed)) {
        s.cur = *best;
        s.merged = true;
    }
    return Verdict::Stop;
}

class OutputCheckPass : public MergeSkeleton
{
protected:
    SortOrder order() const override { return SortOrder::ByX; }
    Verdict test(PassState &s, int next) const override
    {
        const Window &n = s.list.at(next);
        const Window u = unite(s.cur, n);
        for (const Window &placed : qAsConst(s.output)) {
            if (placed.rect().contains(u.rect())) {
                // Already shown by an emitted window.
                s.consumed[next] = true;
                s.members.append(next);
                return Verdict::Stop;
            }
            if (placed.rect().intersects(u.rect()))
                return stopWithBestMerge(s, n);
        }
        if (alignUp128(u.w) <= s.limit) {
            s.candidate = u;
            return Verdict::Merge;
        }
        if (n.x < s.cur.right() && s.cur.right() < n.right())
            return stopWithBestMerge(s, n);
        return Verdict::Stop;
    }
};

class CornerOrRowPass : public OutputCheckPass
{
protected:
    SortOrder order() const override { return SortOrder::ByXThenY; }
    Verdict test(PassState &s, int next) const override
    {
        const Window &c = s.cur;
        const Window &n = s.list.at(next);
        const bool cornerInside = c.y < n.y && n.y < c.bottom() && c.x < n.x && n.x < c.right();
        const bool sameBand = n.y == c.y && n.h == c.h;
        const bool continuesRow = sameBand && (c.right() == n.x || n.right() <= c.x + 2 * c.w);
        if (!cornerInside && !continuesRow)
            return Verdict::Skip; // left for a later outer window
        return OutputCheckPass::test(s, next);
    }
};

struct Registered {
    const char *name;
    std::unique_ptr<MergePass> pass;
};

// The registry. To add a pass: derive from MergeSkeleton (or a variant), implement
// order() and test(), and add its line here.
const std::vector<Registered> &registry()
{
    static const std::vector<Registered> passes = [] {
        std::vector<Registered> list;
        list.push_back({"stack", std::make_unique<StackPass>()});
        list.push_back({"stackWithinWidth", std::make_unique<StackWithinWidthPass>()});
        list.push_back({"rowAdjacent", std::make_unique<RowAdjacentPass>()});
        list.push_back({"outputCheck", std::make_unique<OutputCheckPass>()});
        list.push_back({"cornerOrRow", std::make_unique<CornerOrRowPass>()});
        return list;
    }();
    return passes;
}

} // namespace

const MergePass *mergePass(const QString &name)
{
    for (const Registered &entry : registry()) {
        if (name == QLatin1String(entry.name))
            return entry.pass.get();
    }
    return nullptr;
}

QStringList mergePassNames()
{
    QStringList names;
    for (const Registered &entry : registry())
        names.append(QLatin1String(entry.name));
    return names;
}

std::optional<Window> bestMerge(QRect otherRc, const WindowList &windows, QVector<int> &members,
                                QVector<bool> &consumed)
{
    qCDebug(lcMerge) << "mergeWindowX - otherRc:" << otherRc;
    QRect best;
    // Every restart releases at least one member, so the members bound the cycles.
    for (int cycle = 0, cycles = members.size() + 1; cycle < cycles; ++cycle) {
        QVector<QRect> candidates;
        for (int m : qAsConst(members)) {
            if (!windows.at(m).rect().intersects(otherRc))
                candidates.append(windows.at(m).rect());
        }
        if (candidates.isEmpty())
            break;
        std::stable_sort(candidates.begin(), candidates.end(), [](const QRect &a, const QRect &b) {
            return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
        });
        best = candidates.first();
        for (const QRect &c : qAsConst(candidates)) {
            const QRect u = best.united(c);
            if (!u.intersects(otherRc))
                best = u;
        }
        qCDebug(lcMerge) << "mergeWindowX - bestMerged:" << best;
        QVector<QRect> released;
        for (int k = members.size() - 1; k >= 0; --k) {
            const int m = members.at(k);
            if (consumed.at(m) && !best.contains(windows.at(m).rect())) {
                released.prepend(windows.at(m).rect());
                consumed[m] = false;
                members.remove(k);
            }
        }
        qCDebug(lcMerge) << "mergeWindowX - removedRects count:" << released.size();
        bool restart = false;
        for (const QRect &r : qAsConst(released)) {
            if (r.left() > best.right()) {
                const int virtualRight = best.left() + alignUp128(best.width());
                if (virtualRight >= r.right()) {
                    qCDebug(lcMerge)
                        << "Full cover detected! Rect:" << r << "VirtualRight:" << virtualRight;
                    otherRc = r;
                    restart = true;
                    break;
                }
            }
            if (r.intersects(best)) {
                otherRc = r;
                restart = true;
                break;
            }
        }
        if (!restart)
            break;
    }
    if (best.isNull())
        return std::nullopt;
    qCDebug(lcMerge) << "Final merged rect:" << best;
    return Window::fromRect(best);
}

} // namespace ledwall::windows
