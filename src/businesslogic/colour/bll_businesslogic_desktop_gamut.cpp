// The facade's colour gamut operations: the correction matrix of a target gamut
// and the check of a chromaticity point against the spectral locus.

#include "bll_businesslogic_desktop.h"

#include "gamutconversion.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcGamut, "ledwall.facade.gamut")

const QString LocusTableName = QStringLiteral("Data.txt");

ledwall::GamutPrimaries readPrimaries(const QVariantMap &request, const QString &prefix)
{
    const auto value = [&](const char *suffix) {
        return request.value(prefix + QLatin1String(suffix)).toDouble();
    };
    ledwall::GamutPrimaries g;
    g.red = {value("_R_Cx"), value("_R_Cy")};
    g.green = {value("_G_Cx"), value("_G_Cy")};
    g.blue = {value("_B_Cx"), value("_B_Cy")};
    g.white = {value("_W_Cx"), value("_W_Cy")};
    return g;
}

// The keys of the result, built once: the map is made for every call.
struct GamutKeys {
    QString coefficients[9] = {
        QStringLiteral("CMrr"), QStringLiteral("CMrg"), QStringLiteral("CMrb"),
        QStringLiteral("CMgr"), QStringLiteral("CMgg"), QStringLiteral("CMgb"),
        QStringLiteral("CMbr"), QStringLiteral("CMbg"), QStringLiteral("CMbb")};
    QString texts[9] = {QStringLiteral("sCrr"), QStringLiteral("sCrg"), QStringLiteral("sCrb"),
                        QStringLiteral("sCgr"), QStringLiteral("sCgg"), QStringLiteral("sCgb"),
                        QStringLiteral("sCbr"), QStringLiteral("sCbg"), QStringLiteral("sCbb")};
    QString words[3] = {QStringLiteral("buffer_CMR"), QStringLiteral("buffer_CMG"),
                        QStringLiteral("buffer_CMB")};
    QString bytes[3][4];

    GamutKeys()
    {
        for (int w = 0; w < 3; ++w) {
            for (int b = 0; b < 4; ++b)
                bytes[w][b] = words[w] + QLatin1Char('_') + QString::number(b + 1);
        }
    }
};

const GamutKeys &gamutKeys()
{
    static const GamutKeys keys;
    return keys;
}

QVariantMap gamutResult(const ledwall::GamutCorrection &correction)
{
    const GamutKeys &keys = gamutKeys();
    const ledwall::GamutCoefficients c = ledwall::quantiseGamutMatrix(correction.limited);
    const ledwall::GamutWords words = ledwall::packGamutWords(c);

    QVariantMap result;
    const int coefficients[9] = {c.rr, c.rg, c.rb, c.gr, c.gg, c.gb, c.br, c.bg, c.bb};
    for (int i = 0; i < 9; ++i) {
        result.insert(keys.coefficients[i], coefficients[i]);
        // The matrix before the row-sum limit, as the operator reads it.
        result.insert(keys.texts[i], QString::number(correction.matrix[i / 3][i % 3], 'g', 6));
    }
    const quint32 packed[3] = {words.red, words.green, words.blue};
    for (int w = 0; w < 3; ++w) {
        result.insert(keys.words[w], packed[w]);
        for (int b = 0; b < 4; ++b)
            result.insert(keys.bytes[w][b], int((packed[w] >> (24 - 8 * b)) & 0xFF));
    }
    return result;
}
} // namespace

QVariantMap BLL_BusinessLogic_Desktop::GamutParam(QVariantMap request)
{
    const ledwall::GamutCorrection correction =
        ledwall::gamutCorrection(readPrimaries(request, QStringLiteral("pri")),
                                 readPrimaries(request, QStringLiteral("dst")));
    if (!correction.panelUsable)
        qCDebug(lcGamut) << "______________pri no invert";
    if (!correction.targetUsable)
        qCDebug(lcGamut) << "___________________dst no invert";
    if (!correction.npmUsable)
        qCDebug(lcGamut) << "_______________________NPM no invert";
    return gamutResult(correction);
}

bool BLL_BusinessLogic_Desktop::loadGamutTable()
{
    if (!m_spectralLocus.isEmpty())
        return true;
    // The working directory first, then beside the programs, where the build and
    // the installation put the table.
    QStringList candidates{LocusTableName};
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QLatin1Char('/') + LocusTableName;
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
