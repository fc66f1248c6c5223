// ledwall calib: calibration files, their packing and their transfer.
//
//     ledwall calib pack --width W --height H --type 0|7 FILE OUT
//     ledwall calib cabinet --type 0|7 --box PORT:CARD:X:Y:W:H FILE OUT
//     ledwall calib check FILE
//     ledwall calib send DEVICE --layout FILE.json CALIB.txt [--fast] [--type 0|7] [--quiet]
//     ledwall calib index --db FILE insert|delete|update|select [--id N] [--guid G] [--path P]
//
// pack prints {"bytes", "pixels"}, cabinet {"bytes"}, check {"empty", "encrypted"},
// send the last-address map, index the database's answer. Exit 1 when the work
// failed, 2 on bad usage.

#include "calibflow.h"
#include "cli.h"
#include "cliutil.h"
#include "devicetarget.h"
#include "progress.h"

#include "bll_businesslogic_desktop.h"
#include "calibrationfile.h"
#include "calibrationpacking.h"
#include "filepaths.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <cstdio>

namespace
{

using namespace ledwall::calibration;

constexpr qint64 MaxLayoutFileSize = 16 * 1024 * 1024;
constexpr int IndexTimeoutMs = 10000;

BLL_BusinessLogic_SendCardPackage &card()
{
    return BLL_BusinessLogic_Desktop::instance()->sendCardPackage();
}

// Parses the arguments of one action with `positional` file arguments.
int parseAction(QCommandLineParser &parser, const QStringList &args, const QString &description,
                int positional)
{
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(parser, args, description);
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != positional) {
        cli::printError(QStringLiteral("expected %1 file argument(s)").arg(positional));
        return cli::ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return -1;
}

void addTypeOption(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("type"),
                      QStringLiteral("Coefficient layout: 0 three per pixel, 7 a 3 x 3 matrix."),
                      QStringLiteral("0|7"), QStringLiteral("0")});
}

bool typeOption(const QCommandLineParser &parser, int *type)
{
    qint64 value = 0;
    if (!cli::optionNumber(parser, QStringLiteral("type"), 0, 7, &value) ||
        (value != ThreeCoefficients && value != Matrix)) {
        if (value != ThreeCoefficients && value != Matrix)
            cli::printError(QStringLiteral("--type must be 0 or 7"));
        return false;
    }
    *type = int(value);
    return true;
}

bool writeOutput(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        cli::printError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

int runPack(const QStringList &args)
{
    QCommandLineParser parser;
    addTypeOption(parser);
    parser.addOption(
        {QStringLiteral("width"), QStringLiteral("Display width in pixels."), QStringLiteral("W")});
    parser.addOption({QStringLiteral("height"), QStringLiteral("Display height in pixels."),
                      QStringLiteral("H")});
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Packs a calibration file in file order, as the display transfer does, "
                       "and writes the words to OUT."),
        2);
    if (parsed >= 0)
        return parsed;
    qint64 width = 0, height = 0;
    int type = 0;
    if (!cli::requireOptions(parser, {"width", "height"}) ||
        !cli::optionNumber(parser, QStringLiteral("width"), 1, 65535, &width) ||
        !cli::optionNumber(parser, QStringLiteral("height"), 1, 65535, &height) ||
        !typeOption(parser, &type))
        return cli::ExitUsage;
    const QStringList files = parser.positionalArguments();
    card().setAdjustParaMap({{QStringLiteral("adjen_type"), type}});
    card().setAdjustFile(files.at(0));
    const QByteArray data = card().getDisplayAdjustDataByteArr(int(width), int(height));
    if (data.isEmpty()) {
        cli::printError(QStringLiteral("%1: no calibration data (unreadable, empty, or a line with "
                                       "the wrong number of fields; --verbose says which)")
                            .arg(files.at(0)));
        return cli::ExitFailed;
    }
    if (!writeOutput(files.at(1), data))
        return cli::ExitFailed;
    cli::printJson(
        QVariantMap{{QStringLiteral("bytes"), data.size()},
                    {QStringLiteral("pixels"), data.size() / bytesPerPixel(uint(type))}});
    return cli::ExitOk;
}

int runCabinet(const QStringList &args)
{
    QCommandLineParser parser;
    addTypeOption(parser);
    parser.addOption({QStringLiteral("box"), QStringLiteral("The cabinet."),
                      QStringLiteral("PORT:CARD:X:Y:W:H")});
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Writes to OUT the bytes that the per-cabinet pass sends to one cabinet."),
        2);
    if (parsed >= 0)
        return parsed;
    int type = 0;
    if (!cli::requireOptions(parser, {"box"}) || !typeOption(parser, &type))
        return cli::ExitUsage;
    ledwall::storedimage::Cabinet cabinet;
    if (!ledwall::storedimage::parseCabinet(parser.value(QStringLiteral("box")), &cabinet)) {
        cli::printError(QStringLiteral("--box must be PORT:CARD:X:Y:W:H with W, H above 0"));
        return cli::ExitUsage;
    }
    const QStringList files = parser.positionalArguments();
    CabinetPacker packer({cabinet}, uint(type));
    QString why;
    if (readCalibrationFile(files.at(0), packer, &why) != FileReadStatus::Ok) {
        cli::printError(QStringLiteral("cannot read %1: %2").arg(files.at(0), why));
        return cli::ExitFailed;
    }
    if (packer.sendable == 0) {
        cli::printError(QStringLiteral("%1: line %2 is too short for the layout")
                            .arg(files.at(0))
                            .arg(packer.failedLine));
        return cli::ExitFailed;
    }
    if (!writeOutput(files.at(1), packer.data.at(0)))
        return cli::ExitFailed;
    cli::printJson(QVariantMap{{QStringLiteral("bytes"), packer.data.at(0).size()}});
    return cli::ExitOk;
}

int runCheck(const QStringList &args)
{
    QCommandLineParser parser;
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Tells whether a calibration file is empty and whether it is in another "
                       "form than plain calibration text."),
        1);
    if (parsed >= 0)
        return parsed;
    const QString file = parser.positionalArguments().constFirst();
    if (!QFile::exists(ledwall::stripFileUrlPrefixes(file))) {
        cli::printError(QStringLiteral("cannot read %1").arg(file));
        return cli::ExitFailed;
    }
    card().setAdjustFile(file);
    cli::printJson(QVariantMap{{QStringLiteral("empty"), !card().checkAdjustFile(file)},
                               {QStringLiteral("encrypted"), card().judgeEncrypt()}});
    return cli::ExitOk;
}

// The cabinets of a layout file: {"cabinets": ["port:card:x:y:w:h", ...]}.
bool readCabinets(const QString &path, QVariantList *boxes)
{
    QByteArray bytes;
    if (!cli::readInputFile(path, MaxLayoutFileSize, &bytes))
        return false;
    const QJsonValue cabinets =
        QJsonDocument::fromJson(bytes).object().value(QStringLiteral("cabinets"));
    for (const QJsonValue &box : cabinets.toArray()) {
        ledwall::storedimage::Cabinet cabinet;
        if (!ledwall::storedimage::parseCabinet(box.toString(), &cabinet)) {
            cli::printError(QStringLiteral("%1: cabinet '%2' is not PORT:CARD:X:Y:W:H")
                                .arg(path, box.toString()));
            return false;
        }
        boxes->append(box.toString());
    }
    if (boxes->isEmpty())
        cli::printError(QStringLiteral("%1 lists no \"cabinets\"").arg(path));
    return !boxes->isEmpty();
}

int runSend(const QStringList &args)
{
    QCommandLineParser parser;
    addTypeOption(parser);
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("layout"),
                      QStringLiteral("JSON {\"cabinets\": [\"port:card:x:y:w:h\", ...]}."),
                      QStringLiteral("FILE.json")});
    parser.addOption({QStringLiteral("fast"), QStringLiteral("Fast mode (shorter write wait).")});
    parser.addOption({QStringLiteral("quiet"), QStringLiteral("No progress on stderr.")});
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Sends a calibration file to the receiving cards of the layout's "
                       "cabinets and prints the last addresses written."),
        1);
    if (parsed >= 0)
        return parsed;
    cli::DeviceTarget target;
    int type = 0;
    if (!cli::deviceTarget(parser, &target) || !cli::requireOptions(parser, {"layout"}) ||
        !typeOption(parser, &type))
        return cli::ExitUsage;
    QVariantList boxes;
    if (!readCabinets(parser.value(QStringLiteral("layout")), &boxes))
        return cli::ExitFailed;
    const QString file = parser.positionalArguments().constFirst();
    if (!QFile::exists(file)) {
        cli::printError(QStringLiteral("cannot read %1").arg(file));
        return cli::ExitFailed;
    }
    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("calib"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::layout::attach(guid);
    cli::ProgressReporter progress(
        cli::ProgressReporter::modeFor(parser.isSet(QStringLiteral("quiet"))), file);
    QVariantMap report;
    QString why;
    const bool sent = cli::calib::send(
        file, boxes, type, parser.isSet(QStringLiteral("fast")), 10 * 60 * 1000,
        [&progress](quint64 done, quint64 total) { progress.update(qint64(done), qint64(total)); },
        &report, &why);
    progress.finish();
    if (!report.isEmpty())
        cli::printJson(report);
    if (!sent) {
        cli::printError(why);
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}

int runIndex(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("db"), QStringLiteral("The index database file."), QStringLiteral("FILE")});
    parser.addOption(
        {QStringLiteral("id"), QStringLiteral("Row (delete, update)."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("guid"), QStringLiteral("Device guid (insert, update)."),
                      QStringLiteral("G")});
    parser.addOption({QStringLiteral("path"), QStringLiteral("Calibration file (insert, update)."),
                      QStringLiteral("P")});
    const int parsed = parseAction(
        parser, args, QStringLiteral("Inserts, deletes, updates or lists calibration files."), 1);
    if (parsed >= 0)
        return parsed;
    static const QMap<QString, QString> Operations{
        {QStringLiteral("insert"), QStringLiteral("Insert")},
        {QStringLiteral("delete"), QStringLiteral("Delete")},
        {QStringLiteral("update"), QStringLiteral("Update")},
        {QStringLiteral("select"), QStringLiteral("Selete")}};
    const QString action = parser.positionalArguments().constFirst();
    if (!Operations.contains(action)) {
        cli::printError(QStringLiteral("unknown index action '%1'").arg(action));
        return cli::ExitUsage;
    }
    if (!cli::requireOptions(parser, {"db"}))
        return cli::ExitUsage;
    QVariantMap request{{QStringLiteral("operate"), Operations.value(action)}};
    if (parser.isSet(QStringLiteral("id")))
        request.insert(QStringLiteral("id"), parser.value(QStringLiteral("id")));
    if (parser.isSet(QStringLiteral("guid")))
        request.insert(QStringLiteral("guid"), parser.value(QStringLiteral("guid")));
    if (parser.isSet(QStringLiteral("path")))
        request.insert(QStringLiteral("filePath"), parser.value(QStringLiteral("path")));
    card().setAdjustDatabasePath(parser.value(QStringLiteral("db")));
    QObject context;
    QVariantMap result;
    bool answered = false;
    QObject::connect(&card(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context,
                     [&](QVariantMap map) {
                         result = map;
                         answered = true;
                     });
    card().operationAdjustDB(request);
    if (!cli::waitUntil([&] { return answered; }, IndexTimeoutMs)) {
        cli::printError(QStringLiteral("the index did not answer"));
        return cli::ExitFailed;
    }
    cli::printJson(result);
    if (!result.value(QStringLiteral("result")).toString().isEmpty()) {
        cli::printError(result.value(QStringLiteral("result")).toString());
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}

} // namespace

int runCalibCommand(const QStringList &args)
{
    const QString action = args.value(1);
    const QStringList rest = QStringList{QStringLiteral("calib ") + action} + args.mid(2);
    using Run = int (*)(const QStringList &);
    static const QMap<QString, Run> Actions{{QStringLiteral("pack"), runPack},
                                            {QStringLiteral("cabinet"), runCabinet},
                                            {QStringLiteral("check"), runCheck},
                                            {QStringLiteral("send"), runSend},
                                            {QStringLiteral("index"), runIndex}};
    if (Actions.contains(action))
        return Actions.value(action)(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs("usage: ledwall calib pack|cabinet|check|send|index ... (--help on each)\n",
                   stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty()
                        ? QStringLiteral("expected pack, cabinet, check, send or index")
                        : QStringLiteral("unknown calib action '%1'").arg(action));
    return cli::ExitUsage;
}
