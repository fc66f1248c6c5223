// A datagram as the link receives it: decoded, and a sending-card reply parsed into
// its module as the pipeline does.
#include "fuzzinput.h"

#include "module_sendcard_protocol.h"
#include "sendcardmodules.h"
#include "wireframe.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ledwall::wire::Decoded decoded = ledwall::wire::decodeFrame(fuzzBytes(data, size));
    if (decoded.frame && decoded.frame->protocolType() == Module_ProtocolBase::SendCard)
        ledwall::packet::parseSendCardFrame(
            static_cast<const Module_SendCard_Protocol &>(*decoded.frame), QStringLiteral("fuzz"));
    return 0;
}
