// Register reads through the link manager to a device on loopback and back, each
// against raw UDP round trips of the same request to the same device with the same
// number of requests in flight. The two run interleaved, batch by batch, in every
// iteration, so that the ratio compares like with like even when the machine's load
// drifts during the run.
//
//   bench_link_roundtrip --benchmark_counters_tabular=true
//
// BM_OneInFlight  push, wait for the reply, push the next: the link's own overhead
//                 (two thread hops) against one bare datagram at a time
// BM_FullWindow   a batch of frames pushed at once, the link keeping its window of
//                 16 requests on the wire, against a bare socket keeping 16 datagrams
//                 outstanding; link latency counted from push (queueing included)
//
// Counters: frames_per_s and p50/p99 are the link's; raw_frames_per_s the
// baseline's; ratio_to_raw = link rate / raw rate.
#include "armframe.h"
#include "bll_communicationmain_desktop.h"
#include "module_sendcard_protocol.h"
#include "requestqueue.h"

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
constexpr int Window = ledwall::link::RequestQueue::NetworkWindow;

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

Module_SendCard_Protocol registerRead()
{
    Module_SendCard_Protocol frame;
    frame.m_head[2] = char(ledwall::arm::ReadOperation);
    ledwall::arm::setAddress(frame.m_head, RegisterAddress);
    ledwall::arm::setLength(frame.m_head, 4);
    frame.m_timeout = 2000;
    return frame;
}

// Frames and nanoseconds of one side of the comparison, with its latencies.
struct Tally {
    qint64 frames = 0;
    qint64 nanoseconds = 0;
    std::vector<double> latenciesUs;
    double rate() const { return nanoseconds > 0 ? double(frames) * 1e9 / double(nanoseconds) : 0; }
};

void report(benchmark::State &state, const Tally &link, const Tally &raw)
{
    state.counters["frames_per_s"] = link.rate();
    state.counters["raw_frames_per_s"] = raw.rate();
    if (raw.rate() > 0)
        state.counters["ratio_to_raw"] = link.rate() / raw.rate();
    std::vector<double> latencies = link.latenciesUs;
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double q) { return latencies[size_t(q * double(latencies.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
}

// `count` bare round trips keeping `window` requests outstanding; false when the
// device stopped answering.
bool rawRoundTrips(QUdpSocket &socket, int count, int window, Tally *tally)
{
    static const QByteArray request = registerRead().encode(1);
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    auto sendOne = [&] {
        ++sent;
        socket.writeDatagram(request, QHostAddress(QHostAddress::LocalHost), g_device->port());
    };
    while (sent < window && sent < count)
        sendOne();
    for (int received = 0; received < count; ++received) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(1000))
            return false;
        socket.receiveDatagram();
        if (sent < count)
            sendOne();
    }
    tally->frames += count;
    tally->nanoseconds += clock.nsecsElapsed();
    return true;
}

// A network link to the device whose replies are timed from their push.
class TimedLink
{
public:
    TimedLink() : m_links(BLL_CommunicationMain_Desktop::getInstance())
    {
        m_guid = m_links->createCommunicateObject(NetworkLink, DefaultProtocol);
        m_open = m_links->connectServer(m_guid, "127.0.0.1", g_device->port());
        QObject::connect(
            m_links, &BLL_CommunicationMain_Desktop::sig_reciveCmd, &m_receiver,
            [this](const QString &guid, Module_ProtocolBase *frame) { onReply(guid, *frame); },
            Qt::DirectConnection);
        QTimer::singleShot(50, &m_loop, &QEventLoop::quit); // the discovery answer
        m_loop.exec();
    }
    ~TimedLink() { m_links->releaseCommunicateObject(m_guid); }
    bool isOpen() const { return m_open; }

    // Pushes `count` reads, at most `inFlight` of them unanswered at a time (the
    // link's window limits what is on the wire); false when replies went missing.
    bool roundTrips(int count, int inFlight, Tally *tally)
    {
        m_replies = 0;
        m_firstSequence = -1;
        m_pushedAt.assign(size_t(count), 0);
        m_answeredAt.assign(size_t(count), 0);
        m_clock.start();
        int pushed = 0;
        while (m_replies < count) {
            while (pushed < count && pushed - m_replies < inFlight) {
                m_pushedAt[size_t(pushed++)] = m_clock.nsecsElapsed();
                m_links->pushCmdToClient(m_guid, &m_frame, false);
            }
            // Woken by each reply (or a late wake-up of an earlier one); two
            // seconds without any reply mean replies went missing.
            bool expired = false;
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, &m_loop, [&] {
                expired = true;
                m_loop.quit();
            });
            guard.start(2000);
            m_loop.exec();
            if (expired)
                return false;
        }
        tally->frames += count;
        tally->nanoseconds += m_clock.nsecsElapsed();
        for (int i = 0; i < count; ++i)
            tally->latenciesUs.push_back(double(m_answeredAt[size_t(i)] - m_pushedAt[size_t(i)]) /
                                         1000.0);
        return true;
    }

private:
    // On the link manager's thread.
    void onReply(const QString &guid, const Module_ProtocolBase &frame)
    {
        if (guid != m_guid)
            return;
        // Frames leave in push order with consecutive sequence numbers.
        if (m_firstSequence < 0)
            m_firstSequence = frame.m_sequence;
        const size_t index = quint16(frame.m_sequence - m_firstSequence);
        if (index < m_answeredAt.size())
            m_answeredAt[index] = m_clock.nsecsElapsed();
        ++m_replies;
        QMetaObject::invokeMethod(&m_loop, &QEventLoop::quit, Qt::QueuedConnection);
    }

    BLL_CommunicationMain_Desktop *m_links;
    QString m_guid;
    bool m_open = false;
    QObject m_receiver;
    QEventLoop m_loop;
    Module_SendCard_Protocol m_frame = registerRead();
    QElapsedTimer m_clock;
    std::vector<qint64> m_pushedAt;
    std::vector<qint64> m_answeredAt;
    std::atomic<int> m_replies{0};
    int m_firstSequence = -1;
};

// Each iteration: one batch of bare round trips with `rawWindow` outstanding, then
// the same batch through the link with up to `pushed` frames queued at once.
void runPaired(benchmark::State &state, int batch, int rawWindow, int pushed)
{
    TimedLink link;
    if (!link.isOpen()) {
        state.SkipWithError("cannot open the link");
        return;
    }
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    Tally raw;
    Tally timed;
    for (auto _ : state) {
        if (!rawRoundTrips(socket, batch, rawWindow, &raw)) {
            state.SkipWithError("the device stopped echoing");
            return;
        }
        if (!link.roundTrips(batch, pushed, &timed)) {
            state.SkipWithError("replies missing");
            return;
        }
    }
    report(state, timed, raw);
}

void BM_OneInFlight(benchmark::State &state)
{
    runPaired(state, 500, 1, 1);
}

void BM_FullWindow(benchmark::State &state)
{
    // The link queues the whole batch at once and keeps its window on the wire.
    runPaired(state, 2000, Window, 2000);
}

} // namespace

BENCHMARK(BM_OneInFlight)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FullWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

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
