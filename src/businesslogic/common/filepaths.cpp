#include "filepaths.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace ledwall
{

QString stripFileUrlPrefixes(QString path)
{
    // file:///C:/x is the Windows path C:/x; file:///tmp/x is the POSIX path /tmp/x.
    static const QRegularExpression driveUrl(QStringLiteral("file:///(?=[A-Za-z]:)"));
    path.remove(driveUrl);
    path.replace(QStringLiteral("file:///"), QStringLiteral("/"));
    path.remove(QStringLiteral("file:"));
    return path;
}

QString normalizeFilePath(QString path)
{
    path = stripFileUrlPrefixes(path);
    const int percent = path.indexOf(QLatin1Char('%'));
    if (percent >= 0 && QStringView(path).mid(percent + 1, 2) == QLatin1String("25"))
        path.remove(percent + 1, 2);
    return path;
}

bool isSafeDirectoryToWalk(const QString &path)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return false;
    static const QRegularExpression root(QStringLiteral("^(?:[/\\\\]+|[A-Za-z]:[/\\\\]*)$"));
    return !root.match(trimmed).hasMatch();
}

QString dateTimeString(int type, const QDateTime &when)
{
    const QDate date = when.date();
    QString text = QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
    if (type == 0)
        return text;
    if (type != 1)
        return {};
    const QTime time = when.time();
    return text +
           QStringLiteral("-%1-%2-%3").arg(time.hour()).arg(time.minute()).arg(time.second());
}

QString timestampedFilePath(const QString &path, const QDateTime &when)
{
    const QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('_') +
           when.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QLatin1Char('.') + info.suffix();
}

} // namespace ledwall
