#pragma once
// Plain helpers of the register calculator.

#include <QByteArray>
#include <QString>

namespace registerfield
{

// Bytes of a hexadecimal text; false for anything that is not hex bytes.
bool parseHexBytes(const QString &text, QByteArray *bytes);
// A bit field "hi:lo", "n" or "[hi:lo]"; false when malformed or hi < lo.
bool parseField(const QString &text, int *high, int *low);
// The register width to use: 1..63 as given, 0 or less means 32; -1 when too wide.
int registerWidth(qint64 width);

} // namespace registerfield
