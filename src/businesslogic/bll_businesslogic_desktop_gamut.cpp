// The facade's colour gamut operations: the correction matrix of a target gamut
// and the check of a chromaticity point against the spectral locus.
//
// Not available yet: each operation logs and gives its empty result.

#include "bll_businesslogic_desktop.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcGamut, "ledwall.facade.gamut")
}

QVariantMap BLL_BusinessLogic_Desktop::GamutParam(QVariantMap request)
{
    qCDebug(lcGamut) << "not available yet" << request.size();
    return {};
}

bool BLL_BusinessLogic_Desktop::openGamutConfigFile(QVariantMap request)
{
    qCDebug(lcGamut) << "not available yet" << request;
    return false;
}
