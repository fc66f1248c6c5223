#include "fieldcodec.h"

#include "module_base.h"

namespace ledwall::packet
{

namespace
{

enum class FieldType { Bool, U8, U16, U32, I32, Text, Bytes, Other };

FieldType fieldType(const QString &typeName)
{
    if (typeName == QLatin1String("bool"))
        return FieldType::Bool;
    if (typeName == QLatin1String("unsigned char"))
        return FieldType::U8;
    if (typeName == QLatin1String("unsigned short"))
        return FieldType::U16;
    if (typeName == QLatin1String("unsigned int"))
        return FieldType::U32;
    if (typeName == QLatin1String("int"))
        return FieldType::I32;
    if (typeName == QLatin1String("class QString"))
        return FieldType::Text;
    if (typeName == QLatin1String("class QByteArray"))
        return FieldType::Bytes;
    return FieldType::Other;
}

// Width of a fixed-size field; 0 for the variable ones.
int fixedWidth(FieldType type)
{
    switch (type) {
    case FieldType::Bool:
    case FieldType::U8:
        return 1;
    case FieldType::U16:
        return 2;
    case FieldType::U32:
    case FieldType::I32:
        return 4;
    default:
        return 0;
    }
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

void appendNumber(QByteArray *out, quint32 value, int width)
{
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        out->append(char((value >> shift) & 0xFF));
}

quint32 readNumber(const QByteArray &bytes, int offset, int width)
{
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

// The fixed-size member at `address` as an unsigned 32-bit pattern.
quint32 numberAt(const void *address, FieldType type)
{
    switch (type) {
    case FieldType::Bool:
        return *static_cast<const bool *>(address) ? 1 : 0;
    case FieldType::U8:
        return *static_cast<const quint8 *>(address);
    case FieldType::U16:
        return *static_cast<const quint16 *>(address);
    case FieldType::U32:
        return *static_cast<const quint32 *>(address);
    case FieldType::I32:
        return quint32(*static_cast<const qint32 *>(address));
    default:
        return 0;
    }
}

void setNumberAt(void *address, FieldType type, quint32 value)
{
    switch (type) {
    case FieldType::Bool:
        *static_cast<bool *>(address) = value != 0;
        break;
    case FieldType::U8:
        *static_cast<quint8 *>(address) = quint8(value);
        break;
    case FieldType::U16:
        *static_cast<quint16 *>(address) = quint16(value);
        break;
    case FieldType::U32:
        *static_cast<quint32 *>(address) = value;
        break;
    case FieldType::I32:
        *static_cast<qint32 *>(address) = qint32(value);
        break;
    default:
        break;
    }
}

// Whether `number` fits a field of `type`: its unsigned range, or the signed one of
// the same width (so -1 still means "all ones"). Anything else would be cut.
bool fitsField(FieldType type, qint64 number)
{
    switch (type) {
    case FieldType::U8:
        return number >= -0x80 && number <= 0xFF;
    case FieldType::U16:
        return number >= -0x8000 && number <= 0xFFFF;
    case FieldType::U32:
        return number >= -0x80000000LL && number <= 0xFFFFFFFFLL;
    case FieldType::I32:
        return number >= -0x80000000LL && number <= 0x7FFFFFFFLL;
    default:
        return true;
    }
}

} // namespace

bool integerFromVariant(const QVariant &value, qint64 *number)
{
    bool ok = false;
    if (value.userType() == QMetaType::QString || value.userType() == QMetaType::QByteArray) {
        QString text = value.toString().trimmed();
        const bool negative = text.startsWith(QLatin1Char('-'));
        if (negative)
            text.remove(0, 1);
        qint64 parsed = 0;
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            parsed = text.mid(2).toLongLong(&ok, 16);
        else
            parsed = text.toLongLong(&ok, 10);
        *number = negative ? -parsed : parsed;
        return ok;
    }
    if (value.userType() == QMetaType::ULongLong) {
        *number = qint64(value.toULongLong(&ok));
        return ok;
    }
    *number = value.toLongLong(&ok);
    return ok;
}

bool bytesFromVariant(const QVariant &value, QByteArray *bytes)
{
    if (value.userType() == QMetaType::QByteArray) {
        *bytes = value.toByteArray();
        return true;
    }
    if (value.userType() != QMetaType::QString)
        return false;
    QString text = value.toString();
    text.remove(QLatin1Char(' '));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    if (text.size() % 2 != 0)
        return false;
    for (const QChar c : qAsConst(text)) {
        if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            return false;
    }
    *bytes = QByteArray::fromHex(text.toLatin1());
    return true;
}

bool fillFromMap(Module_Base *object, const QVariantMap &map, QString *error)
{
    for (auto it = object->m_memberAddress.cbegin(); it != object->m_memberAddress.cend(); ++it) {
        const auto found = map.constFind(it.key());
        if (found == map.cend())
            continue;
        const FieldType type = fieldType(object->m_memberTypeName.value(it.key()));
        void *address = it.value();
        switch (type) {
        case FieldType::Text:
            *static_cast<QString *>(address) = found->toString();
            break;
        case FieldType::Bytes:
            if (!bytesFromVariant(*found, static_cast<QByteArray *>(address))) {
                setError(error,
                         QStringLiteral("%1 is neither bytes nor hexadecimal text").arg(it.key()));
                return false;
            }
            break;
        case FieldType::Bool:
            *static_cast<bool *>(address) = found->toBool();
            break;
        case FieldType::Other:
            break;
        default: {
            qint64 number = 0;
            if (!integerFromVariant(*found, &number)) {
                setError(error, QStringLiteral("%1 is not a number").arg(it.key()));
                return false;
            }
            if (!fitsField(type, number)) {
                setError(error, QStringLiteral("%1 = %2 does not fit its field")
                                    .arg(it.key(), found->toString()));
                return false;
            }
            setNumberAt(address, type, quint32(quint64(number)));
        }
        }
    }
    return true;
}

QVariantMap fieldsToMap(const Module_Base &object, const QStringList &names)
{
    QVariantMap map;
    for (const QString &name : names) {
        const QVariant value = moduleMemberValue(object.m_memberAddress.value(name),
                                                 object.m_memberTypeName.value(name));
        if (value.isValid())
            map.insert(name, value);
    }
    return map;
}

bool encodeFields(const Module_Base &object, const QStringList &names, QByteArray *out,
                  QString *error)
{
    for (const QString &name : names) {
        const void *address = object.m_memberAddress.value(name);
        const FieldType type = fieldType(object.m_memberTypeName.value(name));
        if (!address || type == FieldType::Other) {
            setError(error, QStringLiteral("%1 is not an encodable member").arg(name));
            return false;
        }
        if (const int width = fixedWidth(type)) {
            appendNumber(out, numberAt(address, type), width);
            continue;
        }
        const QByteArray bytes = type == FieldType::Text
                                     ? static_cast<const QString *>(address)->toUtf8()
                                     : *static_cast<const QByteArray *>(address);
        if (bytes.size() > 0xFFFF) {
            setError(error, QStringLiteral("%1 is longer than 65535 bytes").arg(name));
            return false;
        }
        appendNumber(out, quint32(bytes.size()), 2);
        out->append(bytes);
    }
    return true;
}

bool decodeFields(Module_Base *object, const QStringList &names, const QByteArray &payload,
                  QString *error)
{
    int offset = 0;
    for (const QString &name : names) {
        void *address = object->m_memberAddress.value(name);
        const FieldType type = fieldType(object->m_memberTypeName.value(name));
        if (!address || type == FieldType::Other) {
            setError(error, QStringLiteral("%1 is not a decodable member").arg(name));
            return false;
        }
        int width = fixedWidth(type);
        if (width == 0) {
            if (payload.size() - offset < 2) {
                setError(error, QStringLiteral("payload ends before the length of %1").arg(name));
                return false;
            }
            const int length = int(readNumber(payload, offset, 2));
            offset += 2;
            if (payload.size() - offset < length) {
                setError(error, QStringLiteral("payload ends inside %1").arg(name));
                return false;
            }
            const QByteArray bytes = payload.mid(offset, length);
            if (type == FieldType::Text)
                *static_cast<QString *>(address) =
                    QString::fromUtf8(bytes.constData(), bytes.size());
            else
                *static_cast<QByteArray *>(address) = bytes;
            offset += length;
            continue;
        }
        if (payload.size() - offset < width) {
            setError(error, QStringLiteral("payload ends inside %1").arg(name));
            return false;
        }
        setNumberAt(address, type, readNumber(payload, offset, width));
        offset += width;
    }
    if (offset != payload.size()) {
        setError(error,
                 QStringLiteral("%1 bytes after the last field").arg(payload.size() - offset));
        return false;
    }
    return true;
}

} // namespace ledwall::packet
