// Colour gamut operations of the facade: correction matrices per second and
// spectral-locus checks per second once the table is loaded, each beside a
// baseline that only builds the facade's result (the map for GamutParam, the
// request for the check), measured in the same run.
//
//   bench_gamut --benchmark_min_time=0.5

#include "bll_businesslogic_desktop.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

namespace
{

QVariantMap gamutRequest(double shift)
{
    return {{"pri_R_Cx", 0.680},  {"pri_R_Cy", 0.320},  {"pri_G_Cx", 0.265},
            {"pri_G_Cy", 0.690},  {"pri_B_Cx", 0.150},  {"pri_B_Cy", 0.060},
            {"pri_W_Cx", 0.3127}, {"pri_W_Cy", 0.3290}, {"dst_R_Cx", 0.640 + shift},
            {"dst_R_Cy", 0.330},  {"dst_G_Cx", 0.300},  {"dst_G_Cy", 0.600},
            {"dst_B_Cx", 0.150},  {"dst_B_Cy", 0.060},  {"dst_W_Cx", 0.3127},
            {"dst_W_Cy", 0.3290}};
}

// The result map alone: the same 33 entries, no matrix work.
void BM_BaselineResultMap(benchmark::State &state)
{
    static const char *const names[] = {
        "CMrr",         "CMrg",         "CMrb",         "CMgr",         "CMgg",
        "CMgb",         "CMbr",         "CMbg",         "CMbb",         "sCrr",
        "sCrg",         "sCrb",         "sCgr",         "sCgg",         "sCgb",
        "sCbr",         "sCbg",         "sCbb",         "buffer_CMR",   "buffer_CMG",
        "buffer_CMB",   "buffer_CMR_1", "buffer_CMR_2", "buffer_CMR_3", "buffer_CMR_4",
        "buffer_CMG_1", "buffer_CMG_2", "buffer_CMG_3", "buffer_CMG_4", "buffer_CMB_1",
        "buffer_CMB_2", "buffer_CMB_3", "buffer_CMB_4"};
    QStringList keys;
    for (const char *name : names)
        keys << QLatin1String(name);
    int n = 0;
    for (auto _ : state) {
        QVariantMap result;
        for (int i = 0; i < keys.size(); ++i)
            result.insert(keys.at(i),
                          i < 9 || i >= 18 ? QVariant(n + i) : QVariant(QStringLiteral("0.5")));
        benchmark::DoNotOptimize(result);
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaselineResultMap);

void BM_GamutParam(benchmark::State &state)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const QVariantMap requests[2] = {gamutRequest(0.0), gamutRequest(0.01)};
    int n = 0;
    for (auto _ : state) {
        QVariantMap result = facade->GamutParam(requests[n++ & 1]);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GamutParam);

// The request map alone: what a caller builds for each check.
void BM_BaselineLocusRequest(benchmark::State &state)
{
    int n = 0;
    for (auto _ : state) {
        QVariantMap request{{QStringLiteral("x"), 0.01 + (n % 70) * 0.01},
                            {QStringLiteral("y"), 0.3}};
        benchmark::DoNotOptimize(request);
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BaselineLocusRequest);

void BM_OpenGamutConfigFile(benchmark::State &state)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    if (!facade->openGamutConfigFile({{"x", 0.3127}, {"y", 0.3290}})) {
        state.SkipWithError("Data.txt not found beside the program");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        // x sweeps the diagram: both halves of the walk are measured.
        QVariantMap request{{QStringLiteral("x"), 0.01 + (n % 70) * 0.01},
                            {QStringLiteral("y"), 0.3}};
        benchmark::DoNotOptimize(facade->openGamutConfigFile(request));
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenGamutConfigFile);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the table is found beside the program
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
