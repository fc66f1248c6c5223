// ledwall sim: the virtual LED wall in the foreground.

#include "cli.h"
#include "cliutil.h"

#include "foreground.h"
#include "virtualwall.h"

#include <cstdio>

int runSimCommand(const QStringList &args)
{
    QCommandLineParser parser;
    ledwall::sim::addForegroundOptions(parser);
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Runs the virtual LED wall on 127.0.0.1 until interrupted. Prints "
                       "{\"address\", \"port\"} on stdout once it answers."));
    if (parsed >= 0)
        return parsed;
    ledwall::sim::ForegroundOptions options;
    QString error;
    if (!ledwall::sim::foregroundOptions(parser, &options, &error)) {
        cli::printError(error);
        return cli::ExitUsage;
    }

    const int code = ledwall::sim::runInForeground(
        options,
        [](const ledwall::sim::VirtualWall &wall) {
            std::fprintf(stderr, "ledwall-sim listening on 127.0.0.1:%u\n", unsigned(wall.port()));
            std::fflush(stderr);
            cli::printJson(QVariantMap{{QStringLiteral("address"), QStringLiteral("127.0.0.1")},
                                       {QStringLiteral("port"), wall.port()}},
                           cli::Compact);
        },
        &error);
    if (code != 0) {
        cli::printError(error);
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}
