#include "filedispatch.h"

namespace ledwall
{

namespace
{

// One row of a dispatch table: the extension text, the configuration flag the row
// needs (-1: any), the call and its name.
template <typename Call> struct Rule {
    const char *extension;
    int configFlag;
    Call call;
    const char *name;
};

using D = DisplayBoxFileCall;
using G = GammaFileCall;

const Rule<D> displaySaveRules[] = {
    {".drc", -1, D::SaveDisplayBoxData, "saveDisplayBoxData"},
    {".rcxs", -1, D::SaveComplexBoxData, "saveComplexBoxData"},
    {".MCJ", -1, D::SaveModuleConfigureFile, "saveModuleConfigureFile"},
    {".BCJ", -1, D::SaveBoxConfigureFile, "saveBoxConfigureFile"},
    {".xml", -1, D::SaveDisplayConnectXMLFile, "saveDisplayConnectXMLFile"},
};

const Rule<D> displayOpenRules[] = {
    {".drc", -1, D::OpenDisplayBoxData, "openDisplayBoxData"},
    {".rcxs", -1, D::OpenComplexBoxData, "openComplexBoxData"},
    {".box", -1, D::OpenBoxData, "openBoxData"},
    {".BCJ", -1, D::OpenBoxConfigureData, "openBoxConfigureData"},
    {".MCJ", 2, D::OpenBoxConfigureData, "openBoxConfigureData"},
    {".json", 1, D::OpenBasicParameterData, "openBasicParameterData"},
    {".xml", -1, D::OpenDisplayConnectXMLFile, "openDisplayConnectXMLFile"},
    {".mif", -1, D::OpenHdrGammaFile, "openHdrGammaFile"},
};

const Rule<G> gammaSaveRules[] = {
    {".gamcalib", -1, G::SaveGammaCalibData, "saveGammaCalibData"},
    {".gam", -1, G::SaveGammaData, "saveGammaData"},
};

const Rule<G> gammaOpenRules[] = {
    {".gamdat", -1, G::OpenGamdatGammaData, "openGamdatGammaData"},
    {".gamcalib", -1, G::OpenGammaCalibData, "openGammaCalibData"},
    {".gam", -1, G::OpenGammaData, "openGammaData"},
    {".dat", -1, G::OpenLSGammaData, "openLSGammaData"},
};

template <typename Call, size_t N>
Call firstMatch(const Rule<Call> (&rules)[N], const QString &path, int configFlag)
{
    for (const Rule<Call> &rule : rules) {
        if ((rule.configFlag < 0 || rule.configFlag == configFlag) &&
            path.contains(QLatin1String(rule.extension), Qt::CaseSensitive))
            return rule.call;
    }
    return Call::None;
}

template <typename Call, size_t N, size_t M>
QString nameOf(Call call, const Rule<Call> (&saves)[N], const Rule<Call> (&opens)[M])
{
    for (const Rule<Call> &rule : saves)
        if (rule.call == call)
            return QLatin1String(rule.name);
    for (const Rule<Call> &rule : opens)
        if (rule.call == call)
            return QLatin1String(rule.name);
    return {};
}

} // namespace

DisplayBoxFileCall displayBoxFileCall(bool isSave, const QString &path, int configFlag)
{
    return isSave ? firstMatch(displaySaveRules, path, configFlag)
                  : firstMatch(displayOpenRules, path, configFlag);
}

GammaFileCall gammaFileCall(bool isSave, const QString &path)
{
    return isSave ? firstMatch(gammaSaveRules, path, -1) : firstMatch(gammaOpenRules, path, -1);
}

QString callName(DisplayBoxFileCall call)
{
    return nameOf(call, displaySaveRules, displayOpenRules);
}

QString callName(GammaFileCall call)
{
    return nameOf(call, gammaSaveRules, gammaOpenRules);
}

} // namespace ledwall
