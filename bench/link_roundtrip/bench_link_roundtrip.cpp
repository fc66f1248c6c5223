// Register reads through the link manager to a device on loopback and back,
// against raw UDP echo round trips to the same device measured in the same run.
//
//   bench_link_roundtrip --benchmark_counters_tabular=true
//
// BM_RawEcho          one datagram at a time over a bare QUdpSocket (the baseline)
// BM_LinkBusyQueue    a batch of frames pushed at once: throughput with a full
//                     window; latency counted from push (queueing included)
// BM_LinkOneInFlight  push, wait for the reply, push the next: link overhead
#include "armframe.h"
#include "bll_communicationmain_desktop.h"
#include "module_sendcard_protocol.h"

#ifdef LEDWALL_BENCH_VIRTUAL_WALL
#include "virtualwall.h"
#else
#include "loopbackresponder.h"
#endif

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace
{

constexpr quint32 RegisterAddress = 0x2000;
constexpr int BatchSize = 2000;

#ifdef LEDWALL_BENCH_VIRTUAL_WALL
struct Device {
    ledwall::sim::VirtualWall wall;
    bool start() { return wall.start(); }
    quint16 port() const { return wall.port(); }
};
#else
struct Device {
    LoopbackResponder responder;
    bool start() { return responder.start(); }
    quint16 port() const { return responder.port(); }
};
#endif

Device *g_device = nullptr;
double g_rawEchoRate = 0;

Module_SendCard_Protocol registerRead()
{
    Module_SendCard_Protocol frame;
    frame.m_head[2] = char(ledwall::arm::ReadOperation);
    ledwall::arm::setAddress(frame.m_head, RegisterAddress);
    ledwall::arm::setLength(frame.m_head, 4);
    frame.m_timeout = 2000;
    return frame;
}

void setPercentiles(benchmark::State &state, std::vector<double> &latenciesUs)
{
    if (latenciesUs.empty())
        return;
    std::sort(latenciesUs.begin(), latenciesUs.end());
    auto at = [&](double q) { return latenciesUs[size_t(q * double(latenciesUs.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
}

void BM_RawEcho(benchmark::State &state)
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    const QByteArray request = registerRead().encode(1);
    const QHostAddress device(QHostAddress::LocalHost);
    std::vector<double> latencies;
    latencies.reserve(size_t(BatchSize) * 8);
    qint64 frames = 0;
    QElapsedTimer total;
    total.start();
    for (auto _ : state) {
        for (int i = 0; i < BatchSize; ++i) {
            QElapsedTimer clock;
            clock.start();
            socket.writeDatagram(request, device, g_device->port());
            while (!socket.hasPendingDatagrams())
                socket.waitForReadyRead(1000);
            socket.receiveDatagram();
            latencies.push_back(double(clock.nsecsElapsed()) / 1000.0);
            ++frames;
        }
    }
    g_rawEchoRate = double(frames) / (double(total.nsecsElapsed()) / 1e9);
    state.counters["frames_per_s"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    setPercentiles(state, latencies);
}

struct LinkRun {
    QString guid;
    std::vector<qint64> pushedAt;
    std::vector<double> latenciesUs;
    QElapsedTimer clock;
    int replies = 0;
    int firstSequence = -1;
};

void BM_LinkBusyQueue(benchmark::State &state)
{
    auto *links = BLL_CommunicationMain_Desktop::getInstance();
    LinkRun run;
    run.guid = links->createCommunicateObject(NetworkLink, DefaultProtocol);
    if (!links->connectServer(run.guid, "127.0.0.1", g_device->port())) {
        state.SkipWithError("cannot open the link");
        return;
    }
    QEventLoop loop;
    QObject receiver;
    QObject::connect(
        links, &BLL_CommunicationMain_Desktop::sig_reciveCmd, &receiver,
        [&](const QString &guid, Module_ProtocolBase *frame) {
            if (guid != run.guid)
                return;
            // Frames leave in push order with consecutive sequence numbers.
            if (run.firstSequence < 0)
                run.firstSequence = frame->m_sequence;
            const int index = quint16(frame->m_sequence - run.firstSequence);
            if (index < int(run.pushedAt.size()))
                run.latenciesUs.push_back(
                    double(run.clock.nsecsElapsed() - run.pushedAt[size_t(index)]) / 1000.0);
            if (++run.replies == BatchSize)
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        },
        Qt::DirectConnection);
    QTimer::singleShot(50, &loop, &QEventLoop::quit); // the discovery answer
    loop.exec();
    const Module_SendCard_Protocol frame = registerRead();
    qint64 frames = 0;
    QElapsedTimer total;
    total.start();
    for (auto _ : state) {
        run.replies = 0;
        run.firstSequence = -1;
        run.pushedAt.clear();
        run.clock.start();
        for (int i = 0; i < BatchSize; ++i) {
            run.pushedAt.push_back(run.clock.nsecsElapsed());
            links->pushCmdToClient(run.guid, const_cast<Module_SendCard_Protocol *>(&frame), false);
        }
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(10000);
        loop.exec();
        frames += run.replies;
        if (run.replies != BatchSize) {
            state.SkipWithError("replies missing");
            break;
        }
    }
    const double rate = double(frames) / (double(total.nsecsElapsed()) / 1e9);
    const QVariantMap stats = links->linkStatistics(run.guid);
    state.counters["frames_per_s"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["timeouts"] = stats.value("timeouts").toDouble();
    if (g_rawEchoRate > 0)
        state.counters["ratio_to_raw_echo"] = rate / g_rawEchoRate;
    setPercentiles(state, run.latenciesUs);
    links->releaseCommunicateObject(run.guid);
}

void BM_LinkOneInFlight(benchmark::State &state)
{
    auto *links = BLL_CommunicationMain_Desktop::getInstance();
    const QString guid = links->createCommunicateObject(NetworkLink, DefaultProtocol);
    if (!links->connectServer(guid, "127.0.0.1", g_device->port())) {
        state.SkipWithError("cannot open the link");
        return;
    }
    QEventLoop loop;
    QObject receiver;
    bool answered = false;
    QObject::connect(
        links, &BLL_CommunicationMain_Desktop::sig_reciveCmd, &receiver,
        [&](const QString &g, Module_ProtocolBase *) {
            if (g == guid) {
                answered = true;
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            }
        },
        Qt::DirectConnection);
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    const Module_SendCard_Protocol frame = registerRead();
    std::vector<double> latencies;
    qint64 frames = 0;
    for (auto _ : state) {
        for (int i = 0; i < BatchSize; ++i) {
            QElapsedTimer clock;
            clock.start();
            answered = false;
            links->pushCmdToClient(guid, const_cast<Module_SendCard_Protocol *>(&frame), false);
            while (!answered)
                loop.exec();
            latencies.push_back(double(clock.nsecsElapsed()) / 1000.0);
            ++frames;
        }
    }
    state.counters["frames_per_s"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    setPercentiles(state, latencies);
    links->releaseCommunicateObject(guid);
}

} // namespace

BENCHMARK(BM_RawEcho)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_LinkBusyQueue)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_LinkOneInFlight)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    Device device;
    if (!device.start())
        return 1;
    g_device = &device;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_device = nullptr;
    return 0;
}
