// Commands per second and latency (append -> emitted map) of the command pipeline
// against the virtual wall, and the same register reads pushed straight to the link
// manager and matched on sig_reciveCmd, in the same run.
//
// Each run keeps `window` reads in flight (the queue busy) and completes `batch`
// of them; every read names its own register address so that replies can be
// matched to their request.

#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_modulethread.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "module_sendcard_protocol.h"
#include "sendcardmodules.h"
#include "virtualwall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

namespace
{

constexpr int Batch = 500;
constexpr quint32 BaseAddress = 0x00400000;

struct Setup {
    ledwall::sim::VirtualWall wall;
    QString guid;
    bool ok = false;

    Setup()
    {
        if (!wall.start())
            return;
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
        if (!link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port()))
            return;
        link->setTimeoutFlag(guid, true);
        auto *center = BLL_DataCenter_Desktop::instance();
        center->createDevice(guid, 2);
        center->setCurrentGuid(guid);
        center->setDeviceNetId(guid, guid);
        ok = true;
    }
};

Setup *setup = nullptr;

QVariantMap readCommand(quint32 address)
{
    return {{"moduleName", "Module_ReadSendCardRegister"},
            {"guid", setup->guid},
            {"sendCardFlag", 1},
            {"m_regAddr", address},
            {"readLength", 16},
            {"timeout", 2000}};
}

// Send times by address, answer latencies in microseconds; shared between the
// thread that sends and the thread that sees the answer.
class Tracker
{
public:
    void sent(quint32 address)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sentAt.insert(address, m_clock.nsecsElapsed());
    }
    void answered(quint32 address)
    {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto it = m_sentAt.find(address);
            if (it == m_sentAt.end())
                return;
            m_latencies.push_back(double(m_clock.nsecsElapsed() - *it) / 1000.0);
            m_sentAt.erase(it);
            hook = m_hook;
        }
        if (hook)
            hook();
    }
    void setAnswerHook(std::function<void()> hook)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hook = std::move(hook);
    }
    int done() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(m_latencies.size());
    }
    int inFlight() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sentAt.size();
    }
    std::vector<double> latencies() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_latencies;
    }
    void start()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sentAt.clear();
        m_latencies.clear();
        m_clock.start();
    }

private:
    mutable std::mutex m_mutex;
    QElapsedTimer m_clock;
    QHash<quint32, qint64> m_sentAt;
    std::vector<double> m_latencies;
    std::function<void()> m_hook;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

struct Figures {
    double perSecond = 0;
    double p50 = 0;
    double p99 = 0;
};
QHash<QString, Figures> results;

// Runs batches of `Batch` reads with `window` in flight; `send` issues one read.
// Each answer wakes the benchmark thread's event loop, which tops the window up,
// so no thread spins while waiting.
template <typename Send>
void runBatches(benchmark::State &state, const QString &name, Tracker &tracker, Send send)
{
    const int window = int(state.range(0));
    std::vector<double> all;
    qint64 totalNs = 0;
    quint32 next = 0;
    QEventLoop loop;
    int issued = 0;
    auto refill = [&] {
        while (issued < Batch && tracker.inFlight() < window) {
            const quint32 address = BaseAddress + (next++ % 4096u) * 16u;
            tracker.sent(address);
            send(address);
            ++issued;
        }
        if (tracker.done() >= Batch)
            loop.quit();
    };
    tracker.setAnswerHook([&] { QMetaObject::invokeMethod(&loop, refill, Qt::QueuedConnection); });
    for (auto _ : state) {
        tracker.start();
        issued = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(20000, &loop, [&] { loop.exit(1); });
        refill();
        if (loop.exec() != 0) {
            state.SkipWithError("replies missing");
            break;
        }
        totalNs += clock.nsecsElapsed();
        const std::vector<double> latencies = tracker.latencies();
        all.insert(all.end(), latencies.begin(), latencies.end());
    }
    tracker.setAnswerHook(nullptr);
    Figures f;
    f.perSecond = totalNs > 0 ? double(all.size()) * 1e9 / double(totalNs) : 0;
    f.p50 = percentile(all, 0.50);
    f.p99 = percentile(all, 0.99);
    state.SetItemsProcessed(qint64(all.size()));
    state.counters["commands_per_s"] = f.perSecond;
    state.counters["p50_us"] = f.p50;
    state.counters["p99_us"] = f.p99;
    results.insert(QStringLiteral("%1/%2").arg(name).arg(window), f);
}

void BM_LinkRoundTrip(benchmark::State &state)
{
    if (!setup->ok) {
        state.SkipWithError("virtual wall not reachable");
        return;
    }
    Tracker tracker;
    auto *link = BLL_CommunicationMain_Desktop::getInstance();
    const auto connection =
        QObject::connect(link, &BLL_CommunicationMain_Desktop::sig_reciveCmd,
                         [&](QString, Module_ProtocolBase *cmd) {
                             if (auto *card = dynamic_cast<Module_SendCard_Protocol *>(cmd))
                                 tracker.answered(card->registerAddress());
                         });
    runBatches(state, QStringLiteral("link"), tracker, [&](quint32 address) {
        ledwall::packet::BuiltModule built =
            ledwall::packet::buildSendCardModule(readCommand(address));
        if (built.frame)
            link->pushCmdToClient(setup->guid, built.frame.get(), built.frame->m_flag);
    });
    QObject::disconnect(connection);
}

void BM_PipelineRoundTrip(benchmark::State &state)
{
    if (!setup->ok) {
        state.SkipWithError("virtual wall not reachable");
        return;
    }
    Tracker tracker;
    BLL_BusinessLogic_ModuleThread pipeline;
    QObject::connect(BLL_CommunicationMain_Desktop::getInstance(),
                     SIGNAL(sig_reciveCmd(QString, Module_ProtocolBase *)), &pipeline,
                     SLOT(slot_reciveCmd(QString, Module_ProtocolBase *)), Qt::DirectConnection);
    // Taken on the receive thread itself: the time of the emission.
    const auto connection =
        QObject::connect(BLL_BusinessLogic_Desktop::instance(),
                         &BLL_BusinessLogic_Desktop::sig_devicesModuleData, [&](QVariantMap map) {
                             tracker.answered(map.value(QStringLiteral("m_regAddr")).toUInt());
                         });
    runBatches(state, QStringLiteral("pipeline"), tracker,
               [&](quint32 address) { pipeline.appendModuleData(readCommand(address)); });
    QObject::disconnect(connection);
}

} // namespace

BENCHMARK(BM_LinkRoundTrip)
    ->Arg(1)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);
BENCHMARK(BM_PipelineRoundTrip)
    ->Arg(1)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(8);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    Setup s;
    setup = &s;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const int window : {1, 64}) {
        const Figures link = results.value(QStringLiteral("link/%1").arg(window));
        const Figures pipe = results.value(QStringLiteral("pipeline/%1").arg(window));
        if (link.perSecond > 0)
            std::printf(
                "window %2d: link %.0f/s (p50 %.0f us, p99 %.0f us), pipeline %.0f/s (p50 %.0f us, "
                "p99 %.0f us), pipeline/link throughput %.2f\n",
                window, link.perSecond, link.p50, link.p99, pipe.perSecond, pipe.p50, pipe.p99,
                pipe.perSecond / link.perSecond);
    }
    setup = nullptr;
    return 0;
}
