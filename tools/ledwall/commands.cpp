#include "cli.h"

const QVector<CliCommand> &cliCommands()
{
    // One line per subcommand; keep the list sorted by name.
    static const QVector<CliCommand> commands = {
        {"blocks", "write or read a block of a sending or receiving card, or make a U-disk image",
         runBlocksCommand, "write read"},
        {"calib", "pack, check, send or index calibration files", runCalibCommand,
         "pack cabinet check send index"},
        {"checksum", "print the CRC-32, CRC-16 or byte sum of a file as hex", runChecksumCommand,
         "crc32 crc16 header usbsum"},
        {"chip", "fetch, set, default or generate the parameters of an LED driver chip",
         runChipCommand, "params set defaults gen filedata send"},
        {"completion", "print the bash completion script of ledwall", runCompletionCommand},
        {"demo", "drive the virtual wall through the library: write, read back, time-out",
         runDemoCommand},
        {"devices", "list the controllers that answer a search, on USB and on serial ports",
         runDevicesCommand},
        {"echo", "receive and decode a processor's echo video, or reassemble a capture",
         runEchoCommand},
        {"edid", "print the video timing of a resolution and refresh rate (mHz)", runEdidCommand},
        {"firmware",
         "check or package an upgrade file, upgrade the cards with it, read a card back",
         runFirmwareCommand, "check info package is-mcu upgrade read"},
        {"gamma", "print the points of a gamma curve", runGammaCommand},
        {"gamut", "print the colour-correction words that map a target gamut onto a panel",
         runGamutCommand},
        {"layout", "convert, draw, write, read back or rebuild a screen layout", runLayoutCommand,
         "encode decode write read rebuild render"},
        {"locus", "tell whether a chromaticity lies inside the CIE 1931 diagram", runLocusCommand},
        {"presets", "copy the preset scenes into a video processor", runPresetsCommand, "run"},
        {"redundancy", "make backup ports of a sending card copies of their primary ports",
         runRedundancyCommand},
        {"screen-size", "read a sending card's display registers back and print the screen size",
         runScreenSizeCommand},
        {"send", "send one module data map to a device and print the replies", runSendCommand},
        {"server", "run the server bridge for remote tools until interrupted", runServerCommand},
        {"sim", "run the virtual LED wall on 127.0.0.1 until interrupted", runSimCommand},
        {"subtitle", "convert a bitmap into subtitle pixels or send it to a card",
         runSubtitleCommand, "convert send"},
        {"tables", "print the scene table records a processor receives, as hex", runTablesCommand,
         "edge-fusion output-setup layers channels image-adjust groups input-blocks"},
        {"users", "add, remove, list or check the user accounts of a database", runUsersCommand},
        {"windows", "compute the output windows of a layout and write them into a sending card",
         runWindowsCommand},
    };
    return commands;
}
