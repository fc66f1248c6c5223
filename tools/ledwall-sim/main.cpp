// ledwall-sim: the virtual LED wall as a stand-alone program on 127.0.0.1.

#include "foreground.h"
#include "virtualwall.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledwall-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Virtual LED wall: a simulated sending card answering on 127.0.0.1."));
    parser.addHelpOption();
    ledwall::sim::addForegroundOptions(parser);
    ledwall::sim::ForegroundOptions options;
    QString error;
    if (!parser.parse(QCoreApplication::arguments()) ||
        !ledwall::sim::foregroundOptions(parser, &options, &error)) {
        std::fprintf(stderr, "ledwall-sim: %s\n%s",
                     qPrintable(error.isEmpty() ? parser.errorText() : error),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    const int code = ledwall::sim::runInForeground(
        options,
        [](const ledwall::sim::VirtualWall &wall) {
            std::printf("ledwall-sim listening on 127.0.0.1:%u\n", unsigned(wall.port()));
            std::fflush(stdout);
        },
        &error);
    if (code != 0)
        std::fprintf(stderr, "ledwall-sim: %s\n", qPrintable(error));
    return code;
}
