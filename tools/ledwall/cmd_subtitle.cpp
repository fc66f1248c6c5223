// ledwall subtitle: subtitle bitmaps for a sending card.
//
//     ledwall subtitle convert BMP [--fg R,G,B,A] [--bg R,G,B,A] [--image] [--out FILE]
//     ledwall subtitle send DEVICE BMP... [--fg ...] [--bg ...] [--image]
//
// convert prints {"bytes": "<hex>"} of the card's subtitle pixels (or writes them to
// FILE and prints {"size": n}); a bitmap the converter refuses prints
// {"error": "..."} and exits 1. send converts each bitmap and sends it chunk by
// chunk, a line per acknowledged chunk on stderr, and prints one summary per file.

#include "cli.h"
#include "cliutil.h"
#include "subtitleflow.h"

#include "subtitlebitmap.h"

#include <QFile>
#include <QSaveFile>

using namespace ledwall::subtitle;

namespace cli
{

void addColourOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("fg"),
                      QStringLiteral("Foreground colour R,G,B,A (0-255 each; default "
                                     "255,255,255,3)."),
                      QStringLiteral("R,G,B,A")});
    parser.addOption({QStringLiteral("bg"),
                      QStringLiteral("Background colour R,G,B,A (default 0,0,0,0)."),
                      QStringLiteral("R,G,B,A")});
    parser.addOption(
        {QStringLiteral("image"), QStringLiteral("24-bit bitmaps keep their own colours.")});
}

bool colourOptions(const QCommandLineParser &parser, QVariantMap *request)
{
    const auto parse = [&](const char *option, const char *prefix, const QString &fallback) {
        const QString text =
            parser.isSet(QLatin1String(option)) ? parser.value(QLatin1String(option)) : fallback;
        const QStringList parts = text.split(QLatin1Char(','));
        if (parts.size() != 4) {
            printError(QStringLiteral("--%1 takes R,G,B,A").arg(QLatin1String(option)));
            return false;
        }
        const char *channels[] = {"Red", "Green", "Blue", "Alpha"};
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const int value = parts.at(i).trimmed().toInt(&ok);
            if (!ok || value < 0 || value > 255) {
                printError(QStringLiteral("--%1: '%2' is not 0-255")
                               .arg(QLatin1String(option), parts.at(i)));
                return false;
            }
            request->insert(QLatin1String(prefix) + QLatin1String(channels[i]), value);
        }
        return true;
    };
    request->insert(QStringLiteral("isImage"), parser.isSet(QStringLiteral("image")));
    return parse("fg", "foreground", QStringLiteral("255,255,255,3")) &&
           parse("bg", "background", QStringLiteral("0,0,0,0"));
}

} // namespace cli

namespace
{

int runConvert(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addColourOptions(parser);
    parser.addOption({QStringLiteral("out"), QStringLiteral("Write the bytes to FILE."),
                      QStringLiteral("FILE")});
    parser.addPositionalArgument(QStringLiteral("bmp"), QStringLiteral("Bitmap file."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Converts a 1, 24 or 32-bit bitmap into the card's subtitle pixels."));
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one bitmap file"));
        return cli::ExitUsage;
    }
    QVariantMap request;
    if (!cli::colourOptions(parser, &request))
        return cli::ExitUsage;
    QByteArray file;
    if (!cli::readInputFile(parser.positionalArguments().constFirst(), MaxFileSize, &file))
        return cli::ExitFailed;
    const Conversion conversion = convert(file, ConversionOptions::fromMap(request));
    if (!conversion.ok()) {
        cli::printJson(QVariantMap{{QStringLiteral("error"), conversion.error}});
        return cli::ExitFailed;
    }
    if (!parser.isSet(QStringLiteral("out"))) {
        cli::printJson(QVariantMap{{QStringLiteral("bytes"), conversion.pixels}});
        return cli::ExitOk;
    }
    QSaveFile out(parser.value(QStringLiteral("out")));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(conversion.pixels) != conversion.pixels.size() || !out.commit()) {
        cli::printError(QStringLiteral("cannot write %1: %2")
                            .arg(parser.value(QStringLiteral("out")), out.errorString()));
        return cli::ExitFailed;
    }
    cli::printJson(QVariantMap{{QStringLiteral("size"), conversion.pixels.size()}});
    return cli::ExitOk;
}

} // namespace

int runSubtitleCommand(const QStringList &args)
{
    const QString action = args.value(1);
    const QStringList rest = QStringList{QStringLiteral("subtitle ") + action} + args.mid(2);
    if (action == QLatin1String("convert"))
        return runConvert(rest);
    if (action == QLatin1String("send"))
        return cli::runSubtitleSend(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs("usage: ledwall subtitle convert|send ... (--help on each)\n", stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty() ? QStringLiteral("expected convert or send")
                                     : QStringLiteral("unknown subtitle action '%1'").arg(action));
    return cli::ExitUsage;
}
