#include "chipmodel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace chiplib
{

namespace
{

struct ParamTable {
    ParamInfo info[static_cast<int>(Param::Count)];
    int usedWords = 0;

    ParamTable()
    {
        int i = 0;
        int offset = 0;
#define LEDWALL_CHIP_INFO(name, words, scale, min, max, def, range)                                \
    info[i++] = ParamInfo{#name, words, scale, min, max, def, range, offset};                      \
    offset += words;
        LEDWALL_CHIP_PARAMS(LEDWALL_CHIP_INFO)
#undef LEDWALL_CHIP_INFO
        usedWords = offset;
    }
};

const ParamTable &table()
{
    static const ParamTable t;
    return t;
}

const double kShiftClocks[ChipModel::ShiftClockCount] = {6.25,   8.33, 10.0, 12.5,
                                                         15.625, 20.0, 25.0};
const int kRefreshFactors[ChipModel::RefreshCount] = {8, 16, 24, 32, 48, 64};
const int kStartRefreshFactors[ChipModel::StartRefreshCount] = {1, 2, 4};
const int kDuties[ChipModel::DutyCount] = {50, 60, 70, 75, 80, 90, 100};
const double kVersions16to16[ChipModel::Version16to16Count] = {1.0, 1.1, 2.0};

} // namespace

const ParamInfo &paramInfo(Param param)
{
    return table().info[static_cast<int>(param)];
}

bool ChipModel::isKnownChip(int chipMode)
{
    return chipMode >= 0 && chipMode <= 25;
}

void ChipModel::reset(int chipMode)
{
    m_image.fill(0);
    for (int p = 0; p < static_cast<int>(Param::Count); ++p) {
        const ParamInfo &info = table().info[p];
        for (int w = 0; w < info.words; ++w)
            m_image[info.offset + w] = static_cast<uint16_t>(info.defaultValue);
    }
    scanTextPath.clear();
    m_chipMode = chipMode;
    m_initialised = true;
}

int ChipModel::raw(Param param, int index) const
{
    const ParamInfo &info = paramInfo(param);
    if (index < 0 || index >= info.words)
        return 0;
    const uint16_t word = m_image[info.offset + index];
    return info.min < 0 ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word);
}

double ChipModel::real(Param param, int index) const
{
    return static_cast<double>(raw(param, index)) / paramInfo(param).scale;
}

int ChipModel::setRaw(Param param, int index, int value)
{
    const ParamInfo &info = paramInfo(param);
    if (index < 0 || index >= info.words || value < info.min || value > info.max)
        return InvalidParameter;
    m_image[info.offset + index] = static_cast<uint16_t>(value);
    return Ok;
}

int ChipModel::setReal(Param param, int index, double value)
{
    if (!std::isfinite(value))
        return InvalidParameter;
    const double scaled = std::round(value * paramInfo(param).scale);
    if (scaled < -1e9 || scaled > 1e9)
        return InvalidParameter;
    return setRaw(param, index, static_cast<int>(scaled));
}

int ChipModel::load(const unsigned char *data, int length)
{
    if (!data)
        return NullPointer;
    if (length <= 0 || length > ImageBytes)
        return BufferSize;
    // The image is little-endian whatever the host; words are assembled bytewise.
    for (int i = 0; i < length; ++i) {
        uint16_t &word = m_image[i / 2];
        if (i % 2 == 0)
            word = static_cast<uint16_t>((word & 0xFF00) | data[i]);
        else
            word = static_cast<uint16_t>((word & 0x00FF) | (data[i] << 8));
    }
    return Ok;
}

int ChipModel::copyImage(unsigned char *buffer, int length) const
{
    if (!buffer)
        return NullPointer;
    if (length <= 0 || length > ImageBytes)
        return BufferSize;
    for (int i = 0; i < length; ++i) {
        const uint16_t word = m_image[i / 2];
        buffer[i] = static_cast<unsigned char>(i % 2 == 0 ? word & 0xFF : word >> 8);
    }
    return Ok;
}

double ChipModel::shiftClockAt(int index)
{
    return kShiftClocks[index];
}
int ChipModel::refreshFactorAt(int index)
{
    return kRefreshFactors[index];
}
int ChipModel::highBitsAt(int index)
{
    return 6 + index;
}
int ChipModel::startRefreshFactorAt(int index)
{
    return kStartRefreshFactors[index];
}
int ChipModel::dutyAt(int index)
{
    return kDuties[index];
}
double ChipModel::version16to16At(int index)
{
    return kVersions16to16[index];
}

int ChipModel::listIndex(Param param, int count) const
{
    return std::clamp(raw(param), 0, count - 1);
}

int ChipModel::refreshRate() const
{
    return raw(Param::FieldFreq) * refreshFactorAt(listIndex(Param::RefreshIndex, RefreshCount));
}

int ChipModel::contrast() const
{
    return (raw(Param::GammaMax) + 1) / (std::max(raw(Param::GammaStart), 0) + 1);
}

int ChipModel::brightUtilization() const
{
    const int blanking = raw(Param::ColBankingTime) + raw(Param::RowDownTime);
    return std::max(0, 100 - blanking * 100 / 512);
}

void ChipModel::ranges(int *minValues, int *maxValues) const
{
    std::fill(minValues, minValues + RangeCount, 0);
    std::fill(maxValues, maxValues + RangeCount, 0);
    auto put = [&](int k, double min, double max) {
        minValues[k] = static_cast<int>(std::lround(min));
        maxValues[k] = static_cast<int>(std::lround(max));
    };
    for (int p = 0; p < static_cast<int>(Param::Count); ++p) {
        const ParamInfo &info = table().info[p];
        if (info.rangeIndex >= 0)
            put(info.rangeIndex, double(info.min) / info.scale, double(info.max) / info.scale);
    }
    // Shared or derived entries.
    const ParamInfo &gray = paramInfo(Param::GrayError);
    put(38, double(gray.min) / gray.scale, double(gray.max) / gray.scale);
    const ParamInfo &fix = paramInfo(Param::FixValue);
    put(27, fix.min / 64.0, fix.max / 64.0);
}

int ChipModel::subFrames() const
{
    return refreshFactorAt(listIndex(Param::RefreshIndex, RefreshCount));
}

int ChipModel::paraTableEntry(int subFrame, int bit) const
{
    const int frames = subFrames();
    const long long slices = 1LL << bit;
    const long long entry = slices / frames + (subFrame < slices % frames ? 1 : 0);
    return static_cast<int>(std::min<long long>(entry, 255));
}

int ChipModel::blockLength(int block) const
{
    switch (block) {
    case 0:
        return ImageBytes;
    case 1:
        return std::max(raw(Param::ScanNum), 0) * 2;
    case 2:
        return GammaTableSize * 2;
    case 3:
        return subFrames() * 4;
    default:
        return 0;
    }
}

int ChipModel::totalBlockLength() const
{
    return blockLength(0) + blockLength(1) + blockLength(2) + blockLength(3);
}

void ChipModel::fillBlocks(unsigned char *buffer) const
{
    auto put16 = [](unsigned char *at, unsigned value) {
        at[0] = static_cast<unsigned char>(value & 0xFF);
        at[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
    };
    unsigned char *at = buffer;
    copyImage(at, ImageBytes);
    at += blockLength(0);

    for (int row = 0; row < blockLength(1) / 2; ++row)
        put16(at + 2 * row, static_cast<unsigned>(row));
    at += blockLength(1);

    unsigned short gamma[GammaTableSize] = {};
    if (createGammaTable(raw(Param::GammaStep), raw(Param::GammaStart), raw(Param::GammaMax),
                         real(Param::GammaPara), paramInfo(Param::GammaStart).defaultValue,
                         paramInfo(Param::GammaStep).defaultValue, raw(Param::BrightBF), gamma,
                         GammaTableSize) != Ok)
        std::memset(gamma, 0, sizeof gamma);
    for (int i = 0; i < GammaTableSize; ++i)
        put16(at + 2 * i, gamma[i]);
    at += blockLength(2);

    const int bits = std::clamp(raw(Param::GammaBits), 0, 16);
    for (int s = 0; s < subFrames(); ++s) {
        uint32_t weight = 0;
        for (int b = 0; b < bits; ++b) {
            const long long slices = 1LL << b;
            weight += static_cast<uint32_t>(slices / subFrames() + (s < slices % subFrames()));
        }
        put16(at + 4 * s, weight & 0xFFFF);
        put16(at + 4 * s + 2, weight >> 16);
    }
}

int createGammaTable(int step, int start, int max, double gamma, int defaultStart, int defaultStep,
                     int brightBF, unsigned short *table, int entries)
{
    if (!table)
        return NullPointer;
    if (entries < ChipModel::GammaTableSize)
        return BufferSize;
    if (start < 0)
        start = defaultStart;
    if (step < 1)
        step = defaultStep < 1 ? 1 : defaultStep;
    if (!(gamma > 0.0) || !std::isfinite(gamma) || start < 0 || max < start || brightBF < 0 ||
        brightBF > 100)
        return InvalidParameter;
    for (int i = 0; i < ChipModel::GammaTableSize; ++i) {
        const double level = std::pow(i / 255.0, gamma);
        double value = start + (double(max) - start) * brightBF / 100.0 * level;
        long long v = std::llround(value);
        v -= v % step;
        table[i] = static_cast<unsigned short>(std::clamp<long long>(v, 0, 65535));
    }
    return Ok;
}

} // namespace chiplib
