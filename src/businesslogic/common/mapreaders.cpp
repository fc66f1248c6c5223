#include "mapreaders.h"

namespace ledwall::maps
{

int intValue(const QVariantMap &map, const QString &key, int fallback)
{
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return fallback;
    bool ok = false;
    const int value = it->toInt(&ok);
    return ok ? value : fallback;
}

// Register addresses above 0x7FFFFFFF arrive as unsigned, 64-bit or floating
// values, or as text (decimal or "0x..." hex); all are taken modulo 2^32.
quint32 unsignedValue(const QVariantMap &map, const QString &key)
{
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return 0;
    bool ok = false;
    qint64 value = it->toLongLong(&ok);
    if (!ok && it->canConvert<QString>())
        value = it->toString().trimmed().toLongLong(&ok, 0);
    return ok ? quint32(value) : 0;
}

bool boolValue(const QVariantMap &map, const QString &key)
{
    const auto it = map.constFind(key);
    return it != map.constEnd() && it->toBool();
}

QString stringValue(const QVariantMap &map, const QString &key)
{
    const auto it = map.constFind(key);
    return it == map.constEnd() ? QString() : it->toString();
}

} // namespace ledwall::maps
