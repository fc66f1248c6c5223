// Writing one interface control into the chip library and reading back what the
// change affects. A control whose library setter refuses the value (status 7 for
// a value out of range) changes nothing: its follow-up setters are skipped and the
// status is returned as "result".

#include "bll_businesslogic_lssdk.h"
#include "chipselection.h"
#include "configdll6619.h"
#include "lssdk_controlvalues.h"

#include <QDebug>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcChip)

using namespace ledwall::chip;

void BLL_BusinessLogic_LSSDK::setBasicParam(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    int status = 0;
    switch (in.integer("configIndex")) {
    case 0:
        status = SetShiftClock6619(in.real("configParam"));
        fetchKeys({"ShiftClock"});
        getRefreshRate();
        fetchKeys({"defaultGamma", "GammaMax", "Contrastness", "defaultClockPhase",
                   "defaultRowPhase", "dutyRation"});
        if (m_driverChipId == LS9931)
            fetchKeys({"mCup"});
        break;
    case 1:
        status = SetRGBSeq9929(in.integer("rgbSeq"));
        break;
    case 2:
        status = SetScanNum6619(in.integer("intervalRow"));
        break;
    case 3:
        status = SetShiftLen6619(in.integer("moduleWidth"));
        break;
    case 4:
        status = SetFieldFrequence6619(in.integer("framesPerSecond"));
        break;
    case 5:
        parseBasicParam();
        break;
    default:
        break;
    }
    m_paramMap.insert(QStringLiteral("result"), status);
}

void BLL_BusinessLogic_LSSDK::setCommonParam(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    qCDebug(lcChip) << " -- configParam:" << map.value(QStringLiteral("configParam")).toString();
    int status = 0;
    switch (in.integer("configIndex")) {
    case 0:
        status = SetRefreshRate6619(in.value());
        getRefreshRate();
        getGammaSomeParam();
        break;
    case 1:
        status = SetHighBitsNum(in.value());
        getRefreshRate2();
        fetchKeys({"MaxShiftLen"});
        getGammaSomeParam();
        break;
    case 2:
        status = SetStartRefreshRate(in.value());
        getGammaSomeParam();
        break;
    case 3:
        status = SetGammaStart6619(in.value());
        fetchKeys({"Contrastness"});
        break;
    case 4:
        status = SetGammaStep6619(in.value());
        break;
    case 5:
        status = SetBrightBF(in.value());
        break;
    case 6:
        status = SetClockPhase6619(in.value());
        break;
    case 7:
        status = SetOELoLevel(in.value());
        fetchKeys({"MinPulse", "grayCompensation", "ColBankingTime", "RowDownTime",
                   "ColBankWaitTime", "ColReleaseTime", "errorBegin", "rowPhase"});
        break;
    case 8:
        status = SetOEHiLevel(in.value());
        fetchKeys({"ColBankingTime", "RowDownTime", "ColBankWaitTime", "ColReleaseTime",
                   "errorBegin", "rowPhase"});
        break;
    case 9: {
        status = SetCurrent6619(in.colour(), in.colourValue());
        int r = 0, g = 0, b = 0;
        GetCurrent6619(&r, &g, &b);
        qCDebug(lcChip) << "current" << r << g << b;
        break;
    }
    case 10:
        status = SetFieldFrequence6619(in.value());
        getGclkDataclock();
        getRefreshRate();
        getGammaSomeParam();
        qCDebug(lcChip) << "ret:" << status;
        break;
    case 11:
        status = SetSystemClock6619(in.value());
        getRefreshRate();
        getGammaSomeParam();
        break;
    case 12:
        status = SetFlashIndex(in.value());
        setFlashIndex();
        break;
    case 13:
        status = SetColBlankingStatus6619(in.value());
        fetchKeys({"ColBankingTime"});
        break;
    case 14:
        status = SetPreSet9929(in.value());
        setPtrSet();
        break;
    case 15:
        status = keepPreset(SetRowDownTime(in.value()));
        break;
    case 16:
        status = keepPreset(SetColBankingTime(in.value()));
        break;
    case 17:
        status = keepPreset(SetBlSel(in.colour(), in.colourValue()));
        break;
    case 18:
        status = setGreyCompensation(in, m_driverChipId);
        if (chipIn(m_driverChipId, {LS9931, LS9937}))
            qCDebug(lcChip) << "SC9931_ID SetError" << status;
        break;
    case 19:
        status = SetMinPulse(in.value());
        getGammaSomeParam();
        break;
    case 20:
        status = SetFirstLine9929(in.colour(), in.colourValue());
        break;
    case 21:
        status = SetLowFirstLine(in.colour(), in.colourValue());
        break;
    case 22:
        status = SetGrayIndex(in.value());
        fetchKeys({"grayCompensation", "DeltaK"});
        getGammaSomeParam();
        fetchKeys({"BrightUtilization"});
        break;
    case 23:
        status = SetGammaPara(in.real("configParam"));
        break;
    case 24:
        status = Set16to16Version(in.value());
        break;
    default:
        break;
    }
    m_paramMap.insert(QStringLiteral("result"), status);
}

void BLL_BusinessLogic_LSSDK::setAdvanceParam(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    int status = 0;
    switch (in.integer("configIndex")) {
    case 12:
        status = keepPreset(SetRowPullVoltage(in.colour(), in.colourValue()));
        break;
    case 13:
        status = keepPreset(SetRowPullVoltageCut(in.colour(), in.colourValue()));
        break;
    case 14:
        status = keepPreset(SetRowBankingMode(in.colour(), in.colourValue()));
        break;
    case 15:
        status = SetStartColor(in.slot(), in.value());
        break;
    case 16:
        status = SetStartScan(in.slot(), in.value());
        break;
    case 17:
        status = SetRowMode(in.value());
        break;
    case 18:
        status = SetRowPhase(in.value());
        break;
    case 19:
        status = SetRowDutyRation(in.value());
        break;
    case 20:
        status = SetRowOEDelay(in.value());
        break;
    case 21:
        status = SetTotalLine(in.value());
        break;
    case 22:
        status = SetRGBSeq9929(in.value());
        fetchKeys({"StartColor"});
        break;
    case 23:
        status = SetColBankingWaitingTime(in.value());
        break;
    case 24:
        status = SetColReleaseTime(in.value());
        break;
    case 25:
        status = keepPreset(SetIges(in.colour(), in.colourValue()));
        break;
    case 26:
        status = keepPreset(SetMCup(in.colour(), in.colourValue()));
        break;
    case 27:
        status = keepPreset(SetSelVds(in.colour(), in.colourValue()));
        break;
    case 28:
        status = SetMPad(in.colour(), in.colourValue());
        break;
    case 29:
        status = SetDeltaK(in.real("configParam"));
        fetchKeys({"BrightUtilization"});
        getGammaSomeParam();
        break;
    case 30:
        status = SetErrorBegin9929(in.value());
        break;
    case 31:
        status = SetFixValue(in.value());
        break;
    case 32:
        status = SetDutyRation(in.value());
        break;
    case 33:
        status = Set9930SetValue(in.colour(), in.colourValue());
        break;
    case 34:
        status = SetDataPhase(in.colour(), in.colourValue());
        break;
    case 35:
        status = SetLeakageIndex(in.value());
        f_OnCbnSelchangeComboLeakage();
        break;
    case 36:
    case 45:
    case 47:
        status = SetOpenDetection(0, in.colour(), in.colourValue());
        break;
    case 37:
        status = Set3DPara(in.value());
        fetchKeys({"ParaIndex3D"});
        break;
    case 38:
    case 49:
        status = SetPreCurrent(in.colour(), in.colourValue());
        break;
    case 39:
        status = Set16to16Mode(in.value());
        break;
    case 40:
        status = SetHighFrequenceStatus(in.value());
        break;
    case 41:
        status = SetBackMode(in.value());
        break;
    case 42:
        status = SetJianMode(in.value());
        fetchKeys({"DefaultDeltaK"});
        break;
    case 43:
        status = SetRowJiangPing(in.value());
        break;
    case 44:
        status = SetLowPower(in.value());
        break;
    case 46:
        status = SetOpenDetection(1, in.colour(), in.colourValue());
        break;
    case 48:
        status = SetSunPara(in.colour(), in.real("configParam"));
        qCDebug(lcChip) << "setAdvanceParam" << status;
        break;
    case 50:
        status = SetNew16to16(in.value());
        if (status == CONFIGERR_OK_6619)
            status = SetJianMode(in.value());
        fetchKeys({"reduceMode", "defaultGamma", "GammaMax", "Contrastness", "DefaultDeltaK",
                   "DeltaK", "fixValue"});
        break;
    default:
        break;
    }
    m_paramMap.insert(QStringLiteral("result"), status);
}

void BLL_BusinessLogic_LSSDK::setPtrSet()
{
    fetchKeys({"mCup", "BlSel", "SelVds", "Iges", "HighFrequenceStatus", "RowBank", "RowPullVol",
               "RowPullVolCut", "StartColor", "StartScan", "ColBlankingStatus", "ColBankingTime",
               "RowDownTime"});
}

void BLL_BusinessLogic_LSSDK::setFlashIndex()
{
    fetchKeys({"ClockPhase", "OEHiLevel", "OELoLevel", "grayCompensation", "Current6619",
               "rowPhase", "ColBankingTime", "RowDownTime", "ColReleaseTime", "ColBankWaitTime",
               "errorBegin", "DeltaK", "BrightUtilization", "MinPulse"});
}

void BLL_BusinessLogic_LSSDK::getDefaultParam(int index)
{
    switch (index) {
    case 0:
        fetchKeys({"defaultGamma"});
        break;
    case 1:
        fetchKeys({"defaultClockPhase"});
        break;
    case 2:
        fetchKeys({"defaultRowPhase"});
        break;
    case 3:
        fetchKeys({"DefaultDeltaK"});
        break;
    default:
        break;
    }
}

void BLL_BusinessLogic_LSSDK::setSmartSetFirstStep(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    SetShiftLen6619(in.integer("moduleWidth"));
    SetScanNum6619(in.integer("intervalRow"));
    Set9739Mode(m_decodeModeId);
    SetFieldFrequence6619(30);
    SetRGBSeq9929(in.integer("rgbSeq"));
}

void BLL_BusinessLogic_LSSDK::setOpenBoxFile(const QMap<QString, QVariant> &map)
{
    const ControlValues in{map};
    SetScanNum6619(in.integer("intervalRow"));
    Set9739Mode(m_decodeModeId);
    SetRGBSeq9929(in.integer("rgbSeq"));
    SetShiftClock6619(in.real("dataClockFrequency"));
    SetShiftLen6619(in.integer("moduleWidth"));
    SetFieldFrequence6619(in.integer("framesPerSecond"));
    getGammaSomeParam();
}
