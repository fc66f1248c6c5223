// The files of the data center, chosen by the first byte: a plain JSON object
// (cabinet parameter files, also read as a chip gamma request), a JSON envelope, a
// parameter-map XML file, a memory initialisation file (.mif) and a gamma table of
// hexadecimal entries. What must hold: whatever a decoder accepts, its encoder
// writes out as a file the decoder reads back to the same content, and a gamma
// curve has the points it was asked for, each within its bits.
#include "fuzzinput.h"

#include "formats/gammafileformat.h"
#include "formats/jsonfileformat.h"
#include "formats/mifformat.h"
#include "formats/variantxml.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

const QString Format = QStringLiteral("gammaTable");
const QString Root = QStringLiteral("displayConnect");

void chipGamma(const QVariantMap &request, int family)
{
    const QVariantList curve =
        gammafile::chipGammaCurve(gammafile::ChipFamily(family % 4), request);
    if (curve.isEmpty())
        return;
    const int bits = request.contains(QStringLiteral("bits"))
                         ? int(request.value(QStringLiteral("bits")).toDouble())
                         : gammafile::curveDefaults(gammafile::ChipFamily(family % 4)).bits;
    for (const QVariant &point : curve) {
        const int y = point.toMap().value(QStringLiteral("y")).toInt();
        if (y < 0 || y > (1 << bits) - 1)
            std::abort();
    }
}

void jsonObject(const QByteArray &bytes, int family)
{
    const QVariantMap data = jsonfile::decodeObject(bytes);
    if (data.isEmpty())
        return;
    const QByteArray written = jsonfile::encodeObject(data);
    if (jsonfile::encodeObject(jsonfile::decodeObject(written)) != written)
        std::abort();
    chipGamma(data, family);
}

void jsonEnvelope(const QByteArray &bytes)
{
    const QVariantMap data = jsonfile::decodeEnvelope(Format, bytes);
    if (data.isEmpty())
        return;
    const QByteArray written = jsonfile::encodeEnvelope(Format, data);
    if (jsonfile::encodeEnvelope(Format, jsonfile::decodeEnvelope(Format, written)) != written)
        std::abort();
}

void xmlFile(const QByteArray &bytes)
{
    QVariantMap data;
    if (!variantxml::decode(Root, bytes, &data))
        return;
    const QByteArray written = variantxml::encode(Root, data);
    QVariantMap again;
    if (!variantxml::decode(Root, written, &again) || variantxml::encode(Root, again) != written)
        std::abort();
}

void mifFile(const QByteArray &bytes)
{
    const QVariantMap decoded = mifformat::decode(bytes);
    if (decoded.isEmpty())
        return;
    const QVariantList values = decoded.value(QStringLiteral("values")).toList();
    const int width = decoded.value(QStringLiteral("width")).toInt();
    if (values.size() != decoded.value(QStringLiteral("depth")).toInt())
        std::abort();
    if (values.size() > 4096)
        return; // a large table takes long to write out again; its reading is what counts
    const QVariantMap again = mifformat::decode(mifformat::encode(values, width));
    if (again.value(QStringLiteral("values")).toList() != values ||
        again.value(QStringLiteral("width")).toInt() != width)
        std::abort();
}

void gammaEntries(const QByteArray &bytes)
{
    QVariantList values;
    if (!gammafile::decodeHexEntries(bytes, &values))
        return;
    QVariantList again;
    if (values.isEmpty() || values.size() > gammafile::maxEntries ||
        !gammafile::decodeHexEntries(gammafile::encodeHexEntries(values), &again) ||
        again != values)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes = fuzzBytes(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        jsonObject(bytes, data[0] / 5);
        break;
    case 1:
        jsonEnvelope(bytes);
        break;
    case 2:
        xmlFile(bytes);
        break;
    case 3:
        mifFile(bytes);
        break;
    default:
        gammaEntries(bytes);
        break;
    }
    return 0;
}
