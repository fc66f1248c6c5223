// Colour gamut conversion: correction matrices against an independent reference,
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

using Matrix = std::array<std::array<double, 3>, 3>;

// The reference: Gauss-Jordan elimination with partial pivoting, written apart
// from the library's cofactor inverse.
Matrix gaussJordanInverse(Matrix a)
{
    Matrix inv{};
    for (int i = 0; i < 3; ++i)
        inv[i][i] = 1.0;
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        std::swap(a[col], a[pivot]);
        std::swap(inv[col], inv[pivot]);
        const double p = a[col][col];
        for (int c = 0; c < 3; ++c) {
            a[col][c] /= p;
            inv[col][c] /= p;
        }
        for (int r = 0; r < 3; ++r) {
            const double f = r == col ? 0.0 : a[r][col];
            for (int c = 0; c < 3; ++c) {
                a[r][c] -= f * a[col][c];
                inv[r][c] -= f * inv[col][c];
            }
        }
    }
    return inv;
}

Matrix product(const Matrix &a, const Matrix &b)
{
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[i][j] += a[i][k] * b[k][j];
    return r;
}

// Primaries r, g, b and white w as {x, y} pairs.
using Gamut = std::array<std::array<double, 2>, 4>;

const Gamut Srgb = {{{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {0.3127, 0.3290}}};
const Gamut DciP3D65 = {{{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.3127, 0.3290}}};
const Gamut Rec2020 = {{{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}, {0.3127, 0.3290}}};

Matrix referenceNpm(const Gamut &g)
{
    Matrix p{};
    for (int c = 0; c < 3; ++c) {
        p[0][c] = g[c][0] / g[c][1]; // XYZ of each primary at Y = 1
        p[1][c] = 1.0;
        p[2][c] = (1.0 - g[c][0] - g[c][1]) / g[c][1];
    }
    const double w[3] = {g[3][0] / g[3][1], 1.0, (1.0 - g[3][0] - g[3][1]) / g[3][1]};
    const Matrix pInv = gaussJordanInverse(p);
    Matrix npm{};
    for (int j = 0; j < 3; ++j) {
        const double s = pInv[j][0] * w[0] + pInv[j][1] * w[1] + pInv[j][2] * w[2];
        for (int i = 0; i < 3; ++i)
            npm[i][j] = p[i][j] * s;
    }
    return npm;
}

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

private slots:
    void initTestCase();
    void matricesMatchIndependentReference_data();
    void matricesMatchIndependentReference();
    void quantisationLimits();
    void unusableChromaticitiesStillGiveFiniteWords();
    void generatedTableFollowsTheCieLocus();
    void pointsInsideAndOutsideTheLocus();
    void damagedTableLinesAreSkipped();

private:
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();
};

void TestFacadeOpsGamut::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
}

void TestFacadeOpsGamut::matricesMatchIndependentReference_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("target");
    QTest::newRow("identical gamuts") << 1 << 1;
    QTest::newRow("P3 panel, sRGB target") << 1 << 0;
    QTest::newRow("Rec.2020 panel, sRGB target") << 2 << 0;
    // Narrow panel asked for a wider gamut: negative terms and both limits.
    QTest::newRow("sRGB panel, Rec.2020 target") << 0 << 2;
}

void TestFacadeOpsGamut::matricesMatchIndependentReference()
{
    QFETCH(int, panel);
    QFETCH(int, target);
    const Gamut gamuts[3] = {Srgb, DciP3D65, Rec2020};
    const Matrix t =
        product(gaussJordanInverse(referenceNpm(gamuts[panel])), referenceNpm(gamuts[target]));

    // The limits, as the device needs them.
    Matrix limited = t;
    double offDiagonal = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != j)
                offDiagonal = std::max(offDiagonal, std::fabs(t[i][j]));
    if (offDiagonal > 0.499)
        for (auto &row : limited)
            for (double &v : row)
                v *= 0.499 / offDiagonal;
    const Matrix beforeRowSum = limited;
    double rowSum = -1e9;
    for (const auto &row : limited)
        rowSum = std::max(rowSum, row[0] + row[1] + row[2]);
    if (rowSum > 1.0)
        for (auto &row : limited)
            for (double &v : row)
                v /= rowSum;

    const QVariantMap result = m_facade->GamutParam(request(gamuts[panel], gamuts[target]));
    for (int k = 0; k < 9; ++k) {
        const int i = k / 3;
        const int j = k % 3;
        const double text = result.value(TextKeys[k]).toString().toDouble();
        QVERIFY2(std::fabs(text - beforeRowSum[i][j]) <= 1e-5 * std::max(1.0, std::fabs(text)),
                 TextKeys[k]);
        const double h = limited[i][j];
        int expected;
        if (i == j) {
            expected = std::min(4095, int(std::floor(h * 2048 + 0.5)));
        } else {
            const int v = int(std::floor(h * 1024 + 0.5));
            expected = v < 0 ? (-v | 0x200) : v;
        }
        QVERIFY2(std::abs(result.value(CoefficientKeys[k]).toInt() - expected) <= 1,
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

void TestFacadeOpsGamut::quantisationLimits()
{
    QCOMPARE(ledwall::quantiseOffDiagonal(0.9), 0x1FF); // never into the sign bit
    QCOMPARE(ledwall::quantiseOffDiagonal(-0.9), 0x1FF | 0x200);
    QCOMPARE(ledwall::quantiseDiagonal(2.5), 0xFFF);
    QCOMPARE(ledwall::quantiseDiagonal(-0.3), 0); // unsigned: never spills into other fields
    QCOMPARE(ledwall::quantiseDiagonal(std::nan("")), 0);
}

void TestFacadeOpsGamut::unusableChromaticitiesStillGiveFiniteWords()
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

void TestFacadeOpsGamut::generatedTableFollowsTheCieLocus()
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

void TestFacadeOpsGamut::pointsInsideAndOutsideTheLocus()
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

void TestFacadeOpsGamut::damagedTableLinesAreSkipped()
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

QTEST_GUILESS_MAIN(TestFacadeOpsGamut)
#include "test_gamut.moc"
