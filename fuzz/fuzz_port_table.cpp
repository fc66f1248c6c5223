// The hardware port table read back from a sending card, and the topology built
// from it.
#include "fuzzinput.h"

#include "porttable.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ledwall::porttable::rebuildTopology(fuzzBytes(data, size));
    return 0;
}
