// ledwall echo: the video a processor echoes back.
//
//     ledwall echo --port N [--host A] --slot S [--frames K] [--out DIR] [--timeout MS]
//     ledwall echo reassemble CAPTURE
//
// The first asks the processor at --host:--port for its echo stream through the
// library's echo manager, receives K frames per channel, decodes them (PNG files
// ch<channel>-NNNNN.png in DIR with --out) and prints
//     {"channels": {"0": {"frames", "lost", "decoded", "fps"}, ...}}
// Exit 0 when every channel delivered K frames and each decoded some, 1 otherwise
// (also when the processor does not stream echo video), 2 on bad usage.
//
// reassemble feeds a capture (4-byte big-endian length, then the datagram, per
// record) through the frame reassembly and prints one compact JSON line per
// completed frame: {"channel": c, "bytes": n, "sha256": "<hex>"}, then a summary
// on stderr. Exit 1 when the capture is unreadable or damaged.

#include "cli.h"
#include "cliutil.h"
#include "echoflow.h"

#include "echocapture.h"
#include "echoframeassembler.h"

#include <QCryptographicHash>
#include <QDir>
#include <QHostAddress>
#include <QLoggingCategory>

#include <cstdio>

namespace
{

// A capture of a few minutes of 1080p video; larger files are refused.
constexpr qint64 MaxCaptureSize = qint64(1) << 30;

int runReassemble(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("CAPTURE"),
                                 QStringLiteral("Length-prefixed datagrams (\"-\": stdin)."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Reassembles the echo frames of a capture of length-prefixed datagrams "
                       "and prints one JSON line per completed frame."));
    if (parsed >= 0)
        return parsed;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one CAPTURE file"));
        return cli::ExitUsage;
    }
    QByteArray capture;
    if (!cli::readInputFile(parser.positionalArguments().constFirst(), MaxCaptureSize, &capture))
        return cli::ExitFailed;
    QVector<QByteArray> datagrams;
    QString error;
    const bool whole = ledwall::echo::splitCapture(capture, &datagrams, &error);
    capture.clear();
    ledwall::echo::EchoFrameAssembler assembler;
    for (const QByteArray &datagram : std::as_const(datagrams)) {
        if (const auto frame = assembler.feed(datagram)) {
            cli::printJson(
                QVariantMap{{QStringLiteral("channel"), frame->channel},
                            {QStringLiteral("bytes"), frame->data.size()},
                            {QStringLiteral("sha256"),
                             QString::fromLatin1(
                                 QCryptographicHash::hash(frame->data, QCryptographicHash::Sha256)
                                     .toHex())}},
                cli::Compact);
        }
    }
    const auto &counts = assembler.counters();
    std::fprintf(stderr,
                 "ledwall: %lld datagrams, %llu frames, %llu refused, %llu duplicate parts, "
                 "%llu frames evicted, %d unfinished\n",
                 qint64(datagrams.size()), qulonglong(counts.framesCompleted),
                 qulonglong(counts.refused), qulonglong(counts.duplicates),
                 qulonglong(counts.framesEvicted + counts.framesOversized),
                 assembler.unfinishedFrames());
    if (!whole) {
        cli::printError(QStringLiteral("capture damaged: %1").arg(error));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}

int runReceive(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("UDP port of the processor (required)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("host"), QStringLiteral("IPv4 address of the processor."),
                      QStringLiteral("A"), QStringLiteral("127.0.0.1")});
    parser.addOption({QStringLiteral("slot"),
                      QStringLiteral("Slot key of the receiver (required)."), QStringLiteral("S")});
    parser.addOption({QStringLiteral("frames"), QStringLiteral("Frames to receive per channel."),
                      QStringLiteral("K"), QStringLiteral("25")});
    parser.addOption({QStringLiteral("out"),
                      QStringLiteral("Directory for the decoded pictures (PNG)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("timeout"),
                      QStringLiteral("How long to wait for the frames, in ms."),
                      QStringLiteral("MS"), QStringLiteral("10000")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Asks a processor for its echo video, receives and decodes --frames "
                       "frames per channel and prints per channel the frames received, lost "
                       "and decoded and the frame rate. \"ledwall echo reassemble CAPTURE\" "
                       "reassembles recorded datagrams."));
    if (parsed >= 0)
        return parsed;
    if (!cli::noPositionalArguments(parser) || !cli::requireOptions(parser, {"port", "slot"}))
        return cli::ExitUsage;
    qint64 port = 0, frames = 0, timeoutMs = 0;
    if (!cli::optionNumber(parser, QStringLiteral("port"), 1, 65535, &port) ||
        !cli::optionNumber(parser, QStringLiteral("frames"), 1, 100000, &frames) ||
        !cli::optionNumber(parser, QStringLiteral("timeout"), 1, 3600000, &timeoutMs))
        return cli::ExitUsage;
    const QHostAddress address(parser.value(QStringLiteral("host")));
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        cli::printError(QStringLiteral("--host '%1' is not an IPv4 address")
                            .arg(parser.value(QStringLiteral("host"))));
        return cli::ExitUsage;
    }
    const QString out = parser.value(QStringLiteral("out"));
    if (!out.isEmpty() && !QDir().mkpath(out)) {
        cli::printError(QStringLiteral("cannot create %1").arg(out));
        return cli::ExitFailed;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    BLL_BusinessLogic_EchoManagement &echo =
        BLL_BusinessLogic_Desktop::instance()->echoManagement();
    const cli::EchoRun run =
        cli::receiveEcho(echo, parser.value(QStringLiteral("slot")), address.toString(),
                         quint16(port), int(frames), out, int(timeoutMs));
    cli::printJson(QVariantMap{{QStringLiteral("channels"), run.channels}});
    bool decoded = !run.channels.isEmpty();
    for (const QVariant &channel : run.channels)
        decoded = decoded && channel.toMap().value(QStringLiteral("decoded")).toInt() > 0;
    if (!run.error.isEmpty())
        cli::printError(run.error);
    else if (!decoded)
        cli::printError(QStringLiteral("a channel decoded no picture"));
    return run.complete && decoded ? cli::ExitOk : cli::ExitFailed;
}

} // namespace

int runEchoCommand(const QStringList &args)
{
    if (args.value(1) == QLatin1String("reassemble"))
        return runReassemble(QStringList{QStringLiteral("echo reassemble")} + args.mid(2));
    return runReceive(args);
}
