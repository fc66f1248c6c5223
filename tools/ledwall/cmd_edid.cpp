// ledwall edid: the video timing the sending card presents for a format.
//
//     ledwall edid --width W --height H --refresh R
//
// Asks the library's facade (selectEdidData) for the timing of W x H at R mHz and
// prints the map it returns. Exit 0 when a timing exists, 1 when none does, 2 on
// bad usage.

#include "cli.h"
#include "cliutil.h"

#include "bll_businesslogic_desktop.h"

#include <QLoggingCategory>

int runEdidCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("width"), QStringLiteral("Active pixels per line (required)."),
                      QStringLiteral("W")});
    parser.addOption({QStringLiteral("height"), QStringLiteral("Active lines (required)."),
                      QStringLiteral("H")});
    parser.addOption({QStringLiteral("refresh"),
                      QStringLiteral("Frame rate in mHz, e.g. 60000 or 59940 (required)."),
                      QStringLiteral("R")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Prints the video timing (EDID detailed timing) of W x H at R mHz "
                       "from the library's timing table as JSON."));
    if (parsed >= 0)
        return parsed;
    if (!cli::requireOptions(parser, {"width", "height", "refresh"}))
        return cli::ExitUsage;
    if (!cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    qint64 width = 0, height = 0, refresh = 0;
    if (!cli::optionNumber(parser, QStringLiteral("width"), 1, 65535, &width) ||
        !cli::optionNumber(parser, QStringLiteral("height"), 1, 65535, &height) ||
        !cli::optionNumber(parser, QStringLiteral("refresh"), 1, 0xFFFFFFFFLL, &refresh))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    const QVariantMap timing = BLL_BusinessLogic_Desktop::instance()->selectEdidData(
        {{QStringLiteral("width"), width},
         {QStringLiteral("height"), height},
         {QStringLiteral("refresh"), refresh}});
    cli::printJson(timing);
    if (!timing.value(QStringLiteral("isExist")).toBool()) {
        cli::printError(QStringLiteral("no timing for %1x%2 at %3 mHz (the rate is in mHz: "
                                       "60 Hz is 60000)")
                            .arg(width)
                            .arg(height)
                            .arg(refresh));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}
