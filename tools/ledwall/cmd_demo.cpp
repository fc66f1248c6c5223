// ledwall demo: the library end to end against the virtual wall.
//
// Starts the virtual wall on an ephemeral loopback port, runs every demo group
// over one link through the facade, prints one line per step, then "demo: OK"
// (exit 0) or "demo: FAILED <step>" (exit 1).

#include "cli.h"
#include "cliutil.h"
#include "demo.h"

#include <QLoggingCategory>

#include <cstdio>

namespace demo
{
namespace
{

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int runDemo()
{
    ledwall::sim::VirtualWall wall;
    if (!wall.start()) {
        fail(QStringLiteral("start-wall"), QStringLiteral("cannot bind a loopback port"));
        return cli::ExitFailed;
    }
    stepOk(QStringLiteral("start-wall"), QStringLiteral("127.0.0.1:%1").arg(wall.port()));

    cli::FacadeSession session;
    Context context{wall, session, QString()};
    for (const Group &group : demoGroups()) {
        if (!group.run(context))
            return cli::ExitFailed;
    }
    printLine(QStringLiteral("demo: OK"));
    return cli::ExitOk;
}

} // namespace

void stepOk(const QString &step, const QString &detail)
{
    printLine(QStringLiteral("demo: %1 ... ok%2")
                  .arg(step, detail.isEmpty() ? QString()
                                              : QLatin1String(" (") + detail + QLatin1Char(')')));
}

bool fail(const QString &step, const QString &why)
{
    printLine(QStringLiteral("demo: %1 ... %2").arg(step, why));
    printLine(QStringLiteral("demo: FAILED %1").arg(step));
    return false;
}

} // namespace demo

int runDemoCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Runs the virtual LED wall on 127.0.0.1 and drives it through the library, "
                       "one group of steps per capability. Prints one line per step and "
                       "\"demo: OK\" or \"demo: FAILED <step>\"."));
    if (parsed >= 0)
        return parsed;
    if (!cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return demo::runDemo();
}
