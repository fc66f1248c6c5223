// ledwall chip: driver-chip parameters through the chip library.
//
//     ledwall chip params --chip NAME [--decode N]
//     ledwall chip set --chip NAME [--decode N] PARAMS.json
//     ledwall chip defaults --chip NAME --index I
//     ledwall chip gen --chip NAME [--decode N] --out DIR
//     ledwall chip filedata --mode 0|1|2 [--width W] FILE
//     ledwall chip send --port N [--host A] --chip NAME [--decode N] [--card-port P] [--card I]
//
// params prints the fetched parameter map; set applies a map (or each map of an
// array, in order) and prints {"results": [...], "params": {...}}, exit 1 when the
// library refused one; defaults prints the chip's default set I; gen writes the
// data files into DIR and prints their names and sizes; filedata prints
// {"bytes": "<hex>"} of a data file; send loads the chip's default register image
// through the chip layer and writes it to a receiving card of the device, done only
// when the card returns it. Exit 2 on bad usage.

#include "cli.h"
#include "cliutil.h"
#include "devicetarget.h"

#include "applicationdirectory.h"
#include "bll_businesslogic_lssdk.h"
#include "chipflow.h"
#include "chipselection.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <memory>

namespace
{

constexpr qint64 MaxParamsFileSize = 1024 * 1024;

// Common options; the chip selection map in *selection.
int parseChipAction(QCommandLineParser &parser, const QStringList &args, const QString &description,
                    bool needsChip, QVariantMap *selection)
{
    parser.addOption({QStringLiteral("chip"),
                      QStringLiteral("Driver chip: %1.")
                          .arg(ledwall::chip::driverChipNames().join(QStringLiteral(", "))),
                      QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("decode"),
                      QStringLiteral("The interface's row-decode index, 0 to 22."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(parser, args, description);
    if (parsed >= 0)
        return parsed;
    if (needsChip) {
        if (!cli::requireOptions(parser, {"chip"}))
            return cli::ExitUsage;
        const QString name = parser.value(QStringLiteral("chip"));
        if (!ledwall::chip::driverChipNames().contains(name)) {
            cli::printError(QStringLiteral("unknown chip '%1'").arg(name));
            return cli::ExitUsage;
        }
        qint64 decode = 0;
        if (!cli::optionNumber(parser, QStringLiteral("decode"), 0, 22, &decode))
            return cli::ExitUsage;
        *selection = {{QStringLiteral("driverChip"), name},
                      {QStringLiteral("decodedMode"), int(decode)}};
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return -1;
}

// The chip layer with the library started for the selected chip.
std::unique_ptr<BLL_BusinessLogic_LSSDK> startedChip(const QVariantMap &selection)
{
    auto sdk = std::make_unique<BLL_BusinessLogic_LSSDK>();
    sdk->init(selection);
    if (sdk->paramMap().value(QStringLiteral("initFlag")).toInt() != 0) {
        cli::printError(QStringLiteral("the chip library refused the chip (status %1)")
                            .arg(sdk->paramMap().value(QStringLiteral("initFlag")).toInt()));
        return nullptr;
    }
    sdk->clearData();
    return sdk;
}

int runParams(const QStringList &args)
{
    QCommandLineParser parser;
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args, QStringLiteral("Prints every parameter of a driver chip as JSON."), true,
        &selection);
    if (parsed >= 0)
        return parsed;
    if (!cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    const auto sdk = startedChip(selection);
    if (!sdk)
        return cli::ExitFailed;
    cli::printJson(sdk->getParam(selection));
    return cli::ExitOk;
}

int runSet(const QStringList &args)
{
    QCommandLineParser parser;
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args,
        QStringLiteral("Applies a parameter map, or each map of a JSON array in order, then "
                       "prints each result and the parameters after the last."),
        true, &selection);
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one JSON file of parameter maps"));
        return cli::ExitUsage;
    }
    QByteArray text;
    if (!cli::readInputFile(parser.positionalArguments().constFirst(), MaxParamsFileSize, &text))
        return cli::ExitFailed;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    QVariantList maps;
    if (document.isObject())
        maps << document.object().toVariantMap();
    bool onlyMaps = true;
    for (const QJsonValue &value : document.array()) {
        onlyMaps = onlyMaps && value.isObject();
        maps << value.toObject().toVariantMap();
    }
    if (maps.isEmpty() || !onlyMaps) {
        cli::printError(QStringLiteral("expected a parameter map or an array of them"));
        return cli::ExitUsage;
    }
    const auto sdk = startedChip(selection);
    if (!sdk)
        return cli::ExitFailed;
    QVariantList results;
    bool refused = false;
    for (const QVariant &map : maps) {
        sdk->clearData();
        const QVariantMap result = sdk->configureParam(map.toMap());
        refused = refused || result.value(QStringLiteral("result")).toInt() != 0;
        results << result;
    }
    sdk->clearData();
    cli::printJson(QVariantMap{{QStringLiteral("results"), results},
                               {QStringLiteral("params"), sdk->getParam(selection)}});
    return refused ? cli::ExitFailed : cli::ExitOk;
}

int runDefaults(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("index"),
                      QStringLiteral("0 gamma start and step, 1 clock phase, 2 row phase, 3 "
                                     "delta K."),
                      QStringLiteral("I")});
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args, QStringLiteral("Prints one default set of a driver chip."), true, &selection);
    if (parsed >= 0)
        return parsed;
    qint64 index = 0;
    if (!cli::requireOptions(parser, {"index"}) || !cli::noPositionalArguments(parser) ||
        !cli::optionNumber(parser, QStringLiteral("index"), 0, 3, &index))
        return cli::ExitUsage;
    const auto sdk = startedChip(selection);
    if (!sdk)
        return cli::ExitFailed;
    selection.insert(QStringLiteral("paramFlag"), 3);
    selection.insert(QStringLiteral("configIndex"), int(index));
    cli::printJson(sdk->getParam(selection));
    return cli::ExitOk;
}

int runGen(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("out"),
                      QStringLiteral("Directory of the data files (created; replaced files are "
                                     "kept in its LastData_Backup folder)."),
                      QStringLiteral("DIR")});
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args, QStringLiteral("Writes the data files of a driver chip's defaults."), true,
        &selection);
    if (parsed >= 0)
        return parsed;
    if (!cli::requireOptions(parser, {"out"}) || !cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    const auto sdk = startedChip(selection);
    if (!sdk)
        return cli::ExitFailed;
    const QString out = parser.value(QStringLiteral("out"));
    if (!sdk->setDocumentPath(out)) {
        cli::printError(QStringLiteral("cannot create %1").arg(out));
        return cli::ExitFailed;
    }
    sdk->genDataFile(0);
    const bool ok = sdk->paramMap().value(QStringLiteral("result")).toBool();
    QVariantList files;
    for (const QFileInfo &file : QDir(out).entryInfoList(QDir::Files, QDir::Name))
        files << QVariantMap{{QStringLiteral("name"), file.fileName()},
                             {QStringLiteral("size"), file.size()}};
    cli::printJson(QVariantMap{{QStringLiteral("result"), ok}, {QStringLiteral("files"), files}});
    if (!ok)
        cli::printError(QStringLiteral("the data files could not all be written to %1").arg(out));
    return ok ? cli::ExitOk : cli::ExitFailed;
}

int runFileData(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("mode"),
                      QStringLiteral("0 one byte per entry, 1 two bytes, 2 four bytes when "
                                     "--width is 8 (else two), padded to whole 32-bit groups."),
                      QStringLiteral("M")});
    parser.addOption({QStringLiteral("width"), QStringLiteral("Digits per entry for mode 2."),
                      QStringLiteral("W"), QStringLiteral("8")});
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args, QStringLiteral("Prints the bytes of a hexadecimal data file."), false,
        &selection);
    if (parsed >= 0)
        return parsed;
    qint64 mode = 0, width = 0;
    if (!cli::requireOptions(parser, {"mode"}) ||
        !cli::optionNumber(parser, QStringLiteral("mode"), 0, 2, &mode) ||
        !cli::optionNumber(parser, QStringLiteral("width"), 0, 64, &width))
        return cli::ExitUsage;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one data file"));
        return cli::ExitUsage;
    }
    const QString path = parser.positionalArguments().constFirst();
    BLL_BusinessLogic_LSSDK sdk;
    const QByteArray bytes = sdk.getLSFileData(path, int(mode), int(width));
    if (bytes.isEmpty()) {
        cli::printError(QStringLiteral("no data read from %1 (unreadable, empty or not "
                                       "hexadecimal entries of that size)")
                            .arg(path));
        return cli::ExitFailed;
    }
    cli::printJson(QVariantMap{{QStringLiteral("bytes"), bytes}});
    return cli::ExitOk;
}

int runSend(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("card-port"),
                      QStringLiteral("The sending card's output port of the cabinet, 0 to 15."),
                      QStringLiteral("P"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("card"),
                      QStringLiteral("The receiving card's index on that port."),
                      QStringLiteral("I"), QStringLiteral("0")});
    QVariantMap selection;
    const int parsed = parseChipAction(
        parser, args,
        QStringLiteral("Loads a chip's default register image into the chip library and writes "
                       "it to a receiving card; done when the card returns the same bytes."),
        true, &selection);
    if (parsed >= 0)
        return parsed;
    qint64 cardPort = 0, card = 0;
    cli::DeviceTarget target;
    if (!cli::noPositionalArguments(parser) || !cli::deviceTarget(parser, &target) ||
        !cli::optionNumber(parser, QStringLiteral("card-port"), 0, 15, &cardPort) ||
        !cli::optionNumber(parser, QStringLiteral("card"), 0, 65534, &card))
        return cli::ExitUsage;
    QString why;
    const int chipId = ledwall::chip::driverChipId(selection.value("driverChip").toString(), -1);
    const QByteArray text =
        cli::chip::defaultImageText(chipId, selection.value("decodedMode").toInt(), &why);
    if (text.isEmpty()) {
        cli::printError(why);
        return cli::ExitFailed;
    }

    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("chip"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    const auto sdk = startedChip(selection);
    if (!sdk)
        return cli::ExitFailed;
    QVariantMap load = selection;
    load.insert(QStringLiteral("registerAddr"), QString::fromLatin1(text));
    if (!cli::chip::loadThroughFacade(session, *sdk, load, 3000)) {
        cli::printError(QStringLiteral("the chip library did not load the image (loadFlag %1)")
                            .arg(sdk->paramMap().value(QStringLiteral("loadFlag")).toInt()));
        return cli::ExitFailed;
    }
    const QByteArray image =
        ledwall::chip::parseRegisterText(
            sdk->getSDKToBuff().value(QStringLiteral("registerAddr")).toString().toLatin1())
            .image;
    const bool written = !image.isEmpty() && cli::chip::writeToCard(session, guid, int(cardPort),
                                                                    int(card), image, 5000, &why);
    cli::printJson(
        QVariantMap{{QStringLiteral("moduleName"), QStringLiteral("Module_loadBuffToSdk")},
                    {QStringLiteral("loadFlag"), sdk->paramMap().value("loadFlag")},
                    {QStringLiteral("bytes"), image.size()},
                    {QStringLiteral("cardPort"), int(cardPort)},
                    {QStringLiteral("card"), int(card)},
                    {QStringLiteral("written"), written}});
    if (!written)
        cli::printError(QStringLiteral("the register image is not on the card: %1").arg(why));
    return written ? cli::ExitOk : cli::ExitFailed;
}

} // namespace

int runChipCommand(const QStringList &args)
{
    // The chip layer keeps a data folder below the program's folder; these commands
    // need none of it, so it goes to a scratch folder instead of beside the program.
    QTemporaryDir scratch;
    if (scratch.isValid())
        ledwall::setApplicationDirectory(scratch.path());
    const QString action = args.value(1);
    const QStringList rest = QStringList{QStringLiteral("chip ") + action} + args.mid(2);
    if (action == QLatin1String("params"))
        return runParams(rest);
    if (action == QLatin1String("set"))
        return runSet(rest);
    if (action == QLatin1String("defaults"))
        return runDefaults(rest);
    if (action == QLatin1String("gen"))
        return runGen(rest);
    if (action == QLatin1String("filedata"))
        return runFileData(rest);
    if (action == QLatin1String("send"))
        return runSend(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs(
            "usage: ledwall chip params|set|defaults|gen|filedata|send ... (--help on each)\n",
            stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty()
                        ? QStringLiteral("expected params, set, defaults, gen, filedata or send")
                        : QStringLiteral("unknown chip action '%1'").arg(action));
    return cli::ExitUsage;
}
