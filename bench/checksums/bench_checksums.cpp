// CRC-32 of the sending-card object beside zlib's crc32 on the same buffers, and
// the CRC-16 and byte sums for scale. Ratio = library throughput / zlib throughput.

#include "bll_businesslogic_sendcardpackage.h"
#include "checksums.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

namespace
{
QByteArray buffer(qint64 size)
{
    QByteArray bytes(int(size), '\0');
    quint32 state = 0x12345678;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

void BM_ZlibCrc32(benchmark::State &state)
{
    const QByteArray data = buffer(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ::crc32(0L, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_ChksumCrc32(benchmark::State &state)
{
    const QByteArray data = buffer(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            BLL_BusinessLogic_SendCardPackage::chksum_crc32(data, unsigned(data.size()), 0));
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_ChksumCrc16(benchmark::State &state)
{
    const QByteArray data = buffer(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(BLL_BusinessLogic_SendCardPackage::chksum_crc16(
            data.constData(), unsigned(data.size())));
    state.SetBytesProcessed(state.iterations() * data.size());
}

void BM_ChkUsbSum(benchmark::State &state)
{
    const QByteArray data = buffer(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(ledwall::checksums::byteSum16(data));
    state.SetBytesProcessed(state.iterations() * data.size());
}
} // namespace

BENCHMARK(BM_ZlibCrc32)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChksumCrc32)->Arg(1 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChksumCrc16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChkUsbSum)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
