// A datagram as the virtual wall checks it before acting on it.
#include "fuzzinput.h"

#include "simwire.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ledwall::sim::Frame frame;
    ledwall::sim::decodeDatagram(fuzzBytes(data, size), &frame);
    return 0;
}
