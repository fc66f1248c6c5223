// A receiving-card upgrade file: header, checks (both card comparisons), MCU magic.
#include "fuzzinput.h"

#include "upgradefile.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file = fuzzBytes(data, size);
    ledwall::upgrade::parseHeader(file);
    ledwall::upgrade::isMcuFile(file);
    quint32 crc = 0;
    ledwall::upgrade::checkFile(file,
                                {{QStringLiteral("cardFlag"), 2},
                                 {QStringLiteral("receCardType"), QStringLiteral("NRX-72")}},
                                &crc);
    ledwall::upgrade::checkFile(file, {{QStringLiteral("firmIndex"), 1}});
    return 0;
}
