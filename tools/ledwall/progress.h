#pragma once
// Progress of a long transfer on stderr: on a terminal one bar redrawn in place
// (percentage, bytes, rate, time left), otherwise a line at most once a second,
// nothing when quiet.

#include <QElapsedTimer>
#include <QString>

namespace cli
{

// "42% 430/1024 KiB 17.0 KiB/s 35 s left" for `done` of `total` bytes after
// `elapsedMs`; the rate and time left are left out until some time has passed.
QString progressText(qint64 done, qint64 total, qint64 elapsedMs);

class ProgressReporter
{
public:
    enum Mode { Quiet, Terminal, Lines };
    // Terminal when stderr is one, else Lines; Quiet when asked.
    static Mode modeFor(bool quiet);

    ProgressReporter(Mode mode, QString label);
    // Safe to call from one thread at a time, as often as wanted.
    void update(qint64 done, qint64 total);
    // Ends the bar's line on a terminal.
    void finish();

private:
    Mode m_mode;
    QString m_label;
    QElapsedTimer m_clock;
    qint64 m_lastPrintMs = -1;
    bool m_drawn = false;
};

} // namespace cli
