#include "bll_businesslogic_localpreinstall.h"

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "presetrun.h"
#include "processortables.h"
#include "synchronisation.h"

#include <QLoggingCategory>

using namespace ledwall::processor;

namespace
{
Q_LOGGING_CATEGORY(lcPreinstall, "ledwall.preinstall")

constexpr int ProcessorKind = 1;

QString currentGuid()
{
    return BLL_DataCenter_Desktop::instance()->getCurrentGuid();
}

void append(const QVariantMap &command)
{
    BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(command);
}

// The module the live data of a table is reported under after it was sent.
QString liveDataModule(int synType)
{
    switch (synType) {
    case SynOutputSetup:
        return QStringLiteral("Module_SynOutputSetupInfo");
    case SynLayers:
        return QStringLiteral("Module_LayerInfo");
    case SynEdgeFusion:
        return QStringLiteral("Module_SynEdgeFusionInfo");
    default:
        return {};
    }
}
} // namespace

BLL_BusinessLogic_LocalPreinstall::BLL_BusinessLogic_LocalPreinstall(QObject *parent)
    : QObject(parent)
{
}

BLL_BusinessLogic_LocalPreinstall::~BLL_BusinessLogic_LocalPreinstall() = default;

void BLL_BusinessLogic_LocalPreinstall::dealPreinstallData(int synType)
{
    qCDebug(lcPreinstall) << "BLL_BusinessLogic_LocalPreinstall::dealPreinstallData = " << synType;
    if (synType == SynNothing) {
        append(beforeSynCommand(currentGuid(), 4));
        return;
    }
    const RecordLayout *layout = layoutForSynType(synType);
    if (!layout) {
        qCDebug(lcPreinstall) << "no scene data of type" << synType;
        return;
    }
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const QVariantList items = facade->getDataListFromScene(layout->sceneKind, m_currentSceneId);
    sendSceneTable(*layout, items, currentGuid());
    const QString module = liveDataModule(synType);
    if (m_currentSceneId.isEmpty() && !module.isEmpty())
        emit facade->sig_devicesModuleData({{QStringLiteral("moduleName"), module}});
}

void BLL_BusinessLogic_LocalPreinstall::slot_sendDataToDevice(int flag)
{
    m_currentSceneId.clear();
    Bll_DataCenter_DeviceBase *device = BLL_DataCenter_Desktop::instance()->getDevice(QString());
    if (!device || device->kind() != ProcessorKind)
        return;
    if (flag == 255)
        qCDebug(lcPreinstall) << "sending preset scene data error!";
    const QVariantList scenes = device->getSceneList();
    const PresetStep step = presetStep(flag, m_sceneCounter, scenes.size() - 1);
    if (flag == 0) {
        m_templatesSent.clear();
        if (!step.sendScene)
            qCDebug(lcPreinstall) << "no preset scenes to send";
    }
    m_sceneCounter = step.nextCounter;
    if (!step.sendScene)
        return;
    const QString guid = currentGuid();
    m_currentSceneId = scenes.value(step.sceneIndex).toString();
    if (step.templateNumber >= 0) {
        append(templateCommand(guid, step.templateNumber));
        m_templatesSent << step.templateNumber;
    }
    qCDebug(lcPreinstall) << "sending scene" << step.sceneIndex << m_currentSceneId;
    append(beforeSynCommand(guid, 5));
}

void BLL_BusinessLogic_LocalPreinstall::slot_sendNewDataToDevice()
{
    qCDebug(lcPreinstall) << "11111111111111111111111slot_sendNewDataToDevice";
    append(beforeSynCommand(currentGuid(), 5));
}
