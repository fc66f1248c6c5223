#include "cli.h"

const QVector<CliCommand> &cliCommands()
{
    // One line per subcommand; keep the list sorted by name.
    static const QVector<CliCommand> commands = {
        {"checksum", "print the CRC-32, CRC-16 or byte sum of a file as hex", runChecksumCommand},
        {"demo", "drive the virtual wall through the library: write, read back, time-out",
         runDemoCommand},
        {"edid", "print the video timing of a resolution and refresh rate (mHz)", runEdidCommand},
        {"firmware", "check, inspect or package a receiving-card upgrade file", runFirmwareCommand},
        {"gamma", "print the points of a gamma curve", runGammaCommand},
        {"gamut", "print the colour-correction words that map a target gamut onto a panel",
         runGamutCommand},
        {"layout", "convert a screen layout, write it to a card, read it back or rebuild it",
         runLayoutCommand},
        {"locus", "tell whether a chromaticity lies inside the CIE 1931 diagram", runLocusCommand},
        {"presets", "copy the preset scenes into a video processor", runPresetsCommand},
        {"send", "send one module data map to a device and print the replies", runSendCommand},
        {"server", "run the server bridge for remote tools until interrupted", runServerCommand},
        {"sim", "run the virtual LED wall on 127.0.0.1 until interrupted", runSimCommand},
        {"subtitle", "convert a bitmap into subtitle pixels or send it to a card",
         runSubtitleCommand},
        {"tables", "print the scene table records a processor receives, as hex", runTablesCommand},
        {"users", "add, remove, list or check the user accounts of a database", runUsersCommand},
    };
    return commands;
}
