// The facade's colour gamut operations: the correction matrix of a target gamut
// and the check of a chromaticity point against the spectral locus.

#include "bll_businesslogic_desktop.h"

#include "applicationdirectory.h"
#include "gamutconversion.h"
#include "gamutmaps.h"

#include <QFile>
#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcGamut, "ledwall.facade.gamut")

const QString LocusTableName = QStringLiteral("Data.txt");

} // namespace

QVariantMap BLL_BusinessLogic_Desktop::GamutParam(QVariantMap request)
{
    const ledwall::GamutCorrection correction =
        ledwall::gamutCorrection(ledwall::gamutPrimariesFromMap(request, QStringLiteral("pri")),
                                 ledwall::gamutPrimariesFromMap(request, QStringLiteral("dst")));
    if (!correction.panelUsable)
        qCDebug(lcGamut) << "______________pri no invert";
    if (!correction.targetUsable)
        qCDebug(lcGamut) << "___________________dst no invert";
    if (!correction.npmUsable)
        qCDebug(lcGamut) << "_______________________NPM no invert";
    return ledwall::gamutCorrectionMap(correction);
}

bool BLL_BusinessLogic_Desktop::loadGamutTable()
{
    if (!m_spectralLocus.isEmpty())
        return true;
    // The working directory first, then beside the programs, where the build and
    // the installation put the table.
    const QStringList candidates{LocusTableName, ledwall::applicationFilePath(LocusTableName)};
    for (const QString &path : qAsConst(candidates)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        int skipped = 0;
        m_spectralLocus = ledwall::readSpectralLocus(file, &skipped);
        if (skipped > 0)
            qCDebug(lcGamut) << path << ":" << skipped << "lines are not \"wave x y\", skipped";
        m_gamutTableList.clear();
        m_gamutTableList.reserve(m_spectralLocus.size());
        for (const ledwall::SpectralLocusPoint &point : qAsConst(m_spectralLocus)) {
            m_gamutTableList.append(QVariantMap{{QStringLiteral("wave"), point.wave},
                                                {QStringLiteral("x"), point.x},
                                                {QStringLiteral("y"), point.y}});
        }
        return !m_spectralLocus.isEmpty();
    }
    qCDebug(lcGamut) << "open Gamute Data.txt Failed";
    return false;
}

bool BLL_BusinessLogic_Desktop::openGamutConfigFile(QVariantMap request)
{
    if (!loadGamutTable())
        return false;
    const double x = request.value(QStringLiteral("x")).toDouble();
    const double y = request.value(QStringLiteral("y")).toDouble();
    const ledwall::LocusCheck check = ledwall::checkSpectralLocus(m_spectralLocus, x, y);
    if (check.bounded)
        qCDebug(lcGamut) << "locus bounds" << check.lower << check.upper << "point" << x << y;
    return check.inside;
}
