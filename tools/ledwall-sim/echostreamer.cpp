#include "echostreamer.h"
#include "echoclip.h"
#include "simlog.h"

namespace ledwall::sim
{
namespace
{

const QByteArray EchoMagic = QByteArray::fromHex("FF010000");

QByteArray echoHeader(quint8 channel, char type, int count, quint16 frameNumber, int index)
{
    QByteArray header = EchoMagic + QByteArray(11, '\0');
    header[5] = char(channel);
    header[6] = type;
    header[7] = char(count >> 8);
    header[8] = char(count);
    header[9] = char(frameNumber >> 8);
    header[10] = char(frameNumber);
    header[13] = char(index >> 8);
    header[14] = char(index);
    return header;
}

} // namespace

QVector<QByteArray> echoFrameDatagrams(quint8 channel, quint16 frameNumber, const QByteArray &frame,
                                       int payloadSize)
{
    payloadSize = qBound(1, payloadSize, 65000);
    const int count = qMax(1, int((frame.size() + qint64(payloadSize) - 1) / payloadSize));
    QVector<QByteArray> datagrams;
    if (count > 0xFFFF)
        return datagrams;
    for (int index = 0; index < count; ++index)
        datagrams.append(echoHeader(channel, index == 0 ? 'b' : 'q', count, frameNumber, index) +
                         frame.mid(index * payloadSize, payloadSize));
    return datagrams;
}

bool isEchoRequest(const QByteArray &datagram)
{
    return datagram.size() == 14 && datagram.startsWith(EchoMagic) && datagram[6] == 'h';
}

EchoStreamer::EchoStreamer(EchoSettings *settings, FaultInjector *faults, Send send,
                           QObject *parent)
    : QObject(parent), m_settings(settings), m_faults(faults), m_send(std::move(send)),
      m_timer(this)
{
    connect(&m_timer, &QTimer::timeout, this, &EchoStreamer::sendNextFrames);
}

void EchoStreamer::begin(const QHostAddress &address, quint16 port)
{
    stop();
    const auto &clip = echoclip::accessUnits();
    const bool framed = m_settings->supported && !clip.isEmpty();
    m_address = address;
    m_port = port;
    QByteArray information = echoHeader(0, 'i', 0, 0, 0);
    information[7] = framed ? 1 : 0;
    // The stream information is not subject to loss: without it nothing can follow.
    m_send({{information, m_address, m_port}});
    ++m_settings->datagramsSent;
    qCDebug(lcSim) << "echo stream to" << address << port << (framed ? "framed" : "not supported");
    if (!framed)
        return;
    m_payloadSize = m_settings->payloadSize;
    m_sent = 0;
    m_limit = qMax(0, m_settings->framesPerRequest.load());
    m_timer.start(qMax(0, m_settings->frameIntervalMs.load()));
}

void EchoStreamer::stop()
{
    m_timer.stop();
    m_send(m_faults->takeHeld());
}

void EchoStreamer::sendNextFrames()
{
    const auto &clip = echoclip::accessUnits();
    if (m_sent >= m_limit || clip.isEmpty()) {
        stop();
        return;
    }
    for (int channel = 0; channel < clip.size(); ++channel) {
        const QByteArray &unit = clip[channel][m_sent % clip[channel].size()];
        for (const QByteArray &datagram :
             echoFrameDatagrams(quint8(channel), quint16(m_sent), unit, m_payloadSize))
            sendShaped(datagram);
    }
    ++m_sent;
}

void EchoStreamer::sendShaped(const QByteArray &datagram)
{
    if (m_faults->shouldDropStreamed())
        return;
    const QVector<OutgoingDatagram> now = m_faults->shapeReply({datagram, m_address, m_port});
    m_settings->datagramsSent += quint64(now.size());
    m_send(now);
}

} // namespace ledwall::sim
