#include "gamutconversion.h"

#include <algorithm>
#include <cmath>

namespace ledwall
{
namespace
{

// Below this a chromaticity matrix is treated as singular: its entries are all
// of order 1, so a determinant this small means two primaries coincide.
constexpr double SingularDeterminant = 1e-12;

bool isFinite(const Matrix3 &m)
{
    for (const auto &row : m) {
        for (double v : row) {
            if (!std::isfinite(v))
                return false;
        }
    }
    return true;
}

// Columns: the red, green and blue primaries as (x, y, 1 - x - y).
Matrix3 primariesMatrix(const GamutPrimaries &g)
{
    const Chromaticity c[3] = {g.red, g.green, g.blue};
    Matrix3 p{};
    for (int column = 0; column < 3; ++column) {
        p[0][column] = c[column].x;
        p[1][column] = c[column].y;
        p[2][column] = 1.0 - c[column].x - c[column].y;
    }
    return p;
}

} // namespace

Matrix3 identityMatrix3()
{
    return {{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
}

Matrix3 multiply(const Matrix3 &a, const Matrix3 &b)
{
    Matrix3 r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    }
    return r;
}

bool invert(const Matrix3 &m, Matrix3 *inverse)
{
    // Cofactors, transposed (the adjugate).
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    const double c02 = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    const double c10 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c11 = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    const double c12 = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    const double c20 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double c21 = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    const double c22 = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double det = m[0][0] * c00 + m[0][1] * c10 + m[0][2] * c20;
    if (!std::isfinite(det) || std::fabs(det) <= SingularDeterminant)
        return false;
    const Matrix3 r = {{{c00 / det, c01 / det, c02 / det},
                        {c10 / det, c11 / det, c12 / det},
                        {c20 / det, c21 / det, c22 / det}}};
    if (!isFinite(r))
        return false;
    *inverse = r;
    return true;
}

Matrix3 normalisedPrimaryMatrix(const GamutPrimaries &gamut, bool *usable)
{
    const Matrix3 p = primariesMatrix(gamut);
    const Chromaticity w = gamut.white;
    const double white[3] = {w.x / w.y, 1.0, (1.0 - w.x - w.y) / w.y};

    double scale[3] = {1.0, 0.0, 0.0};
    Matrix3 pInverse;
    *usable = std::isfinite(white[0]) && std::isfinite(white[2]) && invert(p, &pInverse);
    if (*usable) {
        for (int i = 0; i < 3; ++i)
            scale[i] =
                pInverse[i][0] * white[0] + pInverse[i][1] * white[1] + pInverse[i][2] * white[2];
    }
    Matrix3 npm{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            npm[i][j] = p[i][j] * scale[j];
    }
    return npm;
}

GamutCorrection gamutCorrection(const GamutPrimaries &panel, const GamutPrimaries &target)
{
    GamutCorrection result;
    const Matrix3 npmPanel = normalisedPrimaryMatrix(panel, &result.panelUsable);
    const Matrix3 npmTarget = normalisedPrimaryMatrix(target, &result.targetUsable);

    Matrix3 panelInverse;
    Matrix3 t = identityMatrix3();
    result.npmUsable = invert(npmPanel, &panelInverse);
    if (result.npmUsable) {
        t = multiply(panelInverse, npmTarget);
        // A target with unusable numbers in it (NaN survives the fallbacks).
        if (!isFinite(t)) {
            result.npmUsable = false;
            t = identityMatrix3();
        }
    }

    double largestOffDiagonal = 0.0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (i != j)
                largestOffDiagonal = std::max(largestOffDiagonal, std::fabs(t[i][j]));
        }
    }
    if (largestOffDiagonal > GamutOffDiagonalLimit) {
        const double factor = GamutOffDiagonalLimit / largestOffDiagonal;
        for (auto &row : t) {
            for (double &v : row)
                v *= factor;
        }
    }
    result.matrix = t;

    double largestRowSum = t[0][0] + t[0][1] + t[0][2];
    for (int i = 1; i < 3; ++i)
        largestRowSum = std::max(largestRowSum, t[i][0] + t[i][1] + t[i][2]);
    if (largestRowSum > 1.0) {
        for (auto &row : t) {
            for (double &v : row)
                v /= largestRowSum;
        }
    }
    result.limited = t;
    return result;
}

int quantiseDiagonal(double value)
{
    const double scaled = std::floor(value * 2048.0 + 0.5);
    if (!(scaled > 0.0)) // also NaN
        return 0;
    return scaled >= 0xFFF ? 0xFFF : int(scaled);
}

int quantiseOffDiagonal(double value)
{
    const double scaled = std::floor(value * 1024.0 + 0.5);
    if (std::isnan(scaled))
        return 0;
    const double magnitude = std::min(std::fabs(scaled), double(0x1FF));
    return scaled < 0.0 ? (int(magnitude) | 0x200) : int(magnitude);
}

GamutCoefficients quantiseGamutMatrix(const Matrix3 &m)
{
    GamutCoefficients c;
    c.rr = quantiseDiagonal(m[0][0]);
    c.gg = quantiseDiagonal(m[1][1]);
    c.bb = quantiseDiagonal(m[2][2]);
    c.rg = quantiseOffDiagonal(m[0][1]);
    c.rb = quantiseOffDiagonal(m[0][2]);
    c.gr = quantiseOffDiagonal(m[1][0]);
    c.gb = quantiseOffDiagonal(m[1][2]);
    c.br = quantiseOffDiagonal(m[2][0]);
    c.bg = quantiseOffDiagonal(m[2][1]);
    return c;
}

GamutWords packGamutWords(const GamutCoefficients &c)
{
    const auto word = [](int own, int first, int second) {
        return quint32(own & 0xFFF) | (quint32(first & 0x3FF) << 12) |
               (quint32(second & 0x3FF) << 22);
    };
    return {word(c.rr, c.rg, c.rb), word(c.gg, c.gr, c.gb), word(c.bb, c.br, c.bg)};
}

} // namespace ledwall
