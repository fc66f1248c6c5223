// Bytes of a serial or USB link, arriving in two pieces at an arbitrary split.
#include "fuzzinput.h"

#include "streamframing.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes = fuzzBytes(data + 1, size - 1);
    const int split = bytes.isEmpty() ? 0 : data[0] % bytes.size();
    ledwall::link::StreamDeframer deframer;
    deframer.feed(bytes.left(split));
    deframer.feed(bytes.mid(split));
    return 0;
}
