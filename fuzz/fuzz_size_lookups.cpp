// The lookups by size a request asks for: the EDID timing of a width, height and
// refresh rate, and the stored picture's canvas from the request's size and the
// cabinet rectangles. Values come in every type a request may carry. What must
// hold: a timing found has exactly the size and rate asked for and its blanking is
// the sum of its porches and sync; a canvas is never empty or past its caps.
#include "fuzzinput.h"
#include "fuzzvariant.h"

#include "edidtable.h"
#include "storedimage.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

void lookUpTiming(FuzzReader &reader)
{
    QVariantMap params;
    insertValue(&params, QStringLiteral("width"), reader.value());
    insertValue(&params, QStringLiteral("height"), reader.value());
    insertValue(&params, QStringLiteral("refresh"), reader.value());
    const QVariantMap found = edid::selectEdidData(params);
    if (!found.value(QStringLiteral("isExist")).toBool())
        return;
    auto field = [&found](const char *key) { return found.value(QLatin1String(key)).toLongLong(); };
    if (field("HActive") != params.value(QStringLiteral("width")).toLongLong() ||
        field("VActive") != params.value(QStringLiteral("height")).toLongLong() ||
        field("FrameRate") != params.value(QStringLiteral("refresh")).toLongLong() ||
        field("hblnk") != field("HFrontPorch") + field("HSyncWidth") + field("HBackPorch") ||
        field("vblnk") != field("VFrontPorch") + field("VSyncWidth") + field("VBackPorch") ||
        field("VIC") == 0)
        std::abort();
}

void sizeCanvas(FuzzReader &reader)
{
    using namespace ledwall::storedimage;
    QVariantMap params;
    insertValue(&params, QStringLiteral("screenEffects"), reader.value());
    insertValue(&params, QStringLiteral("width"), reader.value());
    insertValue(&params, QStringLiteral("height"), reader.value());
    QVariantList boxList;
    for (const QByteArray &line : reader.rest().split('\n'))
        boxList.append(QString::fromLatin1(line));
    const QSize extent = screenExtent(boxList);
    if (extent != QSize(-1, -1) &&
        (extent.width() < 0 || extent.height() < 0 || extent.width() > MaxCanvasSide ||
         extent.height() > MaxCanvasSide))
        std::abort();
    const QSize canvas = canvasSize(params, boxList);
    if (canvas.isValid() &&
        (canvas.isEmpty() || canvas.width() > MaxCanvasSide || canvas.height() > MaxCanvasSide ||
         qint64(canvas.width()) * canvas.height() > MaxCanvasPixels))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader(data, size);
    lookUpTiming(reader);
    sizeCanvas(reader);
    return 0;
}
