#pragma once
// The search settings file "searchFile.txt": plain text, one "key=value" line per
// setting, integer values, keys in the order of searchSettingKeys().

#include <QByteArray>
#include <QStringList>
#include <QVariantMap>

namespace ledwall
{

// usbUdpFlag, lanType, isGLVer, isResetAPP.
const QStringList &searchSettingKeys();

// The settings found in the text. A line "key=value" with one of the keys gives
// the value read as a decimal integer (0 when it is not one); other lines are
// ignored.
QVariantMap parseSearchSettings(const QByteArray &text);

// One "key=value\n" line for each key the map holds, in key order; values are
// written as integers, so no value can break the file's lines.
QByteArray formatSearchSettings(const QVariantMap &settings);

} // namespace ledwall
