// The short texts read from files: the search settings file and a cabinet line of a
// stored image's cabinet list.
#include "fuzzinput.h"

#include "searchsettings.h"
#include "storedimage.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    ledwall::parseSearchSettings(bytes);
    ledwall::storedimage::Cabinet cabinet;
    ledwall::storedimage::parseCabinet(QString::fromUtf8(bytes), &cabinet);
    return 0;
}
