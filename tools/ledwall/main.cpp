// ledwall: command-line access to LED walls and to the virtual wall.

#include "cli.h"
#include "cliutil.h"

#include <QCoreApplication>

#include <cstdio>

namespace
{

QString usage()
{
    QString text = QStringLiteral("Usage: ledwall <command> [options]\n"
                                  "       ledwall --help | --version\n"
                                  "       ledwall <command> --help\n\nCommands:\n");
    int width = 0;
    for (const CliCommand &command : cliCommands())
        width = qMax(width, int(qstrlen(command.name)));
    for (const CliCommand &command : cliCommands())
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(command.name).leftJustified(width),
                         QString::fromUtf8(command.summary));
    text +=
        QStringLiteral("\nResults are JSON on stdout, messages go to stderr. Exit status: 0 ok, "
                       "1 failed, 2 bad usage.\n");
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    // Commands that will need images or fonts switch this to QGuiApplication.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledwall"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDWALL_CLI_VERSION));

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fputs(qPrintable(usage()), stderr);
        return cli::ExitUsage;
    }
    const QString first = arguments.at(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        std::fputs(qPrintable(usage()), stdout);
        return cli::ExitOk;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        std::printf("ledwall %s\n", LEDWALL_CLI_VERSION);
        return cli::ExitOk;
    }
    for (const CliCommand &command : cliCommands()) {
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    cli::printError(QStringLiteral("unknown command '%1'").arg(first));
    std::fputs(qPrintable(usage()), stderr);
    return cli::ExitUsage;
}
