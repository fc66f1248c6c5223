#include "module_base.h"

#include <QByteArray>
#include <QVariantList>

QVariant moduleMemberValue(const void *address, const QString &typeName)
{
    if (!address)
        return {};
    if (typeName == QLatin1String("class QString"))
        return *static_cast<const QString *>(address);
    if (typeName == QLatin1String("unsigned char"))
        return uint(*static_cast<const quint8 *>(address));
    if (typeName == QLatin1String("signed char"))
        return int(*static_cast<const qint8 *>(address));
    if (typeName == QLatin1String("unsigned short"))
        return uint(*static_cast<const quint16 *>(address));
    if (typeName == QLatin1String("short"))
        return int(*static_cast<const qint16 *>(address));
    if (typeName == QLatin1String("unsigned int") || typeName == QLatin1String("unsigned long"))
        return *static_cast<const quint32 *>(address);
    if (typeName == QLatin1String("int") || typeName == QLatin1String("long"))
        return *static_cast<const qint32 *>(address);
    if (typeName == QLatin1String("unsigned __int64"))
        return *static_cast<const quint64 *>(address);
    if (typeName == QLatin1String("__int64"))
        return *static_cast<const qint64 *>(address);
    if (typeName == QLatin1String("double"))
        return *static_cast<const double *>(address);
    if (typeName == QLatin1String("float"))
        return double(*static_cast<const float *>(address));
    if (typeName == QLatin1String("bool"))
        return *static_cast<const bool *>(address);
    if (typeName == QLatin1String("class QByteArray"))
        return *static_cast<const QByteArray *>(address);
    if (typeName == QLatin1String("class QList<class QVariant>"))
        return *static_cast<const QVariantList *>(address);
    if (typeName == QLatin1String("class QMap<class QString,class QVariant>"))
        return *static_cast<const QVariantMap *>(address);
    return {};
}

QVariantMap Module_Base::toMap() const
{
    QVariantMap map;
    for (auto it = m_memberAddress.cbegin(); it != m_memberAddress.cend(); ++it) {
        const QVariant value = moduleMemberValue(it.value(), m_memberTypeName.value(it.key()));
        if (value.isValid())
            map.insert(it.key(), value);
    }
    map.insert(QStringLiteral("moduleName"), m_moduleName);
    return map;
}
