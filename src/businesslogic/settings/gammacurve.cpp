#include "gammacurve.h"

#include <QHash>
#include <QVariantMap>

#include <cmath>
#include <limits>

namespace ledwall
{

namespace
{
int toLevel(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(qBound(lowest, std::trunc(value), highest));
}

QVariantMap point(int x, int y)
{
    return {{QStringLiteral("x"), x}, {QStringLiteral("y"), y}};
}
} // namespace

QVariantList gammaCurve(const GammaCurveParameters &p)
{
    if (p.inGray < 0 || p.inGray > maxGammaInGray)
        return {};
    if (p.inGray == 0)
        return {point(0, 0)}; // one level: nothing to spread over
    const int n = 1 << p.inGray;
    const double k = std::pow(2.0, 16 - p.outGray);
    QVariantList curve;
    curve.reserve(n);
    for (int i = 0; i < n; ++i) {
        int y = toLevel(std::pow(double(i) / (n - 1), p.gamma) * p.maxValue + 0.5);
        if (p.mode == 1 && k * i > y)
            y = toLevel(k * i + 0.5);
        curve.append(point(i, y));
    }
    return curve;
}

ChipGammaBuilder chipGammaBuilder(const QString &driverChip)
{
    static const QHash<QString, ChipGammaBuilder> builders = [] {
        QHash<QString, ChipGammaBuilder> table;
        const char *icn2053Family[] = {
            "ICN2053", "FM6353",   "ICN2153",  "ICN2055/ICN2059", "FM6555",   "ICN2065/ICN2069",
            "ICN1069", "ICN1065L", "ICN1065S", "ICN3065",         "ICN2169",  "ICN2153S",
            "FM6565B", "FM6569",   "ICN2165",  "ICN2076",         "DP3264",   "DP3367S",
            "DP3365S", "DP3364S",  "DP3265",   "DP3254",          "DP3153",   "DP3252",
            "DP3269S", "ICN2163",  "LYD6168C", "LYD6168D",        "LYD6168E", "LYD6188PC",
            "ICN1065"};
        for (const char *chip : icn2053Family)
            table.insert(QLatin1String(chip), ChipGammaBuilder::ICN2053);
        table.insert(QStringLiteral("FM6363"), ChipGammaBuilder::FM6363);
        table.insert(QStringLiteral("FM6565"), ChipGammaBuilder::FM6565);
        for (const char *chip : {"CNS7263", "CNS7153", "CNS7253"})
            table.insert(QLatin1String(chip), ChipGammaBuilder::CNS7263);
        return table;
    }();
    return builders.value(driverChip, ChipGammaBuilder::None);
}

} // namespace ledwall
