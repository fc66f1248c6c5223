#include "jsonfileformat.h"

#include "datacenterlog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace jsonfile
{

namespace
{
const QString formatKey = QStringLiteral("format");
const QString versionKey = QStringLiteral("version");
const QString dataKey = QStringLiteral("data");

bool parseObject(const QByteArray &bytes, QJsonObject *object)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        qCDebug(lcDataCenter) << "parse json error!!!!" << error.error << error.errorString()
                              << "at" << error.offset;
        return false;
    }
    if (!document.isObject()) {
        qCDebug(lcDataCenter) << "json file holds no object";
        return false;
    }
    *object = document.object();
    return true;
}
} // namespace

QByteArray encodeEnvelope(const QString &format, const QVariantMap &data)
{
    QJsonObject envelope;
    envelope.insert(formatKey, format);
    envelope.insert(versionKey, envelopeVersion);
    envelope.insert(dataKey, QJsonObject::fromVariantMap(data));
    return QJsonDocument(envelope).toJson(QJsonDocument::Indented);
}

QVariantMap decodeEnvelope(const QString &format, const QByteArray &bytes)
{
    QJsonObject envelope;
    if (!parseObject(bytes, &envelope))
        return {};
    if (envelope.value(formatKey).toString() != format) {
        qCDebug(lcDataCenter) << "not a" << format << "file:" << envelope.value(formatKey);
        return {};
    }
    const QJsonValue version = envelope.value(versionKey);
    if (!version.isDouble() || version.toInt() < 1 || version.toInt() > envelopeVersion) {
        qCDebug(lcDataCenter) << format << "file of unknown version" << version;
        return {};
    }
    if (!envelope.value(dataKey).isObject()) {
        qCDebug(lcDataCenter) << format << "file without data";
        return {};
    }
    return envelope.value(dataKey).toObject().toVariantMap();
}

QByteArray encodeObject(const QVariantMap &data)
{
    return QJsonDocument(QJsonObject::fromVariantMap(data)).toJson(QJsonDocument::Indented);
}

QVariantMap decodeObject(const QByteArray &bytes)
{
    QJsonObject object;
    if (!parseObject(bytes, &object))
        return {};
    return object.toVariantMap();
}

QVariantMap withoutRequestKeys(QVariantMap request)
{
    for (const char *key :
         {"isSave", "filePath", "configFlag", "superadditionFlag", "DoNotrespond"})
        request.remove(QLatin1String(key));
    return request;
}

} // namespace jsonfile
