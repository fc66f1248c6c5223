// A flash read-back reply placed into the firmware image at the address it names
// (the first four bytes of the input).
#include "fuzzinput.h"

#include "flashimage.h"

#include <QtEndian>

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    QByteArray image;
    ledwall::flashimage::placeBlock(image, qFromBigEndian<quint32>(data),
                                    fuzzBytes(data + 4, size - 4));
    return 0;
}
