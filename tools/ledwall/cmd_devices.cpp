// ledwall devices: the controllers that can be reached from here.
//
//     ledwall devices --port N [--timeout MS] [--interface NAME] [--kinds LIST]
//
// A network search through the facade (searchDevices: a discovery request to the
// broadcast address of the chosen interface, port N), the USB controllers and the
// serial ports, as one JSON array:
//     [{"guid", "kind", "name", "model", "serial", "address", "port"}, ...]

#include "cli.h"
#include "cliutil.h"
#include "facadesession.h"

#include "localaddress.h"

#include <QLoggingCategory>

namespace
{

const QStringList AllKinds = {QStringLiteral("network"), QStringLiteral("usb"),
                              QStringLiteral("serial")};

// The interfaces to search on: the system's, one of them by name, or "loopback" (a
// stand-in whose broadcast address is 127.0.0.1, for trying it out on this machine).
bool searchInterfaces(const QString &name, ledwall::NetworkInterfaceList *interfaces)
{
    if (name == QLatin1String("loopback")) {
        *interfaces = ledwall::loopbackSearchInterfaces();
        return true;
    }
    const ledwall::NetworkInterfaceList system = ledwall::systemNetworkInterfaces();
    if (name.isEmpty()) {
        *interfaces = system;
        return true;
    }
    QStringList names{QStringLiteral("loopback")};
    for (const ledwall::NetworkInterfaceInfo &interface : system) {
        if (interface.name == name) {
            *interfaces = {interface};
            return true;
        }
        names << interface.name;
    }
    cli::printError(QStringLiteral("no interface '%1'; there are: %2")
                        .arg(name, names.join(QStringLiteral(", "))));
    return false;
}

QVariantMap device(const QString &guid, const QString &kind, const QVariantMap &fields)
{
    QVariantMap map{{QStringLiteral("guid"), guid},
                    {QStringLiteral("kind"), kind},
                    {QStringLiteral("name"), QString()},
                    {QStringLiteral("model"), QString()},
                    {QStringLiteral("serial"), QString()},
                    {QStringLiteral("address"), QString()},
                    {QStringLiteral("port"), 0}};
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

// The controllers that answered a search within timeoutMs, once each; false when
// the search could not be sent.
bool searchNetwork(quint16 port, int timeoutMs, QVariantList *found)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    QObject context;
    QString searchGuid;
    QSet<QString> seen;
    QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_newDevices, &context,
                     [&](QString guid, QString type) {
                         if (type == QLatin1String("SearchDevice"))
                             searchGuid = guid;
                     });
    QObject::connect(
        facade, &BLL_BusinessLogic_Desktop::sig_TalkToUI, &context, [&](QVariantMap status) {
            if (status.value(QStringLiteral("event")) != QLatin1String("deviceFound") ||
                status.value(QStringLiteral("guid")).toString() != searchGuid)
                return;
            const QString address = status.value(QStringLiteral("address")).toString();
            const QString where =
                address + QLatin1Char(':') + status.value(QStringLiteral("port")).toString();
            if (seen.contains(where))
                return;
            seen.insert(where);
            QVariantMap fields;
            for (const char *key : {"name", "model", "serial", "address", "port"})
                fields.insert(QLatin1String(key), status.value(QLatin1String(key)));
            found->append(device(searchGuid, QStringLiteral("network"), fields));
        });
    const QString broadcast = facade->getLocalAddress();
    if (broadcast.isEmpty()) {
        cli::printError(
            QStringLiteral("no interface that can broadcast; name one with --interface"));
        return false;
    }
    facade->searchDevices(QString(), port);
    if (searchGuid.isEmpty()) {
        cli::printError(QStringLiteral("cannot send the search to %1:%2").arg(broadcast).arg(port));
        return false;
    }
    cli::waitUntil([] { return false; }, timeoutMs);
    facade->releaseCommunicateObject(searchGuid);
    return true;
}

// The USB controllers and serial ports the facade lists ("a:b:c").
void listLinks(bool usb, bool serial, QVariantList *found)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    QObject context;
    QObject::connect(
        facade, &BLL_BusinessLogic_Desktop::sig_usbSerialNumber, &context, [&](QString joined) {
            for (const QString &number : joined.split(QLatin1Char(':'), Qt::SkipEmptyParts))
                found->append(device(
                    {}, QStringLiteral("usb"),
                    {{QStringLiteral("serial"), number}, {QStringLiteral("address"), number}}));
        });
    QObject::connect(
        facade, &BLL_BusinessLogic_Desktop::sig_comPort, &context, [&](QString joined) {
            for (const QString &name : joined.split(QLatin1Char(':'), Qt::SkipEmptyParts))
                found->append(
                    device({}, QStringLiteral("serial"),
                           {{QStringLiteral("name"), name}, {QStringLiteral("address"), name}}));
        });
    if (usb)
        facade->getUSBSerialNumber();
    if (serial)
        facade->getComPort();
}

} // namespace

int runDevicesCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("UDP port the controllers listen on (network search)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("timeout"),
                      QStringLiteral("How long to collect answers to the search, in ms."),
                      QStringLiteral("MS"), QStringLiteral("1000")});
    parser.addOption({QStringLiteral("interface"),
                      QStringLiteral("Search on this interface only (\"loopback\": on this "
                                     "machine)."),
                      QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("kinds"),
                      QStringLiteral("What to list: network, usb, serial (comma-separated)."),
                      QStringLiteral("LIST"), AllKinds.join(QLatin1Char(','))});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Lists the controllers that can be reached: those that answer a network "
                       "search, the USB controllers and the serial ports, as one JSON array."));
    if (parsed >= 0)
        return parsed;
    if (!cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    const QStringList kinds =
        parser.value(QStringLiteral("kinds")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &kind : kinds) {
        if (!AllKinds.contains(kind)) {
            cli::printError(QStringLiteral("--kinds: unknown kind '%1'").arg(kind));
            return cli::ExitUsage;
        }
    }
    const bool network = kinds.contains(QStringLiteral("network"));
    qint64 port = 0;
    qint64 timeoutMs = 0;
    if (network && !cli::requireOptions(parser, {"port"}))
        return cli::ExitUsage;
    if ((network && !cli::optionNumber(parser, QStringLiteral("port"), 1, 65535, &port)) ||
        !cli::optionNumber(parser, QStringLiteral("timeout"), 0, 600000, &timeoutMs))
        return cli::ExitUsage;
    ledwall::NetworkInterfaceList interfaces;
    if (!searchInterfaces(parser.value(QStringLiteral("interface")), &interfaces))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    facade->setNetworkInterfaceProvider([interfaces] { return interfaces; });
    QVariantList found;
    const bool searched = !network || searchNetwork(quint16(port), int(timeoutMs), &found);
    listLinks(kinds.contains(QStringLiteral("usb")), kinds.contains(QStringLiteral("serial")),
              &found);
    facade->clearData(); // joins the pipeline's threads
    cli::printJson(found);
    if (!searched)
        return cli::ExitFailed;
    if (found.isEmpty()) {
        cli::printError(QStringLiteral("no device found"));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}
