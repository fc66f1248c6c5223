#pragma once
// Data object of one module: the values of a command or a reply.
//
// Each object registers its members in two reflection tables keyed by member
// name: the member's address and its type name ("unsigned char", "class QString",
// ...). The facade fills objects from parameter maps through these tables.

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// The value of one registered member, read by its type name; invalid for an
// unknown type name.
QVariant moduleMemberValue(const void *address, const QString &typeName);

class Module_Base
{
public:
    Module_Base() = default;
    // Copies start with empty tables: the addresses would name the source's
    // members. A subclass's copy constructor registers its own members again.
    Module_Base(const Module_Base &other) : m_moduleName(other.m_moduleName) {}
    Module_Base &operator=(const Module_Base &other)
    {
        m_moduleName = other.m_moduleName;
        return *this;
    }
    virtual ~Module_Base() = default;

    virtual Module_Base *clone() const = 0;
    // The object's values as a parameter map (with "moduleName").
    virtual QVariantMap toMap() const;

    QString moduleName() const { return m_moduleName; }

    QMap<QString, void *> m_memberAddress;   // member name -> address
    QMap<QString, QString> m_memberTypeName; // member name -> type name

protected:
    // Registers one member in both tables.
    void registerMember(const QString &name, void *address, const QString &typeName)
    {
        m_memberAddress.insert(name, address);
        m_memberTypeName.insert(name, typeName);
    }

    QString m_moduleName;
};
