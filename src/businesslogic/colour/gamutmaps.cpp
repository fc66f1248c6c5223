#include "gamutmaps.h"

namespace
{

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

} // namespace

namespace ledwall
{

GamutPrimaries gamutPrimariesFromMap(const QVariantMap &request, const QString &prefix)
{
    const auto value = [&](const char *suffix) {
        return request.value(prefix + QLatin1String(suffix)).toDouble();
    };
    GamutPrimaries g;
    g.red = {value("_R_Cx"), value("_R_Cy")};
    g.green = {value("_G_Cx"), value("_G_Cy")};
    g.blue = {value("_B_Cx"), value("_B_Cy")};
    g.white = {value("_W_Cx"), value("_W_Cy")};
    return g;
}

QVariantMap gamutCorrectionMap(const GamutCorrection &correction)
{
    const GamutKeys &keys = gamutKeys();
    const GamutCoefficients c = quantiseGamutMatrix(correction.limited);
    const GamutWords words = packGamutWords(c);

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

} // namespace ledwall
