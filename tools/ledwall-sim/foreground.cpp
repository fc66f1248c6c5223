#include "foreground.h"
#include "virtualwall.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ledwall::sim
{

#ifdef Q_OS_UNIX
namespace
{

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: wake the event loop through the pipe.
extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// Routes SIGINT and SIGTERM to QCoreApplication::quit while it lives.
class TerminationSignals
{
public:
    TerminationSignals()
    {
        if (::pipe(signalPipe) != 0)
            return;
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, [] {
            char byte;
            [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
            QCoreApplication::quit();
        });
        struct sigaction action = {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previousInt);
        ::sigaction(SIGTERM, &action, &m_previousTerm);
        m_installed = true;
    }

    ~TerminationSignals()
    {
        if (m_installed) {
            ::sigaction(SIGINT, &m_previousInt, nullptr);
            ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        }
        delete m_notifier;
        for (int &fd : signalPipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }

private:
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
    bool m_installed = false;
};

} // namespace
#endif

void addForegroundOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("UDP port on 127.0.0.1 (0 = any free port)."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("wall"), QStringLiteral("Wall description file (JSON)."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Log every frame on stderr.")});
}

bool foregroundOptions(const QCommandLineParser &parser, ForegroundOptions *options, QString *error)
{
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1'")
                     .arg(parser.positionalArguments().constFirst());
        return false;
    }
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535) {
        *error = QStringLiteral("--port needs a number from 0 to 65535");
        return false;
    }
    options->port = quint16(port);
    options->wallFile = parser.value(QStringLiteral("wall"));
    options->verbose = parser.isSet(QStringLiteral("verbose"));
    return true;
}

int runUntilTerminated(const std::function<bool()> &ready)
{
#ifdef Q_OS_UNIX
    TerminationSignals terminationSignals;
#endif
    if (ready && !ready())
        return 1;
    QCoreApplication::exec();
    return 0;
}

int runInForeground(const ForegroundOptions &options,
                    const std::function<void(const VirtualWall &wall)> &listening, QString *error)
{
    if (!options.verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.sim.debug=false"));
    VirtualWall wall;
    if (!options.wallFile.isEmpty()) {
        QString message;
        if (!wall.loadWallFile(options.wallFile, &message)) {
            if (error)
                *error = message;
            return 1;
        }
    }
    const int code = runUntilTerminated([&] {
        if (!wall.start(options.port, QHostAddress::LocalHost)) {
            if (error)
                *error = QStringLiteral("cannot listen on 127.0.0.1:%1").arg(options.port);
            return false;
        }
        if (listening)
            listening(wall);
        return true;
    });
    wall.stop();
    return code;
}

} // namespace ledwall::sim
