#pragma once
// The spectral locus of the CIE 1931 chromaticity diagram as a wavelength table,
// and the check whether a chromaticity lies inside the diagram (between the locus
// and the line of purples, with a small tolerance).
//
// The table is text, one "wave x y" line per wavelength (nanometres, then the
// chromaticity of that monochromatic light), in wavelength order. A dense table
// (one line per nanometre) keeps the check accurate to well inside the tolerance.

#include <QVector>

class QIODevice;

namespace ledwall
{

struct SpectralLocusPoint {
    int wave = 0;
    double x = 0.0;
    double y = 0.0;
};

using SpectralLocus = QVector<SpectralLocusPoint>;

// The x range of the diagram, and the line of purples from the short-wave end
// (0.17556, 0.005294) to the long-wave end (0.73469, 0.26531).
constexpr double LocusMinimumX = 0.003636;
constexpr double LocusMaximumX = 0.73469;
constexpr double PurpleLineStartX = 0.17556;
constexpr double PurpleLineStartY = 0.005294;
constexpr double PurpleLineSlope = 0.46503675352780216;
constexpr double LocusTolerance = 0.006;

// Reads a table. Lines that are not three numbers (a short or damaged line, a
// comment) are skipped and counted in *skippedLines. At most MaxLocusPoints lines
// are kept.
constexpr int MaxLocusPoints = 100000;
SpectralLocus readSpectralLocus(QIODevice &device, int *skippedLines = nullptr);

struct LocusCheck {
    bool inside = false;
    bool bounded = false; // false: x outside the diagram or no locus segment covers it
    double lower = 0.0;   // the two bounds for y at x, before the tolerance
    double upper = 0.0;
};

// Whether (x, y) lies inside the diagram, within LocusTolerance of its edges.
LocusCheck checkSpectralLocus(const SpectralLocus &locus, double x, double y);

} // namespace ledwall
