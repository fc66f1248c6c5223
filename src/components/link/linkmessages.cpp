#include "linkmessages.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ledwall::link::message
{

namespace
{

QVariantMap base(const QString &event, const QString &guid, int linkType, bool result)
{
    return QVariantMap{{Event, event}, {Guid, guid}, {LinkType, linkType}, {Result, result}};
}

} // namespace

QVariantMap linkOpened(const QString &guid, int linkType, const QVariantMap &endpoint)
{
    QVariantMap map = base(LinkOpened, guid, linkType, true);
    for (auto it = endpoint.cbegin(); it != endpoint.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

QVariantMap linkClosed(const QString &guid, int linkType, const QString &reason)
{
    QVariantMap map = base(LinkClosed, guid, linkType, true);
    map.insert(QStringLiteral("reason"), reason);
    return map;
}

QVariantMap linkError(const QString &guid, int linkType, const QString &error)
{
    QVariantMap map = base(LinkError, guid, linkType, false);
    map.insert(QStringLiteral("error"), error);
    return map;
}

QVariantMap deviceFound(const QString &guid, const QByteArray &answerPayload,
                        const QString &address, quint16 port)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(answerPayload, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return QVariantMap();
    const QJsonObject answer = document.object();
    QVariantMap map = base(DeviceFound, guid, 3, true);
    for (const char *key : {"name", "model", "serial"})
        map.insert(QString::fromLatin1(key),
                   answer.value(QLatin1String(key)).toVariant().toString());
    map.insert(QStringLiteral("address"), address);
    map.insert(QStringLiteral("port"), port);
    return map;
}

} // namespace ledwall::link::message
