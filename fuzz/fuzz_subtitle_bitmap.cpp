// A subtitle bitmap file as the operator picks it: the header read and the pixels
// converted under every colour mode; a conversion never yields more pixels than
// the file's bytes can hold, and the chunks of what it yields cover it exactly.
#include "fuzzinput.h"

#include "subtitlebitmap.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ledwall::subtitle;
    if (size < 1)
        return 0;
    const QByteArray file = fuzzBytes(data + 1, size - 1);
    ConversionOptions options;
    options.isImage = data[0] & 1;
    options.foreground = {data[0], data[0] >> 1, data[0] >> 2, data[0] >> 6};
    headerInformation(file);
    const Conversion conversion = convert(file, options);
    if (conversion.pixels.size() > file.size() * 8LL ||
        (!conversion.ok() && !conversion.pixels.isEmpty()))
        std::abort();
    int covered = 0;
    for (int position = 0; position < conversion.pixels.size(); position += ChunkSize)
        covered += chunkCommand(QStringLiteral("g"), conversion.pixels, position)
                       .value(QStringLiteral("subtitleBMPLen"))
                       .toInt();
    if (covered != conversion.pixels.size())
        std::abort();
    return 0;
}
