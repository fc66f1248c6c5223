#pragma once
// Which data-center file operation serves a save or an open, chosen from the
// path: a file kind is recognised when the path contains its extension text
// (case-sensitive), tried in a fixed order; the first match wins.

#include <QString>

namespace ledwall
{

enum class DisplayBoxFileCall {
    None,
    SaveDisplayBoxData,        // ".drc"
    SaveComplexBoxData,        // ".rcxs"
    SaveModuleConfigureFile,   // ".MCJ"
    SaveBoxConfigureFile,      // ".BCJ"
    SaveDisplayConnectXMLFile, // ".xml"
    OpenDisplayBoxData,        // ".drc"
    OpenComplexBoxData,        // ".rcxs"
    OpenBoxData,               // ".box"
    OpenBoxConfigureData,      // ".BCJ", or ".MCJ" with configuration flag 2
    OpenBasicParameterData,    // ".json" with configuration flag 1
    OpenDisplayConnectXMLFile, // ".xml"
    OpenHdrGammaFile           // ".mif"
};

enum class GammaFileCall {
    None,
    SaveGammaCalibData,  // ".gamcalib"
    SaveGammaData,       // ".gam" (so also ".gamdat")
    OpenGamdatGammaData, // ".gamdat"
    OpenGammaCalibData,  // ".gamcalib"
    OpenGammaData,       // ".gam"
    OpenLSGammaData      // ".dat"
};

DisplayBoxFileCall displayBoxFileCall(bool isSave, const QString &path, int configFlag);
GammaFileCall gammaFileCall(bool isSave, const QString &path);

// The data-center operation's name, for log lines ("" for None).
QString callName(DisplayBoxFileCall call);
QString callName(GammaFileCall call);

} // namespace ledwall
