#include "modulefill.h"

#include <QByteArray>
#include <QVariantList>
#include <QVariantMap>

namespace ledwall
{

namespace
{

enum class MemberType {
    Unknown,
    String,
    UInt8,
    Int8,
    UInt16,
    Int16,
    UInt32,
    Int32,
    UInt64,
    Int64,
    Double,
    Float,
    Bool,
    // extended only
    ULong,
    Long,
    ByteArray,
    VariantList,
    VariantMap
};

MemberType memberType(const QString &typeName, FillTypes types)
{
    static const QMap<QString, MemberType> basic = {
        {QStringLiteral("class QString"), MemberType::String},
        {QStringLiteral("unsigned char"), MemberType::UInt8},
        {QStringLiteral("signed char"), MemberType::Int8},
        {QStringLiteral("unsigned short"), MemberType::UInt16},
        {QStringLiteral("short"), MemberType::Int16},
        {QStringLiteral("unsigned int"), MemberType::UInt32},
        {QStringLiteral("int"), MemberType::Int32},
        {QStringLiteral("unsigned __int64"), MemberType::UInt64},
        {QStringLiteral("__int64"), MemberType::Int64},
        {QStringLiteral("double"), MemberType::Double},
        {QStringLiteral("float"), MemberType::Float},
        {QStringLiteral("bool"), MemberType::Bool},
    };
    static const QMap<QString, MemberType> extended = {
        {QStringLiteral("unsigned long"), MemberType::ULong},
        {QStringLiteral("long"), MemberType::Long},
        {QStringLiteral("class QByteArray"), MemberType::ByteArray},
        {QStringLiteral("class QList<class QVariant>"), MemberType::VariantList},
        {QStringLiteral("class QMap<class QString,class QVariant>"), MemberType::VariantMap},
    };
    const MemberType t = basic.value(typeName, MemberType::Unknown);
    if (t != MemberType::Unknown || types == FillTypes::Basic)
        return t;
    return extended.value(typeName, MemberType::Unknown);
}

template <typename T> void store(void *address, T value)
{
    *static_cast<T *>(address) = value;
}

} // namespace

bool isFillableType(const QString &typeName, FillTypes types)
{
    return memberType(typeName, types) != MemberType::Unknown;
}

qint64 variantToInt64(const QVariant &value)
{
    bool ok = false;
    const qint64 v = value.toLongLong(&ok);
    if (ok)
        return v;
    // Above the signed range (an unsigned 64-bit member): keep the bit pattern.
    const quint64 u = value.toULongLong(&ok);
    return ok ? qint64(u) : 0;
}

bool writeMember(void *address, const QString &typeName, const QVariant &value, FillTypes types)
{
    if (!address)
        return false;
    switch (memberType(typeName, types)) {
    case MemberType::Unknown:
        return false;
    case MemberType::String:
        store(address, value.toString());
        break;
    case MemberType::UInt8:
        store(address, quint8(variantToInt64(value)));
        break;
    case MemberType::Int8:
        store(address, qint8(variantToInt64(value)));
        break;
    case MemberType::UInt16:
        store(address, quint16(variantToInt64(value)));
        break;
    case MemberType::Int16:
        store(address, qint16(variantToInt64(value)));
        break;
    case MemberType::UInt32:
        store(address, quint32(variantToInt64(value)));
        break;
    case MemberType::Int32:
        store(address, qint32(variantToInt64(value)));
        break;
    case MemberType::UInt64:
        store(address, quint64(variantToInt64(value)));
        break;
    case MemberType::Int64:
        store(address, variantToInt64(value));
        break;
    case MemberType::Double:
        store(address, value.toDouble());
        break;
    case MemberType::Float:
        store(address, value.toFloat());
        break;
    case MemberType::Bool:
        store(address, value.toBool());
        break;
    // "long" is a 32-bit value in the device formats; the member gets the whole
    // (sign- or zero-extended) value whatever the platform's width of long.
    case MemberType::ULong:
        store(address, static_cast<unsigned long>(quint32(variantToInt64(value))));
        break;
    case MemberType::Long:
        store(address, static_cast<long>(qint32(variantToInt64(value))));
        break;
    case MemberType::ByteArray:
        store(address, value.toByteArray());
        break;
    case MemberType::VariantList:
        store(address, value.toList());
        break;
    case MemberType::VariantMap:
        store(address, value.toMap());
        break;
    }
    return true;
}

int fillMembers(const QMap<QString, void *> &addresses, const QMap<QString, QString> &typeNames,
                const QVariantMap &values, FillTypes types)
{
    int written = 0;
    for (auto it = addresses.cbegin(); it != addresses.cend(); ++it) {
        const auto value = values.constFind(it.key());
        if (value == values.cend())
            continue;
        if (writeMember(it.value(), typeNames.value(it.key()), value.value(), types))
            ++written;
    }
    return written;
}

} // namespace ledwall
