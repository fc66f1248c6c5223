#pragma once
// Reading and writing whole files for the file objects.

#include <QByteArray>
#include <QString>

namespace fileio
{

// Largest file any reader of the data center accepts.
constexpr qint64 maxFileSize = 64 * 1024 * 1024;

// The path without the "file:///" or "file:" prefix a QML URL brings.
QString localPath(const QString &path);
// The whole file; false (with a log line) when it cannot be read or is larger
// than maxBytes.
bool readWholeFile(const QString &path, QByteArray *bytes, qint64 maxBytes = maxFileSize);
// Replaces the file atomically (a crash leaves the old file or the new one,
// never half of it), creating its folder when missing.
bool writeWholeFile(const QString &path, const QByteArray &bytes);

} // namespace fileio
