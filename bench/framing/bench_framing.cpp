// Framing speed of the block routines: a 64 MiB receiving-card block cut into
// 1 KiB chunks, each wrapped in its inner frame and ARM header (sums, one CRC-32
// pass: the header's CRC is combined from the inner frame's) and built in place in
// the U-disk image, with no link and no pacing. Baselines in
// the same run: a memcpy of the same bytes and one zlib CRC-32 pass over them.
//
//   build/bin/bench_framing --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "bll_businesslogic_sendcardpackage.h"
#include "module_sendcard_protocol.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <QLoggingCategory>

#include <cstring>

namespace
{

constexpr int BlockSize = 64 * 1024 * 1024;

const QByteArray &block()
{
    static const QByteArray data = [] {
        QByteArray bytes(BlockSize, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 131) >> 3);
        return bytes;
    }();
    return data;
}

void BM_MemcpyBaseline(benchmark::State &state)
{
    const QByteArray &data = block();
    QByteArray target(data.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), data.constData(), size_t(data.size()));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_Crc32Baseline(benchmark::State &state)
{
    const QByteArray &data = block();
    for (auto _ : state) {
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_WriteRecvCardInfoUDisk(benchmark::State &state)
{
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    const QByteArray &data = block();
    BLL_BusinessLogic_SendCardPackage package;
    package.setProtocolObject(std::make_unique<Module_SendCard_Protocol>());
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = 0x008000A1;
    descriptor.startAddress = 0xFF0000;
    descriptor.recvCommand = 0x01;
    descriptor.recvWord1 = descriptor.recvWord2 = 0xFFFF;
    descriptor.recvAddress = 0xA0030000;
    package.setFlashAccessDescriptor(descriptor);
    for (auto _ : state) {
        package.clearUsbFlashData();
        package.setUDiskMode(true);
        benchmark::DoNotOptimize(
            package.writeRecvCardInfo(QStringLiteral("bench"), data, 1024, 1000, true));
        package.setUDiskMode(false);
    }
    state.counters["imageBytes"] = double(package.usbFlashData().size());
    state.SetBytesProcessed(state.iterations() * data.size());
}

} // namespace

BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRecvCardInfoUDisk)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
