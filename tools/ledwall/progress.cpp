#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace cli
{

QString progressText(qint64 done, qint64 total, qint64 elapsedMs)
{
    const int percent = total > 0 ? int(done * 100 / total) : 100;
    QString text = QStringLiteral("%1% %2/%3 KiB").arg(percent).arg(done / 1024).arg(total / 1024);
    if (elapsedMs >= 200 && done > 0) {
        const double rate = double(done) * 1000.0 / double(elapsedMs); // bytes per second
        text += QStringLiteral(" %1 KiB/s").arg(rate / 1024.0, 0, 'f', 1);
        if (done < total)
            text += QStringLiteral(" %1 s left").arg(qint64(double(total - done) / rate + 0.5));
    }
    return text;
}

ProgressReporter::Mode ProgressReporter::modeFor(bool quiet)
{
    if (quiet)
        return Quiet;
    return ::isatty(STDERR_FILENO) ? Terminal : Lines;
}

ProgressReporter::ProgressReporter(Mode mode, QString label)
    : m_mode(mode), m_label(std::move(label))
{
    m_clock.start();
}

void ProgressReporter::update(qint64 done, qint64 total)
{
    if (m_mode == Quiet)
        return;
    const qint64 now = m_clock.elapsed();
    const QString text = progressText(done, total, now);
    if (m_mode == Terminal) {
        constexpr int Width = 30;
        const int filled = total > 0 ? int(done * Width / total) : Width;
        std::fprintf(stderr, "\r%s [%s%s] %s\033[K", qPrintable(m_label),
                     QByteArray(filled, '#').constData(),
                     QByteArray(Width - filled, ' ').constData(), qPrintable(text));
        m_drawn = true;
    } else if (m_lastPrintMs < 0 || now - m_lastPrintMs >= 1000 || done == total) {
        std::fprintf(stderr, "ledwall: %s %s\n", qPrintable(m_label), qPrintable(text));
        m_lastPrintMs = now;
    }
    std::fflush(stderr);
}

void ProgressReporter::finish()
{
    if (m_mode == Terminal && m_drawn)
        std::fputs("\n", stderr);
    m_drawn = false;
}

} // namespace cli
