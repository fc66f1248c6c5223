// ledwall subtitle send: bitmaps sent to a card chunk by chunk (see cmd_subtitle.cpp).

#include "cliutil.h"
#include "devicetarget.h"
#include "processorflow.h"
#include "subtitleflow.h"

#include <QLoggingCategory>

namespace
{
// A transfer that makes no progress for this long has failed (the sender itself
// gives up on a chunk after three unanswered tries).
constexpr int TransferTimeoutMs = 60000;
} // namespace

int cli::runSubtitleSend(const QStringList &args)
{
    QCommandLineParser parser;
    addDeviceOptions(parser);
    addColourOptions(parser);
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    parser.addPositionalArgument(QStringLiteral("bmp"), QStringLiteral("Bitmap files."),
                                 QStringLiteral("BMP..."));
    const int parsed = parseArguments(
        parser, args,
        QStringLiteral("Converts each bitmap and sends it to the card, one chunk per "
                       "acknowledgement; prints one JSON line per file."));
    if (parsed >= 0)
        return parsed;
    DeviceTarget target;
    QVariantMap request;
    if (!deviceTarget(parser, &target) || !colourOptions(parser, &request))
        return ExitUsage;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        printError(QStringLiteral("expected at least one bitmap file"));
        return ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("subtitle"));
    if (guid.isEmpty())
        return ExitFailed;
    request.insert(QStringLiteral("guid"), guid);
    bool allSent = true;
    for (const QString &file : files) {
        request.insert(QStringLiteral("fileName"), file);
        const processor::SubtitleSend sent =
            processor::sendSubtitle(request, TransferTimeoutMs, [&file](int done, int total) {
                std::fprintf(stderr, "%s: chunk %d of %d acknowledged\n", qPrintable(file), done,
                             total);
            });
        printJson(QVariantMap{{QStringLiteral("file"), file},
                              {QStringLiteral("result"), sent.ok()},
                              {QStringLiteral("message"), sent.message},
                              {QStringLiteral("chunks"), sent.acknowledged}},
                  Compact);
        allSent = allSent && sent.ok();
    }
    return allSent ? ExitOk : ExitFailed;
}
