#pragma once
// Driver-chip configuration library: plain C interface.
//
// The library keeps the whole configuration of one LED driver chip as a
// register image of 16-bit little-endian words and computes the chip's
// parameters from it. Every parameter lives in a fixed word of that image, so
// loading an image (loadConfigBuffer6619) changes what the getters report and
// every setter changes the image that getConfigBuffer6619 returns.
//
// Rules shared by every function:
// - iniDLL6619 selects the chip and resets the image to that chip's defaults;
//   it must come first. Any other call before it returns CONFIGERR_NOT_INIT_6619.
// - Every function returns a status: CONFIGERR_OK_6619 (0) on success.
// - Getters write through pointers; a null output pointer gives
//   CONFIGERR_NULL_POINTER_6619 and writes nothing.
// - Setters check the value against the parameter's range (GetRange) and give
//   CONFIGERR_INVALID_PARA_6619 without changing anything when it is outside.
// - Colour indexes are 0 red, 1 green, 2 blue; slot indexes start at 0.
// - Arrays are filled only up to the capacity the caller passes; a capacity too
//   small for the whole result gives CONFIGERR_BUFFER_SIZE_6619 and writes nothing.
// - Getters report the image as it is, even a loaded image whose words lie
//   outside a parameter's range; list selections are clamped into their list.
// - All calls are serialised inside the library; it keeps one chip per process.

#include <wchar.h>

#if defined(_WIN32)
#define LS_CONFIG_API __declspec(dllexport)
#else
#define LS_CONFIG_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes. */
#define CONFIGERR_OK_6619 0
#define CONFIGERR_NOT_SUPPORT_6619 1 /* the selected chip has no such function */
#define CONFIGERR_NOT_INIT_6619 2    /* iniDLL6619 was not called */
#define CONFIGERR_NULL_POINTER_6619 3
#define CONFIGERR_BUFFER_SIZE_6619 4 /* caller buffer too small, or a bad length */
#define CONFIGERR_INVALID_PARA_6619 7

/* Sizes. */
#define LS_CONFIG_IMAGE_SIZE 4096 /* bytes of the register image */
#define LS_RANGE_COUNT 100        /* entries of GetRange */
#define LS_LIST_MAX 32            /* longest value list of any list getter */
#define LS_GAMMA_TABLE_SIZE 256   /* entries of CreateGammaTable6619 */
#define LS_CONTROL_WORDS_MAX 16   /* words of GetControlInfor */

/* Library version reported by GetLibVerion. */
#define LS_LIB_VERSION_MAJOR 1
#define LS_LIB_VERSION_MID 0
#define LS_LIB_VERSION_MINOR 0

/* ---- Chip selection and identity ------------------------------------------------
 * chipMode: 0 LS6616, 1 LS6618, 2 LS6619, 3 LS9918, 4 LS9929, 5 LS9961, 6 LS9930,
 * 7 LS9919, 8 LS9935, 9 LS9917, 10 LS9926, 11 LS9920, 12 LS9935B, 13 9928, 14 9901,
 * 15 9903, 16 9904, 17 LS9936, 18 9812, 19 9906, 20 LS9931, 21 9929C, 22 9832,
 * 23 9933, 24 LS9937, 25 9956. Any other mode gives CONFIGERR_NOT_SUPPORT_6619. */
LS_CONFIG_API int iniDLL6619(int chipMode);
LS_CONFIG_API int GetChipMode(int *chipMode);
LS_CONFIG_API int GetVersion6619(int *version);
LS_CONFIG_API int GetIPVersion(int *ipVersion);
LS_CONFIG_API int GetLibVerion(int *major, int *mid, int *minor);
LS_CONFIG_API int GetControlCardID(int *id);

/* ---- Register image -------------------------------------------------------------
 * length: 1 to LS_CONFIG_IMAGE_SIZE bytes, counted from the start of the image.
 * Loading replaces the first `length` bytes and keeps the rest. */
LS_CONFIG_API int loadConfigBuffer6619(const unsigned char *data, int length);
LS_CONFIG_API int getConfigBuffer6619(unsigned char *buffer, int length);

/* ---- Timing: shift clock, system clock, frame and refresh rates ---------------- */
LS_CONFIG_API int GetShiftClockList6619(double *values, int capacity, int *count); /* MHz */
LS_CONFIG_API int GetShiftClock6619(double *mhz);
LS_CONFIG_API int SetShiftClock6619(double mhz); /* must be an entry of the list (+-0.001) */
LS_CONFIG_API int GetSystemClock6619(int *mhz);
LS_CONFIG_API int SetSystemClock6619(int mhz);
LS_CONFIG_API int GetFieldFrequence6619(int *hz);
LS_CONFIG_API int SetFieldFrequence6619(int hz);
LS_CONFIG_API int GetClockPhase6619(int *phase);
LS_CONFIG_API int SetClockPhase6619(int phase);
/* The refresh list is the field frequency times 8, 16, 24, 32, 48 and 64. */
LS_CONFIG_API int GetRefreshRateList6619(int *values, int capacity, int *current, int *count);
LS_CONFIG_API int SetRefreshRate6619(int hz); /* must be an entry of the list */
LS_CONFIG_API int GetHighBitsNumList(int *values, int capacity, int *current, int *count);
LS_CONFIG_API int SetHighBitsNum(int bits);
LS_CONFIG_API int GetStartRefreshRateList(int *values, int capacity, int *current, int *count);
LS_CONFIG_API int SetStartRefreshRate(int hz);
LS_CONFIG_API int GetDutyRation(int *values, int capacity, int *current, int *count);
LS_CONFIG_API int SetDutyRation(int percent);
LS_CONFIG_API int GetRowDutyRation(int *values, int capacity, int *current, int *count);
LS_CONFIG_API int SetRowDutyRation(int percent);
LS_CONFIG_API int GetDataPhase(int *red, int *green, int *blue);
LS_CONFIG_API int SetDataPhase(int colour, int phase);

/* ---- Module geometry ------------------------------------------------------------ */
LS_CONFIG_API int GetShiftLen6619(int *length);
LS_CONFIG_API int SetShiftLen6619(int length);
LS_CONFIG_API int SetUnitNum9961(int units); /* LS9961 only: its shift length */
LS_CONFIG_API int GetMaxShiftLen(int *length);
LS_CONFIG_API int GetScanNum6619(int *scanNum);
LS_CONFIG_API int SetScanNum6619(int scanNum);
LS_CONFIG_API int Get9739Mode(int *decodeMode); /* row-decode mode */
LS_CONFIG_API int Set9739Mode(int decodeMode);
LS_CONFIG_API int GetRGBSeq9929(int *sequence);
LS_CONFIG_API int SetRGBSeq9929(int sequence);
LS_CONFIG_API int GetTotalLine(int *lines);
LS_CONFIG_API int SetTotalLine(int lines);
LS_CONFIG_API int GetStartColor(int *slot1, int *slot2, int *slot3, int *slot4);
LS_CONFIG_API int SetStartColor(int slot, int value);
LS_CONFIG_API int GetStartScan(int *slot1, int *slot2, int *slot3, int *slot4);
LS_CONFIG_API int SetStartScan(int slot, int value);

/* ---- Row drive ------------------------------------------------------------------ */
LS_CONFIG_API int GetRowMode(int *mode);
LS_CONFIG_API int SetRowMode(int mode);
LS_CONFIG_API int GetRowPhase(int *phase);
LS_CONFIG_API int SetRowPhase(int phase);
LS_CONFIG_API int GetRowOEDelay(int *delay);
LS_CONFIG_API int SetRowOEDelay(int delay);
LS_CONFIG_API int GetBackMode(int *mode);
LS_CONFIG_API int SetBackMode(int mode);
LS_CONFIG_API int GetJianMode(int *mode);
LS_CONFIG_API int SetJianMode(int mode);
LS_CONFIG_API int GetRowJiangPing(int *frequency);
LS_CONFIG_API int SetRowJiangPing(int frequency);
LS_CONFIG_API int GetRowBankingMode(int *red, int *green, int *blue);
LS_CONFIG_API int SetRowBankingMode(int colour, int value);
LS_CONFIG_API int GetRowPullVoltage(int *red, int *green, int *blue);
LS_CONFIG_API int SetRowPullVoltage(int colour, int value);
LS_CONFIG_API int GetRowPullVoltageCut(int *red, int *green, int *blue);
LS_CONFIG_API int SetRowPullVoltageCut(int colour, int value);
/* One of four timing presets (0..3) for column blanking, its waiting and release
 * time and the row-down time. */
LS_CONFIG_API int SetRowOEPara(int preset);

/* ---- Blanking and output enable ------------------------------------------------- */
LS_CONFIG_API int GetOEHiLevel(int *level);
LS_CONFIG_API int SetOEHiLevel(int level);
LS_CONFIG_API int GetOELoLevel(int *level);
LS_CONFIG_API int SetOELoLevel(int level);
LS_CONFIG_API int GetOEEndTime(int *time); /* OE high level + minimum pulse */
LS_CONFIG_API int GetMinPulse(int *pulse);
LS_CONFIG_API int SetMinPulse(int pulse);
LS_CONFIG_API int GetColBankingTime(int *time);
LS_CONFIG_API int SetColBankingTime(int time);
LS_CONFIG_API int GetRowDownTime(int *time);
LS_CONFIG_API int SetRowDownTime(int time);
LS_CONFIG_API int GetColReleaseTime(int *time);
LS_CONFIG_API int SetColReleaseTime(int time);
LS_CONFIG_API int GetColBankingWaitingTime(int *time);
LS_CONFIG_API int SetColBankingWaitingTime(int time);
LS_CONFIG_API int GetColBlankingStatus6619(int *enabled);
LS_CONFIG_API int SetColBlankingStatus6619(int enabled);
LS_CONFIG_API int GetColBlankingStatusNew(int *red, int *green, int *blue);

/* ---- Current and analogue settings (per colour) --------------------------------- */
LS_CONFIG_API int GetCurrent6619(int *red, int *green, int *blue);
LS_CONFIG_API int SetCurrent6619(int colour, int value);
LS_CONFIG_API int GetPreCurrent(int *red, int *green, int *blue);
LS_CONFIG_API int SetPreCurrent(int colour, int value);
LS_CONFIG_API int GetResistance(int *red, int *green, int *blue);
LS_CONFIG_API int SetResistance(int colour, int value);
LS_CONFIG_API int GetBlSel(int *red, int *green, int *blue);
LS_CONFIG_API int SetBlSel(int colour, int value);
LS_CONFIG_API int GetSelVds(int *red, int *green, int *blue);
LS_CONFIG_API int SetSelVds(int colour, int value);
LS_CONFIG_API int GetIges(int *red, int *green, int *blue);
LS_CONFIG_API int SetIges(int colour, int value);
LS_CONFIG_API int Get9832VC(int *red, int *green, int *blue); /* the Iges values */
LS_CONFIG_API int Set9832VC(int value);                       /* Iges of all colours */
LS_CONFIG_API int GetMPad(int *red, int *green, int *blue);
LS_CONFIG_API int SetMPad(int colour, int value);
LS_CONFIG_API int GetMCup(int *value1, int *value2, int *value3);
LS_CONFIG_API int SetMCup(int slot, int value);
LS_CONFIG_API int GetFirstLine9929(int *red, int *green, int *blue);
LS_CONFIG_API int SetFirstLine9929(int colour, int value);
LS_CONFIG_API int SetFirstLine(int value); /* all colours at once */
LS_CONFIG_API int GetLowFirstLine(int *red, int *green, int *blue);
LS_CONFIG_API int SetLowFirstLine(int colour, int value);
LS_CONFIG_API int Get9930SetValue(int *value1, int *value2, int *value3);
LS_CONFIG_API int Set9930SetValue(int slot, int value);
LS_CONFIG_API int GetPreSet9929(int *preset);
LS_CONFIG_API int SetPreSet9929(int preset);
LS_CONFIG_API int Set9936BSVBL(int value);
LS_CONFIG_API int LS9937GetCCPara(int *ledRangeR, int *ledRangeG, int *ledRangeB, int *fixR,
                                  int *fixG, int *fixB); /* LS9937 only */

/* ---- Detection and low-power features ------------------------------------------- */
LS_CONFIG_API int GetOpenDetection(int *openSwitch, int *detectPara);
/* which 0: switch = value1, parameter = value2; which 1: switch = value1 only. */
LS_CONFIG_API int SetOpenDetection(int which, int value1, int value2);
LS_CONFIG_API int GetOpenDetectionNew(int *openSwitch, int *red, int *green, int *blue);
LS_CONFIG_API int SetOpenDetectionNew(int openSwitch, int colour, int value);
LS_CONFIG_API int GetSunPara(int *prePullSwitch, double *prePullValue);
LS_CONFIG_API int SetSunPara(int prePullSwitch, double prePullValue);
LS_CONFIG_API int GetLowPower(int *enabled);
LS_CONFIG_API int SetLowPower(int enabled);
LS_CONFIG_API int GetHighFrequenceStatus(int *enabled);
LS_CONFIG_API int SetHighFrequenceStatus(int enabled);
LS_CONFIG_API int GetTestMode6619(int *mode);

/* ---- Gamma, grey levels and brightness ------------------------------------------ */
LS_CONFIG_API int GetGammaPara(double *gamma);
LS_CONFIG_API int SetGammaPara(double gamma);
LS_CONFIG_API int GetGammaStart6619(int *start);
LS_CONFIG_API int SetGammaStart6619(int start);
LS_CONFIG_API int GetGammaStep6619(int *step);
LS_CONFIG_API int SetGammaStep6619(int step);
LS_CONFIG_API int GetGammaMax6619(int *max);
LS_CONFIG_API int GetGammaMode6619(int *mode);
LS_CONFIG_API int GetGammaBits(int *bits);
LS_CONFIG_API int SetGammaBits(int bits);
LS_CONFIG_API int GetDefaultGammaPara(int *defaultStart, int *defaultStep);
/* (gamma max + 1) / (gamma start + 1), rounded down. */
LS_CONFIG_API int GetContrastness6619(int *contrast);
LS_CONFIG_API int GetBrightBF(int *percent);
LS_CONFIG_API int SetBrightBF(int percent);
/* Share of the frame in which the LEDs can light, in percent:
 * 100 - (column blanking + row-down time) * 100 / 512, at least 0. */
LS_CONFIG_API int GetBrightUtilization6619(int *percent);
LS_CONFIG_API int GetDeltaK(double *deltaK);
LS_CONFIG_API int SetDeltaK(double deltaK);
LS_CONFIG_API int GetDefaultDeltaK9929(double *deltaK);
LS_CONFIG_API int GetDefaultPhase9929(int *clockPhase);
LS_CONFIG_API int GetDefaultRowPhase9929(int *rowPhase);
/* R0 scale = fix value / 64. */
LS_CONFIG_API int GetFixValue(int *fixValue, double *r0Scale);
LS_CONFIG_API int SetFixValue(int fixValue);
LS_CONFIG_API int GetErrorBegin9929(int *begin);
LS_CONFIG_API int SetErrorBegin9929(int begin);
LS_CONFIG_API int GetError(int colour, double *lowGrayCompen, double *midGrayBias,
                           double *highGrayCompens, double *lowGrayBias);
/* mode 0 or 1 (the library keeps one set per colour for both). */
LS_CONFIG_API int SetError(int mode, int colour, double lowGrayCompen, double midGrayBias,
                           double highGrayCompens, double lowGrayBias);
LS_CONFIG_API int Get9931AddBrightMode(int *mode);
LS_CONFIG_API int Set9931AddBrightMode(int mode);
LS_CONFIG_API int GetFlashIndex(int *index, int *total);
LS_CONFIG_API int SetFlashIndex(int index);
LS_CONFIG_API int GetLeakageIndex(int *index, int *total);
LS_CONFIG_API int SetLeakageIndex(int index);
LS_CONFIG_API int GetGrayIndex(int *index, int *total);
LS_CONFIG_API int SetGrayIndex(int index);
LS_CONFIG_API int Get3DPara(int *index, int *total);
LS_CONFIG_API int Set3DPara(int index);
LS_CONFIG_API int Get16to16VersionList(double *values, int capacity, int *count);
LS_CONFIG_API int Get16to16Version(int *index);
LS_CONFIG_API int Set16to16Version(int index);
LS_CONFIG_API int Get16to16Mode(int *mode);
LS_CONFIG_API int Set16to16Mode(int mode);
LS_CONFIG_API int GetNew16to16(int *enabled);
LS_CONFIG_API int SetNew16to16(int enabled);

/* ---- Parameter ranges -----------------------------------------------------------
 * Fills LS_RANGE_COUNT minimum and maximum values (capacity must be at least
 * that). Index k belongs to one parameter (0 scanNum, 1 ClockPhase, 2 RowDownTime,
 * ...); unpublished indexes hold 0 and 0. Ranges of fractional parameters are
 * rounded to whole numbers. */
LS_CONFIG_API int GetRange(int *minValues, int *maxValues, int capacity);

/* ---- Data-file generation ------------------------------------------------------- */
/* Block lengths in bytes: 0 the register image (LS_CONFIG_IMAGE_SIZE), 1 the row
 * order (scan count 16-bit words), 2 the gamma table (LS_GAMMA_TABLE_SIZE 16-bit
 * words), 3 the sub-frame weights (one 32-bit word per sub-frame). */
LS_CONFIG_API int GetGenParamBufLen6619(int *length0, int *length1, int *length2, int *length3);
/* Fills the four blocks back to back; length must be at least their sum. */
LS_CONFIG_API int GetGenParamToBuf6619(unsigned char *buffer, int length);
/* Where the scan text file lives; kept for the generation, at most 1024 characters. */
LS_CONFIG_API int SetScanTxtPath(const wchar_t *path);
/* bits = gamma bits, subFrames = refresh rate / field frequency (at most 64),
 * third = scan count. */
LS_CONFIG_API int GetBitsSubFrameNum(int *bits, int *subFrames, int *third);
/* subFrames rows of `bits` bytes: entry (s, b) is how many of the 2^b display
 * slices of bit b fall into sub-frame s, spread evenly (earlier sub-frames take
 * the remainder), capped at 255. capacity must be at least bits * subFrames. */
LS_CONFIG_API int GetParaTable(unsigned char *table, int capacity);
/* value1 = scan count, value2 = row mode; words = OE high level, OE low level,
 * minimum pulse, row OE delay, row phase, column blanking, row-down time, column
 * release time (count 8). */
LS_CONFIG_API int GetControlInfor(int *value1, int *value2, unsigned short *words, int capacity,
                                  int *count);
/* Gamma table of LS_GAMMA_TABLE_SIZE 16-bit entries (entries must be at least that):
 *   table[i] = start + (max - start) * brightBF / 100 * (i / 255) ^ gamma,
 * rounded to nearest, then rounded down to a multiple of step and clamped to
 * 0..65535. A start below 0 uses defaultStart, a step below 1 uses defaultStep
 * (and 1 if that is below 1 too). gamma must be above 0, max must not be below
 * start, brightBF must lie in 0..100. */
LS_CONFIG_API int CreateGammaTable6619(int step, int start, int max, double gamma, int defaultStart,
                                       int defaultStep, int brightBF, unsigned short *table,
                                       int entries);

#ifdef __cplusplus
}
#endif
