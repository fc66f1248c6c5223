#pragma once
// JSON files of the data center.
//
// Files only this program reads carry a small envelope,
//     {"format": "<name>", "version": 1, "data": {...}},
// so that a file of the wrong kind or of a newer program is refused instead of
// misread. Files other programs read and write (the cabinet parameter files
// .BCJ and .MCJ, basic parameter .json files) are plain JSON objects.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace jsonfile
{

constexpr int envelopeVersion = 1;

QByteArray encodeEnvelope(const QString &format, const QVariantMap &data);
// The data of an envelope of that format; empty (with a log line) for
// anything else: bad JSON, another format, a newer version, no data object.
QVariantMap decodeEnvelope(const QString &format, const QByteArray &bytes);

QByteArray encodeObject(const QVariantMap &data);
// The top-level object; empty (with a log line) when the text is not a JSON
// object.
QVariantMap decodeObject(const QByteArray &bytes);

// The request map of a save without the keys that only steer the operation
// ("isSave", "filePath", "configFlag", "superadditionFlag", "DoNotrespond").
QVariantMap withoutRequestKeys(QVariantMap request);

} // namespace jsonfile
