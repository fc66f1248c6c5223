// The display record codecs beside the zlib steps they surround, on a 16-port,
// 4096-cabinet layout; and the topology rebuild of a 16-port hardware port table.
//
// Baselines measured in the same run: zlib `compress` of the very bytes that the
// encoder produces, and `uncompress` of the very record the decoder expands.

#include "displayrecord.h"
#include "displaytext.h"
#include "porttable.h"

#include <QLoggingCategory>
#include <QVariantList>

#include <benchmark/benchmark.h>
#include <zlib.h>

using namespace ledwall;

namespace
{

constexpr int Ports = 16;
constexpr int Side = 16; // 16 x 16 cabinets per port

QVariantMap bigLayout()
{
    QVariantList items;
    for (int p = 0; p < Ports; ++p)
        for (int k = 0; k < Side * Side; ++k) {
            const int col = (p % 4) * Side + k % Side;
            const int row = (p / 4) * Side + k / Side;
            QVariantMap item = displaytext::connectItemForCell(p, col, row, 128, 128, k);
            item.insert(QStringLiteral("index"), row * 4 * Side + col);
            items << item;
        }
    return {{QStringLiteral("basicInfo"), QVariantMap{{QStringLiteral("enable_as_master_card"), 1},
                                                      {QStringLiteral("display_count"), 1},
                                                      {QStringLiteral("enable_port_auto_bakup"), 0},
                                                      {QStringLiteral("FreeLine"), 0}}},
            {QStringLiteral("displayArr"),
             QVariantList{QVariantMap{{QStringLiteral("display_idx"), 0},
                                      {QStringLiteral("row_count"), 4 * Side},
                                      {QStringLiteral("col_count"), 4 * Side},
                                      {QStringLiteral("x_offset"), 0},
                                      {QStringLiteral("y_offset"), 0},
                                      {QStringLiteral("display_name"), QStringLiteral("Arena")},
                                      {QStringLiteral("itemArr"), items}}}}};
}

const QVariantMap &layout()
{
    static const QVariantMap map = bigLayout();
    return map;
}

const QByteArray &text()
{
    static const QByteArray bytes = displaytext::connectMapToText(layout()).toLatin1();
    return bytes;
}

const QByteArray &record()
{
    static const QByteArray bytes = [] {
        QByteArray out;
        displayrecord::pack(text(), displayrecord::ComplexMaxCompressed, &out);
        return out;
    }();
    return bytes;
}

void BM_ZlibCompress(benchmark::State &state)
{
    const QByteArray &in = text();
    QByteArray out(int(compressBound(uLong(in.size()))), '\0');
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        compress(reinterpret_cast<Bytef *>(out.data()), &length,
                 reinterpret_cast<const Bytef *>(in.constData()), uLong(in.size()));
        benchmark::DoNotOptimize(length);
    }
    state.counters["textBytes"] = in.size();
}

void BM_EncodeAndCompress(benchmark::State &state)
{
    for (auto _ : state) {
        QByteArray out;
        displayrecord::pack(displaytext::connectMapToText(layout()).toLatin1(),
                            displayrecord::ComplexMaxCompressed, &out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["recordBytes"] = record().size();
}

void BM_Encode(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(displaytext::connectMapToText(layout()));
}

void BM_ZlibUncompress(benchmark::State &state)
{
    const QByteArray &in = record();
    QByteArray out(text().size(), '\0');
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        uncompress(reinterpret_cast<Bytef *>(out.data()), &length,
                   reinterpret_cast<const Bytef *>(in.constData()) + 4, uLong(in.size() - 4));
        benchmark::DoNotOptimize(length);
    }
}

void BM_DecompressAndDecode(benchmark::State &state)
{
    for (auto _ : state) {
        QByteArray bytes;
        displayrecord::unpack(record(), &bytes);
        QVariantMap map;
        displaytext::connectTextToMap(QString::fromLatin1(bytes), &map);
        benchmark::DoNotOptimize(map.size());
    }
}

void BM_Decode(benchmark::State &state)
{
    const QString in = QString::fromLatin1(text());
    for (auto _ : state) {
        QVariantMap map;
        displaytext::connectTextToMap(in, &map);
        benchmark::DoNotOptimize(map.size());
    }
}

// The floor of any decoder into the editor form: the 4096 item maps of thirteen
// keys themselves, built from a template without reading any text.
void BM_BuildItemMaps(benchmark::State &state)
{
    QVariantMap itemTemplate;
    for (const char *key : displaytext::ConnectItemKeys)
        itemTemplate.insert(QLatin1String(key), 0);
    for (auto _ : state) {
        QVariantList items;
        items.reserve(Ports * Side * Side);
        for (int i = 0; i < Ports * Side * Side; ++i) {
            QVariantMap item = itemTemplate;
            int k = 0;
            for (auto it = item.begin(); it != item.end(); ++it)
                it.value() = i + k++;
            items.append(item);
        }
        benchmark::DoNotOptimize(items.size());
    }
}

void BM_RebuildPortTable(benchmark::State &state)
{
    QByteArray table;
    for (int p = 0; p < Ports; ++p) {
        const int x = (p % 4) * Side * 128, y = (p / 4) * Side * 128;
        const char record[13] = {char(p),
                                 char(p % 8),
                                 char(Side),
                                 char(Side),
                                 char(x & 0xFF),
                                 char(x >> 8),
                                 char(y & 0xFF),
                                 char(y >> 8),
                                 char(128),
                                 0,
                                 char(128),
                                 0,
                                 1};
        table.append(record, 13);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(porttable::rebuildTopology(table).ok);
}

} // namespace

BENCHMARK(BM_ZlibCompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeAndCompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressAndDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildItemMaps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildPortTable)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The rebuild logs every cell at debug level; a benchmark measures the work.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
