// The facade's users, timetables, scenes and desktop geometry.
//
// Users live in the data center's user store, timetables in the database's
// timetable store; scenes and presets belong to the current device record of the
// data center.

#include "bll_businesslogic_desktop.h"

#include "bll_datacenter_desktop.h"
#include "bll_shared_timetable_desktop.h"
#include "module_shared_timetableinfo.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcScenes, "ledwall.facade.scenes")

Bll_DataCenter_DeviceBase *currentDevice()
{
    return BLL_DataCenter_Desktop::instance()->getDevice(QString());
}
} // namespace

// ---- users -------------------------------------------------------------------------------------

QVariantMap BLL_BusinessLogic_Desktop::userOperation(QVariantMap request)
{
    BLL_DataCenter_User &users = BLL_DataCenter_Desktop::instance()->user();
    const QString type = request.value(QStringLiteral("type")).toString();
    const QString userName = request.value(QStringLiteral("userName")).toString();
    const QString passWord = request.value(QStringLiteral("passWord")).toString();
    const int userType = request.value(QStringLiteral("userType")).toInt();
    const QString userList = QStringLiteral("userList");

    if (type == QLatin1String("account"))
        return users.getSaveAccount(request.value(QStringLiteral("flag")).toBool());
    if (type == QLatin1String("login"))
        return users.userLogin(userName, passWord,
                               request.value(QStringLiteral("saveAccount")).toBool());
    if (type == QLatin1String("get"))
        return {{userList, users.getUserList(userType, userName)}};
    // A change also tells whether it was done and why not: "result", "reason",
    // "message" of the store beside the list.
    if (type == QLatin1String("add")) {
        QVariantMap result{{userList, users.addUser(userName, passWord, userType)}};
        result.insert(users.lastResult());
        return result;
    }
    if (type == QLatin1String("remove")) {
        QVariantMap result{{userList, users.removeUser(userName, userType)}};
        result.insert(users.lastResult());
        return result;
    }
    if (type == QLatin1String("modify")) {
        users.modifyUser(userName, userType,
                         request.value(QStringLiteral("permission")).toString());
        return {};
    }
    qCDebug(lcScenes) << "userOperation: unknown type" << type;
    return {};
}

// ---- timetables ----------------------------------------------------------------------------

namespace
{
enum TimetableOperation {
    ReplaceTimetable = 0,
    ReadTimetable = 1,
    ListTimetables = 2,
    DeleteTimetable = 3
};

QVariantMap timetableRecordMap(const Module_Shared_TimetableInfo &record)
{
    return {{QStringLiteral("num"), record.num},
            {QStringLiteral("period"), record.period},
            {QStringLiteral("repetition"), record.repetition},
            {QStringLiteral("runTime"), record.runTime},
            {QStringLiteral("scene"), record.scene},
            {QStringLiteral("strDeviceID"), record.strDeviceID},
            {QStringLiteral("timetableID"), record.timetableID}};
}
} // namespace

QVariantList BLL_BusinessLogic_Desktop::timeTableOperation(int op, QVariantMap request)
{
    Bll_Shared_Timetable_Desktop store;
    const QString idKey = QStringLiteral("timetableID");
    const QString timetableId = request.value(idKey).toString();

    switch (op) {
    case ReplaceTimetable: {
        // The entries "0", "1", ... are the records of one timetable, named by the
        // first; it replaces what was stored under that name.
        store.delSharedTimetableInfo(
            request.value(QStringLiteral("0")).toMap().value(idKey).toString());
        for (int i = 0; i < request.size(); ++i) {
            Module_Shared_TimetableInfo record;
            fillModule(&record, request.value(QString::number(i)).toMap());
            if (!store.addSharedTimetableInfo(record))
                qCDebug(lcScenes) << "timetable record" << i << "not stored";
        }
        break;
    }
    case ReadTimetable: {
        // The store lists every timetable for an empty id; a read names one.
        if (timetableId.isEmpty()) {
            qCDebug(lcScenes) << "timeTableOperation: no timetableID to read";
            return {};
        }
        QVariantList records;
        const QList<Module_Shared_TimetableInfo> list =
            store.getSharedTimetableInfoList(timetableId);
        for (const Module_Shared_TimetableInfo &record : list)
            records.append(timetableRecordMap(record));
        return records;
    }
    case ListTimetables:
        break;
    case DeleteTimetable:
        store.delSharedTimetableInfo(timetableId);
        break;
    default:
        qCDebug(lcScenes) << "timeTableOperation: unknown operation" << op;
        return {};
    }
    return store.getDifferentValueForField(idKey);
}

// ---- desktop --------------------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::setScreenProvider(std::function<ledwall::ScreenAreaList()> provider)
{
    m_screenProvider = std::move(provider);
}

QString BLL_BusinessLogic_Desktop::getCurrentDesktopInfo(double x, double y)
{
    const ledwall::ScreenAreaList screens =
        m_screenProvider ? m_screenProvider() : ledwall::applicationScreens();
    return ledwall::desktopInfoJson(screens, x, y);
}

// ---- scenes and presets -----------------------------------------------------------------------

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
