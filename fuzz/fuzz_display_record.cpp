// The compressed display record read back from a card's flash.
#include "fuzzinput.h"

#include "displayrecord.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray text;
    int zlibCode = 0;
    ledwall::displayrecord::unpack(fuzzBytes(data, size), &text, &zlibCode);
    return 0;
}
