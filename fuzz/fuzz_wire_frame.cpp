// A datagram as the link receives it: decoded, encoded again and decoded to the same
// frame; a reply of each protocol type parsed into its module as the pipeline does
// (sending card, video-processing unit, processor), a processor's synchronisation
// request turned into its action, and a read-back box-position page mirrored.
#include "fuzzinput.h"

#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "sendcardmodules.h"
#include "synchronisation.h"
#include "vpumodules.h"
#include "windowpages.h"
#include "wireframe.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

QByteArray payloadOf(const Module_ProtocolBase &frame)
{
    switch (frame.protocolType()) {
    case Module_ProtocolBase::SendCard:
        return static_cast<const Module_SendCard_Protocol &>(frame).cmdData;
    case Module_ProtocolBase::VideoProcessingUnit:
        return static_cast<const Module_VPU_Protocol &>(frame).m_data;
    default:
        return static_cast<const Module_Processor_Protocol &>(frame).m_data;
    }
}

// A frame the decoder accepted encodes to a datagram that decodes to the same type,
// sequence, status and payload.
void checkReencoding(const Module_ProtocolBase &frame)
{
    const ledwall::wire::Decoded again = ledwall::wire::decodeFrame(frame.encode(frame.m_sequence));
    if (!again.frame || again.frame->protocolType() != frame.protocolType() ||
        again.frame->m_sequence != frame.m_sequence || again.frame->m_status != frame.m_status ||
        payloadOf(*again.frame) != payloadOf(frame))
        std::abort();
}

void parseVpu(const Module_VPU_Protocol &frame)
{
    const ledwall::packet::ParsedModule parsed = ledwall::packet::parseVpuFrame(frame);
    if (!parsed.data)
        return;
    const QVariantMap &map = parsed.map;
    if (map.value(QStringLiteral("moduleName")).toString() ==
        QLatin1String("Module_ReadBeforeSynInfo"))
        ledwall::processor::synAction(map.value(QStringLiteral("cmdFlag"), -1).toInt(),
                                      map.value(QStringLiteral("synType"), -1).toInt());
}

// A box-position page read back from the card: mirroring its boxes twice gives the
// page back, and the page never changes size.
void mirrorPage(const QByteArray &page)
{
    const quint32 count = ledwall::windows::boxPageCount(page);
    const int boxes = int(qMin<quint32>(count, ledwall::windows::MaxPageBoxes));
    const QByteArray once = ledwall::windows::mirrorBoxPage(page, boxes);
    if (once.size() != page.size() || ledwall::windows::mirrorBoxPage(once, boxes) != page)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ledwall::wire::Decoded decoded = ledwall::wire::decodeFrame(fuzzBytes(data, size));
    if (!decoded.frame)
        return 0;
    const Module_ProtocolBase &frame = *decoded.frame;
    checkReencoding(frame);
    switch (frame.protocolType()) {
    case Module_ProtocolBase::SendCard: {
        const auto &sendCard = static_cast<const Module_SendCard_Protocol &>(frame);
        ledwall::packet::parseSendCardFrame(sendCard, QStringLiteral("fuzz"));
        mirrorPage(sendCard.cmdData);
        break;
    }
    case Module_ProtocolBase::VideoProcessingUnit:
        parseVpu(static_cast<const Module_VPU_Protocol &>(frame));
        break;
    case Module_ProtocolBase::Processor:
        ledwall::packet::parseProcessorFrame(static_cast<const Module_Processor_Protocol &>(frame));
        break;
    }
    return 0;
}
