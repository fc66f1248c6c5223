#pragma once
// Reassembly of echoed H.264 frames, fed datagram by datagram (layout in
// echodatagram.h).
//
// A frame begins with its 'b' packet (index 0) and goes on with 'q' packets
// (indexes 1 .. count - 1). Parts are matched to a frame by channel, frame number
// and packet count, and the frame is handed out once every index has arrived,
// its parts joined in index order. Parts in order are appended straight to the
// frame; parts ahead of a gap wait beside it until the gap is filled.
//
//   - A 'b' packet with count 1 is a whole frame at once.
//   - A part that arrives twice keeps its first copy and never completes a frame
//     by itself; a 'q' part ahead of its 'b' packet opens the frame.
//   - Indexes outside 1 .. count - 1, counts of 0 or past maxPacketsPerFrame,
//     unknown types, short or foreign datagrams are refused and counted.
//   - A channel keeps at most recordsPerChannel unfinished frames: an eleventh
//     evicts the oldest. A frame growing past maxFrameBytes is discarded, and when
//     all unfinished frames together pass maxTotalBytes the oldest go first, so a
//     broken or hostile sender cannot exhaust memory.

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace ledwall::echo
{

struct EchoFrame {
    quint8 channel = 0;
    quint16 frameNumber = 0;
    QByteArray data;
};

struct EchoAssemblyLimits {
    int recordsPerChannel = 10;
    int maxPacketsPerFrame = 8192;          // 8192 x 1.4 kB covers any real I-frame
    qint64 maxFrameBytes = 8 * 1024 * 1024; // far above a 4K I-frame at high quality
    qint64 maxTotalBytes = 64 * 1024 * 1024;
};

struct EchoAssemblyCounters {
    quint64 datagrams = 0;  // fed
    quint64 refused = 0;    // short, foreign, unknown type, absurd count or index
    quint64 duplicates = 0; // parts already held
    quint64 framesCompleted = 0;
    quint64 framesEvicted = 0;   // unfinished, pushed out by newer frames or the byte budget
    quint64 framesOversized = 0; // discarded past maxFrameBytes
};

class EchoFrameAssembler
{
public:
    explicit EchoFrameAssembler(const EchoAssemblyLimits &limits = EchoAssemblyLimits());

    // Takes one datagram; returns the frame it completes, if any. 'i' packets are
    // not frame data and are ignored here (see streamModeOf).
    std::optional<EchoFrame> feed(const QByteArray &datagram);

    void clear();
    const EchoAssemblyCounters &counters() const { return m_counters; }
    // Unfinished frames and the payload bytes they hold.
    int unfinishedFrames() const;
    qint64 bytesHeld() const { return m_bytesHeld; }

private:
    struct Record {
        quint16 frameNumber = 0;
        quint16 packetCount = 0;
        quint16 nextIndex = 0;               // parts 0 .. nextIndex - 1 are in `joined`
        QByteArray joined;                   // the frame so far, in order
        std::map<quint16, QByteArray> ahead; // parts past a gap
        qint64 bytes = 0;
        quint64 sequence = 0; // age, for the byte budget
    };
    using Records = std::vector<Record>;

    std::optional<EchoFrame> store(quint8 channel, quint16 frameNumber, quint16 count,
                                   quint16 index, const char *payload, int size);
    Records::iterator findOrOpen(Records &records, quint16 frameNumber, quint16 count);
    void drop(Records &records, Records::iterator record);
    void keepWithinBudget();

    EchoAssemblyLimits m_limits;
    EchoAssemblyCounters m_counters;
    std::array<Records, 256> m_channels;
    qint64 m_bytesHeld = 0;
    quint64 m_sequence = 0;
};

// Frames of one channel and the frames missing between them, judged by frame
// number (16 bits, wrapping). A frame that comes after a later one was counted
// as lost takes that loss back.
class EchoFrameLoss
{
public:
    void note(quint16 frameNumber);
    quint64 frames() const { return m_frames; }
    quint64 lost() const { return m_lost; }

private:
    quint64 m_frames = 0;
    quint64 m_lost = 0;
    quint16 m_last = 0;
};

} // namespace ledwall::echo
