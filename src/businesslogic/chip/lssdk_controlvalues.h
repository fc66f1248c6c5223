#pragma once
// The values of one interface control as a setter map carries them.

#include "chipselection.h"
#include "configdll6619.h"

#include <QMap>
#include <QString>
#include <QVariant>

#include <climits>
#include <cmath>

namespace ledwall::chip
{

// The values of one control as the interface sends them.
struct ControlValues {
    const QMap<QString, QVariant> &map;

    int integer(const char *key) const { return map.value(QLatin1String(key)).toInt(); }
    double real(const char *key) const
    {
        const double value = map.value(QLatin1String(key)).toDouble();
        return std::isfinite(value) ? value : 0.0;
    }
    // "configParam" as a floating-point number, truncated toward zero; values
    // beyond int stay beyond every range instead of wrapping.
    int truncated() const
    {
        const double value = real("configParam");
        if (value >= double(INT_MAX))
            return INT_MAX;
        if (value <= double(INT_MIN))
            return INT_MIN;
        return static_cast<int>(value);
    }
    int value() const { return integer("configParam"); }
    int colour() const { return integer("configParam1"); }
    int colourValue() const { return integer("configParam2"); }
    int slot() const { return integer("configParam3"); }
};

// The timing preset stays what it was after a manual timing change.
inline int keepPreset(int status)
{
    if (status != CONFIGERR_OK_6619)
        return status;
    int preset = 0;
    GetPreSet9929(&preset);
    SetPreSet9929(preset);
    return status;
}

// Grey-level compensation of the colour in "colorFlag". LS9935, LS9935B and LS9936
// keep two sets, both written; the others take the set named by "mode".
inline int setGreyCompensation(const ControlValues &in, int chipId)
{
    auto setError = [&](int mode) {
        return SetError(mode, in.integer("colorFlag"), in.real("LowGrayCompen"),
                        in.real("MidGrayBias"), in.real("HighGrayCompens"), in.real("LowGrayBias"));
    };
    if (!chipIn(chipId, {LS9935, LS9935B, LS9936}))
        return setError(in.integer("mode"));
    const int status = setError(0);
    return status == CONFIGERR_OK_6619 ? setError(1) : status;
}

} // namespace ledwall::chip
