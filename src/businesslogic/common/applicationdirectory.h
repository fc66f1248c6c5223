#pragma once
// The program's folder, below which the settings, tables and driver-chip files live.
// Every lookup of it goes through here, so that tests and embedding applications can
// point the library somewhere else and nothing is ever written beside the build.

#include <QString>

namespace ledwall
{

// The directory set with setApplicationDirectory, else
// QCoreApplication::applicationDirPath() when an application object exists, else
// the current directory.
QString applicationDirectory();
// Points applicationDirectory() at `dir`; an empty text restores the default.
void setApplicationDirectory(const QString &dir);
// `relativePath` below applicationDirectory().
QString applicationFilePath(const QString &relativePath);

} // namespace ledwall
