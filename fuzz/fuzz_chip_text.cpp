// The driver chip's text files: the register image text (from the interface or a
// default register file), loaded into the chip library and the data-file blocks
// generated from it, and the hexadecimal data files read by getLSFileData in each
// of their entry widths. What must hold: an image that parses writes out as both
// text forms and parses back to the same bytes, the chip hands back the image it
// was given, generation stays inside the lengths it reports, and a data file's
// bytes come in whole entries.
#include "fuzzinput.h"

#include "chiptext.h"
#include "configdll6619.h"

#include <cstdlib>
#include <vector>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

using namespace ledwall::chip;

void checkSame(const QByteArray &text, const QByteArray &image)
{
    const ParsedImage again = parseRegisterText(text);
    if (!again.ok || again.image != image)
        std::abort();
}

// What the chip object does with a loaded image: read it back and generate the
// data-file blocks and tables from the parameters it holds.
void loadIntoChip(int chipMode, const QByteArray &image)
{
    iniDLL6619(chipMode);
    const auto *bytes = reinterpret_cast<const unsigned char *>(image.constData());
    if (loadConfigBuffer6619(bytes, image.size()) != CONFIGERR_OK_6619)
        return;
    std::vector<unsigned char> back(size_t(image.size()));
    if (getConfigBuffer6619(back.data(), image.size()) != CONFIGERR_OK_6619 ||
        QByteArray(reinterpret_cast<const char *>(back.data()), image.size()) != image)
        std::abort();

    int lengths[4] = {};
    GetGenParamBufLen6619(&lengths[0], &lengths[1], &lengths[2], &lengths[3]);
    long long total = 0;
    for (int length : lengths) {
        if (length < 0)
            std::abort();
        total += length;
    }
    if (total > 1024 * 1024)
        std::abort();
    std::vector<unsigned char> blocks(size_t(total) + 1);
    GetGenParamToBuf6619(blocks.data(), int(total));

    int bits = 0, subFrames = 0, third = 0;
    GetBitsSubFrameNum(&bits, &subFrames, &third);
    if (subFrames < 1 || subFrames > 64)
        std::abort();
    std::vector<unsigned char> table(size_t(16 * subFrames));
    GetParaTable(table.data(), int(table.size()));
    int value1 = 0, value2 = 0, count = 0;
    unsigned short words[LS_CONTROL_WORDS_MAX] = {};
    GetControlInfor(&value1, &value2, words, LS_CONTROL_WORDS_MAX, &count);
    int contrast = 0, utilisation = 0;
    GetContrastness6619(&contrast);
    GetBrightUtilization6619(&utilisation);
}

void readDataFile(const QByteArray &text, int mode, int width)
{
    bool ok = false;
    const QByteArray bytes = fileDataBytes(text, mode, width, &ok);
    const int unit = mode == 0 ? 1 : (mode == 2 && width == 8 ? 4 : 2);
    if (!ok ? !bytes.isEmpty() : bytes.size() % unit != 0 || (mode == 2 && bytes.size() % 4 != 0))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int chipMode = data[0] % 26;
    const QByteArray text = fuzzBytes(data + 1, size - 1);

    const ParsedImage parsed = parseRegisterText(text);
    if (parsed.ok) {
        if (parsed.image.size() % 2 != 0)
            std::abort();
        checkSame(registerText(parsed.image).toLatin1(), parsed.image);
        checkSame(defaultFileText(parsed.image), parsed.image);
        loadIntoChip(chipMode, parsed.image);
    } else if (!parsed.image.isEmpty() || parsed.error.isEmpty()) {
        std::abort();
    }

    readDataFile(text, 0, 0);
    readDataFile(text, 1, 0);
    readDataFile(text, 2, 8);
    readDataFile(text, 2, 16);
    return 0;
}
