// A message of a remote tool as the server bridge decodes it: the XML codec never
// crashes, and what it accepts encodes and decodes to the same type and map.
#include "fuzzinput.h"

#include "bll_communicationxml_desktop.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int type = 0;
    QVariantMap map;
    if (!BLL_CommunicationXml_Desktop::fromXml(fuzzBytes(data, size), &type, &map))
        return 0;
    int againType = -1;
    QVariantMap again;
    if (!BLL_CommunicationXml_Desktop::fromXml(BLL_CommunicationXml_Desktop::toXml(type, map),
                                               &againType, &again) ||
        againType != type || again.size() != map.size())
        std::abort();
    return 0;
}
