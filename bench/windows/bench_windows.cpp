// The four window computations on a 16-port wall of cabinets of mixed sizes, beside
// a baseline in the same run that reads the same cabinet maps and builds one
// bounding-box window per port. Arguments: the number of cabinets (1,020, 4,080 and
// 16,320), spread over the 16 ports.

#include "windowcomputations.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>

using namespace ledwall::windows;

namespace
{

// Per port a block of rows; widths cycle through 128, 192 and 256, rows are 64 or
// 128 high. The blocks are stacked down the canvas.
QVariantList displays(int cabinets, bool complex)
{
    QVariantList items;
    int top = 0;
    for (int port = 0; port < PortCount; ++port) {
        const int count = cabinets / PortCount + (port < cabinets % PortCount ? 1 : 0);
        int x = 0, row = 0, col = 0, rowHeight = 64;
        for (int k = 0; k < count; ++k) {
            const int w = 128 + 64 * (k % 3);
            if (col == 16) {
                top += rowHeight;
                x = 0, col = 0, ++row;
                rowHeight = row % 2 ? 128 : 64;
            }
            if (complex)
                items.append(QVariantMap{
                    {"sNetPort", port}, {"x", x}, {"y", top}, {"width", w}, {"height", rowHeight}});
            else
                items.append(QVariantMap{{"sender_port", port},
                                         {"sender_addr", k},
                                         {"row", row},
                                         {"col", col},
                                         {"x", x},
                                         {"y", top},
                                         {"vcs_width", w},
                                         {"vcs_height", rowHeight},
                                         {"init", 1}});
            x += w;
            ++col;
        }
        top += rowHeight;
    }
    return {QVariantMap{{"itemArr", items}}};
}

const QVariantMap Request{{"currDisplayIdx", 0}, {"scType", "4k"},  {"dviWorkMode", 1},
                          {"offsetX", 0},        {"offsetY", 0},    {"leftEmpObj", QVariantMap{}},
                          {"isFreeLine", false}, {"bMerged", false}};

void BM_BoundingBoxBaseline(benchmark::State &state)
{
    const QVariantList layout = displays(int(state.range(0)), false);
    for (auto _ : state) {
        QVector<PortAggregate> ports(PortCount);
        for (const QVariant &item : layout.first().toMap().value("itemArr").toList()) {
            const QVariantMap map = item.toMap();
            const int port = map.value("sender_port").toInt();
            ports[port].add({map.value("x").toInt(), map.value("y").toInt(),
                             map.value("vcs_width").toInt(), map.value("vcs_height").toInt()});
        }
        QVector<WindowList> windows(PortCount);
        for (int port = 0; port < PortCount; ++port)
            windows[port] = {ports.at(port).box()};
        benchmark::DoNotOptimize(windows);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void runComputation(benchmark::State &state, WindowOperation op)
{
    const QVariantList layout = displays(int(state.range(0)), op == WindowOperation::Complex);
    int windows = 0;
    for (auto _ : state) {
        const ComputedWindows computed = computeWindows(op, layout, Request);
        if (!computed.ok())
            state.SkipWithError(qPrintable(computed.error));
        windows = 0;
        for (const WindowList &list : computed.layout.windows)
            windows += list.size();
    }
    state.counters["windows"] = windows;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Multi(benchmark::State &state)
{
    runComputation(state, WindowOperation::Multi);
}
void BM_DiffWH(benchmark::State &state)
{
    runComputation(state, WindowOperation::DiffWH);
}
void BM_All(benchmark::State &state)
{
    runComputation(state, WindowOperation::All);
}
void BM_Complex(benchmark::State &state)
{
    runComputation(state, WindowOperation::Complex);
}

} // namespace

#define WINDOW_SIZES Arg(1020)->Arg(4080)->Arg(16320)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_BoundingBoxBaseline)->WINDOW_SIZES;
BENCHMARK(BM_Multi)->WINDOW_SIZES;
BENCHMARK(BM_DiffWH)->WINDOW_SIZES;
BENCHMARK(BM_All)->WINDOW_SIZES;
BENCHMARK(BM_Complex)->WINDOW_SIZES;

int main(int argc, char **argv)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
