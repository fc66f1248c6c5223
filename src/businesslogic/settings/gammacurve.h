#pragma once
// Gamma curves of the settings pages, and which chip gamma table builder of the
// data center serves a driver chip.

#include <QString>
#include <QVariantList>

namespace ledwall
{

struct GammaCurveParameters {
    int inGray = 0;      // input bits: the curve has 2^inGray points
    int outGray = 16;    // output bits (used by mode 1)
    double maxValue = 0; // output of the last point
    double gamma = 1;    // exponent
    int mode = 0;        // 1: never below the linear ramp of the output bits
};

// Input depths beyond this give no curve (a deeper one is not a real gray depth and
// would be a huge list).
constexpr int maxGammaInGray = 16;

// One map {"x": i, "y": y} per input level i, with
// y = int((i / (n - 1))^gamma * maxValue + 0.5); in mode 1, with k = 2^(16 - outGray),
// y becomes int(k * i + 0.5) where k * i is larger. An input depth of 0 gives the
// single point (0, 0); a negative or too deep one gives an empty list. Values are
// held to the int range.
QVariantList gammaCurve(const GammaCurveParameters &parameters);

enum class ChipGammaBuilder { None, ICN2053, FM6363, FM6565, CNS7263 };

// The builder for a driver-chip name (exact, case-sensitive match).
ChipGammaBuilder chipGammaBuilder(const QString &driverChip);

} // namespace ledwall
