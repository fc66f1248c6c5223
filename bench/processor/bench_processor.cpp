// Processor work beside plain baselines in the same run:
// - packing 1,000 output-setup items into table frames, against copying the same
//   number of record bytes;
// - converting a 1920 x 128 24-bit subtitle bitmap, against copying the file;
// - the server bridge answering adjust commands of 8 loopback clients, against a
//   bare QTcpSocket echo server with the same clients and messages.

#include "bll_businesslogic_server.h"
#include "processorrecords.h"
#include "subtitlebitmap.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace ledwall;

namespace
{

QVariantList outputItems()
{
    QVariantList items;
    for (int i = 0; i < 1000; ++i)
        items << QVariantMap{{"portSwitch", 1},     {"portNum", i % 64}, {"cardSlotNum", i / 64},
                             {"brightness", 200},   {"xWidth", 1920},    {"yHeight", 1080},
                             {"xJointPosition", i}, {"logoID", i % 255}};
    return items;
}

void BM_PackOutputSetup(benchmark::State &state)
{
    const QVariantList items = outputItems();
    const processor::RecordLayout &layout = *processor::layoutNamed("output-setup");
    for (auto _ : state)
        benchmark::DoNotOptimize(processor::planTableFrames(layout, items));
    state.SetItemsProcessed(state.iterations() * items.size());
}
BENCHMARK(BM_PackOutputSetup);

void BM_CopyRecordBytes(benchmark::State &state)
{
    const QByteArray source(1000 * processor::OutputSetupRecordSize, char(0x5A));
    for (auto _ : state) {
        QByteArray copy(source.size(), Qt::Uninitialized);
        std::memcpy(copy.data(), source.constData(), size_t(source.size()));
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CopyRecordBytes);

QByteArray bitmap()
{
    QByteArray file(subtitle::FileHeaderSize, '\0');
    const auto put = [&file](int at, quint32 value) { qToLittleEndian(value, file.data() + at); };
    put(10, subtitle::FileHeaderSize);
    put(18, 1920);
    put(22, 128);
    file[28] = 24;
    QByteArray pixels(1920 * 3 * 128, '\0');
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i * 7);
    return file + pixels;
}

void BM_ConvertSubtitle(benchmark::State &state)
{
    const QByteArray file = bitmap();
    subtitle::ConversionOptions options;
    options.foreground = {200, 100, 50, 3};
    for (auto _ : state)
        benchmark::DoNotOptimize(subtitle::convert(file, options).pixels.data());
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_ConvertSubtitle);

void BM_CopyBitmap(benchmark::State &state)
{
    const QByteArray file = bitmap();
    for (auto _ : state) {
        QByteArray copy(file.size(), Qt::Uninitialized);
        std::memcpy(copy.data(), file.constData(), size_t(file.size()));
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_CopyBitmap);

// ---- request rate over TCP ----------------------------------------------------------

constexpr int Clients = 8;
constexpr int RoundsPerBatch = 100;

QByteArray framed(const QByteArray &message)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(quint32(message.size()), bytes.data());
    return bytes + message;
}

// Takes one whole framed message off the socket; false while it has not all come.
bool takeMessage(QTcpSocket *socket)
{
    if (socket->bytesAvailable() < 4)
        return false;
    const QByteArray head = socket->peek(4);
    const qint64 length = qFromBigEndian<quint32>(head.constData());
    if (socket->bytesAvailable() < 4 + length)
        return false;
    socket->read(4 + length);
    return true;
}

// Each client sends one request, waits for a whole answer, and repeats; the batch
// ends when every client has had its rounds.
void runClients(quint16 port, const QByteArray &request, benchmark::State &state)
{
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < Clients; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, port);
        clients.back()->waitForConnected(3000);
    }
    for (auto _ : state) {
        int pending = Clients * RoundsPerBatch;
        QEventLoop loop;
        std::vector<QMetaObject::Connection> links;
        std::vector<int> rounds(Clients, RoundsPerBatch);
        for (int i = 0; i < Clients; ++i) {
            QTcpSocket *socket = clients[size_t(i)].get();
            int *left = &rounds[size_t(i)];
            links.push_back(QObject::connect(socket, &QTcpSocket::readyRead, [=, &pending, &loop] {
                while (takeMessage(socket)) {
                    if (--pending == 0)
                        loop.quit();
                    if (--*left > 0)
                        socket->write(request);
                }
            }));
            socket->write(request);
        }
        loop.exec();
        for (const auto &link : links)
            QObject::disconnect(link);
    }
    state.SetItemsProcessed(state.iterations() * Clients * RoundsPerBatch);
}

const QByteArray &adjustRequest()
{
    static const QByteArray request = framed(
        R"(<message type="1"><item key="cmd" type="string" value="SendAdjustData"/></message>)");
    return request;
}

void BM_ServerBridge(benchmark::State &state)
{
    BLL_BusinessLogic_Server bridge;
    bridge.server().setListenAddress(QHostAddress::LocalHost, 0);
    bridge.server().startListenServer();
    runClients(bridge.server().serverPort(), adjustRequest(), state);
}
BENCHMARK(BM_ServerBridge)->UseRealTime();

// The bare baseline: answers each framed message with a message of the same size.
void BM_EchoServer(benchmark::State &state)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const QByteArray answer =
        framed(BLL_CommunicationXml_Desktop::getResponseXml("SendAdjustData", 1));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, [socket, &answer] {
                while (takeMessage(socket))
                    socket->write(answer);
            });
        }
    });
    runClients(server.serverPort(), adjustRequest(), state);
}
BENCHMARK(BM_EchoServer)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
