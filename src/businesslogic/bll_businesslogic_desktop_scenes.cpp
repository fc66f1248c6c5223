// The facade's users, timetables, scenes and desktop geometry.
//
// Scenes and presets belong to the current device record of the data center.
// Users, timetables and the desktop geometry are not available yet: each logs and
// gives its empty result.

#include "bll_businesslogic_desktop.h"

#include "bll_datacenter_desktop.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcScenes, "ledwall.facade.scenes")

Bll_DataCenter_DeviceBase *currentDevice()
{
    return BLL_DataCenter_Desktop::instance()->getDevice(QString());
}
} // namespace

QVariantMap BLL_BusinessLogic_Desktop::userOperation(QVariantMap request)
{
    qCDebug(lcScenes) << "userOperation: not available yet"
                      << request.value(QStringLiteral("type")).toString();
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::timeTableOperation(int op, QVariantMap request)
{
    qCDebug(lcScenes) << "timeTableOperation: not available yet" << op << request.size();
    return {};
}

QString BLL_BusinessLogic_Desktop::getCurrentDesktopInfo(double x, double y)
{
    qCDebug(lcScenes) << "getCurrentDesktopInfo: not available yet" << x << y;
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::getSceneList()
{
    Bll_DataCenter_DeviceBase *device = currentDevice();
    return device ? device->getSceneList() : QVariantList();
}

QString BLL_BusinessLogic_Desktop::getCurrentSceneId()
{
    Bll_DataCenter_DeviceBase *device = currentDevice();
    return device ? device->getCurrentSceneId() : QString();
}

void BLL_BusinessLogic_Desktop::setCurrentSceneId(const QString &sceneId)
{
    if (Bll_DataCenter_DeviceBase *device = currentDevice())
        device->setCurrentSceneId(sceneId);
}

QVariantMap BLL_BusinessLogic_Desktop::getDataFromScene(int type, QString sceneId,
                                                        QString moduleName)
{
    Bll_DataCenter_DeviceBase *device = currentDevice();
    return device ? device->getDataFromScene(type, sceneId, moduleName) : QVariantMap();
}

QVariantList BLL_BusinessLogic_Desktop::getDataListFromScene(int type, QString sceneId)
{
    Bll_DataCenter_DeviceBase *device = currentDevice();
    return device ? device->getDataListFromScene(type, sceneId) : QVariantList();
}

QString BLL_BusinessLogic_Desktop::addPreinstall(QString sourceSceneId)
{
    Bll_DataCenter_DeviceBase *device = currentDevice();
    return device ? device->addPreinstall(sourceSceneId) : QString();
}

void BLL_BusinessLogic_Desktop::removePreinstall(QString sceneId)
{
    if (Bll_DataCenter_DeviceBase *device = currentDevice())
        device->removePreinstall(sceneId);
}
