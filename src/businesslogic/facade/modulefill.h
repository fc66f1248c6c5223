#pragma once
// Filling a data object's members from a parameter map by the object's reflection
// tables (member name -> address, member name -> type name).
//
// Integers are read with QVariant's conversion (a number stored as text counts as
// that number) and cut to the member's width; members of a type the variant does
// not know, and map keys that name no member, are left alone.

#include <QMap>
#include <QString>
#include <QVariant>

namespace ledwall
{

enum class FillTypes {
    Basic,   // text, 8/16/32/64-bit integers, double, float, bool
    Extended // Basic plus "unsigned long", "long", byte arrays, lists and maps
};

// True when `typeName` is a member type that `types` fills.
bool isFillableType(const QString &typeName, FillTypes types);

// The integer a map value stands for; 0 when it is not a number. Text and values
// beyond the signed 64-bit range are read as unsigned 64-bit.
qint64 variantToInt64(const QVariant &value);

// Writes `value`, converted for `typeName`, into the member at `address`.
// Returns false, writing nothing, for a type name that `types` does not fill.
bool writeMember(void *address, const QString &typeName, const QVariant &value, FillTypes types);

// Fills every member whose name is a key of `values`; returns how many were written.
int fillMembers(const QMap<QString, void *> &addresses, const QMap<QString, QString> &typeNames,
                const QVariantMap &values, FillTypes types);

} // namespace ledwall
