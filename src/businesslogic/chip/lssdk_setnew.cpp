// The setter of the current interface: one control identifier per index, values in
// "configParam1" to "configParam3" (integers) and "configParam" (a number, truncated
// where the library takes an integer).

#include "bll_businesslogic_lssdk.h"
#include "lssdk_controlvalues.h"

#include <QDebug>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcChip)

using namespace ledwall::chip;

namespace
{

bool hasShiftClockReread(int chipId)
{
    return chipIn(chipId, {LS9935, LS9935B, LS9936, LS9937});
}

} // namespace

void BLL_BusinessLogic_LSSDK::setParamNew(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    const int index = in.integer("configIndex");
    const int value = in.truncated();
    int status = 0;
    switch (index) {
    case 0:
        status = m_driverChipId == LS9961 ? SetUnitNum9961(value) : SetShiftLen6619(value);
        if (hasShiftClockReread(m_driverChipId))
            f_ShiftClockNew();
        f_GetThreePara();
        getPhase9929();
        getGammaSomeParamNew();
        break;
    case 1:
        status = SetSystemClock6619(value);
        f_ShiftClockNew();
        break;
    case 2:
        status = SetFieldFrequence6619(value);
        break;
    case 3:
        status = SetShiftClock6619(in.real("configParam"));
        qCDebug(lcChip) << "SetShiftClock6619" << status;
        fetchKeys({"ShiftClock"});
        f_GetThreePara();
        fetchKeys({"defaultGamma", "GammaMax", "Contrastness", "defaultClockPhase",
                   "defaultRowPhase", "DefaultDeltaK"});
        if (m_decodeModeId == 22)
            fetchKeys({"dutyRation"});
        if (m_driverChipId == LS9931)
            fetchKeys({"mCup"});
        break;
    case 4:
        status = SetClockPhase6619(value);
        break;
    case 5:
        status = keepPreset(SetColBankingTime(value));
        fetchKeys({"MaxShiftLen"});
        if (chipIn(m_driverChipId, {4, 6, 10, 20}))
            fetchKeys({"ParaIndex3D"});
        fetchKeys({"BrightUtilization", "DeltaK", "GammaMax"});
        if (m_driverChipId == LS9931)
            fetchKeys({"fixValue"});
        fetchKeys({"p16to16Mode"});
        f_GetParaRange();
        break;
    case 9:
        status = SetScanNum6619(value);
        if (hasShiftClockReread(m_driverChipId))
            f_ShiftClockNew();
        fetchKeys({"MinPulse"});
        getPhase9929();
        f_GetThreePara();
        fetchKeys({"defaultGamma", "GammaMax", "Contrastness", "StartScan", "totalLine"});
        if (m_driverChipId == LS9931)
            fetchKeys({"mCup"});
        fetchKeys({"bOpenDetect"});
        break;
    case 10:
        status = setGreyCompensation(in, m_driverChipId);
        break;
    case 12:
        status = SetDeltaK(in.real("configParam"));
        fetchKeys({"BrightUtilization"});
        break;
    case 13:
        status = SetGammaStart6619(value);
        fetchKeys({"Contrastness"});
        break;
    case 14:
        status = SetMinPulse(value);
        getGammaSomeParamNew2();
        break;
    case 15:
        status = SetBrightBF(value);
        break;
    case 16:
        status = SetGammaStep6619(value);
        fetchKeys({"GammaStep"});
        qCDebug(lcChip) << " ----------------MESS_GAMMASTEP" << m_paramMap.value("GammaStep");
        break;
    case 17:
        status = SetRowDownTime(value);
        break;
    case 19:
        status = SetColReleaseTime(value);
        break;
    case 20:
        // A new refresh rate changes what the high-bits and start-refresh values
        // mean: write the current ones back so the library recomputes them.
        status = SetRefreshRate6619(value);
        fetchHighBitsList(true);
        fetchStartRefreshList();
        getGammaSomeParamNew();
        break;
    case 21:
        status = SetColBankingWaitingTime(value);
        break;
    case 22:
        status = SetColBlankingStatus6619(value);
        fetchKeys({"ColBankingTime"});
        f_ShiftClock();
        f_getVerion();
        f_GetThreePara();
        fetchKeys({"GammaMax", "Contrastness", "mCup", "BlSel"});
        break;
    case 23:
        if (isMainChip(m_driverChipId)) {
            status = SetFirstLine9929(in.colour(), in.colourValue());
            getGammaSomeParamNew2();
        } else {
            status = SetFirstLine(value);
        }
        break;
    case 25:
        status = SetDataPhase(in.colour(), in.colourValue());
        break;
    case 26:
        status = SetStartRefreshRate(value);
        getGammaSomeParam();
        break;
    case 27:
        status = SetHighBitsNum(value);
        fetchStartRefreshList();
        getGammaSomeParamNew();
        break;
    case 28:
        status = SetCurrent6619(in.colour(), in.colourValue());
        fetchKeys({"PreCurrent"});
        break;
    case 29:
        status = keepPreset(SetMCup(in.colour(), in.colourValue()));
        fetchKeys({"ColBankingTime"});
        break;
    case 30:
        status = SetBlSel(in.colour(), in.colourValue());
        break;
    case 31:
        status = SetSelVds(in.colour(), in.colourValue());
        break;
    case 32:
        status = SetIges(in.colour(), in.colourValue());
        break;
    case 33:
        status = SetMPad(in.colour(), in.colourValue());
        break;
    case 34:
        status = SetFixValue(value);
        fetchKeys({"DefaultDeltaK"});
        break;
    case 35:
        status = SetRGBSeq9929(value);
        fetchKeys({"StartColor"});
        break;
    case 36:
        fetchKeys({"RowDownTime", "ColBankingTime", "ColReleaseTime", "ColBankWaitTime", "rowPhase",
                   "StartScan", "totalLine", "RowBank", "RowPullVol", "RowPullVolCut"});
        break;
    case 37:
        status = SetRowBankingMode(in.colour(), in.colourValue());
        break;
    case 38:
        status = SetRowPullVoltage(in.colour(), in.colourValue());
        break;
    case 39:
        status = SetRowPullVoltageCut(in.colour(), in.colourValue());
        break;
    case 40:
        status = SetStartColor(in.slot(), value);
        break;
    case 41:
        status = SetStartScan(in.slot(), value);
        break;
    case 42:
        fetchKeys({"RowPullVol", "RowPullVolCut"});
        break;
    case 43:
        status = SetPreSet9929(value);
        setPtrSet();
        break;
    case 44:
        status = SetRowMode(value);
        break;
    case 45:
        status = SetDutyRation(value);
        break;
    case 46:
        status = SetOEHiLevel(value);
        f_getOELoLevelParam();
        break;
    case 47:
        status = SetOELoLevel(value);
        fetchKeys({"MinPulse"});
        f_getErrorParam();
        f_getOELoLevelParam();
        break;
    case 48:
        status = SetTotalLine(value);
        fetchKeys({"DefaultDeltaK"});
        break;
    case 49:
        status = SetRowPhase(value);
        break;
    case 50:
        status = SetRowDutyRation(value);
        break;
    case 51:
        status = SetRowOEDelay(value);
        break;
    case 54:
        status = Set9930SetValue(in.colour(), in.colourValue());
        break;
    case 55:
        status = SetErrorBegin9929(value);
        break;
    case 57:
        status = Set3DPara(value);
        fetchKeys({"ParaIndex3D"});
        break;
    case 58:
        status = SetLowFirstLine(in.colour(), in.colourValue());
        break;
    case 59:
        status = SetPreCurrent(in.colour(), in.colourValue());
        break;
    case 60:
        status = SetGammaPara(in.real("configParam"));
        break;
    case 61:
        status = SetOpenDetection(0, in.colour(), in.colourValue());
        break;
    case 62:
        status = SetSunPara(in.colour(), in.real("configParam"));
        break;
    case 63:
        status = SetResistance(in.colour(), in.colourValue());
        break;
    case 65:
        status = SetOpenDetectionNew(in.slot(), in.colour(), in.colourValue());
        break;
    case 66:
        status = SetGammaBits(value);
        break;
    case 67:
        status = Set9931AddBrightMode(value);
        fetchKeys({"defaultGamma", "DefaultDeltaK"});
        break;
    case 70:
        status = Set9832VC(value);
        qCDebug(lcChip) << "MESS_9832VC configParam.toInt()" << value;
        break;
    case 72:
        status = Set9936BSVBL(value);
        break;
    case 73:
        status = SetRowOEPara(value);
        fetchKeys({"ColBankingTime", "ColBankWaitTime", "ColReleaseTime", "RowDownTime"});
        break;
    case 1127:
        status = SetHighFrequenceStatus(value);
        f_IDC_CHECK3();
        break;
    case 1158:
        status = Set16to16Mode(value);
        break;
    case 1223:
        status = SetBackMode(value);
        break;
    case 1230:
        status = SetRowJiangPing(value);
        fetchKeys({"DeltaK"});
        break;
    case 1231:
        status = SetJianMode(value);
        fetchKeys({"DefaultDeltaK", "defaultGamma"});
        break;
    case 1248:
        status = SetLowPower(value);
        break;
    case 1270:
        status = SetNew16to16(value);
        if (status == CONFIGERR_OK_6619)
            status = SetJianMode(value);
        fetchKeys({"reduceMode", "defaultGamma", "GammaMax", "Contrastness", "DefaultDeltaK"});
        break;
    case 1294:
        status = Set16to16Version(value);
        fetchKeys({"defaultGamma", "DefaultDeltaK"});
        break;
    case 1418:
        status = SetGrayIndex(value);
        f_OnCbnSelchangeComboGrayad();
        break;
    case 1420:
        status = SetLeakageIndex(value);
        f_OnCbnSelchangeComboLeakage();
        break;
    case 1423:
        fetchKeys({"Iges9832"});
        qCDebug(lcChip) << "IDC_COMBO_COLINDEX configParam.toInt()" << value;
        break;
    default:
        break;
    }
    m_paramMap.insert(QStringLiteral("MESSType"), index);
    m_paramMap.insert(QStringLiteral("result"), status);
}
