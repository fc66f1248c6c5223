#pragma once
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcDataCenter)

// The empty result of a file operation whose format is not implemented yet.
template <typename Result> Result unavailableFileOperation(const char *operation,
                                                           const QString &path)
{
    qCDebug(lcDataCenter) << operation << "is not available yet:" << path;
    return Result();
}
