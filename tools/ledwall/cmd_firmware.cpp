// ledwall firmware: receiving-card upgrade files.
//
//     ledwall firmware check FILE [--card-flag N] [--firm-index N] [--card-type NAME]
//     ledwall firmware info FILE
//     ledwall firmware package --image IMAGE --card-type N --drive-type C --version V OUT
//     ledwall firmware is-mcu FILE
//     ledwall firmware upgrade DEVICE --cards P:C[,...]|all [--eth-num K] [--card-type NAME]
//     [--force]
//                              [--no-verify] [--quiet] FILE
//     ledwall firmware read DEVICE --cards P:C --size KIB --card-type N --drive-type C
//                           --version V [--quiet] OUT
//
// check and package print {"result": N, "name": "<result name>"} and exit 0 when the
// result is 0, else 1; info prints the header fields, is-mcu {"isMCUFile": bool};
// upgrade {"cards": [{"port", "card", "written", "verified"}], "seconds"}. Exit 2 on
// bad usage. DEVICE: --port N [--host A], --usb or --serial NAME (devicetarget.h).

#include "cli.h"
#include "cliutil.h"
#include "devicetarget.h"
#include "facadesession.h"
#include "firmwareflow.h"
#include "layoutflow.h"
#include "progress.h"

#include "bll_businesslogic_desktop.h"
#include "checksums.h"
#include "upgradefile.h"

#include <QElapsedTimer>
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

void addPackageOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("card-type"), QStringLiteral("Card code 0-255 (required)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("drive-type"),
                      QStringLiteral("Drive type, one character (required)."),
                      QStringLiteral("C")});
    parser.addOption({QStringLiteral("version"),
                      QStringLiteral("Version: two hexadecimal parts, e.g. 1.a (required)."),
                      QStringLiteral("V")});
}

// Writes the upgrade file `out` around `image` with the package options.
int packageImage(const QCommandLineParser &parser, const QByteArray &image, const QString &out)
{
    qint64 cardType = 0;
    if (!cli::optionNumber(parser, QStringLiteral("card-type"), 0, 255, &cardType))
        return cli::ExitUsage;
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

int runPackage(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("image"), QStringLiteral("Raw flash image (required)."),
                      QStringLiteral("IMAGE")});
    addPackageOptions(parser);
    QString out;
    const int parsed = parseAction(
        parser, args,
        QStringLiteral("Writes a receiving-card upgrade file OUT around a raw flash image."), &out);
    if (parsed >= 0)
        return parsed;
    if (!cli::requireOptions(parser, {"image", "card-type", "drive-type", "version"}))
        return cli::ExitUsage;
    QByteArray image;
    if (!cli::readInputFile(parser.value(QStringLiteral("image")), MaxImageSize, &image))
        return cli::ExitFailed;
    return packageImage(parser, image, out);
}

// The options of the commands that reach cards: the device, --cards and --quiet.
int parseCardAction(QCommandLineParser &parser, const QStringList &args, const QString &description,
                    QString *file, cli::DeviceTarget *target, QVector<cli::firmware::Card> *cards,
                    bool allowAll = false)
{
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("cards"),
                      QStringLiteral("The cards: PORT:CARD[,...] (upgrade: or all)."),
                      QStringLiteral("LIST")});
    parser.addOption({QStringLiteral("quiet"), QStringLiteral("No progress on stderr.")});
    const int parsed = parseAction(parser, args, description, file);
    if (parsed >= 0)
        return parsed;
    QString why;
    if (!cli::deviceTarget(parser, target) || !cli::requireOptions(parser, {"cards"}))
        return cli::ExitUsage;
    if (allowAll && parser.value(QStringLiteral("cards")) == QLatin1String("all")) {
        cards->clear(); // resolved from the card's port table once the link is open
        return -1;
    }
    if (!cli::firmware::parseCards(parser.value(QStringLiteral("cards")), cards, &why)) {
        cli::printError(QStringLiteral("--cards: ") + why);
        return cli::ExitUsage;
    }
    return -1;
}

// The link to the sending card, wired to the sending-card object; empty on failure.
QString openCardLink(cli::FacadeSession &session, const cli::DeviceTarget &target)
{
    const QString guid = session.openOrReport(target, QStringLiteral("firmware"));
    if (!guid.isEmpty())
        cli::layout::attach(guid);
    return guid;
}

// Every cabinet of the sending card's hardware port table (ethNum records).
bool cardsOfPortTable(int ethNum, QVector<cli::firmware::Card> *cards)
{
    QVariantMap map;
    QVariantMap report;
    QString why;
    if (!cli::layout::rebuild(ethNum, 10000, &map, &report, &why)) {
        cli::printError(QStringLiteral("--cards all: ") + why);
        return false;
    }
    for (const QVariant &display : map.value(QStringLiteral("displayArr")).toList()) {
        for (const QVariant &value : display.toMap().value(QStringLiteral("itemArr")).toList()) {
            const QVariantMap item = value.toMap();
            if (item.value(QStringLiteral("init")).toInt() != 0)
                cards->append({item.value(QStringLiteral("sender_port")).toInt(),
                               item.value(QStringLiteral("sender_addr")).toInt()});
        }
    }
    if (cards->isEmpty())
        cli::printError(QStringLiteral("--cards all: the port table lists no card"));
    return !cards->isEmpty();
}

QString cardName(const cli::firmware::Card &card)
{
    return QStringLiteral("card %1:%2").arg(card.port).arg(card.card);
}

int runUpgrade(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("card-type"),
                      QStringLiteral("Model of the cards (NRX-64, NRX-72, multi): the file "
                                     "must be for it."),
                      QStringLiteral("NAME")});
    parser.addOption(
        {QStringLiteral("force"), QStringLiteral("Write a file made for another card model.")});
    parser.addOption(
        {QStringLiteral("no-verify"), QStringLiteral("Do not read the image back to compare.")});
    parser.addOption({QStringLiteral("eth-num"),
                      QStringLiteral("Records of the port table that --cards all reads."),
                      QStringLiteral("K")});
    QString path;
    cli::DeviceTarget target;
    QVector<cli::firmware::Card> cards;
    const int parsed = parseCardAction(
        parser, args,
        QStringLiteral("Checks a receiving-card upgrade file, writes its image into the flash of "
                       "the cards named by --cards, reads it back and compares."),
        &path, &target, &cards, true);
    if (parsed >= 0)
        return parsed;

    QVariantMap options;
    if (parser.isSet(QStringLiteral("card-type")))
        options = {{QStringLiteral("cardFlag"), 2},
                   {QStringLiteral("receCardType"), parser.value(QStringLiteral("card-type"))}};
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const int checked = facade->checkReceFileHead(path, options);
    const bool forced = checked == ReceFileCardTypeError && parser.isSet(QStringLiteral("force"));
    if (checked != ReceFileNoError && !forced) {
        cli::printError(QStringLiteral("%1 refused: %2%3")
                            .arg(path, ledwall::upgrade::errorName(checked),
                                 checked == ReceFileCardTypeError
                                     ? QStringLiteral(" (--force writes it anyway)")
                                     : QString()));
        return printResult(checked);
    }
    QByteArray file;
    if (!cli::readInputFile(path, ledwall::upgrade::HeaderSize + MaxImageSize, &file))
        return cli::ExitFailed;
    const auto header = ledwall::upgrade::parseHeader(file);
    const QByteArray image = file.mid(ledwall::upgrade::HeaderSize, int(header->flashLength));
    if (forced)
        cli::printError(
            QStringLiteral("%1 is for another card model; written as --force asks").arg(path));

    qint64 ethNum = 0;
    if (cards.isEmpty() && (!cli::requireOptions(parser, {"eth-num"}) ||
                            !cli::optionNumber(parser, QStringLiteral("eth-num"), 1, 78, &ethNum)))
        return cli::ExitUsage;
    cli::FacadeSession session;
    const QString guid = openCardLink(session, target);
    if (guid.isEmpty() || (cards.isEmpty() && !cardsOfPortTable(int(ethNum), &cards)))
        return cli::ExitFailed;
    const bool verify = !parser.isSet(QStringLiteral("no-verify"));
    const auto mode = cli::ProgressReporter::modeFor(parser.isSet(QStringLiteral("quiet")));
    QElapsedTimer clock;
    clock.start();
    QVariantList results;
    QStringList failed;
    for (const cli::firmware::Card &card : qAsConst(cards)) {
        cli::ProgressReporter progress(mode, cardName(card));
        const cli::firmware::UpgradeResult result = cli::firmware::upgradeCard(
            guid, card, header->ltcpAddrData(), image, verify,
            [&progress](qint64 done, qint64 total) { progress.update(done, total); });
        progress.finish();
        results.append(QVariantMap{
            {QStringLiteral("port"), card.port},
            {QStringLiteral("card"), card.card},
            {QStringLiteral("written"), result.written},
            {QStringLiteral("verified"), verify ? QVariant(result.verified) : QVariant()}});
        if (!result.written || (verify && !result.verified)) {
            failed << cardName(card);
            cli::printError(result.error);
        }
    }
    cli::printJson(QVariantMap{{QStringLiteral("cards"), results},
                               {QStringLiteral("seconds"), double(clock.elapsed()) / 1000.0}});
    if (!failed.isEmpty()) {
        cli::printError(
            QStringLiteral("upgrade failed for %1").arg(failed.join(QStringLiteral(", "))));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}

int runRead(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("size"),
                      QStringLiteral("Size of the firmware image in KiB (required)."),
                      QStringLiteral("KIB")});
    addPackageOptions(parser);
    QString out;
    cli::DeviceTarget target;
    QVector<cli::firmware::Card> cards;
    const int parsed = parseCardAction(
        parser, args,
        QStringLiteral("Reads a receiving card's firmware image back and packages it as the "
                       "upgrade file OUT."),
        &out, &target, &cards);
    if (parsed >= 0)
        return parsed;
    qint64 sizeKiB = 0;
    if (!cli::requireOptions(parser, {"size", "card-type", "drive-type", "version"}) ||
        !cli::optionNumber(parser, QStringLiteral("size"), 1, MaxImageSize / 1024, &sizeKiB))
        return cli::ExitUsage;
    if (cards.size() != 1) {
        cli::printError(QStringLiteral("--cards: name one card"));
        return cli::ExitUsage;
    }
    cli::FacadeSession session;
    const QString guid = openCardLink(session, target);
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::ProgressReporter progress(
        cli::ProgressReporter::modeFor(parser.isSet(QStringLiteral("quiet"))),
        cardName(cards.constFirst()));
    QString why;
    const QByteArray image = cli::firmware::readFlash(
        guid, cards.constFirst(), ledwall::registers::FirmwareImage.first, int(sizeKiB * 1024),
        [&progress](qint64 done, qint64 total) { progress.update(done, total); }, &why);
    progress.finish();
    if (image.isEmpty()) {
        cli::printError(why);
        return cli::ExitFailed;
    }
    return packageImage(parser, image, out);
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
    if (action == QLatin1String("upgrade"))
        return runUpgrade(rest);
    if (action == QLatin1String("read"))
        return runRead(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs(
            "usage: ledwall firmware check|info|package|is-mcu|upgrade|read ... (--help on each)\n",
            stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty()
                        ? QStringLiteral("expected check, info, package, is-mcu, upgrade or read")
                        : QStringLiteral("unknown firmware action '%1'").arg(action));
    return cli::ExitUsage;
}
