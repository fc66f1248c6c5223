#pragma once
// The synchronisation handshake with a processor: the commands the library sends
// ("Module_WriteBeforeSynInfo", "Module_WriteTemplateInfo") and what a
// "Module_ReadBeforeSynInfo" request of the processor asks for.

#include <QString>
#include <QVariantMap>

namespace ledwall::processor
{

enum class SynAction {
    None,
    SendEdgeFusion,   // cmdFlag 7, synType 0
    RequestSix,       // cmdFlag 7, synType 5: answer with a before-synchronisation 6
    SendOutputSetup,  // cmdFlag 7, synType 255
    SendPresetData,   // cmdFlag 5: the preset handler sends the data of synType
    SceneSwitched,    // cmdFlag 4, synType 0: sig_switchSceneEnd(1)
    SceneSwitchFailed // cmdFlag 4, synType 255: sig_switchSceneEnd(255)
};

// What a request with these values asks for (-1 stands for a missing value).
SynAction synAction(int cmdFlag, int synType);

// "Module_WriteBeforeSynInfo" with the flag; goes through the pipeline.
QVariantMap beforeSynCommand(const QString &guid, int cmdFlag);
// "Module_WriteTemplateInfo": store the scene just sent as template `templateNum`.
QVariantMap templateCommand(const QString &guid, int templateNum);

} // namespace ledwall::processor
