// Calibration files of a 1920 x 1080 display (matrix layout, about 150 MB, and three
// coefficients) parsed and packed by the sending-card object, beside two baselines
// over the same file in the same run: a plain newline count (1 MiB reads + memchr)
// and the naive reading (QTextStream, QString::split, toDouble, the same packing).
// Then sendAdjustData of the matrix file to a 60-cabinet virtual wall, beside the
// packing and cutting alone. Peak RSS (whole process) is reported per benchmark.

#include "bll_businesslogic_sendcardpackage.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "calibrationpacking.h"
#include "virtualwall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstring>

namespace
{

using namespace ledwall::calibration;

constexpr int Width = 1920, Height = 1080;
constexpr int CabinetColumns = 10, CabinetRows = 6; // 60 cabinets of 192 x 180

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// A file with 4 decimals per coefficient, written in blocks.
QString calibrationFile(bool matrix)
{
    const QString path = scratch().filePath(matrix ? "matrix.txt" : "three.txt");
    if (QFile::exists(path))
        return path;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block;
    quint32 state = 12345;
    char line[256];
    for (int y = 1; y <= Height; ++y) {
        for (int x = 1; x <= Width; ++x) {
            int n = std::snprintf(line, sizeof line, "%d,%d", x, y);
            for (int i = 0; i < (matrix ? 9 : 3); ++i) {
                state = state * 1664525u + 1013904223u;
                const int value = int(state >> 18) % 12000 - (i % 4 ? 1000 : 0);
                n += std::snprintf(line + n, sizeof line - size_t(n), ",%s%d.%04d",
                                   value < 0 ? "-" : "", std::abs(value) / 10000,
                                   std::abs(value) % 10000);
            }
            line[n++] = '\n';
            block.append(line, n);
        }
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return path;
}

void reportFile(benchmark::State &state, const QString &path)
{
    const qint64 size = QFileInfo(path).size();
    state.SetBytesProcessed(state.iterations() * size);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_NewlineCount(benchmark::State &state)
{
    const QString path = calibrationFile(state.range(0));
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        qint64 lines = 0;
        for (qint64 got; (got = file.read(block.data(), block.size())) > 0;)
            for (const char *p = block.constData(), *end = p + got;
                 (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p)
                ++lines;
        benchmark::DoNotOptimize(lines);
    }
    reportFile(state, path);
}

void BM_StreamingPack(benchmark::State &state)
{
    const bool matrix = state.range(0);
    const QString path = calibrationFile(matrix);
    BLL_BusinessLogic_SendCardPackage package;
    package.setAdjustParaMap({{"adjen_type", matrix ? 7 : 0}});
    package.setAdjustFile(path);
    for (auto _ : state) {
        const QByteArray data = package.getDisplayAdjustDataByteArr(Width, Height);
        if (data.size() != Width * Height * bytesPerPixel(matrix ? 7 : 0))
            state.SkipWithError("wrong packed size");
    }
    reportFile(state, path);
}

void appendWord(QByteArray &out, quint32 word)
{
    const char bytes[4] = {char(word >> 24), char(word >> 16), char(word >> 8), char(word)};
    out.append(bytes, 4);
}

// The plain way: a QString per line, split, toDouble, the same words.
void BM_NaivePack(benchmark::State &state)
{
    const bool matrix = state.range(0);
    const QString path = calibrationFile(matrix);
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly | QIODevice::Text);
        QTextStream in(&file);
        QByteArray out;
        while (!in.atEnd()) {
            const QStringList f = in.readLine().split(',');
            if (f.at(0).toInt() - 1 >= Width || f.at(1).toInt() - 1 >= Height)
                continue;
            const auto d = [&](int i, int scale, int max) {
                return roundedField(f.at(i).toDouble(), scale, max);
            };
            if (matrix) {
                appendWord(out,
                           matrixRowWord(d(2, 2048, 2047), d(3, 1024, 1023), d(4, 1024, 1023)));
                appendWord(out,
                           matrixRowWord(d(6, 2048, 2047), d(5, 1024, 1023), d(7, 1024, 1023)));
                appendWord(out,
                           matrixRowWord(d(10, 2048, 2047), d(8, 1024, 1023), d(9, 1024, 1023)));
            } else {
                appendWord(out, threeCoefficientWord(d(2, 1024, 1023), d(3, 1024, 1023),
                                                     d(4, 1024, 1023)));
            }
        }
        benchmark::DoNotOptimize(out.size());
    }
    reportFile(state, path);
}

QVariantList cabinets()
{
    QVariantList boxes;
    const int w = Width / CabinetColumns, h = Height / CabinetRows;
    for (int port = 0; port < CabinetRows; ++port)
        for (int card = 0; card < CabinetColumns; ++card)
            boxes << QStringLiteral("%1:%2:%3:%4:%5:%6")
                         .arg(port)
                         .arg(card)
                         .arg(card * w)
                         .arg(port * h)
                         .arg(w)
                         .arg(h);
    return boxes;
}

// Packing and cutting per cabinet, nothing sent.
void BM_PackAndCut(benchmark::State &state)
{
    const QString path = calibrationFile(true);
    BLL_BusinessLogic_SendCardPackage package;
    package.setAdjustParaMap({{"adjen_type", 7}});
    package.setAdjustFile(path);
    for (auto _ : state) {
        const QByteArray display = package.getDisplayAdjustDataByteArr(Width, Height);
        qint64 bytes = 0;
        for (const QVariant &box : cabinets()) {
            ledwall::storedimage::Cabinet cabinet;
            ledwall::storedimage::parseCabinet(box.toString(), &cabinet);
            bytes += cutCabinet(display, Width, 12, cabinet.rect).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    reportFile(state, path);
}

void BM_SendAdjustData(benchmark::State &state)
{
    const QString path = calibrationFile(true);
    ledwall::sim::VirtualWall wall;
    ledwall::sim::WallDescription description;
    for (int port = 0; port < CabinetRows; ++port) {
        ledwall::sim::WallPort wallPort;
        wallPort.port = port;
        for (int card = 0; card < CabinetColumns; ++card)
            wallPort.cabinets.append({card, Width / CabinetColumns, Height / CabinetRows});
        description.ports.append(wallPort);
    }
    wall.setWall(description);
    wall.start();
    auto *link = BLL_CommunicationMain_Desktop::getInstance();
    const QString guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
    link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port());
    BLL_DataCenter_Desktop::instance()->setCurrentGuid(guid);

    BLL_BusinessLogic_SendCardPackage package;
    for (auto _ : state) {
        package.setAdjustParaMap(
            {{"adjen_type", 7}, {"sendBoxMap", QVariantMap{{"255,65535", true}}}});
        package.setBoxXYWHList(cabinets());
        QVariantMap last;
        QObject context;
        QObject::connect(&package, &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context,
                         [&](QVariantMap map) {
                             if (map.contains("last_m_regAddr"))
                                 last = map;
                         });
        package.setAdjustPath(path, {{"bFastMode", true}});
        while (last.isEmpty())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!last.value("result").toBool())
            state.SkipWithError("not every cabinet was written");
    }
    // Everything the wall received, once the link has drained.
    const QByteArray expected = [&] {
        BLL_BusinessLogic_SendCardPackage packer;
        packer.setAdjustParaMap({{"adjen_type", 7}});
        packer.setAdjustFile(path);
        ledwall::storedimage::Cabinet last;
        ledwall::storedimage::parseCabinet(cabinets().constLast().toString(), &last);
        return cutCabinet(packer.getDisplayAdjustDataByteArr(Width, Height), Width, 12, last.rect);
    }();
    QElapsedTimer drain;
    drain.start();
    while (wall.readReceivingCard(CabinetRows - 1, CabinetColumns - 1, 0xA0030000,
                                  expected.size()) != expected &&
           drain.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    state.counters["lastCabinetHeld"] = drain.elapsed() < 30000 ? 1 : 0;
    link->releaseCommunicateObject(guid);
    wall.stop();
    reportFile(state, path);
}

} // namespace

BENCHMARK(BM_StreamingPack)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NewlineCount)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NaivePack)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PackAndCut)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SendAdjustData)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    // Files first, so that no benchmark times their writing.
    calibrationFile(true);
    calibrationFile(false);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
