#include "cli.h"

const QVector<CliCommand> &cliCommands()
{
    // One line per subcommand; keep the list sorted by name.
    static const QVector<CliCommand> commands = {
        {"demo", "drive the virtual wall through the library: write, read back, time-out", runDemoCommand},
        {"send", "send one module data map to a device and print the replies", runSendCommand},
        {"sim", "run the virtual LED wall on 127.0.0.1 until interrupted", runSimCommand},
    };
    return commands;
}
