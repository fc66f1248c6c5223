// C interface of the driver-chip configuration library over the emulated chip.

#include "configdll6619.h"

#include "chipmodel.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>
#include <mutex>

Q_LOGGING_CATEGORY(lcChipLib, "ledwall.chiplib")

using chiplib::ChipModel;
using chiplib::Param;

namespace
{

std::mutex g_mutex;
ChipModel g_chip;

#define LS_LOCKED_INIT()                                                                           \
    std::lock_guard<std::mutex> lock(g_mutex);                                                     \
    if (!g_chip.isInitialised())                                                                   \
        return CONFIGERR_NOT_INIT_6619;

bool anyNull()
{
    return false;
}
template <typename T, typename... Rest> bool anyNull(T *first, Rest *...rest)
{
    return first == nullptr || anyNull(rest...);
}

// Fills the outputs under the lock, once the chip is initialised and no output is null.
template <typename Fill, typename... Out> int readOut(Fill fill, Out *...outs)
{
    LS_LOCKED_INIT()
    if (anyNull(outs...))
        return CONFIGERR_NULL_POINTER_6619;
    fill();
    return CONFIGERR_OK_6619;
}

int getInt(Param param, int *value)
{
    return readOut([&] { *value = g_chip.raw(param); }, value);
}

int getReal(Param param, double *value)
{
    return readOut([&] { *value = g_chip.real(param); }, value);
}

int setReal(Param param, double value)
{
    LS_LOCKED_INIT()
    const int status = g_chip.setReal(param, 0, value);
    if (status != CONFIGERR_OK_6619)
        qCDebug(lcChipLib) << "rejected" << chiplib::paramInfo(param).name << value;
    return status;
}

int getTriple(Param param, int *first, int *second, int *third)
{
    return readOut(
        [&] {
            *first = g_chip.raw(param, 0);
            *second = g_chip.raw(param, 1);
            *third = g_chip.raw(param, 2);
        },
        first, second, third);
}

int getQuad(Param param, int *v1, int *v2, int *v3, int *v4)
{
    return readOut(
        [&] {
            *v1 = g_chip.raw(param, 0);
            *v2 = g_chip.raw(param, 1);
            *v3 = g_chip.raw(param, 2);
            *v4 = g_chip.raw(param, 3);
        },
        v1, v2, v3, v4);
}

int setAt(Param param, int index, int value)
{
    LS_LOCKED_INIT()
    const int status = g_chip.setRaw(param, index, value);
    if (status != CONFIGERR_OK_6619)
        qCDebug(lcChipLib) << "rejected" << chiplib::paramInfo(param).name << index << value;
    return status;
}

int setInt(Param param, int value)
{
    return setAt(param, 0, value);
}

int setAll(Param param, int value)
{
    LS_LOCKED_INIT()
    const chiplib::ParamInfo &info = chiplib::paramInfo(param);
    if (value < info.min || value > info.max)
        return CONFIGERR_INVALID_PARA_6619;
    for (int i = 0; i < info.words; ++i)
        g_chip.setRaw(param, i, value);
    return CONFIGERR_OK_6619;
}

int getIndexTotal(Param param, int *index, int *total)
{
    return readOut(
        [&] {
            *total = chiplib::paramInfo(param).max + 1;
            *index = g_chip.listIndex(param, *total);
        },
        index, total);
}

// Integer list getter: values(i) gives entry i of `count` entries; the selection
// is the list index stored in `param`.
template <typename ValueAt>
int getIntList(Param param, int count, ValueAt valueAt, int *values, int capacity, int *current,
               int *outCount)
{
    LS_LOCKED_INIT()
    if (anyNull(values, current, outCount))
        return CONFIGERR_NULL_POINTER_6619;
    if (capacity < count)
        return CONFIGERR_BUFFER_SIZE_6619;
    for (int i = 0; i < count; ++i)
        values[i] = valueAt(i);
    *current = valueAt(g_chip.listIndex(param, count));
    *outCount = count;
    return CONFIGERR_OK_6619;
}

template <typename ValueAt> int selectInList(Param param, int count, ValueAt valueAt, int value)
{
    LS_LOCKED_INIT()
    for (int i = 0; i < count; ++i) {
        if (valueAt(i) == value)
            return g_chip.setRaw(param, 0, i);
    }
    qCDebug(lcChipLib) << "not in the list of" << chiplib::paramInfo(param).name << value;
    return CONFIGERR_INVALID_PARA_6619;
}

int fieldFreq()
{
    return g_chip.raw(Param::FieldFreq);
}

} // namespace

extern "C" {

// ---- Chip selection and identity ---------------------------------------------------

int iniDLL6619(int chipMode)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!ChipModel::isKnownChip(chipMode)) {
        qCDebug(lcChipLib) << "unknown chip mode" << chipMode;
        return CONFIGERR_NOT_SUPPORT_6619;
    }
    g_chip.reset(chipMode);
    qCDebug(lcChipLib) << "chip mode" << chipMode << "initialised";
    return CONFIGERR_OK_6619;
}

int GetChipMode(int *chipMode)
{
    return readOut([&] { *chipMode = g_chip.chipMode(); }, chipMode);
}

int GetVersion6619(int *version)
{
    return readOut([&] { *version = 1; }, version);
}

int GetIPVersion(int *ipVersion)
{
    return readOut([&] { *ipVersion = 3; }, ipVersion);
}

int GetLibVerion(int *major, int *mid, int *minor)
{
    return readOut(
        [&] {
            *major = LS_LIB_VERSION_MAJOR;
            *mid = LS_LIB_VERSION_MID;
            *minor = LS_LIB_VERSION_MINOR;
        },
        major, mid, minor);
}

int GetControlCardID(int *id)
{
    return readOut([&] { *id = 0; }, id);
}

// ---- Register image ----------------------------------------------------------------

int loadConfigBuffer6619(const unsigned char *data, int length)
{
    LS_LOCKED_INIT()
    const int status = g_chip.load(data, length);
    qCDebug(lcChipLib) << "load image" << length << "bytes, status" << status;
    return status;
}

int getConfigBuffer6619(unsigned char *buffer, int length)
{
    LS_LOCKED_INIT()
    return g_chip.copyImage(buffer, length);
}

// ---- Timing ------------------------------------------------------------------------

int GetShiftClockList6619(double *values, int capacity, int *count)
{
    LS_LOCKED_INIT()
    if (anyNull(values, count))
        return CONFIGERR_NULL_POINTER_6619;
    if (capacity < ChipModel::ShiftClockCount)
        return CONFIGERR_BUFFER_SIZE_6619;
    for (int i = 0; i < ChipModel::ShiftClockCount; ++i)
        values[i] = ChipModel::shiftClockAt(i);
    *count = ChipModel::ShiftClockCount;
    return CONFIGERR_OK_6619;
}

int GetShiftClock6619(double *mhz)
{
    return readOut(
        [&] {
            *mhz = ChipModel::shiftClockAt(
                g_chip.listIndex(Param::ShiftClockIndex, ChipModel::ShiftClockCount));
        },
        mhz);
}

int SetShiftClock6619(double mhz)
{
    LS_LOCKED_INIT()
    for (int i = 0; i < ChipModel::ShiftClockCount; ++i) {
        if (std::fabs(ChipModel::shiftClockAt(i) - mhz) <= 0.001)
            return g_chip.setRaw(Param::ShiftClockIndex, 0, i);
    }
    qCDebug(lcChipLib) << "shift clock not in the list" << mhz;
    return CONFIGERR_INVALID_PARA_6619;
}

int GetSystemClock6619(int *mhz)
{
    return getInt(Param::SystemClock, mhz);
}
int SetSystemClock6619(int mhz)
{
    return setInt(Param::SystemClock, mhz);
}
int GetFieldFrequence6619(int *hz)
{
    return getInt(Param::FieldFreq, hz);
}
int SetFieldFrequence6619(int hz)
{
    return setInt(Param::FieldFreq, hz);
}
int GetClockPhase6619(int *phase)
{
    return getInt(Param::ClockPhase, phase);
}
int SetClockPhase6619(int phase)
{
    return setInt(Param::ClockPhase, phase);
}

int GetRefreshRateList6619(int *values, int capacity, int *current, int *count)
{
    return getIntList(
        Param::RefreshIndex, ChipModel::RefreshCount,
        [](int i) { return fieldFreq() * ChipModel::refreshFactorAt(i); }, values, capacity,
        current, count);
}

int SetRefreshRate6619(int hz)
{
    return selectInList(
        Param::RefreshIndex, ChipModel::RefreshCount,
        [](int i) { return fieldFreq() * ChipModel::refreshFactorAt(i); }, hz);
}

int GetHighBitsNumList(int *values, int capacity, int *current, int *count)
{
    return getIntList(Param::HighBitsIndex, ChipModel::HighBitsCount, ChipModel::highBitsAt, values,
                      capacity, current, count);
}

int SetHighBitsNum(int bits)
{
    return selectInList(Param::HighBitsIndex, ChipModel::HighBitsCount, ChipModel::highBitsAt,
                        bits);
}

int GetStartRefreshRateList(int *values, int capacity, int *current, int *count)
{
    return getIntList(
        Param::StartRefreshIndex, ChipModel::StartRefreshCount,
        [](int i) { return fieldFreq() * ChipModel::startRefreshFactorAt(i); }, values, capacity,
        current, count);
}

int SetStartRefreshRate(int hz)
{
    return selectInList(
        Param::StartRefreshIndex, ChipModel::StartRefreshCount,
        [](int i) { return fieldFreq() * ChipModel::startRefreshFactorAt(i); }, hz);
}

int GetDutyRation(int *values, int capacity, int *current, int *count)
{
    return getIntList(Param::DutyIndex, ChipModel::DutyCount, ChipModel::dutyAt, values, capacity,
                      current, count);
}

int SetDutyRation(int percent)
{
    return selectInList(Param::DutyIndex, ChipModel::DutyCount, ChipModel::dutyAt, percent);
}

int GetRowDutyRation(int *values, int capacity, int *current, int *count)
{
    return getIntList(Param::RowDutyIndex, ChipModel::DutyCount, ChipModel::dutyAt, values,
                      capacity, current, count);
}

int SetRowDutyRation(int percent)
{
    return selectInList(Param::RowDutyIndex, ChipModel::DutyCount, ChipModel::dutyAt, percent);
}

int GetDataPhase(int *r, int *g, int *b)
{
    return getTriple(Param::DataPhase, r, g, b);
}
int SetDataPhase(int colour, int phase)
{
    return setAt(Param::DataPhase, colour, phase);
}

// ---- Module geometry ---------------------------------------------------------------

int GetShiftLen6619(int *length)
{
    return getInt(Param::ShiftLen, length);
}
int SetShiftLen6619(int length)
{
    return setInt(Param::ShiftLen, length);
}

int SetUnitNum9961(int units)
{
    {
        LS_LOCKED_INIT()
        if (g_chip.chipMode() != 5)
            return CONFIGERR_NOT_SUPPORT_6619;
    }
    return setInt(Param::ShiftLen, units);
}

int GetMaxShiftLen(int *length)
{
    return readOut([&] { *length = ChipModel::MaxShiftLen; }, length);
}

int GetScanNum6619(int *scanNum)
{
    return getInt(Param::ScanNum, scanNum);
}
int SetScanNum6619(int scanNum)
{
    return setInt(Param::ScanNum, scanNum);
}
int Get9739Mode(int *mode)
{
    return getInt(Param::DecodeMode, mode);
}
int Set9739Mode(int mode)
{
    return setInt(Param::DecodeMode, mode);
}
int GetRGBSeq9929(int *sequence)
{
    return getInt(Param::RgbSeq, sequence);
}
int SetRGBSeq9929(int sequence)
{
    return setInt(Param::RgbSeq, sequence);
}
int GetTotalLine(int *lines)
{
    return getInt(Param::TotalLine, lines);
}
int SetTotalLine(int lines)
{
    return setInt(Param::TotalLine, lines);
}
int GetStartColor(int *s1, int *s2, int *s3, int *s4)
{
    return getQuad(Param::StartColor, s1, s2, s3, s4);
}
int SetStartColor(int slot, int value)
{
    return setAt(Param::StartColor, slot, value);
}
int GetStartScan(int *s1, int *s2, int *s3, int *s4)
{
    return getQuad(Param::StartScan, s1, s2, s3, s4);
}
int SetStartScan(int slot, int value)
{
    return setAt(Param::StartScan, slot, value);
}

// ---- Row drive ---------------------------------------------------------------------

int GetRowMode(int *mode)
{
    return getInt(Param::RowMode, mode);
}
int SetRowMode(int mode)
{
    return setInt(Param::RowMode, mode);
}
int GetRowPhase(int *phase)
{
    return getInt(Param::RowPhase, phase);
}
int SetRowPhase(int phase)
{
    return setInt(Param::RowPhase, phase);
}
int GetRowOEDelay(int *delay)
{
    return getInt(Param::RowOEDelay, delay);
}
int SetRowOEDelay(int delay)
{
    return setInt(Param::RowOEDelay, delay);
}
int GetBackMode(int *mode)
{
    return getInt(Param::BackMode, mode);
}
int SetBackMode(int mode)
{
    return setInt(Param::BackMode, mode);
}
int GetJianMode(int *mode)
{
    return getInt(Param::JianMode, mode);
}
int SetJianMode(int mode)
{
    return setInt(Param::JianMode, mode);
}
int GetRowJiangPing(int *frequency)
{
    return getInt(Param::RowJiangPing, frequency);
}
int SetRowJiangPing(int frequency)
{
    return setInt(Param::RowJiangPing, frequency);
}
int GetRowBankingMode(int *r, int *g, int *b)
{
    return getTriple(Param::RowBank, r, g, b);
}
int SetRowBankingMode(int colour, int value)
{
    return setAt(Param::RowBank, colour, value);
}
int GetRowPullVoltage(int *r, int *g, int *b)
{
    return getTriple(Param::RowPullVol, r, g, b);
}
int SetRowPullVoltage(int colour, int value)
{
    return setAt(Param::RowPullVol, colour, value);
}
int GetRowPullVoltageCut(int *r, int *g, int *b)
{
    return getTriple(Param::RowPullVolCut, r, g, b);
}
int SetRowPullVoltageCut(int colour, int value)
{
    return setAt(Param::RowPullVolCut, colour, value);
}

int SetRowOEPara(int preset)
{
    // column blanking, waiting time, release time, row-down time
    static const int presets[4][4] = {
        {20, 10, 10, 20}, {32, 16, 12, 24}, {48, 20, 16, 32}, {64, 24, 20, 40}};
    LS_LOCKED_INIT()
    if (preset < 0 || preset > 3)
        return CONFIGERR_INVALID_PARA_6619;
    g_chip.setRaw(Param::ColBankingTime, 0, presets[preset][0]);
    g_chip.setRaw(Param::ColBankWaitTime, 0, presets[preset][1]);
    g_chip.setRaw(Param::ColReleaseTime, 0, presets[preset][2]);
    g_chip.setRaw(Param::RowDownTime, 0, presets[preset][3]);
    return CONFIGERR_OK_6619;
}

// ---- Blanking and output enable ----------------------------------------------------

int GetOEHiLevel(int *level)
{
    return getInt(Param::OEHiLevel, level);
}
int SetOEHiLevel(int level)
{
    return setInt(Param::OEHiLevel, level);
}
int GetOELoLevel(int *level)
{
    return getInt(Param::OELoLevel, level);
}
int SetOELoLevel(int level)
{
    return setInt(Param::OELoLevel, level);
}

int GetOEEndTime(int *time)
{
    return readOut([&] { *time = g_chip.raw(Param::OEHiLevel) + g_chip.raw(Param::MinPulse); },
                   time);
}

int GetMinPulse(int *pulse)
{
    return getInt(Param::MinPulse, pulse);
}
int SetMinPulse(int pulse)
{
    return setInt(Param::MinPulse, pulse);
}
int GetColBankingTime(int *time)
{
    return getInt(Param::ColBankingTime, time);
}
int SetColBankingTime(int time)
{
    return setInt(Param::ColBankingTime, time);
}
int GetRowDownTime(int *time)
{
    return getInt(Param::RowDownTime, time);
}
int SetRowDownTime(int time)
{
    return setInt(Param::RowDownTime, time);
}
int GetColReleaseTime(int *time)
{
    return getInt(Param::ColReleaseTime, time);
}
int SetColReleaseTime(int time)
{
    return setInt(Param::ColReleaseTime, time);
}
int GetColBankingWaitingTime(int *time)
{
    return getInt(Param::ColBankWaitTime, time);
}
int SetColBankingWaitingTime(int time)
{
    return setInt(Param::ColBankWaitTime, time);
}
int GetColBlankingStatus6619(int *enabled)
{
    return getInt(Param::ColBlanking, enabled);
}
int SetColBlankingStatus6619(int enabled)
{
    return setInt(Param::ColBlanking, enabled);
}

int GetColBlankingStatusNew(int *r, int *g, int *b)
{
    return readOut([&] { *r = *g = *b = g_chip.raw(Param::ColBlanking); }, r, g, b);
}

// ---- Current and analogue settings -------------------------------------------------

int GetCurrent6619(int *r, int *g, int *b)
{
    return getTriple(Param::Current, r, g, b);
}
int SetCurrent6619(int colour, int value)
{
    return setAt(Param::Current, colour, value);
}
int GetPreCurrent(int *r, int *g, int *b)
{
    return getTriple(Param::PreCurrent, r, g, b);
}
int SetPreCurrent(int colour, int value)
{
    return setAt(Param::PreCurrent, colour, value);
}
int GetResistance(int *r, int *g, int *b)
{
    return getTriple(Param::Resistance, r, g, b);
}
int SetResistance(int colour, int value)
{
    return setAt(Param::Resistance, colour, value);
}
int GetBlSel(int *r, int *g, int *b)
{
    return getTriple(Param::BlSel, r, g, b);
}
int SetBlSel(int colour, int value)
{
    return setAt(Param::BlSel, colour, value);
}
int GetSelVds(int *r, int *g, int *b)
{
    return getTriple(Param::SelVds, r, g, b);
}
int SetSelVds(int colour, int value)
{
    return setAt(Param::SelVds, colour, value);
}
int GetIges(int *r, int *g, int *b)
{
    return getTriple(Param::Iges, r, g, b);
}
int SetIges(int colour, int value)
{
    return setAt(Param::Iges, colour, value);
}
int Get9832VC(int *r, int *g, int *b)
{
    return getTriple(Param::Iges, r, g, b);
}
int Set9832VC(int value)
{
    return setAll(Param::Iges, value);
}
int GetMPad(int *r, int *g, int *b)
{
    return getTriple(Param::MPad, r, g, b);
}
int SetMPad(int colour, int value)
{
    return setAt(Param::MPad, colour, value);
}
int GetMCup(int *v1, int *v2, int *v3)
{
    return getTriple(Param::MCup, v1, v2, v3);
}
int SetMCup(int slot, int value)
{
    return setAt(Param::MCup, slot, value);
}
int GetFirstLine9929(int *r, int *g, int *b)
{
    return getTriple(Param::FirstLine, r, g, b);
}
int SetFirstLine9929(int colour, int value)
{
    return setAt(Param::FirstLine, colour, value);
}
int SetFirstLine(int value)
{
    return setAll(Param::FirstLine, value);
}
int GetLowFirstLine(int *r, int *g, int *b)
{
    return getTriple(Param::LowFirstLine, r, g, b);
}
int SetLowFirstLine(int colour, int value)
{
    return setAt(Param::LowFirstLine, colour, value);
}
int Get9930SetValue(int *v1, int *v2, int *v3)
{
    return getTriple(Param::SetValue9930, v1, v2, v3);
}
int Set9930SetValue(int slot, int value)
{
    return setAt(Param::SetValue9930, slot, value);
}
int GetPreSet9929(int *preset)
{
    return getInt(Param::PreSet9929, preset);
}
int SetPreSet9929(int preset)
{
    return setInt(Param::PreSet9929, preset);
}
int Set9936BSVBL(int value)
{
    return setInt(Param::BsVbl9936, value);
}

int LS9937GetCCPara(int *ledRangeR, int *ledRangeG, int *ledRangeB, int *fixR, int *fixG, int *fixB)
{
    LS_LOCKED_INIT()
    if (g_chip.chipMode() != 24)
        return CONFIGERR_NOT_SUPPORT_6619;
    if (anyNull(ledRangeR, ledRangeG, ledRangeB, fixR, fixG, fixB))
        return CONFIGERR_NULL_POINTER_6619;
    *ledRangeR = g_chip.raw(Param::CcLedRange, 0);
    *ledRangeG = g_chip.raw(Param::CcLedRange, 1);
    *ledRangeB = g_chip.raw(Param::CcLedRange, 2);
    *fixR = g_chip.raw(Param::CcFix, 0);
    *fixG = g_chip.raw(Param::CcFix, 1);
    *fixB = g_chip.raw(Param::CcFix, 2);
    return CONFIGERR_OK_6619;
}

// ---- Detection and low-power features ----------------------------------------------

int GetOpenDetection(int *openSwitch, int *detectPara)
{
    return readOut(
        [&] {
            *openSwitch = g_chip.raw(Param::OpenSwitch);
            *detectPara = g_chip.raw(Param::OpenDetectPara);
        },
        openSwitch, detectPara);
}

int SetOpenDetection(int which, int value1, int value2)
{
    LS_LOCKED_INIT()
    const chiplib::ParamInfo &sw = chiplib::paramInfo(Param::OpenSwitch);
    const chiplib::ParamInfo &para = chiplib::paramInfo(Param::OpenDetectPara);
    if ((which != 0 && which != 1) || value1 < sw.min || value1 > sw.max ||
        (which == 0 && (value2 < para.min || value2 > para.max)))
        return CONFIGERR_INVALID_PARA_6619;
    g_chip.setRaw(Param::OpenSwitch, 0, value1);
    if (which == 0)
        g_chip.setRaw(Param::OpenDetectPara, 0, value2);
    return CONFIGERR_OK_6619;
}

int GetOpenDetectionNew(int *openSwitch, int *r, int *g, int *b)
{
    return readOut(
        [&] {
            *openSwitch = g_chip.raw(Param::OpenSwitch);
            *r = g_chip.raw(Param::OpenDetection, 0);
            *g = g_chip.raw(Param::OpenDetection, 1);
            *b = g_chip.raw(Param::OpenDetection, 2);
        },
        openSwitch, r, g, b);
}

int SetOpenDetectionNew(int openSwitch, int colour, int value)
{
    LS_LOCKED_INIT()
    if (openSwitch < 0 || openSwitch > 1 || colour < 0 || colour > 2)
        return CONFIGERR_INVALID_PARA_6619;
    const int status = g_chip.setRaw(Param::OpenDetection, colour, value);
    if (status == CONFIGERR_OK_6619)
        g_chip.setRaw(Param::OpenSwitch, 0, openSwitch);
    return status;
}

int GetSunPara(int *prePullSwitch, double *prePullValue)
{
    return readOut(
        [&] {
            *prePullSwitch = g_chip.raw(Param::PrePullSwitch);
            *prePullValue = g_chip.real(Param::PrePullValue);
        },
        prePullSwitch, prePullValue);
}

int SetSunPara(int prePullSwitch, double prePullValue)
{
    LS_LOCKED_INIT()
    const chiplib::ParamInfo &value = chiplib::paramInfo(Param::PrePullValue);
    const double scaled = std::round(prePullValue * value.scale);
    if (prePullSwitch < 0 || prePullSwitch > 1 || !std::isfinite(prePullValue) ||
        scaled < value.min || scaled > value.max)
        return CONFIGERR_INVALID_PARA_6619;
    g_chip.setRaw(Param::PrePullSwitch, 0, prePullSwitch);
    g_chip.setRaw(Param::PrePullValue, 0, static_cast<int>(scaled));
    return CONFIGERR_OK_6619;
}

int GetLowPower(int *enabled)
{
    return getInt(Param::LowPower, enabled);
}
int SetLowPower(int enabled)
{
    return setInt(Param::LowPower, enabled);
}
int GetHighFrequenceStatus(int *enabled)
{
    return getInt(Param::HighFrequence, enabled);
}
int SetHighFrequenceStatus(int enabled)
{
    return setInt(Param::HighFrequence, enabled);
}
int GetTestMode6619(int *mode)
{
    return getInt(Param::TestMode, mode);
}

// ---- Gamma, grey levels and brightness ---------------------------------------------

int GetGammaPara(double *gamma)
{
    return getReal(Param::GammaPara, gamma);
}
int SetGammaPara(double gamma)
{
    return setReal(Param::GammaPara, gamma);
}
int GetGammaStart6619(int *start)
{
    return getInt(Param::GammaStart, start);
}
int SetGammaStart6619(int start)
{
    return setInt(Param::GammaStart, start);
}
int GetGammaStep6619(int *step)
{
    return getInt(Param::GammaStep, step);
}
int SetGammaStep6619(int step)
{
    return setInt(Param::GammaStep, step);
}
int GetGammaMax6619(int *max)
{
    return getInt(Param::GammaMax, max);
}
int GetGammaMode6619(int *mode)
{
    return getInt(Param::GammaMode, mode);
}
int GetGammaBits(int *bits)
{
    return getInt(Param::GammaBits, bits);
}
int SetGammaBits(int bits)
{
    return setInt(Param::GammaBits, bits);
}

int GetDefaultGammaPara(int *defaultStart, int *defaultStep)
{
    return readOut(
        [&] {
            *defaultStart = chiplib::paramInfo(Param::GammaStart).defaultValue;
            *defaultStep = chiplib::paramInfo(Param::GammaStep).defaultValue;
        },
        defaultStart, defaultStep);
}

int GetContrastness6619(int *contrast)
{
    return readOut([&] { *contrast = g_chip.contrast(); }, contrast);
}

int GetBrightBF(int *percent)
{
    return getInt(Param::BrightBF, percent);
}
int SetBrightBF(int percent)
{
    return setInt(Param::BrightBF, percent);
}

int GetBrightUtilization6619(int *percent)
{
    return readOut([&] { *percent = g_chip.brightUtilization(); }, percent);
}

int GetDeltaK(double *deltaK)
{
    return getReal(Param::DeltaK, deltaK);
}
int SetDeltaK(double deltaK)
{
    return setReal(Param::DeltaK, deltaK);
}

int GetDefaultDeltaK9929(double *deltaK)
{
    LS_LOCKED_INIT()
    if (!deltaK)
        return CONFIGERR_NULL_POINTER_6619;
    const chiplib::ParamInfo &info = chiplib::paramInfo(Param::DeltaK);
    *deltaK = double(info.defaultValue) / info.scale;
    return CONFIGERR_OK_6619;
}

int GetDefaultPhase9929(int *clockPhase)
{
    return readOut([&] { *clockPhase = chiplib::paramInfo(Param::ClockPhase).defaultValue; },
                   clockPhase);
}

int GetDefaultRowPhase9929(int *rowPhase)
{
    return readOut([&] { *rowPhase = chiplib::paramInfo(Param::RowPhase).defaultValue; }, rowPhase);
}

int GetFixValue(int *fixValue, double *r0Scale)
{
    return readOut(
        [&] {
            *fixValue = g_chip.raw(Param::FixValue);
            *r0Scale = *fixValue / 64.0;
        },
        fixValue, r0Scale);
}

int SetFixValue(int fixValue)
{
    return setInt(Param::FixValue, fixValue);
}
int GetErrorBegin9929(int *begin)
{
    return getInt(Param::ErrorBegin, begin);
}
int SetErrorBegin9929(int begin)
{
    return setInt(Param::ErrorBegin, begin);
}

int GetError(int colour, double *lowGrayCompen, double *midGrayBias, double *highGrayCompens,
             double *lowGrayBias)
{
    LS_LOCKED_INIT()
    if (anyNull(lowGrayCompen, midGrayBias, highGrayCompens, lowGrayBias))
        return CONFIGERR_NULL_POINTER_6619;
    if (colour < 0 || colour > 2)
        return CONFIGERR_INVALID_PARA_6619;
    *lowGrayCompen = g_chip.real(Param::GrayError, colour * 4);
    *midGrayBias = g_chip.real(Param::GrayError, colour * 4 + 1);
    *highGrayCompens = g_chip.real(Param::GrayError, colour * 4 + 2);
    *lowGrayBias = g_chip.real(Param::GrayError, colour * 4 + 3);
    return CONFIGERR_OK_6619;
}

int SetError(int mode, int colour, double lowGrayCompen, double midGrayBias, double highGrayCompens,
             double lowGrayBias)
{
    LS_LOCKED_INIT()
    if (mode < 0 || mode > 1 || colour < 0 || colour > 2)
        return CONFIGERR_INVALID_PARA_6619;
    const double values[4] = {lowGrayCompen, midGrayBias, highGrayCompens, lowGrayBias};
    const chiplib::ParamInfo &info = chiplib::paramInfo(Param::GrayError);
    for (double v : values) {
        const double scaled = std::round(v * info.scale);
        if (!std::isfinite(v) || scaled < info.min || scaled > info.max)
            return CONFIGERR_INVALID_PARA_6619;
    }
    for (int k = 0; k < 4; ++k)
        g_chip.setReal(Param::GrayError, colour * 4 + k, values[k]);
    return CONFIGERR_OK_6619;
}

int Get9931AddBrightMode(int *mode)
{
    return getInt(Param::AddBrightMode, mode);
}
int Set9931AddBrightMode(int mode)
{
    return setInt(Param::AddBrightMode, mode);
}
int GetFlashIndex(int *index, int *total)
{
    return getIndexTotal(Param::FlashIndex, index, total);
}
int SetFlashIndex(int index)
{
    return setInt(Param::FlashIndex, index);
}
int GetLeakageIndex(int *index, int *total)
{
    return getIndexTotal(Param::LeakageIndex, index, total);
}
int SetLeakageIndex(int index)
{
    return setInt(Param::LeakageIndex, index);
}
int GetGrayIndex(int *index, int *total)
{
    return getIndexTotal(Param::GrayIndex, index, total);
}
int SetGrayIndex(int index)
{
    return setInt(Param::GrayIndex, index);
}
int Get3DPara(int *index, int *total)
{
    return getIndexTotal(Param::Para3D, index, total);
}
int Set3DPara(int index)
{
    return setInt(Param::Para3D, index);
}

int Get16to16VersionList(double *values, int capacity, int *count)
{
    LS_LOCKED_INIT()
    if (anyNull(values, count))
        return CONFIGERR_NULL_POINTER_6619;
    if (capacity < ChipModel::Version16to16Count)
        return CONFIGERR_BUFFER_SIZE_6619;
    for (int i = 0; i < ChipModel::Version16to16Count; ++i)
        values[i] = ChipModel::version16to16At(i);
    *count = ChipModel::Version16to16Count;
    return CONFIGERR_OK_6619;
}

int Get16to16Version(int *index)
{
    return readOut(
        [&] {
            *index = g_chip.listIndex(Param::Version16to16Index, ChipModel::Version16to16Count);
        },
        index);
}

int Set16to16Version(int index)
{
    return setInt(Param::Version16to16Index, index);
}
int Get16to16Mode(int *mode)
{
    return getInt(Param::Mode16to16, mode);
}
int Set16to16Mode(int mode)
{
    return setInt(Param::Mode16to16, mode);
}
int GetNew16to16(int *enabled)
{
    return getInt(Param::New16to16, enabled);
}
int SetNew16to16(int enabled)
{
    return setInt(Param::New16to16, enabled);
}

// ---- Ranges ------------------------------------------------------------------------

int GetRange(int *minValues, int *maxValues, int capacity)
{
    LS_LOCKED_INIT()
    if (anyNull(minValues, maxValues))
        return CONFIGERR_NULL_POINTER_6619;
    if (capacity < LS_RANGE_COUNT)
        return CONFIGERR_BUFFER_SIZE_6619;
    g_chip.ranges(minValues, maxValues);
    return CONFIGERR_OK_6619;
}

// ---- Data-file generation ----------------------------------------------------------

int GetGenParamBufLen6619(int *length0, int *length1, int *length2, int *length3)
{
    return readOut(
        [&] {
            *length0 = g_chip.blockLength(0);
            *length1 = g_chip.blockLength(1);
            *length2 = g_chip.blockLength(2);
            *length3 = g_chip.blockLength(3);
        },
        length0, length1, length2, length3);
}

int GetGenParamToBuf6619(unsigned char *buffer, int length)
{
    LS_LOCKED_INIT()
    if (!buffer)
        return CONFIGERR_NULL_POINTER_6619;
    if (length < g_chip.totalBlockLength())
        return CONFIGERR_BUFFER_SIZE_6619;
    g_chip.fillBlocks(buffer);
    return CONFIGERR_OK_6619;
}

int SetScanTxtPath(const wchar_t *path)
{
    LS_LOCKED_INIT()
    if (!path)
        return CONFIGERR_NULL_POINTER_6619;
    const size_t length = wcsnlen(path, 1025);
    if (length > 1024)
        return CONFIGERR_INVALID_PARA_6619;
    g_chip.scanTextPath.assign(path, length);
    return CONFIGERR_OK_6619;
}

int GetBitsSubFrameNum(int *bits, int *subFrames, int *third)
{
    return readOut(
        [&] {
            *bits = g_chip.raw(Param::GammaBits);
            *subFrames = g_chip.subFrames();
            *third = g_chip.raw(Param::ScanNum);
        },
        bits, subFrames, third);
}

int GetParaTable(unsigned char *table, int capacity)
{
    LS_LOCKED_INIT()
    if (!table)
        return CONFIGERR_NULL_POINTER_6619;
    // A loaded image may hold any bit count; the table never goes past 16 bits.
    const int bits = std::clamp(g_chip.raw(Param::GammaBits), 0, 16);
    const int frames = g_chip.subFrames();
    if (capacity < bits * frames)
        return CONFIGERR_BUFFER_SIZE_6619;
    for (int s = 0; s < frames; ++s) {
        for (int b = 0; b < bits; ++b)
            table[s * bits + b] = static_cast<unsigned char>(g_chip.paraTableEntry(s, b));
    }
    return CONFIGERR_OK_6619;
}

int GetControlInfor(int *value1, int *value2, unsigned short *words, int capacity, int *count)
{
    LS_LOCKED_INIT()
    if (anyNull(value1, value2, words, count))
        return CONFIGERR_NULL_POINTER_6619;
    const Param order[] = {Param::OEHiLevel,   Param::OELoLevel,     Param::MinPulse,
                           Param::RowOEDelay,  Param::RowPhase,      Param::ColBankingTime,
                           Param::RowDownTime, Param::ColReleaseTime};
    const int n = static_cast<int>(sizeof order / sizeof order[0]);
    if (capacity < n)
        return CONFIGERR_BUFFER_SIZE_6619;
    *value1 = g_chip.raw(Param::ScanNum);
    *value2 = g_chip.raw(Param::RowMode);
    for (int i = 0; i < n; ++i)
        words[i] = static_cast<unsigned short>(g_chip.raw(order[i]));
    *count = n;
    return CONFIGERR_OK_6619;
}

int CreateGammaTable6619(int step, int start, int max, double gamma, int defaultStart,
                         int defaultStep, int brightBF, unsigned short *table, int entries)
{
    // A pure computation: it needs no chip, but keeps the rule that iniDLL6619 comes first.
    LS_LOCKED_INIT()
    return chiplib::createGammaTable(step, start, max, gamma, defaultStart, defaultStep, brightBF,
                                     table, entries);
}

} // extern "C"
