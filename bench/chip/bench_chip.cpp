// The chip layer: a full parameter fetch and the data-file generation for each main
// chip family, beside reading the generated files back; reading a 10 MB data file
// with getLSFileData beside a plain hex decode (QByteArray::fromHex) of the same
// file. Ratio = getLSFileData time / plain decode time.

#include "applicationdirectory.h"
#include "bll_businesslogic_lssdk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

const char *const ChipNames[] = {"LS9929", "LS9935", "LS9931"};

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    static const bool pointed = (ledwall::setApplicationDirectory(dir.path()), true);
    Q_UNUSED(pointed)
    return dir;
}

QVariantMap chip(int index)
{
    return {{"driverChip", ChipNames[index]}, {"decodedMode", 0}};
}

void BM_FullFetch(benchmark::State &state)
{
    scratch();
    BLL_BusinessLogic_LSSDK sdk;
    sdk.init(chip(int(state.range(0))));
    for (auto _ : state) {
        sdk.clearData();
        benchmark::DoNotOptimize(sdk.getParam(chip(int(state.range(0)))));
    }
    state.SetLabel(ChipNames[state.range(0)]);
}

void BM_GenDataFile(benchmark::State &state)
{
    scratch();
    BLL_BusinessLogic_LSSDK sdk;
    sdk.init(chip(int(state.range(0))));
    for (auto _ : state)
        sdk.genDataFile(0);
    state.SetLabel(ChipNames[state.range(0)]);
}

void BM_ReadDataFilesBack(benchmark::State &state)
{
    BLL_BusinessLogic_LSSDK sdk;
    sdk.init(chip(int(state.range(0))));
    sdk.genDataFile(0);
    const QDir data(scratch().filePath("ConfigData/LSData"));
    for (auto _ : state) {
        for (const char *name : {"pm.dat", "pm_16.dat", "pm_16_total.dat", "gama.dat"})
            benchmark::DoNotOptimize(sdk.getLSFileData(data.filePath(name), 1, 0));
    }
    state.SetLabel(ChipNames[state.range(0)]);
}

// 10 MB of "ABCD,\r\n" lines.
QString bigDataFile()
{
    const QString path = scratch().filePath("big.dat");
    if (!QFile::exists(path)) {
        QByteArray text;
        text.reserve(10 * 1000 * 1000);
        for (quint32 i = 0; text.size() < 10 * 1000 * 1000; ++i)
            text += QByteArray::number(i & 0xFFFF, 16).rightJustified(4, '0') + ",\r\n";
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    return path;
}

void BM_LSFileData10MB(benchmark::State &state)
{
    const QString path = bigDataFile();
    BLL_BusinessLogic_LSSDK sdk;
    for (auto _ : state)
        benchmark::DoNotOptimize(sdk.getLSFileData(path, 1, 0));
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void BM_PlainHexDecode10MB(benchmark::State &state)
{
    const QString path = bigDataFile();
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(QByteArray::fromHex(file.readAll()));
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

} // namespace

BENCHMARK(BM_FullFetch)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenDataFile)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDataFilesBack)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainHexDecode10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LSFileData10MB)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
