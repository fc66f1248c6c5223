// ledwall layout: the screen layout in its two forms and in a card's flash.
//
//     ledwall layout encode [--complex] FILE.json     editor map -> device text
//     ledwall layout decode [--complex] FILE.txt      device text -> editor map (JSON)
//     ledwall layout write [--complex] DEVICE FILE.json
//     ledwall layout read [--complex] DEVICE          the editor map read back
//     ledwall layout rebuild DEVICE --eth-num K       topology from the port table
//     ledwall layout render FILE.json --svg OUT.svg    a picture of the layout
//
// DEVICE: --port N [--host A], --usb, or --serial NAME [--baud B].

#include "cli.h"
#include "cliutil.h"
#include "layoutflow.h"
#include "layoutsvg.h"

#include "complexdisplaytext.h"
#include "displaytext.h"

#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace
{

constexpr int StepTimeoutMs = 10000;

// A layout of 4096 cabinets is about 172 KB of text; 16 MiB is far beyond any.
constexpr qint64 MaxLayoutFileSize = 16 * 1024 * 1024;

bool readFile(const QString &path, QByteArray *contents)
{
    return cli::readInputFile(path, MaxLayoutFileSize, contents);
}

bool readLayoutMap(const QString &path, QVariantMap *map)
{
    return cli::readJsonObjectFile(path, MaxLayoutFileSize, map);
}

int encode(const QString &path, bool complex)
{
    QVariantMap map;
    if (!readLayoutMap(path, &map))
        return cli::ExitFailed;
    // The bytes the card stores: Latin-1 for the connection model, UTF-8 for the
    // complex one. decode reads them back the same way.
    const QByteArray text = complex ? ledwall::displaytext::complexMapToText(map).toUtf8()
                                    : ledwall::displaytext::connectMapToText(map).toLatin1();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return cli::ExitOk;
}

int render(const QString &path, const QString &svgPath)
{
    QVariantMap map;
    if (!readLayoutMap(path, &map))
        return cli::ExitFailed;
    const cli::LayoutPicture picture = cli::renderLayoutSvg(map);
    QSaveFile file(svgPath);
    const QByteArray bytes = picture.svg.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        cli::printError(QStringLiteral("cannot write %1: %2").arg(svgPath, file.errorString()));
        return cli::ExitFailed;
    }
    cli::printJson(QVariantMap{{QStringLiteral("svg"), svgPath},
                               {QStringLiteral("displays"), picture.displays},
                               {QStringLiteral("cabinets"), picture.cabinets}});
    return cli::ExitOk;
}

int decode(const QString &path, bool complex)
{
    QByteArray contents;
    if (!readFile(path, &contents))
        return cli::ExitFailed;
    while (contents.endsWith('\n') || contents.endsWith('\r'))
        contents.chop(1);
    // Explicit sizes: a NUL byte in a name must not end the text.
    const QString text = complex ? QString::fromUtf8(contents.constData(), contents.size())
                                 : QString::fromLatin1(contents.constData(), contents.size());
    QVariantMap map;
    const bool ok = complex ? ledwall::displaytext::complexTextToMap(text, &map)
                            : ledwall::displaytext::connectTextToMap(text, &map);
    if (!ok) {
        const QString limit = ledwall::displaytext::textLimitError(text);
        cli::printError(limit.isEmpty()
                            ? QStringLiteral("%1 holds no single \"basic_info:\" marker").arg(path)
                            : QStringLiteral("%1: %2").arg(path, limit));
        return cli::ExitFailed;
    }
    cli::printJson(map);
    return cli::ExitOk;
}

// write, read and rebuild: one link to the sending card.
int onCard(const QString &action, const QCommandLineParser &parser, const cli::DeviceTarget &target,
           bool complex)
{
    QVariantMap map;
    if (action == QLatin1String("write") &&
        !readLayoutMap(parser.positionalArguments().value(1), &map))
        return cli::ExitFailed;
    qint64 ethNum = 0;
    if (action == QLatin1String("rebuild")) {
        if (!parser.isSet(QStringLiteral("eth-num"))) {
            cli::printError(QStringLiteral("--eth-num is required"));
            return cli::ExitUsage;
        }
        if (!cli::optionNumber(parser, QStringLiteral("eth-num"), 1, 78, &ethNum))
            return cli::ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("layout"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::layout::attach(guid);
    QString why;
    if (action == QLatin1String("write")) {
        if (!cli::layout::write(map, complex, StepTimeoutMs, &why)) {
            cli::printError(why);
            return cli::ExitFailed;
        }
        cli::printJson(QVariantMap{{QStringLiteral("written"), true}});
        return cli::ExitOk;
    }
    if (action == QLatin1String("read")) {
        if (!cli::layout::read(complex, StepTimeoutMs, &map, &why)) {
            cli::printError(why);
            return cli::ExitFailed;
        }
        cli::printJson(map);
        return cli::ExitOk;
    }
    QVariantMap report;
    if (!cli::layout::rebuild(int(ethNum), StepTimeoutMs, &map, &report, &why)) {
        cli::printError(why);
        return cli::ExitFailed;
    }
    report.remove(QStringLiteral("addr"));
    cli::printJson(QVariantMap{{QStringLiteral("map"), map}, {QStringLiteral("report"), report}});
    return cli::ExitOk;
}

} // namespace

int runLayoutCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("complex"), QStringLiteral("Use the complex layout model.")});
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("svg"), QStringLiteral("The picture to write (render)."),
                      QStringLiteral("OUT.svg")});
    parser.addOption({QStringLiteral("eth-num"),
                      QStringLiteral("Number of Ethernet ports in the port table (rebuild)."),
                      QStringLiteral("K")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    parser.addPositionalArgument(QStringLiteral("ACTION"),
                                 QStringLiteral("encode, decode, write, read, rebuild or render."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The layout (JSON) or device text."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Converts a screen layout between its editor map (JSON) and its device "
                       "text, writes it to a sending card's flash or reads it back, and rebuilds "
                       "a layout from the card's hardware port table."));
    if (parsed >= 0)
        return parsed;

    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0);
    const bool complex = parser.isSet(QStringLiteral("complex"));
    const bool needsFile = action == QLatin1String("encode") || action == QLatin1String("decode") ||
                           action == QLatin1String("write") || action == QLatin1String("render");
    const bool known =
        needsFile || action == QLatin1String("read") || action == QLatin1String("rebuild");
    if (!known || positional.size() != (needsFile ? 2 : 1)) {
        cli::printError(
            known ? QStringLiteral("wrong number of arguments for '%1'").arg(action)
                  : QStringLiteral(
                        "expected an action: encode, decode, write, read, rebuild or render"));
        return cli::ExitUsage;
    }
    if (action == QLatin1String("encode"))
        return encode(positional.at(1), complex);
    if (action == QLatin1String("decode"))
        return decode(positional.at(1), complex);
    if (action == QLatin1String("render")) {
        if (complex || !cli::requireOptions(parser, {"svg"})) {
            if (complex)
                cli::printError(QStringLiteral("render draws the connection model only"));
            return cli::ExitUsage;
        }
        return render(positional.at(1), parser.value(QStringLiteral("svg")));
    }

    cli::DeviceTarget target;
    if (!cli::deviceTarget(parser, &target))
        return cli::ExitUsage;
    if (action == QLatin1String("rebuild") && complex) {
        cli::printError(QStringLiteral("rebuild has no complex model"));
        return cli::ExitUsage;
    }
    return onCard(action, parser, target, complex);
}
