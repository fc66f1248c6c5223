#pragma once
// Memory initialisation files (.mif), the text format FPGA tools use to fill
// a memory; the HDR gamma table of a receiving card is kept in one.
//
//   -- comment                 (also % block comments %)
//   DEPTH = 1024;              number of words
//   WIDTH = 16;                bits per word
//   ADDRESS_RADIX = HEX;       BIN, OCT, DEC, UNS or HEX
//   DATA_RADIX = HEX;
//   CONTENT BEGIN
//       0 : 0000;              one word
//       1 : 0010 0020 0030;    words at 1, 2, 3
//       [4..7] : 0040;         the same word at 4 to 7
//   END;
//
// Words the content does not name are 0.

#include <QByteArray>
#include <QVariantList>
#include <QVariantMap>

namespace mifformat
{

constexpr int maxDepth = 1 << 20;
constexpr int maxWidth = 32;

// {"depth", "width", "addressRadix", "dataRadix", "values": list of depth ints}.
// Empty (with a log line) for a file without the END marker, a depth or width
// out of range, an address past the depth, a word wider than the width, or
// anything else it cannot read.
QVariantMap decode(const QByteArray &text);
// A file of `width`-bit words, radix HEX, one word per line.
QByteArray encode(const QVariantList &values, int width);

} // namespace mifformat
