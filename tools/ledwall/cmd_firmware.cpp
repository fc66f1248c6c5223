// ledwall firmware: receiving-card upgrade files.
//
//     ledwall firmware check FILE [--card-flag N] [--firm-index N] [--card-type NAME]
//     ledwall firmware info FILE
//     ledwall firmware package --image IMAGE --card-type N --drive-type C --version V OUT
//     ledwall firmware is-mcu FILE
//
// check and package print {"result": N, "name": "<result name>"} and exit 0 when the
// result is 0, else 1; info prints the header fields, is-mcu {"isMCUFile": bool}.
// Exit 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "bll_businesslogic_desktop.h"
#include "checksums.h"
#include "upgradefile.h"

#include <QFile>
#include <QLoggingCategory>

namespace
{

// The largest flash image a receiving card holds.
constexpr qint64 MaxImageSize = 1 << 20;

int printResult(int result)
{
    cli::printJson(QVariantMap{{QStringLiteral("result"), result},
                               {QStringLiteral("name"), ledwall::upgrade::errorName(result)}});
    return result == ReceFileNoError ? cli::ExitOk : cli::ExitFailed;
}

// Parses the action's arguments; fills file with the one positional argument.
int parseAction(QCommandLineParser &parser, const QStringList &args, const QString &description,
                QString *file)
{
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(parser, args, description);
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one file"));
        return cli::ExitUsage;
    }
    *file = parser.positionalArguments().constFirst();
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return -1;
}

int runCheck(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("card-flag"),
                      QStringLiteral("2 compares --card-type with the file's card model."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("firm-index"),
                      QStringLiteral("Expected card code (when --card-flag is not 2)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("card-type"),
                      QStringLiteral("Expected model: NRX-64, NRX-72 or multi."),
                      QStringLiteral("NAME")});
    QString file;
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Checks a receiving-card upgrade file: magic, card, length and CRC."),
        &file);
    if (parsed >= 0)
        return parsed;
    QVariantMap options;
    qint64 number = 0;
    if (parser.isSet(QStringLiteral("card-flag"))) {
        if (!cli::optionNumber(parser, QStringLiteral("card-flag"), 0, 255, &number))
            return cli::ExitUsage;
        options.insert(QStringLiteral("cardFlag"), int(number));
    }
    if (parser.isSet(QStringLiteral("firm-index"))) {
        if (!cli::optionNumber(parser, QStringLiteral("firm-index"), 0, 255, &number))
            return cli::ExitUsage;
        options.insert(QStringLiteral("firmIndex"), int(number));
    }
    if (parser.isSet(QStringLiteral("card-type")))
        options.insert(QStringLiteral("receCardType"), parser.value(QStringLiteral("card-type")));
    return printResult(BLL_BusinessLogic_Desktop::instance()->checkReceFileHead(file, options));
}

int runInfo(const QStringList &args)
{
    QCommandLineParser parser;
    QString file;
    const int parsed =
        parseAction(parser, args,
                    QStringLiteral("Prints the header fields of a receiving-card upgrade file; "
                                   "\"firmIndex\" -1 when the file is not a valid one."),
                    &file);
    if (parsed >= 0)
        return parsed;
    const QVariantMap info = BLL_BusinessLogic_Desktop::instance()->getReceFileInfo(file);
    cli::printJson(info);
    return info.contains(QStringLiteral("crc32Value")) ? cli::ExitOk : cli::ExitFailed;
}

int runIsMcu(const QStringList &args)
{
    QCommandLineParser parser;
    QString file;
    const int parsed = parseAction(
        parser, args, QStringLiteral("Tells whether a file is an MCU firmware file."), &file);
    if (parsed >= 0)
        return parsed;
    const QVariantMap info = BLL_BusinessLogic_Desktop::instance()->getReceFile_MCUInfo(file);
    if (info.isEmpty()) {
        cli::printError(QStringLiteral("cannot read %1").arg(file));
        return cli::ExitFailed;
    }
    cli::printJson(info);
    return cli::ExitOk;
}

int runPackage(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("image"), QStringLiteral("Raw flash image (required)."),
                      QStringLiteral("IMAGE")});
    parser.addOption({QStringLiteral("card-type"), QStringLiteral("Card code 0-255 (required)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("drive-type"),
                      QStringLiteral("Drive type, one character (required)."),
                      QStringLiteral("C")});
    parser.addOption({QStringLiteral("version"),
                      QStringLiteral("Version: two hexadecimal parts, e.g. 1.a (required)."),
                      QStringLiteral("V")});
    QString out;
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Writes a receiving-card upgrade file OUT around a raw flash image."), &out);
    if (parsed >= 0)
        return parsed;
    if (!cli::requireOptions(parser, {"image", "card-type", "drive-type", "version"}))
        return cli::ExitUsage;
    qint64 cardType = 0;
    if (!cli::optionNumber(parser, QStringLiteral("card-type"), 0, 255, &cardType))
        return cli::ExitUsage;
    QByteArray image;
    if (!cli::readInputFile(parser.value(QStringLiteral("image")), MaxImageSize, &image))
        return cli::ExitFailed;

    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    facade->sendCardPackage().loadRecvUpdateData(image);
    const int result = facade->packageReceFileHead(
        out, {{QStringLiteral("receCardType"), int(cardType)},
              {QStringLiteral("driveType"), parser.value(QStringLiteral("drive-type"))},
              {QStringLiteral("version"), parser.value(QStringLiteral("version"))},
              {QStringLiteral("recCardCRC32"), ledwall::checksums::crc32(image, image.size(), 0)}});
    facade->clearRecvUpdateData();
    return printResult(result);
}

} // namespace

int runFirmwareCommand(const QStringList &args)
{
    const QString action = args.value(1);
    const QStringList rest = QStringList{QStringLiteral("firmware ") + action} + args.mid(2);
    if (action == QLatin1String("check"))
        return runCheck(rest);
    if (action == QLatin1String("info"))
        return runInfo(rest);
    if (action == QLatin1String("package"))
        return runPackage(rest);
    if (action == QLatin1String("is-mcu"))
        return runIsMcu(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs("usage: ledwall firmware check|info|package|is-mcu ... (--help on each)\n",
                   stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty() ? QStringLiteral("expected check, info, package or is-mcu")
                                     : QStringLiteral("unknown firmware action '%1'").arg(action));
    return cli::ExitUsage;
}
