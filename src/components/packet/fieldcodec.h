#pragma once
// Moving the registered members of a data object to and from parameter maps and
// payload bytes. Pure functions over the reflection tables of Module_Base.
//
// Payload encoding (docs/protocol.md, "Field encoding"): fields in the order
// given, big-endian; "bool" and "unsigned char" 1 byte, "unsigned short" 2,
// "unsigned int" and "int" 4; "class QByteArray" and "class QString" (UTF-8) a
// 16-bit length followed by the bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class Module_Base;

namespace ledwall::packet
{

// Writes every member whose name is a key of `map`, converted by its type name.
// Numbers may be given as text (decimal, or hexadecimal with "0x"); a byte array
// may be given as hexadecimal text ("0a0b"). Values are cut to the member's width.
// Returns false, naming the offending key in `error`, when a value cannot be
// converted; members before it may already be written.
bool fillFromMap(Module_Base *object, const QVariantMap &map, QString *error = nullptr);

// The named members as a map (names that are not members are left out).
QVariantMap fieldsToMap(const Module_Base &object, const QStringList &names);

// Appends the named members to `out`. False when a name is not a member or a
// byte array or text is longer than 65535 bytes.
bool encodeFields(const Module_Base &object, const QStringList &names, QByteArray *out,
                  QString *error = nullptr);

// Reads the named members from `payload`, which must hold exactly those fields:
// a short or an over-long payload is refused (false) and nothing past its end is
// read.
bool decodeFields(Module_Base *object, const QStringList &names, const QByteArray &payload,
                  QString *error = nullptr);

// Bytes of a QByteArray value, or of hexadecimal text; false for anything else.
bool bytesFromVariant(const QVariant &value, QByteArray *bytes);

// An integer from a number or from text (decimal, or hexadecimal with "0x").
bool integerFromVariant(const QVariant &value, qint64 *number);

} // namespace ledwall::packet
