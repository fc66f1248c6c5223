#include "spectrallocus.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ledwall
{
namespace
{
// A table line is short; a longer one is damaged, and reading it in pieces only
// skips the pieces.
constexpr qint64 MaxLineLength = 1024;
} // namespace

SpectralLocus readSpectralLocus(QIODevice &device, int *skippedLines)
{
    SpectralLocus locus;
    int skipped = 0;
    while (!device.atEnd() && locus.size() < MaxLocusPoints) {
        const QString line = QString::fromLatin1(device.readLine(MaxLineLength)).simplified();
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool waveOk = false;
        bool xOk = false;
        bool yOk = false;
        SpectralLocusPoint point;
        if (parts.size() >= 3) {
            point.wave = parts.at(0).toInt(&waveOk);
            point.x = parts.at(1).toDouble(&xOk);
            point.y = parts.at(2).toDouble(&yOk);
        }
        if (!waveOk || !xOk || !yOk || !std::isfinite(point.x) || !std::isfinite(point.y)) {
            ++skipped;
            continue;
        }
        locus.append(point);
    }
    if (skippedLines)
        *skippedLines = skipped;
    return locus;
}

LocusCheck checkSpectralLocus(const SpectralLocus &locus, double x, double y)
{
    LocusCheck check;
    if (!(x >= LocusMinimumX && x <= LocusMaximumX) || !std::isfinite(y))
        return check;

    // y of every locus segment that spans x, interpolated along the segment.
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    for (int i = 0; i + 1 < locus.size(); ++i) {
        const SpectralLocusPoint &a = locus.at(i);
        const SpectralLocusPoint &b = locus.at(i + 1);
        if (x < std::min(a.x, b.x) || x > std::max(a.x, b.x))
            continue;
        if (a.x == b.x) {
            lowest = std::min({lowest, a.y, b.y});
            highest = std::max({highest, a.y, b.y});
            continue;
        }
        const double at = a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        lowest = std::min(lowest, at);
        highest = std::max(highest, at);
    }
    if (!(lowest <= highest))
        return check;

    check.bounded = true;
    if (x > PurpleLineStartX) {
        // Right of the short-wave end only the long-wave branch crosses x; the
        // line of purples closes the diagram below.
        check.lower = (x - PurpleLineStartX) * PurpleLineSlope + PurpleLineStartY;
        check.upper = highest;
    } else {
        // The blue branch bounds from below, the green branch from above.
        check.lower = lowest;
        check.upper = highest;
    }
    const double low = std::min(check.lower, check.upper) - LocusTolerance;
    const double high = std::max(check.lower, check.upper) + LocusTolerance;
    check.inside = low <= y && y <= high;
    return check;
}

} // namespace ledwall
