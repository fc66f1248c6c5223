#pragma once
// Reading typed values out of parameter maps that come from the user interface or a
// device: a missing key or a value that does not convert gives the fallback.

#include <QString>
#include <QVariantMap>
#include <QtGlobal>

namespace ledwall::maps
{

int intValue(const QVariantMap &map, const QString &key, int fallback);
// Register addresses above 0x7FFFFFFF arrive as unsigned, 64-bit or floating values,
// or as text (decimal or "0x..." hex); all are taken modulo 2^32. Missing: 0.
quint32 unsignedValue(const QVariantMap &map, const QString &key);
bool boolValue(const QVariantMap &map, const QString &key);
QString stringValue(const QVariantMap &map, const QString &key);

} // namespace ledwall::maps
