// Colour gamut conversion: correction matrices against independent expected values,
// the fixed-point words, unusable input, and the spectral locus check over the
// table generated at build time.

#include "bll_businesslogic_desktop.h"
#include "gamutconversion.h"
#include "spectrallocus.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QtTest>

#include <cmath>

namespace
{

// Primaries r, g, b and white w as {x, y} pairs.
using Gamut = std::array<std::array<double, 2>, 4>;

const Gamut Srgb = {{{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {0.3127, 0.3290}}};
const Gamut DciP3D65 = {{{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.3127, 0.3290}}};
const Gamut Rec2020 = {{{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}, {0.3127, 0.3290}}};

QVariantMap request(const Gamut &panel, const Gamut &target)
{
    QVariantMap map;
    const char *names[4] = {"R", "G", "B", "W"};
    for (int i = 0; i < 4; ++i) {
        map.insert(QStringLiteral("pri_%1_Cx").arg(QLatin1String(names[i])), panel[i][0]);
        map.insert(QStringLiteral("pri_%1_Cy").arg(QLatin1String(names[i])), panel[i][1]);
        map.insert(QStringLiteral("dst_%1_Cx").arg(QLatin1String(names[i])), target[i][0]);
        map.insert(QStringLiteral("dst_%1_Cy").arg(QLatin1String(names[i])), target[i][1]);
    }
    return map;
}

const char *const TextKeys[9] = {"sCrr", "sCrg", "sCrb", "sCgr", "sCgg",
                                 "sCgb", "sCbr", "sCbg", "sCbb"};
const char *const CoefficientKeys[9] = {"CMrr", "CMrg", "CMrb", "CMgr", "CMgg",
                                        "CMgb", "CMbr", "CMbg", "CMbb"};

} // namespace

class TestFacadeOpsGamut : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    }

    // Expected values worked out apart from the library (Gauss-Jordan inverses of the
    // normalised primary matrices, then the device limits: off-diagonal terms scaled
    // to at most 0.499, rows to a sum of at most 1; diagonal words x2048, others x1024
    // with a sign bit at 0x200).
    void matricesMatchIndependentReference_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("target");
        QTest::addColumn<QVector<double>>("text");
        QTest::addColumn<QVector<int>>("words");
        QTest::newRow("identical gamuts") << 1 << 1 << QVector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}
                                          << QVector<int>{2048, 0, 0, 0, 2048, 0, 0, 0, 2048};
        QTest::newRow("P3 panel, sRGB target")
            << 1 << 0 << QVector<double>{0.822462, 0.177538, 0,        0.033194, 0.966806,
                                         0,        0.017083, 0.072397, 0.910520}
            << QVector<int>{1684, 182, 0, 34, 1980, 0, 17, 74, 1865};
        QTest::newRow("Rec.2020 panel, sRGB target")
            << 2 << 0 << QVector<double>{0.627404, 0.329283, 0.043313, 0.069097, 0.919540,
                                         0.011362, 0.016391, 0.088013, 0.895595}
            << QVector<int>{1285, 337, 44, 71, 1883, 12, 17, 90, 1834};
        // Narrow panel asked for a wider gamut: negative terms and the off-diagonal limit.
        QTest::newRow("sRGB panel, Rec.2020 target")
            << 0 << 2 << QVector<double>{1.410019,  -0.499,    -0.061861, -0.105763, 0.962011,
                                         -0.007090, -0.015413, -0.085407, 0.949978}
            << QVector<int>{2888, 1023, 575, 620, 1970, 519, 528, 599, 1946};
    }

    void matricesMatchIndependentReference()
    {
        QFETCH(int, panel);
        QFETCH(int, target);
        QFETCH(QVector<double>, text);
        QFETCH(QVector<int>, words);
        const Gamut gamuts[3] = {Srgb, DciP3D65, Rec2020};
        const QVariantMap result = m_facade->GamutParam(request(gamuts[panel], gamuts[target]));
        for (int k = 0; k < 9; ++k) {
            QVERIFY2(std::fabs(result.value(TextKeys[k]).toString().toDouble() - text[k]) <= 2e-6,
                     TextKeys[k]);
            QVERIFY2(std::abs(result.value(CoefficientKeys[k]).toInt() - words[k]) <= 1,
                     CoefficientKeys[k]);
        }
        // The words carry exactly the coefficients.
        const quint32 red = result.value("buffer_CMR").toUInt();
        QCOMPARE(int(red & 0xFFF), result.value("CMrr").toInt());
        QCOMPARE(int(red >> 22), result.value("CMrb").toInt());
        QCOMPARE(result.value("buffer_CMR_1").toInt(), int(red >> 24));
        if (panel == target)
            QCOMPARE(result.value("buffer_CMB").toUInt(), 0x00000800u);
    }

    void quantisationLimits()
    {
        QCOMPARE(ledwall::quantiseOffDiagonal(0.9), 0x1FF); // never into the sign bit
        QCOMPARE(ledwall::quantiseOffDiagonal(-0.9), 0x1FF | 0x200);
        QCOMPARE(ledwall::quantiseDiagonal(2.5), 0xFFF);
        QCOMPARE(ledwall::quantiseDiagonal(-0.3), 0); // unsigned: never spills into other fields
        QCOMPARE(ledwall::quantiseDiagonal(std::nan("")), 0);
    }

    void unusableChromaticitiesStillGiveFiniteWords()
    {
        // Every primary at the same point: nothing can be inverted, the identity stands in.
        const Gamut flat = {{{0.3, 0.3}, {0.3, 0.3}, {0.3, 0.3}, {0.3127, 0.3290}}};
        QVariantMap result = m_facade->GamutParam(request(flat, Srgb));
        QCOMPARE(result.value("buffer_CMB").toUInt(), 0x00000800u);

        // A white point with y = 0 and a target with no numbers at all.
        Gamut noWhite = Srgb;
        noWhite[3] = {0.3, 0.0};
        for (const QVariantMap &map :
             {request(noWhite, Srgb), request(Srgb, noWhite), request(Srgb, Gamut{})}) {
            result = m_facade->GamutParam(map);
            QCOMPARE(result.size(), 9 + 9 + 3 + 12);
            for (const char *key : TextKeys)
                QVERIFY2(std::isfinite(result.value(key).toString().toDouble()), key);
        }
    }

    void generatedTableFollowsTheCieLocus()
    {
        QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/Data.txt"));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text),
                 "Data.txt is built beside the programs");
        int skipped = -1;
        const ledwall::SpectralLocus locus = ledwall::readSpectralLocus(file, &skipped);
        QCOMPARE(skipped, 0);
        QCOMPARE(locus.size(), 471); // 360 .. 830 nm, every nanometre
        // Tabulated CIE 1931 chromaticities (the 1 nm values, not the 5 nm samples).
        const auto at = [&](int wave) { return locus.at(wave - 360); };
        QVERIFY(std::fabs(at(360).x - 0.17556) < 2e-5 && std::fabs(at(360).y - 0.005294) < 2e-6);
        QVERIFY(std::fabs(at(521).x - 0.082053) < 1e-5);
        QVERIFY(std::fabs(at(700).x - 0.73469) < 1e-5);
    }

    void pointsInsideAndOutsideTheLocus()
    {
        const auto inside = [&](double x, double y) {
            return m_facade->openGamutConfigFile({{"x", x}, {"y", y}});
        };
        QVERIFY(inside(0.3127, 0.3290));
        // Above the green peak, left of the blue branch, below the purples, beyond red.
        const double outside[][2] = {{0.30, 0.90}, {0.05, 0.05}, {0.60, 0.10}, {0.80, 0.30}};
        for (const auto &p : outside)
            QVERIFY(!inside(p[0], p[1]));
        // The tolerance: a hair above the locus at 520 nm counts, a clear step does not.
        QVERIFY(inside(0.074302, 0.833803 + 0.004));
        QVERIFY(!inside(0.074302, 0.833803 + 0.02));
        QVERIFY(!m_facade->openGamutConfigFile({}));
    }

    void damagedTableLinesAreSkipped()
    {
        QByteArray text = "# comment\n400 0.1733 0.0048\n401\n402 abc 0.1\n\n"
                          "403 0.1729 0.0048 extra\n404 nan 0.1\n";
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        int skipped = 0;
        const ledwall::SpectralLocus locus = ledwall::readSpectralLocus(buffer, &skipped);
        QCOMPARE(locus.size(), 2);
        QCOMPARE(locus.at(1).wave, 403);
        QCOMPARE(skipped, 4);
        // A table too short to bound anything says no, never yes.
        QVERIFY(!ledwall::checkSpectralLocus(locus, 0.3, 0.3).inside);
    }
};

QTEST_GUILESS_MAIN(TestFacadeOpsGamut)
#include "test_gamut.moc"
