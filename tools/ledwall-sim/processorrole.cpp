#include "processorrole.h"

#include <QtEndian>

namespace ledwall::sim
{
namespace
{
// Module codes of the video-processing-unit frames (docs/protocol.md).
constexpr quint16 WriteBeforeSyn = 0x0101;
constexpr quint16 ReadBeforeSyn = 0x0102;
constexpr quint16 WriteTemplate = 0x0103;
constexpr quint16 SubtitleChunk = 0x0104;
constexpr quint16 SubtitleStartOrEnd = 0x0105;
constexpr quint16 FirstTable = 0x0200;
constexpr quint16 LastTable = 0x0206;
constexpr int TableHeaderSize = 11;

// The table kind that answers each data-type request of a scene (-1: none).
int tableOfSynType(int synType)
{
    switch (synType) {
    case 0:
        return 5;
    case 1:
        return 4;
    case 2:
        return 3;
    case 3:
        return 6;
    case 5:
        return 2;
    case 6:
        return 1;
    case 255:
        return 0;
    default:
        return -1;
    }
}

QByteArray deviceFrame(quint16 module, const QByteArray &payload, quint16 sequence = 0)
{
    Frame frame;
    frame.protocolType = 1;
    frame.flags = wire::FlagFromDevice;
    frame.sequence = sequence;
    frame.module = module;
    frame.payload = payload;
    return encodeFrame(frame);
}

QByteArray synRequest(int cmdFlag, int synType)
{
    QByteArray payload(2, '\0');
    payload[0] = char(cmdFlag);
    payload[1] = char(synType);
    return deviceFrame(ReadBeforeSyn, payload);
}

quint16 be16(const QByteArray &bytes, int at)
{
    return qFromBigEndian<quint16>(bytes.constData() + at);
}
} // namespace

ProcessorState ProcessorRole::state() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

void ProcessorRole::resetState()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = ProcessorState();
    m_steps.clear();
    m_partial.clear();
}

QVector<QByteArray> ProcessorRole::startSteps(const QList<Step> &steps)
{
    m_steps = steps;
    m_partial.clear();
    return {synRequest(m_steps.first().cmdFlag, m_steps.first().synType)};
}

QVector<QByteArray> ProcessorRole::completeStep()
{
    m_steps.removeFirst();
    if (!m_steps.isEmpty())
        return {synRequest(m_steps.first().cmdFlag, m_steps.first().synType)};
    ++m_state.scenesFinished;
    return {synRequest(4, 0)};
}

bool ProcessorRole::storeTable(const Frame &frame, bool *complete)
{
    const QByteArray &p = frame.payload;
    if (p.size() < TableHeaderSize)
        return false;
    const int kind = quint8(p.at(8));
    const int last = be16(p, 4), total = be16(p, 6), blockLength = be16(p, 9);
    if (kind != frame.module - FirstTable || blockLength != p.size() - TableHeaderSize ||
        last > total)
        return false;
    m_partial[kind] += p.mid(TableHeaderSize);
    ++m_state.tableFrames[kind];
    *complete = last == total;
    if (*complete)
        m_state.tables[kind] = m_partial.take(kind);
    return true;
}

bool ProcessorRole::storeSubtitleChunk(const QByteArray &p, quint32 *position)
{
    if (p.size() < 8)
        return false;
    *position = qFromBigEndian<quint32>(p.constData());
    const int length = be16(p, 4), carried = be16(p, 6);
    if (carried != p.size() - 8 || length > carried || qint64(*position) + length > MaxSubtitleSize)
        return false;
    if (m_state.subtitle.size() < int(*position) + length)
        m_state.subtitle.resize(int(*position) + length);
    m_state.subtitle.replace(int(*position), length, p.mid(8, length));
    ++m_state.subtitleChunks;
    return true;
}

RoleReply ProcessorRole::handleVpu(const Frame &request)
{
    RoleReply result;
    const QByteArray &p = request.payload;
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (request.module) {
    case WriteBeforeSyn: {
        if (p.size() != 1)
            break;
        const int flag = quint8(p.at(0));
        if (flag == 5) {
            ++m_state.scenesStarted;
            QList<Step> steps;
            for (int synType : {0, 1, 2, 3, 4, 5, 6, 255})
                steps.append({5, synType, tableOfSynType(synType), synType == 4 ? 4 : -1});
            result.more = startSteps(steps);
        } else if (flag == 7) {
            result.more = startSteps({{7, 0, 5, -1}, {7, 5, -1, 6}, {7, 255, 0, -1}});
        } else if (!m_steps.isEmpty() && m_steps.first().awaitedFlag == flag) {
            result.more = completeStep();
        }
        return result;
    }
    case WriteTemplate:
        if (p.size() != 2)
            break;
        m_state.templates.append(quint8(p.at(1)));
        if (request.replyExpected())
            result.datagram = deviceFrame(WriteTemplate, p, request.sequence);
        return result;
    case SubtitleChunk: {
        quint32 position = 0;
        if (!storeSubtitleChunk(p, &position))
            break;
        QByteArray answer(5, '\0');
        answer[0] = 1;
        qToBigEndian<quint32>(position, answer.data() + 1);
        result.datagram = deviceFrame(SubtitleChunk, answer, request.sequence);
        return result;
    }
    case SubtitleStartOrEnd:
        if (p.size() != 3)
            break;
        m_state.subtitleEnded = quint8(p.at(1)) == 255;
        if (request.replyExpected())
            result.datagram = deviceFrame(SubtitleStartOrEnd, p, request.sequence);
        return result;
    default:
        if (request.module >= FirstTable && request.module <= LastTable) {
            bool complete = false;
            if (!storeTable(request, &complete))
                break;
            const int kind = request.module - FirstTable;
            if (complete && !m_steps.isEmpty() && m_steps.first().awaitedTable == kind)
                result.more = completeStep();
            return result;
        }
        result.notModelled = true;
        if (request.replyExpected())
            result.datagram = deviceFrame(request.module, {}, request.sequence);
        return result;
    }
    ++m_state.refused;
    result.status = wire::StatusMalformed;
    return result;
}

RoleReply ProcessorRole::handle(const Frame &request)
{
    RoleReply result;
    if (request.flags & wire::FlagFromDevice) {
        result.status = wire::StatusMalformed;
        return result;
    }
    if (request.protocolType == 1)
        return handleVpu(request);
    result.notModelled = true;
    if (request.replyExpected()) {
        Frame reply = request;
        reply.flags = wire::FlagFromDevice | wire::FlagAcknowledge;
        reply.status = wire::StatusOk;
        reply.payload.clear();
        result.datagram = encodeFrame(reply);
    }
    return result;
}

} // namespace ledwall::sim
