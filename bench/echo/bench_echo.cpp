// Echo video speed.
//
// Reassembly: the datagrams of one second of a 1080p60 stream on two channels
// (an I-frame of 200 kB and P-frames of 20 to 30 kB per channel, 1400-byte
// payloads, about 2300 datagrams) fed to the pure frame reassembly, beside a plain
// copy of the same payloads into per-frame buffers in the same run.
//
// End to end: the virtual wall streams 250 frames per channel of its clip with no
// pacing over loopback to the echo manager, which reassembles and decodes them:
// frames received and lost per second until the last datagram, frames decoded per
// second until the players are idle.
//
// Decoding: the 75 pictures of the echo clip's first channel through AVPlayer
// (queue, decoding thread, conversion to QImage) beside libavcodec alone (decode
// only) in the same run.
//
//   build/bin/bench_echo --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "echoclip.h"
#include "echodatagram.h"
#include "echoframeassembler.h"

#include "avplayer.h"
#include "bll_businesslogic_echomanagement.h"
#include "virtualwall.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRandomGenerator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace
{

constexpr int PayloadSize = 1400;

const QVector<QByteArray> &streamSecond()
{
    static const QVector<QByteArray> datagrams = [] {
        QVector<QByteArray> all;
        QRandomGenerator random(60);
        for (int frame = 0; frame < 60; ++frame) {
            for (quint8 channel = 0; channel < 2; ++channel) {
                QByteArray data(frame == 0 ? 200000 : 20000 + random.bounded(10000), '\0');
                for (char &byte : data)
                    byte = char(random.generate());
                all += ledwall::echo::frameDatagrams(channel, quint16(frame), data, PayloadSize);
            }
        }
        return all;
    }();
    return datagrams;
}

void BM_PlainCopyBaseline(benchmark::State &state)
{
    const QVector<QByteArray> &datagrams = streamSecond();
    for (auto _ : state) {
        QByteArray frame;
        for (const QByteArray &datagram : datagrams) {
            if (datagram.at(6) == 'b') {
                benchmark::DoNotOptimize(frame.constData());
                frame = QByteArray();
            }
            frame.append(datagram.constData() + ledwall::echo::HeaderLength,
                         datagram.size() - ledwall::echo::HeaderLength);
        }
        benchmark::DoNotOptimize(frame.constData());
    }
    state.SetItemsProcessed(state.iterations() * datagrams.size());
}

void BM_Reassembly(benchmark::State &state)
{
    const QVector<QByteArray> &datagrams = streamSecond();
    ledwall::echo::EchoFrameAssembler assembler;
    for (auto _ : state) {
        for (const QByteArray &datagram : datagrams) {
            const auto frame = assembler.feed(datagram);
            benchmark::DoNotOptimize(frame);
        }
    }
    state.SetItemsProcessed(state.iterations() * datagrams.size());
    state.counters["frames"] = double(assembler.counters().framesCompleted);
}

void BM_LibavcodecAlone(benchmark::State &state)
{
    av_log_set_level(AV_LOG_QUIET);
    const QVector<QByteArray> &units = ledwall::echoclip::accessUnits().value(0);
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    for (auto _ : state) {
        AVCodecContext *context = avcodec_alloc_context3(codec);
        context->flags |= AV_CODEC_FLAG_LOW_DELAY;
        avcodec_open2(context, codec, nullptr);
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        for (const QByteArray &unit : units) {
            av_new_packet(packet, unit.size());
            memcpy(packet->data, unit.constData(), size_t(unit.size()));
            avcodec_send_packet(context, packet);
            av_packet_unref(packet);
            while (avcodec_receive_frame(context, frame) >= 0)
                av_frame_unref(frame);
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
    state.SetItemsProcessed(state.iterations() * units.size());
}

void BM_AVPlayer(benchmark::State &state)
{
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    const QVector<QByteArray> &units = ledwall::echoclip::accessUnits().value(0);
    int decoded = 0;
    for (auto _ : state) {
        AVPlayer player;
        player.setQueueLength(units.size());
        for (const QByteArray &unit : units)
            player.putH264ArraryData(unit);
        player.waitUntilIdle(60000);
        decoded += player.framesDecoded();
    }
    state.SetItemsProcessed(state.iterations() * units.size());
    state.counters["decodedPerRun"] = double(decoded) / double(state.iterations());
}

void BM_EndToEndLoopback(benchmark::State &state)
{
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    static int argc = 1;
    static char name[] = "bench_echo";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    constexpr int Frames = 250;
    const QString slot = QStringLiteral("1");
    double received = 0, lost = 0, decoded = 0, receiveSeconds = 0, decodeSeconds = 0;
    for (auto _ : state) {
        ledwall::sim::VirtualWall wall;
        wall.echoSettings().frameIntervalMs = 0;
        wall.echoSettings().framesPerRequest = Frames;
        wall.echoSettings().payloadSize = PayloadSize;
        wall.start();
        BLL_BusinessLogic_EchoManagement echo;
        QList<AVPlayer *> players;
        QObject::connect(&echo, &BLL_BusinessLogic_EchoManagement::sig_playerCreated,
                         [&players](QString, QString, AVPlayer *player) {
                             player->setQueueLength(Frames);
                             players.append(player);
                         });
        QElapsedTimer clock;
        clock.start();
        echo.openFrameThread(slot, QStringLiteral("127.0.0.1"), wall.port());
        // Until every frame is in, or no datagram has come for 300 ms.
        qint64 lastChange = 0;
        QVariant lastDatagrams;
        const auto framesIn = [&] {
            int frames = 0;
            for (const QVariant &channel :
                 echo.echoStatistics(slot).value(QStringLiteral("channels")).toMap())
                frames += channel.toMap().value(QStringLiteral("frames")).toInt();
            return frames;
        };
        while (framesIn() < 2 * Frames && clock.elapsed() - lastChange < 300) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            const QVariant datagrams = echo.echoStatistics(slot).value(QStringLiteral("datagrams"));
            if (datagrams != lastDatagrams) {
                lastDatagrams = datagrams;
                lastChange = clock.elapsed();
            }
        }
        QCoreApplication::processEvents();
        for (AVPlayer *player : players)
            player->waitUntilIdle(60000);
        receiveSeconds += lastChange / 1000.0;
        decodeSeconds +=
            qMax(lastChange, clock.elapsed() - (framesIn() < 2 * Frames ? 300 : 0)) / 1000.0;
        const QVariantMap channels =
            echo.echoStatistics(slot).value(QStringLiteral("channels")).toMap();
        for (const QVariant &channel : channels) {
            const QVariantMap counts = channel.toMap();
            received += counts.value(QStringLiteral("frames")).toDouble();
            lost += Frames - counts.value(QStringLiteral("frames")).toDouble();
            decoded += counts.value(QStringLiteral("decoded")).toDouble();
        }
        echo.closeFrameThread(QString());
    }
    state.counters["received/s"] = received / receiveSeconds;
    state.counters["lost/s"] = lost / receiveSeconds;
    state.counters["decoded/s"] = decoded / decodeSeconds;
}

} // namespace

BENCHMARK(BM_EndToEndLoopback)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PlainCopyBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Reassembly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibavcodecAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AVPlayer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
