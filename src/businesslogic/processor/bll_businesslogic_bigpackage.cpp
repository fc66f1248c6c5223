#include "bll_businesslogic_bigpackage.h"

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "processortables.h"
#include "synchronisation.h"

#include <QLoggingCategory>

using namespace ledwall::processor;

namespace
{
Q_LOGGING_CATEGORY(lcBigPackage, "ledwall.bigpackage")

int valueOr(const QVariantMap &map, const QString &key, int fallback)
{
    bool ok = false;
    const int value = map.value(key).toInt(&ok);
    return map.contains(key) && ok ? value : fallback;
}
} // namespace

BLL_BusinessLogic_BigPackage::BLL_BusinessLogic_BigPackage(QObject *parent) : QObject(parent) {}

BLL_BusinessLogic_BigPackage::~BLL_BusinessLogic_BigPackage() = default;

void BLL_BusinessLogic_BigPackage::slot_dealBigData(int flag)
{
    if (flag == 0)
        sendSynRequest(7);
}

void BLL_BusinessLogic_BigPackage::sendSynRequest(int cmdFlag)
{
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(
        beforeSynCommand(guid, cmdFlag));
}

void BLL_BusinessLogic_BigPackage::sendTable(int synType)
{
    const RecordLayout *layout = layoutForSynType(synType);
    const QVariantList items =
        BLL_BusinessLogic_Desktop::instance()->getDataListFromScene(layout->sceneKind, QString());
    sendSceneTable(*layout, items, BLL_DataCenter_Desktop::instance()->getCurrentGuid());
}

void BLL_BusinessLogic_BigPackage::slot_recvData(QVariantMap moduleData)
{
    if (moduleData.value(QStringLiteral("moduleName")).toString() !=
        QLatin1String("Module_ReadBeforeSynInfo"))
        return;
    // Only the current device drives the handshake.
    const QString guid = moduleData.value(QStringLiteral("guid")).toString();
    if (guid != BLL_DataCenter_Desktop::instance()->getCurrentGuid()) {
        qCDebug(lcBigPackage) << "synchronisation request of another device ignored:" << guid;
        return;
    }
    const int cmdFlag = valueOr(moduleData, QStringLiteral("cmdFlag"), -1);
    const int synType = valueOr(moduleData, QStringLiteral("synType"), -1);
    switch (synAction(cmdFlag, synType)) {
    case SynAction::SendEdgeFusion:
        sendTable(SynEdgeFusion);
        break;
    case SynAction::RequestSix:
        sendSynRequest(6);
        break;
    case SynAction::SendOutputSetup:
        sendTable(SynOutputSetup);
        break;
    case SynAction::SendPresetData:
        BLL_BusinessLogic_Desktop::instance()->localPreinstall().dealPreinstallData(synType);
        break;
    case SynAction::SceneSwitched:
        emit sig_switchSceneEnd(1);
        break;
    case SynAction::SceneSwitchFailed:
        emit sig_switchSceneEnd(255);
        break;
    case SynAction::None:
        qCDebug(lcBigPackage) << "synchronisation request ignored:" << cmdFlag << synType;
        break;
    }
}
