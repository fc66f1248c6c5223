// ledwall server: the library's server bridge in the foreground.
//
//     ledwall server [--listen ADDRESS:PORT] [--idle-timeout MS]
//
// Starts the bridge (default 127.0.0.1:16619; port 0 picks a free one), prints
// {"address", "port"} once it listens, then one compact JSON line per report the
// facade makes for its clients ({"signal": "sig_serverRecv" | "sig_recvCalibData" |
// "sig_getScreenBoxWh", "map": {...}}) until SIGINT or SIGTERM. Exit 1 when it
// cannot listen, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "bll_businesslogic_desktop.h"
#include "bll_communicationserver_desktop.h"
#include "foreground.h"

#include <QHostAddress>
#include <QLoggingCategory>

namespace
{
bool listenOption(const QString &text, QHostAddress *address, quint16 *port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (colon < 1 || !ok || number > 65535 || !address->setAddress(text.left(colon)) ||
        address->protocol() != QAbstractSocket::IPv4Protocol) {
        cli::printError(
            QStringLiteral("--listen '%1' is not an IPv4 ADDRESS:PORT (e.g. 127.0.0.1:16619)")
                .arg(text));
        return false;
    }
    *port = quint16(number);
    return true;
}
} // namespace

int runServerCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("listen"),
                      QStringLiteral("Address and port to listen on (default 127.0.0.1:16619)."),
                      QStringLiteral("ADDRESS:PORT"), QStringLiteral("127.0.0.1:16619")});
    parser.addOption({QStringLiteral("idle-timeout"),
                      QStringLiteral("Disconnect clients silent for MS milliseconds (0 = never)."),
                      QStringLiteral("MS"),
                      QString::number(BLL_CommunicationServer_Desktop::DefaultIdleTimeoutMs)});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Runs the server bridge for remote tools until interrupted and prints "
                       "what its clients send as JSON lines."));
    if (parsed >= 0)
        return parsed;
    QHostAddress address;
    quint16 port = 0;
    qint64 idleMs = 0;
    if (!cli::noPositionalArguments(parser) ||
        !listenOption(parser.value(QStringLiteral("listen")), &address, &port) ||
        !cli::optionNumber(parser, QStringLiteral("idle-timeout"), 0, 86400000, &idleMs))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    QObject context;
    const auto report = [&context, facade](void (BLL_BusinessLogic_Desktop::*signal)(QVariantMap),
                                           const char *name) {
        QObject::connect(facade, signal, &context, [name](QVariantMap map) {
            cli::printJson(QVariantMap{{QStringLiteral("signal"), QLatin1String(name)},
                                       {QStringLiteral("map"), map}},
                           cli::Compact);
        });
    };
    report(&BLL_BusinessLogic_Desktop::sig_serverRecv, "sig_serverRecv");
    report(&BLL_BusinessLogic_Desktop::sig_recvCalibData, "sig_recvCalibData");
    report(&BLL_BusinessLogic_Desktop::sig_getScreenBoxWh, "sig_getScreenBoxWh");

    return ledwall::sim::runUntilTerminated([&] {
        const bool listening = facade->startListenServer(address, port);
        // Set before the event loop runs, so it applies to every client.
        BLL_CommunicationServer_Desktop *server = facade->listenServer();
        server->setIdleTimeout(int(idleMs));
        if (!listening) {
            cli::printError(
                QStringLiteral("cannot listen on %1:%2").arg(address.toString()).arg(port));
            return false;
        }
        cli::printJson(QVariantMap{{QStringLiteral("address"), server->serverAddress().toString()},
                                   {QStringLiteral("port"), server->serverPort()}},
                       cli::Compact);
        return true;
    });
}
