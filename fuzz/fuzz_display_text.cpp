// Both display texts as a card stores them: Latin-1 for the connection model, UTF-8
// for the complex one; what decodes is encoded again.
#include "fuzzinput.h"

#include "complexdisplaytext.h"
#include "displaytext.h"

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    QVariantMap map;
    if (ledwall::displaytext::connectTextToMap(QString::fromLatin1(bytes), &map))
        ledwall::displaytext::connectMapToText(map);
    if (ledwall::displaytext::complexTextToMap(QString::fromUtf8(bytes), &map))
        ledwall::displaytext::complexMapToText(map);
    return 0;
}
