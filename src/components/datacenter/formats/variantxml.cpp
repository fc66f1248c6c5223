#include "variantxml.h"

#include "datacenterlog.h"

#include <QVariantList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace variantxml
{

namespace
{

void writeValue(QXmlStreamWriter &xml, const QString &key, const QVariant &value);

void writeMapEntries(QXmlStreamWriter &xml, const QVariantMap &map)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        writeValue(xml, it.key(), it.value());
}

void writeValue(QXmlStreamWriter &xml, const QString &key, const QVariant &value)
{
    auto element = [&](const char *name, const QString &text) {
        xml.writeStartElement(QLatin1String(name));
        if (!key.isNull())
            xml.writeAttribute(QStringLiteral("key"), key);
        xml.writeCharacters(text);
        xml.writeEndElement();
    };
    switch (value.userType()) {
    case QMetaType::Bool:
        element("bool", value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        element("int", QString::number(value.toLongLong()));
        return;
    case QMetaType::ULongLong:
        element("int", QString::number(value.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        element("double", QString::number(value.toDouble(), 'g', 17));
        return;
    case QMetaType::QByteArray:
        element("bytes", QString::fromLatin1(value.toByteArray().toBase64()));
        return;
    case QMetaType::QVariantMap:
        xml.writeStartElement(QStringLiteral("map"));
        if (!key.isNull())
            xml.writeAttribute(QStringLiteral("key"), key);
        writeMapEntries(xml, value.toMap());
        xml.writeEndElement();
        return;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        xml.writeStartElement(QStringLiteral("list"));
        if (!key.isNull())
            xml.writeAttribute(QStringLiteral("key"), key);
        for (const QVariant &item : value.toList())
            writeValue(xml, QString(), item);
        xml.writeEndElement();
        return;
    default:
        element("string", value.toString());
        return;
    }
}

// Reads the children of the current element (a map or a list) up to its end.
bool readChildren(QXmlStreamReader &xml, int depth, QVariantMap *map, QVariantList *list)
{
    if (depth > maxDepth) {
        qCDebug(lcDataCenter) << "xml file nested too deeply";
        return false;
    }
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        const bool hasKey = xml.attributes().hasAttribute(QStringLiteral("key"));
        const QString key = xml.attributes().value(QStringLiteral("key")).toString();
        if (map && !hasKey) {
            qCDebug(lcDataCenter) << "xml map entry without a key at line" << xml.lineNumber();
            return false;
        }
        QVariant value;
        if (name == QLatin1String("map")) {
            QVariantMap child;
            if (!readChildren(xml, depth + 1, &child, nullptr))
                return false;
            value = child;
        } else if (name == QLatin1String("list")) {
            QVariantList child;
            if (!readChildren(xml, depth + 1, nullptr, &child))
                return false;
            value = child;
        } else {
            const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            if (xml.hasError())
                return false;
            bool ok = true;
            if (name == QLatin1String("string")) {
                value = text;
            } else if (name == QLatin1String("int")) {
                const qlonglong number = text.toLongLong(&ok);
                if (ok) {
                    value = number;
                } else {
                    const qulonglong big = text.toULongLong(&ok);
                    value = big;
                }
            } else if (name == QLatin1String("double")) {
                value = text.toDouble(&ok);
            } else if (name == QLatin1String("bool")) {
                ok = text == QLatin1String("true") || text == QLatin1String("false");
                value = text == QLatin1String("true");
            } else if (name == QLatin1String("bytes")) {
                const auto decoded = QByteArray::fromBase64Encoding(
                    text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
                ok = bool(decoded);
                value = decoded.decoded;
            } else {
                qCDebug(lcDataCenter)
                    << "unknown xml element" << name << "at line" << xml.lineNumber();
                return false;
            }
            if (!ok) {
                qCDebug(lcDataCenter)
                    << "bad" << name << "value" << text << "at line" << xml.lineNumber();
                return false;
            }
        }
        if (map)
            map->insert(key, value);
        else
            list->append(value);
    }
    return !xml.hasError();
}

} // namespace

QByteArray encode(const QString &rootName, const QVariantMap &data)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(rootName);
    xml.writeAttribute(QStringLiteral("version"), QString::number(version));
    writeMapEntries(xml, data);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

bool decode(const QString &rootName, const QByteArray &bytes, QVariantMap *data)
{
    data->clear();
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement()) {
        qCDebug(lcDataCenter) << "xml file without a root element:" << xml.errorString();
        return false;
    }
    if (xml.name() != rootName) {
        qCDebug(lcDataCenter) << "not a" << rootName << "file:" << xml.name();
        return false;
    }
    bool ok = false;
    const int fileVersion = xml.attributes().value(QStringLiteral("version")).toInt(&ok);
    if (!ok || fileVersion < 1 || fileVersion > version) {
        qCDebug(lcDataCenter) << rootName << "file of unknown version";
        return false;
    }
    QVariantMap result;
    if (!readChildren(xml, 1, &result, nullptr)) {
        qCDebug(lcDataCenter) << rootName << "file damaged:" << xml.errorString() << "line"
                              << xml.lineNumber();
        return false;
    }
    // Nothing but comments and white space may follow the root element.
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            qCDebug(lcDataCenter) << rootName << "file: content after the root element";
            return false;
        }
    }
    if (xml.hasError()) {
        qCDebug(lcDataCenter) << rootName << "file damaged:" << xml.errorString();
        return false;
    }
    *data = result;
    return true;
}

} // namespace variantxml
