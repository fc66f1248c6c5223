#include "searchsettings.h"

#include <QList>

namespace ledwall
{

const QStringList &searchSettingKeys()
{
    static const QStringList keys = {QStringLiteral("usbUdpFlag"), QStringLiteral("lanType"),
                                     QStringLiteral("isGLVer"), QStringLiteral("isResetAPP")};
    return keys;
}

QVariantMap parseSearchSettings(const QByteArray &text)
{
    QVariantMap settings;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &rawLine : lines) {
        const QString line = QString::fromUtf8(rawLine.constData(), rawLine.size()).trimmed();
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!searchSettingKeys().contains(key))
            continue;
        bool ok = false;
        const int value = line.mid(equals + 1).trimmed().toInt(&ok, 10);
        settings.insert(key, ok ? value : 0);
    }
    return settings;
}

QByteArray formatSearchSettings(const QVariantMap &settings)
{
    QByteArray text;
    for (const QString &key : searchSettingKeys()) {
        if (!settings.contains(key))
            continue;
        text += key.toLatin1() + '=' + QByteArray::number(settings.value(key).toInt()) + '\n';
    }
    return text;
}

} // namespace ledwall
