// The calibration text reader and the packings: no input crashes them, and a text
// cut into two blocks anywhere packs exactly as the whole text does.
#include "fuzzinput.h"

#include "calibrationpacking.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ledwall::calibration;
    if (size < 1)
        return 0;
    const QByteArray text = fuzzBytes(data + 1, size - 1);
    const uint layout = data[0] & 1 ? Matrix : ThreeCoefficients;
    DisplayPacker whole(8, 8, layout);
    readCalibrationText(text, whole);

    DisplayPacker pieces(8, 8, layout);
    CalibrationTextReader reader(pieces);
    const int cut = text.isEmpty() ? 0 : data[0] % text.size();
    if (reader.feed(text.constData(), cut))
        reader.feed(text.constData() + cut, text.size() - cut);
    reader.finish();
    if (pieces.data() != whole.data() || pieces.companionRows() != whole.companionRows())
        std::abort();

    CabinetPacker cabinets({{0, 0, QRect(0, 0, 4, 4)}, {1, 2, QRect(2, 2, 6, 6)}}, layout);
    readCalibrationText(text, cabinets);
    pixelTable(text, 8, 8, layout);
    return 0;
}
