#pragma once
// Colour gamut conversion: the 3 x 3 correction matrix that maps a target gamut
// onto a panel's native primaries, its limits, and its fixed-point register words.
//
// Chromaticities are CIE 1931 (x, y). The matrix T = NPM_panel^-1 . NPM_target
// takes target RGB to panel RGB. The device applies it as three 32-bit words, one
// per output channel: the channel's own coefficient as an unsigned 12-bit value
// (2048 = 1.0) in bits 0-11, the two others of its row as 10-bit sign-and-magnitude
// values (1024 = 1.0, bit 9 the sign) in bits 12-21 and 22-31, red-green-blue order.

#include <QtGlobal>

#include <array>

namespace ledwall
{

struct Chromaticity {
    double x = 0.0;
    double y = 0.0;
};

// The red, green and blue primaries and the white point of one gamut.
struct GamutPrimaries {
    Chromaticity red;
    Chromaticity green;
    Chromaticity blue;
    Chromaticity white;
};

// Row-major: m[row][column].
using Matrix3 = std::array<std::array<double, 3>, 3>;

Matrix3 identityMatrix3();
Matrix3 multiply(const Matrix3 &a, const Matrix3 &b);
// The inverse; false (and `inverse` untouched) when the matrix is singular or not
// finite.
bool invert(const Matrix3 &m, Matrix3 *inverse);

// The normalised primary matrix (RGB -> XYZ with the white at Y = 1). When the
// primaries cannot be inverted, or the white point cannot be expressed (y = 0),
// the scale vector falls back to (1, 0, 0) and `*usable` is false.
Matrix3 normalisedPrimaryMatrix(const GamutPrimaries &gamut, bool *usable);

struct GamutCorrection {
    Matrix3 matrix;          // T after the off-diagonal limit (0.499)
    Matrix3 limited;         // ... and after the row-sum limit (1.0): what is quantised
    bool panelUsable = true; // the panel's primaries could be inverted
    bool targetUsable = true;
    bool npmUsable = true; // NPM_panel could be inverted (else T = identity)
};

GamutCorrection gamutCorrection(const GamutPrimaries &panel, const GamutPrimaries &target);

// Largest absolute off-diagonal entry allowed; the whole matrix is scaled down to it.
constexpr double GamutOffDiagonalLimit = 0.499;

// Quantised coefficients, named by row and column (Crg = row red, column green).
struct GamutCoefficients {
    int rr = 0, rg = 0, rb = 0;
    int gr = 0, gg = 0, gb = 0;
    int br = 0, bg = 0, bb = 0;
};

// Diagonal entry -> unsigned 12 bits (0 .. 0xFFF).
int quantiseDiagonal(double value);
// Off-diagonal entry -> 10-bit sign-and-magnitude (magnitude at most 0x1FF).
int quantiseOffDiagonal(double value);
GamutCoefficients quantiseGamutMatrix(const Matrix3 &m);

struct GamutWords {
    quint32 red = 0;
    quint32 green = 0;
    quint32 blue = 0;
};

GamutWords packGamutWords(const GamutCoefficients &c);

} // namespace ledwall
