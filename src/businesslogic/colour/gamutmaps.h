#pragma once
// The facade's parameter maps of the colour gamut correction: the primaries of a
// request ("<prefix>_R_Cx" ... "<prefix>_W_Cy") in, and the correction as the user
// interface and the card registers take it out ("CMrr".."CMbb" quantised
// coefficients, "sCrr".."sCbb" the unlimited matrix as text, "buffer_CMR/G/B" the
// packed words and "buffer_CMR_1".."buffer_CMB_4" their bytes, most significant
// first).

#include "gamutconversion.h"

#include <QString>
#include <QVariantMap>

namespace ledwall
{

GamutPrimaries gamutPrimariesFromMap(const QVariantMap &request, const QString &prefix);
QVariantMap gamutCorrectionMap(const GamutCorrection &correction);

} // namespace ledwall
