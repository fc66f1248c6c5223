// Reading the chip's parameters from the chip library into the result map. Every
// getter group is registered once under the key it fills (or the group name
// below); the full, partial and grouped fetches are lists of those names.

#include "bll_businesslogic_lssdk.h"
#include "chipselection.h"
#include "chiptext.h"
#include "configdll6619.h"

#include <QDebug>
#include <QHash>
#include <QLoggingCategory>

#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcChip)

using namespace ledwall::chip;

namespace
{

struct FetchContext {
    QVariantMap &map;
    int chipId;
};
using Reader = std::function<void(FetchContext &)>;

using IntGetter = int (*)(int *);
using DoubleGetter = int (*)(double *);
using TripleGetter = int (*)(int *, int *, int *);
using QuadGetter = int (*)(int *, int *, int *, int *);
using PairGetter = int (*)(int *, int *);
using ListGetter = int (*)(int *, int, int *, int *);

QString keyOf(const char *name, const char *suffix)
{
    return QString::fromLatin1(name) + QString::fromLatin1(suffix);
}

// The three lists of the refresh controls. Each ends the walk when it is empty.
bool readList(ListGetter get, QVector<int> *values, int *current)
{
    int buffer[LS_LIST_MAX] = {};
    int count = 0;
    *current = 0;
    get(buffer, LS_LIST_MAX, current, &count);
    if (count <= 0 || count > LS_LIST_MAX)
        return false;
    *values = QVector<int>(buffer, buffer + count);
    return true;
}

// One selectable list and its current value; `setter` writes the current value
// back so that the library recomputes it. LS9930 shows its high bits in hex.
struct SelectableList {
    ListGetter get;
    const char *listKey;
    const char *key;
    int (*setter)(int);
};
const SelectableList RefreshList{GetRefreshRateList6619, "RefreshRateList", "RefreshRate", nullptr};
const SelectableList HighBitsList{GetHighBitsNumList, "HighBitsNumList", "HighBitsNum",
                                  SetHighBitsNum};
const SelectableList StartRefreshList{GetStartRefreshRateList, "StartRefreshRateList",
                                      "StartRefreshRate", SetStartRefreshRate};

bool putList(FetchContext &c, const SelectableList &list, bool writeBack)
{
    QVector<int> values;
    int current = 0;
    if (!readList(list.get, &values, &current))
        return false;
    const bool hex = c.chipId == LS9930 && list.get == GetHighBitsNumList;
    c.map.insert(QLatin1String(list.listKey), listText(values, hex ? 16 : 10));
    c.map.insert(QLatin1String(list.key),
                 hex ? QVariant(QString::number(current, 16)) : QVariant(current));
    if (writeBack && list.setter)
        list.setter(current);
    return true;
}

void putThreeLists(FetchContext &c)
{
    putList(c, RefreshList, false) && putList(c, HighBitsList, false) &&
        putList(c, StartRefreshList, false);
}

void putDuty(FetchContext &c, ListGetter get, const char *listKey, const char *key)
{
    int buffer[LS_LIST_MAX] = {};
    int current = 0;
    int count = 0;
    get(buffer, LS_LIST_MAX, &current, &count);
    count = qBound(0, count, LS_LIST_MAX);
    c.map.insert(QString::fromLatin1(listKey), listText(QVector<int>(buffer, buffer + count)));
    c.map.insert(QString::fromLatin1(key), current);
}

void putGrayCompensation(FetchContext &c)
{
    const char colours[] = {'R', 'G', 'B'};
    for (int colour = 0; colour < 3; ++colour) {
        double low = 0, mid = 0, high = 0, bias = 0;
        GetError(colour, &low, &mid, &high, &bias);
        const QString suffix = QString(QLatin1Char(colours[colour]));
        c.map.insert(QStringLiteral("LowGrayCompen") + suffix, low);
        c.map.insert(QStringLiteral("MidGrayBias") + suffix, mid);
        c.map.insert(QStringLiteral("HighGrayCompens") + suffix, high);
        c.map.insert(QStringLiteral("LowGrayBias") + suffix, bias);
    }
}

void putDefaultGamma(FetchContext &c)
{
    int start = 0, step = 0;
    GetDefaultGammaPara(&start, &step);
    c.map.insert(QStringLiteral("defaultGammaStart"), start);
    c.map.insert(QStringLiteral("defaultGammaStep"), step);
}

class Registry
{
public:
    Registry();
    const Reader *find(const QString &name) const
    {
        auto it = m_readers.constFind(name);
        return it == m_readers.constEnd() ? nullptr : &it.value();
    }

private:
    void add(const char *name, Reader reader) { m_readers.insert(QLatin1String(name), reader); }
    void addInt(const char *key, IntGetter get)
    {
        add(key, [key, get](FetchContext &c) {
            int value = 0;
            get(&value);
            c.map.insert(QLatin1String(key), value);
        });
    }
    void addDouble(const char *key, DoubleGetter get)
    {
        add(key, [key, get](FetchContext &c) {
            double value = 0;
            get(&value);
            c.map.insert(QLatin1String(key), value);
        });
    }
    // name + suffixes[0..2], one getter output each.
    void addTriple(const char *name, TripleGetter get, const char *s0 = "R", const char *s1 = "G",
                   const char *s2 = "B")
    {
        add(name, [=](FetchContext &c) {
            int a = 0, b = 0, d = 0;
            get(&a, &b, &d);
            c.map.insert(keyOf(name, s0), a);
            c.map.insert(keyOf(name, s1), b);
            c.map.insert(keyOf(name, s2), d);
        });
    }
    void addQuad(const char *name, QuadGetter get)
    {
        add(name, [=](FetchContext &c) {
            int v[4] = {};
            get(&v[0], &v[1], &v[2], &v[3]);
            for (int i = 0; i < 4; ++i)
                c.map.insert(QLatin1String(name) + QString::number(i + 1), v[i]);
        });
    }
    void addPair(const char *name, const char *key0, const char *key1, PairGetter get)
    {
        add(name, [=](FetchContext &c) {
            int a = 0, b = 0;
            get(&a, &b);
            c.map.insert(QLatin1String(key0), a);
            c.map.insert(QLatin1String(key1), b);
        });
    }

    QHash<QString, Reader> m_readers;
};

const Registry &registry();
void read(const char *name, FetchContext &context);

Registry::Registry()
{
    // One value each.
    addInt("rowDecodeMode", Get9739Mode);
    addInt("New16to16", GetNew16to16);
    addInt("lowPowerMode", GetLowPower);
    addInt("Contrastness", GetContrastness6619);
    addInt("errorBegin", GetErrorBegin9929);
    addInt("reduceMode", GetJianMode);
    addInt("rowDownFrequency", GetRowJiangPing);
    addInt("totalLine", GetTotalLine);
    addInt("backMode", GetBackMode);
    addInt("rowPhase", GetRowPhase);
    addInt("rowOEDelay", GetRowOEDelay);
    addInt("OEHiLevel", GetOEHiLevel);
    addInt("OELoLevel", GetOELoLevel);
    addInt("rowMode", GetRowMode);
    addInt("p16to16Mode", Get16to16Mode);
    addInt("ShiftLen", GetShiftLen6619);
    addInt("MaxShiftLen", GetMaxShiftLen);
    addInt("Version6619", GetVersion6619);
    addInt("IPVersion", GetIPVersion);
    addInt("scanNum", GetScanNum6619);
    addInt("RGBSeq9929", GetRGBSeq9929);
    addInt("preSet9929", GetPreSet9929);
    addInt("HighFrequenceStatus", GetHighFrequenceStatus);
    addInt("highFreqStatus", GetHighFrequenceStatus);
    addInt("SystemClock", GetSystemClock6619);
    addInt("BrightUtilization", GetBrightUtilization6619);
    addInt("GammaStart", GetGammaStart6619);
    addInt("GammaMax", GetGammaMax6619);
    addInt("GammaStep", GetGammaStep6619);
    addInt("GammaMode", GetGammaMode6619);
    addInt("GammaBits", GetGammaBits);
    addInt("FieldFreq", GetFieldFrequence6619);
    addInt("ClockPhase", GetClockPhase6619);
    addInt("ColBankingTime", GetColBankingTime);
    addInt("RowDownTime", GetRowDownTime);
    addInt("ColReleaseTime", GetColReleaseTime);
    addInt("ColBankWaitTime", GetColBankingWaitingTime);
    addInt("MinPulse", GetMinPulse);
    addInt("BrightBF", GetBrightBF);
    addInt("ColBlankingStatus", GetColBlankingStatus6619);
    addInt("TestMode", GetTestMode6619);
    addInt("ControlCardID", GetControlCardID);
    addInt("OEEndTime", GetOEEndTime);
    addInt("defaultClockPhase", GetDefaultPhase9929);
    addInt("defaultRowPhase", GetDefaultRowPhase9929);
    addDouble("gammaPara", GetGammaPara);
    addDouble("DeltaK", GetDeltaK);
    addDouble("DefaultDeltaK", GetDefaultDeltaK9929);

    // One value per colour or slot.
    addTriple("Resistance", GetResistance);
    addTriple("PrePullCurrent", GetPreCurrent);
    addTriple("PreCurrent", GetPreCurrent);
    addTriple("LowFirstLine", GetLowFirstLine);
    addTriple("FirstLine", GetFirstLine9929);
    addTriple("mCup", GetMCup, "1", "2", "3");
    addTriple("BlSel", GetBlSel);
    addTriple("SelVds", GetSelVds);
    addTriple("Iges", GetIges);
    addTriple("Iges9832", Get9832VC);
    addTriple("MPad", GetMPad);
    addTriple("RowBank", GetRowBankingMode);
    addTriple("RowPullVol", GetRowPullVoltage);
    addTriple("RowPullVolCut", GetRowPullVoltageCut);
    addTriple("Current6619", GetCurrent6619);
    addTriple("ColBlankingStatusNew", GetColBlankingStatusNew);
    addTriple("SetValue9930", Get9930SetValue, "_1", "_2", "_3");
    addQuad("StartColor", GetStartColor);
    addQuad("StartScan", GetStartScan);
    add("DataPhase", [](FetchContext &c) {
        int r = 0, g = 0, b = 0;
        GetDataPhase(&r, &g, &b);
        c.map.insert(QStringLiteral("rDataPhase"), r);
        c.map.insert(QStringLiteral("gDataPhase"), g);
        c.map.insert(QStringLiteral("bDataPhase"), b);
    });

    // Index and total pairs, and other getters with several outputs.
    addPair("ParaIndex3D", "ParaIndex3D", "ParaTotal3D", Get3DPara);
    addPair("flashIndex", "flashIndex", "flashTotalNum", GetFlashIndex);
    addPair("leakageIndex", "leakageIndex", "leakageTotalNum", GetLeakageIndex);
    addPair("grayIndex", "grayIndex", "grayTotalNum", GetGrayIndex);
    addPair("OpenSwitch", "OpenSwitch", "OpenDetectPara", GetOpenDetection);
    add("PrePullSwitch", [](FetchContext &c) {
        int on = 0;
        double value = 0;
        GetSunPara(&on, &value);
        c.map.insert(QStringLiteral("PrePullSwitch"), on);
        c.map.insert(QStringLiteral("PrePullValue"), value);
    });
    add("bOpenDetect", [](FetchContext &c) {
        int on = 0, r = 0, g = 0, b = 0;
        GetOpenDetectionNew(&on, &r, &g, &b);
        c.map.insert(QStringLiteral("bOpenDetect"), on == 1);
        c.map.insert(QStringLiteral("OpenDetectionR"), r);
        c.map.insert(QStringLiteral("OpenDetectionG"), g);
        c.map.insert(QStringLiteral("OpenDetectionB"), b);
    });
    add("fixValue", [](FetchContext &c) {
        int fix = 0;
        double scale = 0;
        GetFixValue(&fix, &scale);
        c.map.insert(QStringLiteral("fixValue"), fix);
        c.map.insert(QStringLiteral("R0Scale"), scale);
    });
    add("n16to16VerLsit", [](FetchContext &c) {
        double values[LS_LIST_MAX] = {};
        int count = 0;
        int index = 0;
        Get16to16VersionList(values, LS_LIST_MAX, &count);
        Get16to16Version(&index);
        QVariantList list;
        for (int i = 0; i < qBound(0, count, LS_LIST_MAX); ++i)
            list << values[i];
        c.map.insert(QStringLiteral("n16to16VerLsit"), list);
        c.map.insert(QStringLiteral("n16to16VerIndex"), index);
    });
    add("LibVerion", [](FetchContext &c) {
        int major = 0, mid = 0, minor = 0;
        GetLibVerion(&major, &mid, &minor);
        c.map.insert(QStringLiteral("LibVerion"),
                     QStringLiteral("%1.%2_FIX%3").arg(major).arg(mid).arg(minor));
    });
    add("ShiftClockList", [](FetchContext &c) {
        double values[LS_LIST_MAX] = {};
        int count = 0;
        GetShiftClockList6619(values, LS_LIST_MAX, &count);
        count = qBound(0, count, LS_LIST_MAX);
        c.map.insert(QStringLiteral("ShiftClockList"),
                     listText(QVector<double>(values, values + count)));
    });
    add("ShiftClock", [](FetchContext &c) {
        double mhz = 0;
        c.map.insert(QStringLiteral("initFlag"), GetShiftClock6619(&mhz));
        c.map.insert(QStringLiteral("ShiftClock"), mhz);
    });
    add("FieldFreqStatus", [](FetchContext &c) {
        int hz = 0;
        c.map.insert(QStringLiteral("initFlag"), GetFieldFrequence6619(&hz));
        c.map.insert(QStringLiteral("FieldFreq"), hz);
    });
    add("ledrange", [](FetchContext &c) {
        int v[6] = {};
        LS9937GetCCPara(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
        const char *keys[] = {"ledranger", "ledrangeg", "ledrangeb", "fixr", "fixg", "fixb"};
        for (int i = 0; i < 6; ++i)
            c.map.insert(QLatin1String(keys[i]), v[i]);
    });
    // LS9931 adds brightness only in some decode modes (as read by the fetch).
    add("AddBrightMode", [](FetchContext &c) {
        const int mode = c.map.value(QStringLiteral("rowDecodeMode")).toInt();
        if (!chipIn(mode, {6, 7, 8, 20, 21, 22}))
            return;
        int value = 0;
        Get9931AddBrightMode(&value);
        c.map.insert(QStringLiteral("AddBrightMode"), value);
    });

    // Groups.
    add("threePara", putThreeLists);
    add("grayCompensation", putGrayCompensation);
    add("defaultGamma", putDefaultGamma);
    add("gammaSome", [](FetchContext &c) {
        if (c.chipId != LS9937)
            putDefaultGamma(c);
        for (const char *key : {"GammaStart", "GammaStep", "GammaMax", "Contrastness"})
            read(key, c);
    });
    add("defaultGammaNot9937", [](FetchContext &c) {
        if (c.chipId != LS9937)
            putDefaultGamma(c);
    });
    add("dutyRation",
        [](FetchContext &c) { putDuty(c, GetDutyRation, "dutyRationList", "dutyRation"); });
    add("rowDutyRation", [](FetchContext &c) {
        putDuty(c, GetRowDutyRation, "rowDutyRationList", "rowDutyRation");
    });
}

const Registry &registry()
{
    static const Registry instance;
    return instance;
}

void read(const char *name, FetchContext &context)
{
    if (const Reader *reader = registry().find(QLatin1String(name)))
        (*reader)(context);
    else
        qCDebug(lcChip) << "no getter registered for" << name;
}

// A step of the full fetch: the chips it runs for (empty: all main chips) and
// the registered names it reads.
struct FetchRow {
    QVector<int> chips;
    QVector<const char *> names;
};

const QVector<FetchRow> &fullFetchRows()
{
    static const QVector<FetchRow> rows = {
        {{}, {"rowDecodeMode", "n16to16VerLsit", "New16to16", "gammaPara"}},
        {{4, 6, 10, 20}, {"ParaIndex3D"}},
        {{6, 8, 12, 17, 20}, {"lowPowerMode"}},
        {{6, 7, 11, 17, 20}, {"Resistance"}},
        {{8, 12, 17},
         {"PrePullSwitch", "PrePullCurrent", "LowFirstLine", "bOpenDetect", "OpenSwitch"}},
        {{20}, {"PrePullCurrent", "bOpenDetect", "GammaBits"}},
        {{}, {"Contrastness", "flashIndex", "leakageIndex", "grayIndex"}},
        {{4, 5, 6, 7, 9, 10, 11}, {"errorBegin"}},
        {{},
         {"SetValue9930", "reduceMode", "rowDownFrequency", "DataPhase", "totalLine", "backMode",
          "rowPhase", "rowOEDelay", "dutyRation", "rowDutyRation", "OEHiLevel", "OELoLevel",
          "rowMode", "p16to16Mode", "rowDecodeMode"}},
        {{20}, {"AddBrightMode"}},
        {{}, {"PreCurrent"}},
        {{8, 12, 17}, {"LowFirstLine"}},
        {{4, 6, 7, 8, 9, 10, 11, 12, 17, 20},
         {"ShiftLen", "MaxShiftLen", "Version6619", "IPVersion", "LibVerion"}},
        {{}, {"scanNum", "RGBSeq9929", "fixValue"}},
        {{4, 6, 10}, {"preSet9929"}},
        {{},
         {"mCup",
          "BlSel",
          "SelVds",
          "Iges",
          "MPad",
          "HighFrequenceStatus",
          "RowBank",
          "RowPullVol",
          "RowPullVolCut",
          "StartColor",
          "StartScan",
          "Current6619",
          "SystemClock",
          "BrightUtilization",
          "GammaStart",
          "GammaMax",
          "FieldFreq",
          "ShiftClockList",
          "ShiftClock",
          "ClockPhase",
          "threePara",
          "BrightUtilization",
          "grayCompensation",
          "ColBankingTime",
          "RowDownTime",
          "ColReleaseTime",
          "ColBankWaitTime",
          "MinPulse",
          "GammaMode",
          "GammaStep",
          "BrightBF",
          "ColBlankingStatus"}},
        {{20}, {"ColBlankingStatusNew"}},
        {{}, {"DeltaK", "FirstLine"}},
    };
    return rows;
}

} // namespace

void BLL_BusinessLogic_LSSDK::fetchKeys(std::initializer_list<const char *> keys)
{
    FetchContext context{m_paramMap, m_driverChipId};
    for (const char *key : keys)
        read(key, context);
}

void BLL_BusinessLogic_LSSDK::f_FetchPara()
{
    if (m_driverChipId == LS9937) {
        f_FetchPara_9937();
    } else if (isMainChip(m_driverChipId)) {
        FetchContext context{m_paramMap, m_driverChipId};
        for (const FetchRow &row : fullFetchRows()) {
            if (!row.chips.isEmpty() && !row.chips.contains(m_driverChipId))
                continue;
            for (const char *name : row.names)
                read(name, context);
        }
    }
    f_GetParaRange();
}

void BLL_BusinessLogic_LSSDK::f_FetchPara_9937()
{
    fetchKeys({"ledrange"});
    f_GetParaRange();
    fetchKeys({"ShiftClockList",
               "ShiftClock",
               "scanNum",
               "totalLine",
               "grayCompensation",
               "Iges9832",
               "ColBlankingStatusNew",
               "StartColor",
               "StartScan",
               "bOpenDetect",
               "SetValue9930",
               "FieldFreq",
               "SystemClock",
               "ShiftLen",
               "MaxShiftLen",
               "rowPhase",
               "rowOEDelay",
               "rowMode",
               "rowDownFrequency",
               "OEHiLevel",
               "OELoLevel",
               "ColBankingTime",
               "RowDownTime",
               "ColReleaseTime",
               "ColBankWaitTime",
               "threePara",
               "RowBank",
               "RowPullVol",
               "RowPullVolCut",
               "RGBSeq9929",
               "SelVds",
               "MPad",
               "Current6619",
               "PreCurrent",
               "lowPowerMode",
               "DataPhase",
               "p16to16Mode",
               "gammaPara",
               "GammaStart",
               "GammaStep",
               "GammaMax",
               "Contrastness",
               "MinPulse",
               "fixValue",
               "BrightBF",
               "DeltaK",
               "HighFrequenceStatus",
               "BrightUtilization",
               "ClockPhase"});
}

void BLL_BusinessLogic_LSSDK::f_GetParaRange()
{
    int minValues[LS_RANGE_COUNT] = {};
    int maxValues[LS_RANGE_COUNT] = {};
    GetRange(minValues, maxValues, LS_RANGE_COUNT);
    for (const auto &entry : publishedRanges()) {
        m_paramMap.insert(entry.second + QStringLiteral("_Min"), minValues[entry.first]);
        m_paramMap.insert(entry.second + QStringLiteral("_Max"), maxValues[entry.first]);
    }
    QString pairs;
    for (int k = 0; k < LS_RANGE_COUNT; ++k)
        pairs += QStringLiteral("%1:%2..%3 ").arg(k).arg(minValues[k]).arg(maxValues[k]);
    qCDebug(lcChip) << "ranges" << pairs;
}

int BLL_BusinessLogic_LSSDK::f_GetThreePara()
{
    fetchKeys({"threePara"});
    return 0;
}

void BLL_BusinessLogic_LSSDK::getRefreshRate()
{
    fetchKeys({"threePara"});
}

void BLL_BusinessLogic_LSSDK::getRefreshRate2()
{
    FetchContext c{m_paramMap, m_driverChipId};
    putList(c, StartRefreshList, true) && putList(c, RefreshList, false) &&
        putList(c, HighBitsList, true);
}

void BLL_BusinessLogic_LSSDK::fetchHighBitsList(bool writeBack)
{
    FetchContext c{m_paramMap, m_driverChipId};
    putList(c, HighBitsList, writeBack);
}

void BLL_BusinessLogic_LSSDK::fetchStartRefreshList()
{
    FetchContext c{m_paramMap, m_driverChipId};
    putList(c, StartRefreshList, true);
}

void BLL_BusinessLogic_LSSDK::f_ShiftClock()
{
    fetchKeys({"ShiftClockList", "ShiftClock"});
}

void BLL_BusinessLogic_LSSDK::f_ShiftClockNew()
{
    f_ShiftClock();
}

void BLL_BusinessLogic_LSSDK::getGclkDataclock()
{
    if (chipIn(m_driverChipId, {8, 12, 17, 20, 24}))
        f_ShiftClock();
}

void BLL_BusinessLogic_LSSDK::f_IDC_CHECK3()
{
    f_ShiftClock();
    fetchKeys({"dutyRation", "rowDutyRation", "threePara", "GammaMax", "Contrastness",
               "BrightUtilization", "defaultClockPhase"});
}

void BLL_BusinessLogic_LSSDK::f_OnCbnSelchangeComboGrayad()
{
    fetchKeys({"grayCompensation", "DeltaK", "defaultGamma", "GammaMax", "Contrastness",
               "BrightUtilization"});
}

void BLL_BusinessLogic_LSSDK::f_OnCbnSelchangeComboLeakage()
{
    fetchKeys({"BlSel", "mCup", "ColBankingTime", "RowPullVol", "RowPullVolCut", "RowBank",
               "DeltaK", "BrightUtilization"});
}

void BLL_BusinessLogic_LSSDK::f_getErrorParam()
{
    fetchKeys({"grayCompensation"});
}

void BLL_BusinessLogic_LSSDK::f_getOELoLevelParam()
{
    fetchKeys({"ColBankingTime", "RowDownTime", "ColBankWaitTime", "ColReleaseTime", "errorBegin",
               "rowPhase", "fixValue", "DefaultDeltaK"});
}

void BLL_BusinessLogic_LSSDK::getGammaSomeParam()
{
    fetchKeys({"gammaSome"});
}

void BLL_BusinessLogic_LSSDK::getGammaSomeParamNew2()
{
    fetchKeys({"defaultGamma", "GammaMax", "Contrastness"});
}

void BLL_BusinessLogic_LSSDK::getGammaSomeParamNew()
{
    getGammaSomeParamNew2();
    fetchKeys({"DefaultDeltaK"});
    if (m_driverChipId == LS9931)
        fetchKeys({"mCup"});
}

void BLL_BusinessLogic_LSSDK::getPhase9929()
{
    fetchKeys({"defaultClockPhase", "defaultRowPhase"});
}

// The grouped fetches read only the chips with a full parameter set; LS9918 has
// its test mode alone.
void BLL_BusinessLogic_LSSDK::fetchGroup(std::initializer_list<const char *> keys)
{
    if (isMainChip(m_driverChipId) || m_driverChipId == LS9937)
        fetchKeys(keys);
    if (m_driverChipId == LS9918)
        fetchKeys({"TestMode"});
}

// clang-format off
void BLL_BusinessLogic_LSSDK::parseBasicParam()
{
    fetchGroup({"FieldFreq", "ShiftClockList", "ShiftClock", "ClockPhase", "ShiftLen",
                "MaxShiftLen", "threePara", "BrightUtilization", "gammaSome"});
}

void BLL_BusinessLogic_LSSDK::parseCommonModeParam()
{
    fetchGroup({"n16to16VerLsit", "threePara", "GammaMax", "GammaStart", "GammaStep",
                "gammaPara", "defaultGammaNot9937", "BrightBF", "ClockPhase",
                "defaultClockPhase", "ShiftLen", "MaxShiftLen", "OEHiLevel", "OELoLevel",
                "Current6619", "FieldFreqStatus", "SystemClock", "flashIndex",
                "ColBlankingStatus", "preSet9929", "RowDownTime", "ColBankingTime", "BlSel",
                "grayCompensation", "MinPulse", "FirstLine", "LowFirstLine", "grayIndex",
                "rowDecodeMode", "GammaMode", "Contrastness"});
}

void BLL_BusinessLogic_LSSDK::parseAdvanceModeParam()
{
    fetchGroup({"RowPullVol", "RowPullVolCut", "RowBank", "StartColor", "StartScan", "rowMode",
                "rowPhase", "defaultRowPhase", "rowDutyRation", "rowOEDelay", "totalLine",
                "RGBSeq9929", "rowDownFrequency", "ColBankWaitTime", "ColReleaseTime", "Iges",
                "mCup", "SelVds", "MPad", "DeltaK", "DefaultDeltaK", "errorBegin", "fixValue",
                "dutyRation", "SetValue9930", "DataPhase", "leakageIndex", "bOpenDetect",
                "ParaIndex3D", "PreCurrent", "p16to16Mode", "HighFrequenceStatus", "backMode",
                "reduceMode", "New16to16"});
    if (chipIn(m_driverChipId, {6, 8, 12, 17, 20, 24}))
        fetchKeys({"lowPowerMode"});
    if (chipIn(m_driverChipId, {8, 12, 17}))
        fetchKeys({"OpenSwitch", "PrePullSwitch", "PrePullCurrent"});
}

void BLL_BusinessLogic_LSSDK::parseParam()
{
    fetchGroup({"flashIndex", "leakageIndex", "ShiftLen", "MaxShiftLen", "grayIndex",
                "errorBegin", "SetValue9930", "reduceMode", "rowDownFrequency", "DataPhase",
                "totalLine", "backMode", "rowPhase", "rowOEDelay", "dutyRation", "rowDutyRation",
                "OEHiLevel", "OELoLevel", "rowMode", "p16to16Mode", "rowDecodeMode", "scanNum",
                "RGBSeq9929", "fixValue", "preSet9929", "mCup", "BlSel", "SelVds", "Iges", "MPad",
                "highFreqStatus", "RowBank", "RowPullVol", "RowPullVolCut", "StartColor",
                "StartScan", "Current6619", "SystemClock", "GammaStart", "GammaMax", "FieldFreq",
                "ShiftClockList", "ShiftClock", "ClockPhase", "threePara", "BrightUtilization",
                "ControlCardID", "ColBankingTime", "RowDownTime", "ColReleaseTime", "OEEndTime",
                "ColBankWaitTime", "MinPulse", "GammaMode", "GammaStep", "BrightBF",
                "ColBlankingStatus", "DeltaK", "FirstLine"});
    qCDebug(lcChip) << "BLL_BusinessLogic_LSSDK::parseParam";
}
// clang-format on
