#include "fileio.h"

#include "datacenterlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace fileio
{

QString localPath(const QString &path)
{
    QString result = path;
    // "file:///C:/x" names C:/x, "file:///home/x" names /home/x.
    if (result.startsWith(QLatin1String("file:///")))
        result.remove(0, result.size() > 9 && result.at(9) == QLatin1Char(':') ? 8 : 7);
    else if (result.startsWith(QLatin1String("file:")))
        result.remove(0, 5);
    return result;
}

bool readWholeFile(const QString &path, QByteArray *bytes, qint64 maxBytes)
{
    QFile file(localPath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcDataCenter) << "cannot open" << path << file.errorString();
        return false;
    }
    if (file.size() > maxBytes) {
        qCDebug(lcDataCenter) << "file too large:" << path << file.size() << "bytes";
        return false;
    }
    *bytes = file.read(maxBytes + 1);
    if (bytes->size() > maxBytes) { // grew while we read it
        qCDebug(lcDataCenter) << "file too large:" << path;
        bytes->clear();
        return false;
    }
    return true;
}

bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QString local = localPath(path);
    if (local.isEmpty()) {
        qCDebug(lcDataCenter) << "no file name to write";
        return false;
    }
    QDir().mkpath(QFileInfo(local).absolutePath());
    QSaveFile file(local);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(lcDataCenter) << "cannot write" << local << file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        qCDebug(lcDataCenter) << "write failed:" << local << file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace fileio
