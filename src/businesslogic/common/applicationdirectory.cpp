#include "applicationdirectory.h"

#include <QCoreApplication>
#include <QDir>

#include <mutex>

namespace ledwall
{

namespace
{
std::mutex overrideMutex;
QString overrideDirectory;
} // namespace

QString applicationDirectory()
{
    {
        std::lock_guard<std::mutex> locker(overrideMutex);
        if (!overrideDirectory.isEmpty())
            return overrideDirectory;
    }
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setApplicationDirectory(const QString &dir)
{
    std::lock_guard<std::mutex> locker(overrideMutex);
    overrideDirectory = dir;
}

QString applicationFilePath(const QString &relativePath)
{
    return QDir(applicationDirectory()).filePath(relativePath);
}

} // namespace ledwall
