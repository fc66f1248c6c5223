#pragma once
// The subcommands of the ledwall tool.
//
// Each subcommand lives in a file of its own (cmd_<name>.cpp) and is listed in the
// table in commands.cpp. `run` receives the arguments from the subcommand's name
// on (args[0] is the name) and returns the exit code:
//   0 ok, 1 the operation failed, 2 bad usage.
// Results go to stdout as JSON, messages to stderr (helpers in cliutil.h).

#include <QStringList>
#include <QVector>

struct CliCommand {
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
    // The first word of commands that take an action ("check info ..."), for
    // completion; none for the others.
    const char *actions = nullptr;
};

// Every subcommand, in the order `ledwall --help` lists them.
const QVector<CliCommand> &cliCommands();

// Subcommand entry points.
int runCalibCommand(const QStringList &args);
int runBlocksCommand(const QStringList &args);
int runChecksumCommand(const QStringList &args);
int runCompletionCommand(const QStringList &args);
int runChipCommand(const QStringList &args);
int runDemoCommand(const QStringList &args);
int runDevicesCommand(const QStringList &args);
int runEchoCommand(const QStringList &args);
int runLayoutCommand(const QStringList &args);
int runLocusCommand(const QStringList &args);
int runEdidCommand(const QStringList &args);
int runFirmwareCommand(const QStringList &args);
int runGammaCommand(const QStringList &args);
int runGamutCommand(const QStringList &args);
int runPresetsCommand(const QStringList &args);
int runSendCommand(const QStringList &args);
int runServerCommand(const QStringList &args);
int runSimCommand(const QStringList &args);
int runSubtitleCommand(const QStringList &args);
int runTablesCommand(const QStringList &args);
int runUsersCommand(const QStringList &args);
int runWindowsCommand(const QStringList &args);
int runRedundancyCommand(const QStringList &args);
int runScreenSizeCommand(const QStringList &args);
