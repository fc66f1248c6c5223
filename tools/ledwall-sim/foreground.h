#pragma once
// Running the virtual wall as a foreground program (the ledwall-sim executable and
// `ledwall sim`): start on 127.0.0.1, report the port, serve until SIGINT/SIGTERM.

#include <QString>

class QCommandLineParser;

#include <functional>

namespace ledwall::sim
{

class VirtualWall;

struct ForegroundOptions {
    quint16 port = 0;     // 0 = ephemeral
    QString wallFile;     // empty = built-in defaults
    bool verbose = false; // log frames (category ledwall.sim) on stderr
};

// The options --port N, --wall FILE and --verbose, shared by both front ends.
void addForegroundOptions(QCommandLineParser &parser);
// The options as parsed; false with the reason in `error` for a bad value.
bool foregroundOptions(const QCommandLineParser &parser, ForegroundOptions *options,
                       QString *error);

// Needs a QCoreApplication. Routes SIGINT and SIGTERM to its quit, calls `ready`
// (start serving and say so there, so that a signal sent at once is not lost),
// then runs the event loop until a signal arrives and returns 0. When `ready`
// returns false it returns 1 at once. Other programs that serve in the foreground
// use it too.
int runUntilTerminated(const std::function<bool()> &ready);

// Needs a QCoreApplication. Calls `listening` once the wall answers, then runs the
// event loop until a termination signal arrives. Returns 0 after a signal, 1 when
// the wall cannot be loaded or started (with the reason in `error`).
int runInForeground(const ForegroundOptions &options,
                    const std::function<void(const VirtualWall &wall)> &listening, QString *error);

} // namespace ledwall::sim
