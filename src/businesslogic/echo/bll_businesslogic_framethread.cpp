#include "bll_businesslogic_framethread.h"
#include "workerthreads.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace
{
Q_LOGGING_CATEGORY(lcEchoReceiver, "ledwall.echo")

// A UDP datagram carries at most this much.
constexpr int MaxDatagramSize = 65536;
} // namespace

using ledwall::echo::StreamMode;

BLL_BusinessLogic_FrameThread::BLL_BusinessLogic_FrameThread(QObject *parent) : QObject(parent) {}

BLL_BusinessLogic_FrameThread::~BLL_BusinessLogic_FrameThread()
{
    stop();
}

void BLL_BusinessLogic_FrameThread::start(QString slot, QString address, unsigned short port)
{
    stop();
    m_slot = slot;
    m_address = address;
    m_port = port;
    {
        std::lock_guard<std::mutex> lock(m_countsMutex);
        m_channels.clear();
        m_datagrams = m_refused = m_foreign = m_evicted = 0;
    }
    m_running = true;
    m_worker = std::make_unique<WorkerThreads>();
    if (!m_worker->start([this, slot, address, port] { frameThreadFun(slot, address, port); }))
        m_running = false;
}

void BLL_BusinessLogic_FrameThread::stop()
{
    m_running = false;
    m_worker.reset(); // joins the worker
    m_address.clear();
    m_port = 0;
    m_streamMode = int(StreamMode::Unknown);
}

StreamMode BLL_BusinessLogic_FrameThread::streamMode() const
{
    return StreamMode(m_streamMode.load());
}

void BLL_BusinessLogic_FrameThread::frameThreadFun(QString slot, QString address, quint16 port)
{
    const QHostAddress remote(address);
    if (remote.isNull() || port == 0) {
        qCDebug(lcEchoReceiver) << "no echo receiver for" << address << port;
        return;
    }
    QUdpSocket socket;
    const QHostAddress local =
        remote.isLoopback() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress::AnyIPv4;
    if (!socket.bind(local, 0) || socket.writeDatagram(ledwall::echo::echoRequestDatagram(), remote,
                                                       port) != ledwall::echo::RequestLength) {
        qCDebug(lcEchoReceiver) << "echo request not sent to" << address << port
                                << socket.errorString();
        return;
    }
    // Room for bursts of video while the thread is busy (the system may cap it).
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 * 1024 * 1024);
    ledwall::echo::EchoFrameAssembler assembler;
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    while (m_running) {
        // A request lost on the way is asked again until the stream information came.
        if (streamMode() == StreamMode::Unknown && sinceRequest.elapsed() >= RequestRepeatMs) {
            socket.writeDatagram(ledwall::echo::echoRequestDatagram(), remote, port);
            sinceRequest.restart();
        }
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(WaitMs))
            continue;
        const QNetworkDatagram received = socket.receiveDatagram(MaxDatagramSize);
        if (!received.isValid())
            continue;
        if (!received.senderAddress().isEqual(remote, QHostAddress::TolerantConversion)) {
            std::lock_guard<std::mutex> lock(m_countsMutex);
            ++m_foreign;
            continue;
        }
        const QByteArray datagram = received.data();
        std::optional<ledwall::echo::EchoFrame> frame;
        if (streamMode() == StreamMode::Unknown) {
            const StreamMode mode = ledwall::echo::streamModeOf(datagram);
            if (mode != StreamMode::Unknown) {
                m_streamMode = int(mode);
                qCDebug(lcEchoReceiver) << "slot" << slot << "stream mode" << int(mode);
                emit sig_streamMode(slot, int(mode));
            }
        } else if (streamMode() == StreamMode::Framed) {
            frame = assembler.feed(datagram);
        }
        {
            std::lock_guard<std::mutex> lock(m_countsMutex);
            ++m_datagrams;
            m_refused = assembler.counters().refused;
            m_evicted = assembler.counters().framesEvicted + assembler.counters().framesOversized;
            if (frame)
                m_channels[frame->channel].note(frame->frameNumber);
        }
        if (frame) {
            emit sig_data(slot, QString::number(frame->channel), frame->data);
        }
    }
}

QVariantMap BLL_BusinessLogic_FrameThread::statistics() const
{
    std::lock_guard<std::mutex> lock(m_countsMutex);
    QVariantMap channels;
    for (auto it = m_channels.cbegin(); it != m_channels.cend(); ++it)
        channels.insert(QString::number(it.key()),
                        QVariantMap{{QStringLiteral("frames"), it->frames()},
                                    {QStringLiteral("lost"), it->lost()}});
    return {{QStringLiteral("streamMode"), m_streamMode.load()},
            {QStringLiteral("datagrams"), m_datagrams},
            {QStringLiteral("refused"), m_refused},
            {QStringLiteral("foreign"), m_foreign},
            {QStringLiteral("evicted"), m_evicted},
            {QStringLiteral("channels"), channels}};
}
