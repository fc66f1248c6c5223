#pragma once
// Gamma tables: the hexadecimal entry files, the table point lists the user
// interface shows, and the gamma curves of the driver-chip families.

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace gammafile
{

// Most entries any gamma table may hold.
constexpr int maxEntries = 1 << 20;

// Hexadecimal entry text: every value as `digits` upper-case hexadecimal
// digits followed by "," CR LF.
QByteArray encodeHexEntries(const QVariantList &values, int digits = 4);
// The values of such a text. Entries are separated by "," and a line end
// (CR LF or LF); the text after the last separator is ignored. Blanks round
// an entry are allowed. False (with a log line) when an entry is not
// hexadecimal, the text holds no entry at all or more than maxEntries.
bool decodeHexEntries(const QByteArray &text, QVariantList *values);

// Table values as the points the user interface shows: {"x": i, "y": value}.
QVariantList pointsFromValues(const QVariantList &values);
// The values of a table given either as numbers or as point maps ("y", in
// the order given); false when an entry is neither, or there are more than
// maxEntries.
bool valuesFromTable(const QVariantList &table, QVariantList *values);

// Chip families with a gamma curve of their own.
enum class ChipFamily { ICN2053, FM6363, FM6565, CNS7263 };

struct CurveDefaults {
    int bits;   // output bits
    int points; // table entries
};
CurveDefaults curveDefaults(ChipFamily family);

// The gamma curve of a chip family: n entries with
//     out(i) = round(maxGray × (i / (n − 1)) ^ gamma)
// Keys read from the request (all optional):
//     "gamma"   exponent, default 2.2, accepted 0.1 .. 10
//     "bits"    output bits, default per family, accepted 1 .. 16
//     "maxGray" largest output, default 2^bits − 1, cut to 0 .. 2^bits − 1
//     "points"  entries, default per family, accepted 2 .. 65536
// A value outside its accepted range gives an empty list and a log line.
// Result: point maps {"x", "y"}.
QVariantList chipGammaCurve(ChipFamily family, const QVariantMap &request);

} // namespace gammafile
