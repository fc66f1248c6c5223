#pragma once
// Emulated driver chip behind the configuration library's C interface.
//
// The chip state is a register image of 16-bit little-endian words. Each
// parameter owns a fixed run of words at the start of the image (one word per
// colour or slot); the rest of the image is kept as loaded. Parameter values are
// stored in raw units: a fractional parameter is stored multiplied by its scale.
// No locking here; the C shell serialises access.

#include <array>
#include <cstdint>
#include <string>

namespace chiplib
{

// name, words, scale, raw minimum, raw maximum, raw default, index in the range table
#define LEDWALL_CHIP_PARAMS(X)                                                                     \
    X(ShiftLen, 1, 1, 1, 2048, 128, -1)                                                            \
    X(ScanNum, 1, 1, 1, 64, 16, 0)                                                                 \
    X(DecodeMode, 1, 1, 0, 31, 0, -1)                                                              \
    X(RgbSeq, 1, 1, 0, 5, 0, -1)                                                                   \
    X(TotalLine, 1, 1, 1, 128, 16, -1)                                                             \
    X(StartColor, 4, 1, 0, 255, 0, 22)                                                             \
    X(StartScan, 4, 1, 0, 255, 0, 23)                                                              \
    X(FieldFreq, 1, 1, 24, 240, 60, 30)                                                            \
    X(SystemClock, 1, 1, 50, 200, 125, 31)                                                         \
    X(ClockPhase, 1, 1, 0, 15, 4, 1)                                                               \
    X(ShiftClockIndex, 1, 1, 0, 6, 3, -1)                                                          \
    X(RefreshIndex, 1, 1, 0, 5, 1, -1)                                                             \
    X(HighBitsIndex, 1, 1, 0, 7, 4, -1)                                                            \
    X(StartRefreshIndex, 1, 1, 0, 2, 0, -1)                                                        \
    X(DutyIndex, 1, 1, 0, 6, 6, -1)                                                                \
    X(RowDutyIndex, 1, 1, 0, 6, 6, -1)                                                             \
    X(DataPhase, 3, 1, 0, 7, 0, 29)                                                                \
    X(RowMode, 1, 1, 0, 7, 0, 24)                                                                  \
    X(RowPhase, 1, 1, 0, 31, 2, 25)                                                                \
    X(RowOEDelay, 1, 1, 0, 255, 4, 26)                                                             \
    X(BackMode, 1, 1, 0, 1, 0, -1)                                                                 \
    X(JianMode, 1, 1, 0, 3, 0, -1)                                                                 \
    X(RowJiangPing, 1, 1, 0, 3, 0, -1)                                                             \
    X(RowBank, 3, 1, 0, 7, 0, -1)                                                                  \
    X(RowPullVol, 3, 1, 0, 15, 7, 5)                                                               \
    X(RowPullVolCut, 3, 1, 0, 15, 3, 6)                                                            \
    X(OEHiLevel, 1, 1, 0, 255, 0, 13)                                                              \
    X(OELoLevel, 1, 1, 0, 255, 0, -1)                                                              \
    X(MinPulse, 1, 1, 0, 255, 30, 12)                                                              \
    X(ColBankingTime, 1, 1, 0, 255, 20, 18)                                                        \
    X(RowDownTime, 1, 1, 0, 255, 20, 2)                                                            \
    X(ColReleaseTime, 1, 1, 0, 255, 10, 4)                                                         \
    X(ColBankWaitTime, 1, 1, 0, 255, 10, 3)                                                        \
    X(ColBlanking, 1, 1, 0, 1, 1, -1)                                                              \
    X(Current, 3, 1, 0, 255, 128, -1)                                                              \
    X(PreCurrent, 3, 1, 0, 15, 4, -1)                                                              \
    X(Resistance, 3, 1, 0, 15, 8, 36)                                                              \
    X(BlSel, 3, 1, 0, 7, 3, 9)                                                                     \
    X(SelVds, 3, 1, 0, 7, 3, 20)                                                                   \
    X(Iges, 3, 1, 0, 63, 32, 19)                                                                   \
    X(MPad, 3, 1, 0, 15, 0, 21)                                                                    \
    X(MCup, 3, 1, 0, 7, 2, 10)                                                                     \
    X(FirstLine, 3, 1, 0, 63, 0, 7)                                                                \
    X(LowFirstLine, 3, 1, 0, 63, 0, 8)                                                             \
    X(SetValue9930, 3, 1, 0, 255, 0, 28)                                                           \
    X(PreSet9929, 1, 1, 0, 15, 0, -1)                                                              \
    X(BsVbl9936, 1, 1, 0, 15, 0, -1)                                                               \
    X(CcLedRange, 3, 1, 0, 255, 128, -1)                                                           \
    X(CcFix, 3, 1, 0, 255, 0, -1)                                                                  \
    X(OpenSwitch, 1, 1, 0, 1, 0, -1)                                                               \
    X(OpenDetectPara, 1, 1, 0, 15, 0, -1)                                                          \
    X(OpenDetection, 3, 1, 0, 15, 8, 34)                                                           \
    X(PrePullSwitch, 1, 1, 0, 1, 0, 35)                                                            \
    X(PrePullValue, 1, 100, 0, 500, 100, -1)                                                       \
    X(LowPower, 1, 1, 0, 1, 0, -1)                                                                 \
    X(HighFrequence, 1, 1, 0, 1, 0, -1)                                                            \
    X(TestMode, 1, 1, 0, 1, 0, -1)                                                                 \
    X(GammaPara, 1, 100, 100, 400, 220, 17)                                                        \
    X(GammaStart, 1, 1, 0, 1023, 0, 14)                                                            \
    X(GammaStep, 1, 1, 1, 64, 1, 16)                                                               \
    X(GammaMax, 1, 1, 0, 65535, 16383, 15)                                                         \
    X(GammaMode, 1, 1, 0, 3, 0, -1)                                                                \
    X(GammaBits, 1, 1, 10, 16, 14, 37)                                                             \
    X(BrightBF, 1, 1, 0, 100, 100, -1)                                                             \
    X(DeltaK, 1, 100, 0, 1000, 100, 33)                                                            \
    X(FixValue, 1, 1, 0, 255, 64, 32)                                                              \
    X(ErrorBegin, 1, 1, 0, 255, 0, 39)                                                             \
    X(GrayError, 12, 100, -1000, 1000, 0, 11)                                                      \
    X(AddBrightMode, 1, 1, 0, 3, 0, 41)                                                            \
    X(FlashIndex, 1, 1, 0, 7, 0, -1)                                                               \
    X(LeakageIndex, 1, 1, 0, 3, 0, -1)                                                             \
    X(GrayIndex, 1, 1, 0, 7, 0, -1)                                                                \
    X(Para3D, 1, 1, 0, 3, 0, -1)                                                                   \
    X(Version16to16Index, 1, 1, 0, 2, 0, -1)                                                       \
    X(Mode16to16, 1, 1, 0, 1, 0, -1)                                                               \
    X(New16to16, 1, 1, 0, 1, 0, -1)

enum class Param {
#define LEDWALL_CHIP_ENUM(name, words, scale, min, max, def, range) name,
    LEDWALL_CHIP_PARAMS(LEDWALL_CHIP_ENUM)
#undef LEDWALL_CHIP_ENUM
        Count
};

struct ParamInfo {
    const char *name;
    int words;
    int scale;
    int min;
    int max;
    int defaultValue;
    int rangeIndex;
    int offset; // first word in the image
};

const ParamInfo &paramInfo(Param param);

// Status values, the same numbers as the C interface.
enum Status {
    Ok = 0,
    NotSupported = 1,
    NotInitialised = 2,
    NullPointer = 3,
    BufferSize = 4,
    InvalidParameter = 7
};

class ChipModel
{
public:
    static constexpr int ImageBytes = 4096;
    static constexpr int ImageWords = ImageBytes / 2;
    static constexpr int MaxShiftLen = 2048;
    static constexpr int RangeCount = 100;
    static constexpr int GammaTableSize = 256;

    static bool isKnownChip(int chipMode);

    // Selects the chip and resets the image to its defaults.
    void reset(int chipMode);
    bool isInitialised() const { return m_initialised; }
    int chipMode() const { return m_chipMode; }

    // Raw value of word `index` of a parameter (0 when index is out of range).
    int raw(Param param, int index = 0) const;
    double real(Param param, int index = 0) const;
    // Checks index and range, then stores; Ok or InvalidParameter.
    int setRaw(Param param, int index, int value);
    int setReal(Param param, int index, double value);

    int load(const unsigned char *data, int length);
    int copyImage(unsigned char *buffer, int length) const;

    // Value lists and the selected entry (selection clamped into the list).
    static constexpr int ShiftClockCount = 7;
    static constexpr int RefreshCount = 6;
    static constexpr int HighBitsCount = 8;
    static constexpr int StartRefreshCount = 3;
    static constexpr int DutyCount = 7;
    static constexpr int Version16to16Count = 3;
    static double shiftClockAt(int index);
    static int refreshFactorAt(int index);
    static int highBitsAt(int index);
    static int startRefreshFactorAt(int index);
    static int dutyAt(int index);
    static double version16to16At(int index);
    int listIndex(Param param, int count) const;

    int refreshRate() const;
    int contrast() const;
    int brightUtilization() const;

    // Range table: LS_RANGE_COUNT pairs, unpublished indexes 0.
    void ranges(int *minValues, int *maxValues) const;

    // Data-file generation.
    int subFrames() const;
    int paraTableEntry(int subFrame, int bit) const;
    int blockLength(int block) const;
    int totalBlockLength() const;
    void fillBlocks(unsigned char *buffer) const; // totalBlockLength() bytes

    std::wstring scanTextPath;

private:
    std::array<uint16_t, ImageWords> m_image{};
    int m_chipMode = -1;
    bool m_initialised = false;
};

// Gamma table as documented with CreateGammaTable6619. Returns a status.
int createGammaTable(int step, int start, int max, double gamma, int defaultStart, int defaultStep,
                     int brightBF, unsigned short *table, int entries);

} // namespace chiplib
