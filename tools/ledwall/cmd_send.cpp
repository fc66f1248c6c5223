// ledwall send: one module data map to a device, the replies as JSON lines.
//
//     ledwall send (--port N [--host A] | --usb | --serial NAME [--baud B]) [--wait MS] MAP.json
//
// Opens a link to the device through the library's facade, fills in the map's
// "guid", appends the map to the command pipeline and prints every reply and
// time-out the facade reports within the wait, one compact JSON line each:
//     {"map":{...},"signal":"sig_devicesModuleData"}
//     {"map":{...},"signal":"sig_timeoutCmd"}
// Exit 0 when at least one reply came, 1 when none did (or the link or the file
// failed), 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "facadesession.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace
{

// The map in a JSON file; false (and a message) when it is not one JSON object.
bool readModuleMap(const QString &path, QVariantMap *map)
{
    // A module data map is a handful of keys; a megabyte is far beyond any.
    constexpr qint64 MaxMapFileSize = 1024 * 1024;
    if (!cli::readJsonObjectFile(path, MaxMapFileSize, map))
        return false;
    if (map->value(QStringLiteral("moduleName")).toString().isEmpty()) {
        cli::printError(QStringLiteral("%1 has no \"moduleName\"").arg(path));
        return false;
    }
    return true;
}

} // namespace

int runSendCommand(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("wait"), QStringLiteral("How long to collect replies, in ms."),
                      QStringLiteral("MS"), QStringLiteral("1000")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    parser.addPositionalArgument(QStringLiteral("MAP.json"),
                                 QStringLiteral("The module data map (a JSON object)."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral(
            "Sends one module data map to the device (--host:--port, --usb or --serial) through "
            "the library "
            "and prints the replies and time-outs that arrive within --wait ms as JSON lines."));
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one MAP.json file"));
        return cli::ExitUsage;
    }
    cli::DeviceTarget target;
    qint64 waitMs = 0;
    if (!cli::deviceTarget(parser, &target) ||
        !cli::optionNumber(parser, QStringLiteral("wait"), 0, 600000, &waitMs))
        return cli::ExitUsage;

    QVariantMap map;
    if (!readModuleMap(parser.positionalArguments().constFirst(), &map))
        return cli::ExitFailed;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    cli::FacadeSession session([](const QString &signal, const QVariantMap &reported) {
        cli::printJson(
            QVariantMap{{QStringLiteral("signal"), signal}, {QStringLiteral("map"), reported}},
            cli::Compact);
    });
    const QString guid = session.openOrReport(target, QStringLiteral("send"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    map.insert(QStringLiteral("guid"), guid);
    session.append(map);
    cli::waitUntil([] { return false; }, int(waitMs));
    if (session.replies.isEmpty()) {
        cli::printError(QStringLiteral("no reply within %1 ms").arg(waitMs));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}
