#include "bll_communicationxml_desktop.h"

#include "serverlogging.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace
{

const QString kMessage = QStringLiteral("message");
const QString kItem = QStringLiteral("item");

void writeValue(QXmlStreamWriter &writer, const QString *key, const QVariant &value, int depth);

void writeItems(QXmlStreamWriter &writer, const QVariantMap &map, int depth)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        writeValue(writer, &it.key(), it.value(), depth);
}

void writeValue(QXmlStreamWriter &writer, const QString *key, const QVariant &value, int depth)
{
    writer.writeStartElement(kItem);
    if (key)
        writer.writeAttribute(QStringLiteral("key"), *key);
    const int type = value.userType();
    auto scalar = [&](const char *name, const QString &text) {
        writer.writeAttribute(QStringLiteral("type"), QLatin1String(name));
        writer.writeAttribute(QStringLiteral("value"), text);
    };
    if (type == QMetaType::QVariantMap && depth < BLL_CommunicationXml_Desktop::MaxDepth) {
        writer.writeAttribute(QStringLiteral("type"), QStringLiteral("map"));
        writeItems(writer, value.toMap(), depth + 1);
    } else if (type == QMetaType::QVariantList && depth < BLL_CommunicationXml_Desktop::MaxDepth) {
        writer.writeAttribute(QStringLiteral("type"), QStringLiteral("list"));
        const QVariantList list = value.toList();
        for (const QVariant &entry : list)
            writeValue(writer, nullptr, entry, depth + 1);
    } else if (type == QMetaType::Bool) {
        scalar("bool", value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
    } else if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Short ||
               type == QMetaType::Long || type == QMetaType::SChar) {
        scalar("int", QString::number(value.toLongLong()));
    } else if (type == QMetaType::UInt || type == QMetaType::ULongLong ||
               type == QMetaType::UShort || type == QMetaType::ULong || type == QMetaType::UChar) {
        scalar("uint", QString::number(value.toULongLong()));
    } else if (type == QMetaType::Double || type == QMetaType::Float) {
        scalar("double", QString::number(value.toDouble(), 'g', 17));
    } else if (type == QMetaType::QByteArray) {
        scalar("bytes", QString::fromLatin1(value.toByteArray().toBase64()));
    } else {
        scalar("string", value.toString());
    }
    writer.writeEndElement();
}

struct Decoder {
    QXmlStreamReader reader;
    QString error;

    explicit Decoder(const QByteArray &xml) : reader(xml) {}

    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }

    // Reads the children of the current element up to its end element: keyed
    // items into map, unkeyed ones into list; with neither, no children are allowed.
    bool readChildren(QVariantMap *map, QVariantList *list, int depth)
    {
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::EndElement)
                return true;
            if (token == QXmlStreamReader::Characters) {
                if (!reader.isWhitespace())
                    return fail(QStringLiteral("text outside an item"));
                continue;
            }
            if (token == QXmlStreamReader::Comment)
                continue;
            if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
                return fail(QStringLiteral("DTD or entity not allowed"));
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (reader.name() != kItem)
                return fail(QStringLiteral("unexpected element ") + reader.name().toString());
            if (!map && !list)
                return fail(QStringLiteral("scalar item with children"));
            QString key;
            QVariant value;
            if (!readItem(map != nullptr, &key, &value, depth + 1))
                return false;
            if (map)
                map->insert(key, value);
            else
                list->append(value);
        }
        return fail(reader.hasError() ? reader.errorString() : QStringLiteral("unexpected end"));
    }

    bool readItem(bool needKey, QString *key, QVariant *value, int depth)
    {
        if (depth > BLL_CommunicationXml_Desktop::MaxDepth)
            return fail(QStringLiteral("nested too deep"));
        const QXmlStreamAttributes attributes = reader.attributes();
        if (needKey) {
            if (!attributes.hasAttribute(QStringLiteral("key")))
                return fail(QStringLiteral("item without key"));
            *key = attributes.value(QStringLiteral("key")).toString();
        }
        const QString type = attributes.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("map")) {
            QVariantMap child;
            if (!readChildren(&child, nullptr, depth))
                return false;
            *value = child;
            return true;
        }
        if (type == QLatin1String("list")) {
            QVariantList child;
            if (!readChildren(nullptr, &child, depth))
                return false;
            *value = child;
            return true;
        }
        if (!attributes.hasAttribute(QStringLiteral("value")))
            return fail(QStringLiteral("item without value"));
        const QString text = attributes.value(QStringLiteral("value")).toString();
        bool ok = true;
        if (type == QLatin1String("string")) {
            *value = text;
        } else if (type == QLatin1String("int")) {
            *value = text.toLongLong(&ok);
        } else if (type == QLatin1String("uint")) {
            *value = text.toULongLong(&ok);
        } else if (type == QLatin1String("double")) {
            *value = text.toDouble(&ok);
        } else if (type == QLatin1String("bool")) {
            ok = text == QLatin1String("true") || text == QLatin1String("false");
            *value = text == QLatin1String("true");
        } else if (type == QLatin1String("bytes")) {
            const auto result = QByteArray::fromBase64Encoding(
                text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            ok = bool(result);
            *value = *result;
        } else {
            return fail(QStringLiteral("unknown value type ") + type);
        }
        if (!ok)
            return fail(QStringLiteral("bad ") + type + QStringLiteral(" value ") + text);
        // A scalar item has no children.
        return readChildren(nullptr, nullptr, depth) || fail(QStringLiteral("bad scalar item"));
    }

    bool decode(int *type, QVariantMap *map)
    {
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::DTD)
                return fail(QStringLiteral("DTD not allowed"));
            if (token == QXmlStreamReader::StartElement)
                break;
        }
        if (reader.hasError())
            return fail(reader.errorString());
        if (!reader.isStartElement() || reader.name() != kMessage)
            return fail(QStringLiteral("root element is not <message>"));
        bool ok = false;
        const int messageType = reader.attributes().value(QStringLiteral("type")).toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("message without a numeric type"));
        QVariantMap result;
        if (!readChildren(&result, nullptr, 0))
            return false;
        // Nothing but whitespace and comments may follow the root element.
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::StartElement ||
                (token == QXmlStreamReader::Characters && !reader.isWhitespace()))
                return fail(QStringLiteral("content after the message"));
        }
        if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            return fail(reader.errorString());
        *type = messageType;
        *map = result;
        return true;
    }
};

} // namespace

BLL_CommunicationXml_Desktop::BLL_CommunicationXml_Desktop(QObject *parent) : QObject(parent) {}

BLL_CommunicationXml_Desktop::~BLL_CommunicationXml_Desktop() = default;

bool BLL_CommunicationXml_Desktop::parseXml(const QByteArray &xml)
{
    int type = 0;
    QVariantMap map;
    QString error;
    if (!fromXml(xml, &type, &map, &error)) {
        qCDebug(lcServer) << "malformed XML message:" << error;
        return false;
    }
    emit recvCmdData(type, map);
    return true;
}

QByteArray BLL_CommunicationXml_Desktop::getResponseXml(const QString &cmd, int result)
{
    QVariantMap map;
    map.insert(QStringLiteral("cmd"), cmd);
    map.insert(QStringLiteral("result"), result);
    return toXml(Response, map);
}

QByteArray BLL_CommunicationXml_Desktop::toXml(int type, const QVariantMap &map)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(false);
    writer.writeStartElement(kMessage);
    writer.writeAttribute(QStringLiteral("type"), QString::number(type));
    writeItems(writer, map, 0);
    writer.writeEndElement();
    return out;
}

bool BLL_CommunicationXml_Desktop::fromXml(const QByteArray &xml, int *type, QVariantMap *map,
                                           QString *error)
{
    auto failWith = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!type || !map)
        return failWith(QStringLiteral("no output"));
    if (xml.size() > MaxMessageSize)
        return failWith(QStringLiteral("message too large"));
    Decoder decoder(xml);
    if (!decoder.decode(type, map))
        return failWith(decoder.error);
    return true;
}
