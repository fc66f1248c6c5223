// ledwall demo: one round trip through the library against the virtual wall.
//
// Starts the virtual wall on an ephemeral loopback port, opens a direct network
// link through the facade, writes a block of sending-card registers, reads it
// back, compares, and provokes one time-out. One line per step on stdout, then
// "demo: OK" (exit 0) or "demo: FAILED <step>" (exit 1).

#include "cli.h"
#include "cliutil.h"

#if __has_include("bll_businesslogic_desktop.h")
#define LEDWALL_CLI_HAS_FACADE 1
#include "facadesession.h"
#include "virtualwall.h"
#endif

#include <QLoggingCategory>

#include <cstdio>

namespace
{

#ifdef LEDWALL_CLI_HAS_FACADE

constexpr quint32 BlockAddress = 0x80000;
constexpr int BlockSize = 64;
constexpr quint32 SilentAddress = 0x90000;
constexpr int StepTimeoutMs = 3000;

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int stepOk(const QString &step, const QString &detail = QString())
{
    printLine(QStringLiteral("demo: %1 ... ok%2")
                  .arg(step, detail.isEmpty() ? QString()
                                              : QLatin1String(" (") + detail + QLatin1Char(')')));
    return -1;
}

int failed(const QString &step, const QString &why)
{
    printLine(QStringLiteral("demo: %1 ... %2").arg(step, why));
    printLine(QStringLiteral("demo: FAILED %1").arg(step));
    return cli::ExitFailed;
}

// A recognisable block: neighbouring bytes differ and none is zero.
QByteArray demoBlock()
{
    QByteArray block(BlockSize, '\0');
    for (int i = 0; i < BlockSize; ++i)
        block[i] = char(0x11 + i * 3);
    return block;
}

QVariantMap registerCommand(const QString &moduleName, const QString &guid, quint32 address,
                            int timeoutMs)
{
    return {{QStringLiteral("moduleName"), moduleName},
            {QStringLiteral("sendCardFlag"), 1},
            {QStringLiteral("guid"), guid},
            {QStringLiteral("m_regAddr"), address},
            {QStringLiteral("timeout"), timeoutMs}};
}

int runDemo()
{
    ledwall::sim::VirtualWall wall;
    if (!wall.start())
        return failed(QStringLiteral("start-wall"), QStringLiteral("cannot bind a loopback port"));
    stepOk(QStringLiteral("start-wall"), QStringLiteral("127.0.0.1:%1").arg(wall.port()));

    cli::FacadeSession session;
    const QString guid =
        session.open(QStringLiteral("127.0.0.1"), wall.port(), QStringLiteral("demo"));
    if (guid.isEmpty())
        return failed(QStringLiteral("connect"), QStringLiteral("no device announced"));
    stepOk(QStringLiteral("connect"), QStringLiteral("guid %1").arg(guid));

    const QByteArray block = demoBlock();
    QVariantMap write =
        registerCommand(QStringLiteral("Module_WriteSendCardRegister"), guid, BlockAddress, 1000);
    write.insert(QStringLiteral("regData"), block);
    session.append(write);
    const QVariantMap ack = session.waitForReply(QStringLiteral("Module_WriteSendCardRegister"),
                                                 BlockAddress, StepTimeoutMs);
    if (ack.isEmpty())
        return failed(QStringLiteral("write"), QStringLiteral("no acknowledgement"));
    if (!ack.value(QStringLiteral("result")).toBool())
        return failed(QStringLiteral("write"), QStringLiteral("refused by the card"));
    stepOk(QStringLiteral("write"),
           QStringLiteral("%1 bytes at 0x%2").arg(BlockSize).arg(BlockAddress, 0, 16));

    QVariantMap read =
        registerCommand(QStringLiteral("Module_ReadSendCardRegister"), guid, BlockAddress, 1000);
    read.insert(QStringLiteral("readLength"), BlockSize);
    session.append(read);
    const QVariantMap reply = session.waitForReply(QStringLiteral("Module_SendCardFlashInfo"),
                                                   BlockAddress, StepTimeoutMs);
    if (reply.isEmpty())
        return failed(QStringLiteral("read-back"), QStringLiteral("no reply"));
    stepOk(QStringLiteral("read-back"));

    const QByteArray readBack = reply.value(QStringLiteral("regData")).toByteArray();
    if (readBack != block)
        return failed(QStringLiteral("compare"), QStringLiteral("read %1 differs from written %2")
                                                     .arg(QString::fromLatin1(readBack.toHex()),
                                                          QString::fromLatin1(block.toHex())));
    stepOk(QStringLiteral("compare"), QStringLiteral("%1 bytes equal").arg(BlockSize));

    wall.setSilentAddresses({SilentAddress});
    QVariantMap silentRead =
        registerCommand(QStringLiteral("Module_ReadSendCardRegister"), guid, SilentAddress, 300);
    silentRead.insert(QStringLiteral("readLength"), 4);
    session.append(silentRead);
    const QVariantMap timeout = session.waitForTimeout(SilentAddress, StepTimeoutMs);
    wall.clearFaults();
    if (timeout.isEmpty())
        return failed(QStringLiteral("timeout"),
                      QStringLiteral("no sig_timeoutCmd for the silent address"));
    stepOk(QStringLiteral("timeout"),
           QStringLiteral("sig_timeoutCmd m_reg 0x%1").arg(SilentAddress, 0, 16));

    printLine(QStringLiteral("demo: OK"));
    return cli::ExitOk;
}

#endif

} // namespace

int runDemoCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Runs the virtual LED wall on 127.0.0.1 and drives it through the library: "
                       "connect, write registers, read them back, provoke a time-out. Prints one "
                       "line per step and \"demo: OK\" or \"demo: FAILED <step>\"."));
    if (parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty()) {
        cli::printError(QStringLiteral("unexpected argument '%1'")
                            .arg(parser.positionalArguments().constFirst()));
        return cli::ExitUsage;
    }
#ifdef LEDWALL_CLI_HAS_FACADE
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return runDemo();
#else
    cli::printError(QStringLiteral("this build of ledwall has no business-logic library"));
    return cli::ExitFailed;
#endif
}
