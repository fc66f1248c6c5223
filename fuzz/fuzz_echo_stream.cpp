// Recorded echo traffic as the echo receiver handles it: the capture split into its
// datagrams, each datagram's stream mode read and the datagram fed to the frame
// reassembly (tight limits, so that eviction and the byte budget are reached), and
// every completed frame handed to the H.264 player. What must hold: the reassembly
// stays within its limits, a completed frame cut into datagrams again reassembles
// to the same bytes, and the player never shows a picture larger than it allows.
#include "fuzzinput.h"

#include "avplayer.h"
#include "echocapture.h"
#include "echodatagram.h"
#include "echoframeassembler.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

using namespace ledwall::echo;

EchoAssemblyLimits tightLimits()
{
    EchoAssemblyLimits limits;
    limits.recordsPerChannel = 3;
    limits.maxPacketsPerFrame = 64;
    limits.maxFrameBytes = 16 * 1024;
    limits.maxTotalBytes = 32 * 1024;
    return limits;
}

// The sender's side of the format gives back the frame the receiver assembled.
void checkResend(const EchoFrame &frame)
{
    const int payloadSize = 1400 - frame.data.size() % 700;
    EchoFrameAssembler again;
    std::optional<EchoFrame> result;
    for (const QByteArray &datagram :
         frameDatagrams(frame.channel, frame.frameNumber, frame.data, payloadSize)) {
        if (result)
            std::abort(); // completed before its last datagram
        result = again.feed(datagram);
    }
    if (!result || result->data != frame.data || result->channel != frame.channel ||
        result->frameNumber != frame.frameNumber)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static AVPlayer player;
    QVector<QByteArray> datagrams;
    QString error;
    splitCapture(fuzzBytes(data, size), &datagrams, &error);

    const EchoAssemblyLimits limits = tightLimits();
    EchoFrameAssembler assembler(limits);
    for (const QByteArray &datagram : std::as_const(datagrams)) {
        if (datagram.size() > MaxCapturedDatagram)
            std::abort();
        streamModeOf(datagram);
        const std::optional<EchoFrame> frame = assembler.feed(datagram);
        if (assembler.bytesHeld() < 0 || assembler.bytesHeld() > limits.maxTotalBytes ||
            assembler.unfinishedFrames() > 256 * limits.recordsPerChannel)
            std::abort();
        if (!frame)
            continue;
        if (frame->data.size() > qMax<qint64>(limits.maxFrameBytes, MaxCapturedDatagram))
            std::abort();
        checkResend(*frame);
        player.putH264ArraryData(frame->data);
    }
    if (assembler.counters().datagrams != quint64(datagrams.size()))
        std::abort();
    player.waitUntilIdle(10000);
    const QImage last = player.lastFrame();
    if (!last.isNull() && (last.width() > 8192 || last.height() > 8192))
        std::abort();
    return 0;
}
