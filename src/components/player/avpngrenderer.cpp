#include "avpngrenderer.h"

#include <QDir>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayer)

AVPngRenderer::AVPngRenderer(const QString &directory, const QString &prefix, int maxFiles)
    : m_directory(directory), m_prefix(prefix), m_maxFiles(qMax(0, maxFiles))
{
}

void AVPngRenderer::renderFrame(const QImage &frame)
{
    const int number = m_seen++;
    if (m_maxFiles > 0 && number >= m_maxFiles)
        return;
    const QString path =
        QDir(m_directory)
            .filePath(
                QStringLiteral("%1%2.png").arg(m_prefix).arg(number, 5, 10, QLatin1Char('0')));
    if (frame.save(path, "PNG")) {
        ++m_written;
    } else {
        ++m_failed;
        qCDebug(lcPlayer) << "cannot write" << path;
    }
}
