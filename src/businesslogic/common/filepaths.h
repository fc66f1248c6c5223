#pragma once
// Paths handed over by the user interface, and the date texts used in file names.

#include <QDateTime>
#include <QString>

namespace ledwall
{

// A path as the user interface may pass it, with its URL prefixes removed:
// "file:///" and then "file:" wherever they occur. A "file:///" that is not
// followed by a drive letter leaves the root "/" in place, so that file:///tmp/a
// names /tmp/a.
QString stripFileUrlPrefixes(QString path);
// stripFileUrlPrefixes, and a "%25" right after the first "%" becomes a plain "%".
QString normalizeFilePath(QString path);

// False for a path that an operation which walks or deletes files must refuse: an
// empty or blank path (it would mean the working directory) and a file-system root
// ("/", "C:/", "C:\\").
bool isSafeDirectoryToWalk(const QString &path);

// "2026-1-5" (type 0) or "2026-1-5-9-3-7" (type 1), without leading zeros; any
// other type gives an empty text.
QString dateTimeString(int type, const QDateTime &when);

// `path` renamed to "<dir>/<base name>_<yyyyMMdd_HHmmss>.<suffix>", for when the
// file itself cannot be written.
QString timestampedFilePath(const QString &path, const QDateTime &when);

} // namespace ledwall
