#include "synchronisation.h"

namespace ledwall::processor
{

SynAction synAction(int cmdFlag, int synType)
{
    switch (cmdFlag) {
    case 7:
        return synType == 0     ? SynAction::SendEdgeFusion
               : synType == 5   ? SynAction::RequestSix
               : synType == 255 ? SynAction::SendOutputSetup
                                : SynAction::None;
    case 5:
        return SynAction::SendPresetData;
    case 4:
        return synType == 0     ? SynAction::SceneSwitched
               : synType == 255 ? SynAction::SceneSwitchFailed
                                : SynAction::None;
    default:
        return SynAction::None;
    }
}

QVariantMap beforeSynCommand(const QString &guid, int cmdFlag)
{
    return {{QStringLiteral("guid"), guid},
            {QStringLiteral("isFill"), true},
            {QStringLiteral("isSave"), false},
            {QStringLiteral("moduleName"), QStringLiteral("Module_WriteBeforeSynInfo")},
            {QStringLiteral("cmdFlag"), cmdFlag}};
}

QVariantMap templateCommand(const QString &guid, int templateNum)
{
    return {{QStringLiteral("guid"), guid},
            {QStringLiteral("isFill"), true},
            {QStringLiteral("isSave"), false},
            {QStringLiteral("moduleName"), QStringLiteral("Module_WriteTemplateInfo")},
            {QStringLiteral("operateFlag"), 1},
            {QStringLiteral("templateNum"), templateNum}};
}

} // namespace ledwall::processor
