#include "bll_datacenter_desktop.h"

#include "bll_database_desktop.h"
#include "datacenterlog.h"
#include "module_base.h"

#include <QUrl>

Q_LOGGING_CATEGORY(lcDataCenter, "ledwall.datacenter")

BLL_DataCenter_Desktop BLL_DataCenter_Desktop::m_instance;

BLL_DataCenter_Desktop::BLL_DataCenter_Desktop(QObject *parent) : QObject(parent) {}

BLL_DataCenter_Desktop::~BLL_DataCenter_Desktop() = default;

std::shared_ptr<Bll_DataCenter_DeviceBase>
BLL_DataCenter_Desktop::findDevice(const QString &guid) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_devices.value(guid.isEmpty() ? m_currentGuid : guid);
}

Bll_DataCenter_DeviceBase *BLL_DataCenter_Desktop::createDevice(QString guid, int kind)
{
    std::shared_ptr<Bll_DataCenter_DeviceBase> device;
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        device = m_devices.value(guid);
        if (!device) {
            device = std::make_shared<Bll_DataCenter_DeviceBase>(guid, kind);
            m_devices.insert(guid, device);
            m_deviceOrder.append(guid);
            return device.get();
        }
    }
    // Same guid again: the link was opened anew, so its record starts over.
    qCDebug(lcDataCenter) << "device record started over:" << guid;
    device->reset(kind);
    return device.get();
}

Bll_DataCenter_DeviceBase *BLL_DataCenter_Desktop::getDevice(QString guid)
{
    return findDevice(guid).get();
}

void BLL_DataCenter_Desktop::setCurrentGuid(QString guid)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_currentGuid = guid;
}

QString BLL_DataCenter_Desktop::getCurrentGuid()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_currentGuid;
}

void BLL_DataCenter_Desktop::setDeviceNetId(QString guid, QString netId)
{
    const auto device = findDevice(guid);
    if (!device) {
        qCDebug(lcDataCenter) << "no device for net id" << guid;
        return;
    }
    device->setNetId(netId);
}

QString BLL_DataCenter_Desktop::getDeviceNetId(QString guid)
{
    const auto device = findDevice(guid);
    return device ? device->netId() : QString();
}

QVariantList BLL_DataCenter_Desktop::getDevicesList()
{
    QList<std::shared_ptr<Bll_DataCenter_DeviceBase>> devices;
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        for (const QString &guid : qAsConst(m_deviceOrder))
            devices.append(m_devices.value(guid));
    }
    QVariantList list;
    for (const auto &device : qAsConst(devices)) {
        QVariantMap entry;
        entry.insert(QStringLiteral("guid"), device->guid());
        entry.insert(QStringLiteral("kind"), device->kind());
        entry.insert(QStringLiteral("name"), device->deviceName());
        entry.insert(QStringLiteral("ip"), device->ip());
        entry.insert(QStringLiteral("port"), device->port());
        entry.insert(QStringLiteral("netId"), device->netId());
        list.append(entry);
    }
    return list;
}

void BLL_DataCenter_Desktop::clearData()
{
    QList<std::shared_ptr<Bll_DataCenter_DeviceBase>> removed;
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        removed = m_devices.values();
        // Pointers handed out earlier may still be in use on another thread:
        // keep the emptied records alive until the data center goes.
        for (const auto &device : qAsConst(removed))
            m_retired.push_back(device);
        m_devices.clear();
        m_deviceOrder.clear();
        m_currentGuid.clear();
        m_cardPorts.clear();
        m_saveFlag = true;
    }
    for (const auto &device : qAsConst(removed))
        device->reset(device->kind());
}

OperateResultType BLL_DataCenter_Desktop::saveData(QString guid, const Module_Base *data,
                                                   QString key)
{
    OperateResultType result = OperateSuccess;
    int held = 0;
    const auto device = findDevice(guid);
    if (!data) {
        result = OperateNullData;
    } else if (!device) {
        result = OperateNoDevice;
    } else if (!device->storeData(data, key)) {
        result = OperateNullData;
    }
    if (device)
        held = device->storedDataCount();
    if (result == OperateSuccess) {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_saveFlag = false;
    } else {
        qCDebug(lcDataCenter) << "data not stored for" << guid << "result" << result;
    }
    emit sig_saveState(result == OperateSuccess, held, result == OperateSuccess ? 1 : 0);
    return result;
}

std::shared_ptr<const Module_Base>
BLL_DataCenter_Desktop::getSavedData(QString guid, QString moduleName, QString key)
{
    const auto device = findDevice(guid);
    return device ? device->storedData(moduleName, key) : nullptr;
}

QVariantMap BLL_DataCenter_Desktop::getSavedDataMap(QString guid, QString moduleName, QString key)
{
    const auto data = getSavedData(guid, moduleName, key);
    return data ? data->toMap() : QVariantMap();
}

QList<std::shared_ptr<const Module_Base>> BLL_DataCenter_Desktop::getSavedDataList(QString guid,
                                                                                   QString key)
{
    const auto device = findDevice(guid);
    return device ? device->storedDataList(key) : QList<std::shared_ptr<const Module_Base>>();
}

bool BLL_DataCenter_Desktop::getSaveFlag()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_saveFlag;
}

void BLL_DataCenter_Desktop::setCardSlotPortNum(int cardSlotNum, int portNum, int cardType)
{
    if (cardSlotNum < 0 || portNum < 0) {
        qCDebug(lcDataCenter) << "card slot or port count refused:" << cardSlotNum << portNum;
        return;
    }
    QVariantMap entry;
    entry.insert(QStringLiteral("cardSlotNum"), cardSlotNum);
    entry.insert(QStringLiteral("portNum"), portNum);
    entry.insert(QStringLiteral("cardType"), cardType);
    std::lock_guard<std::mutex> locker(m_mutex);
    m_cardPorts.insert(cardSlotNum, entry);
}

QVariantMap BLL_DataCenter_Desktop::getCardPortMap()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    QVariantMap map;
    for (auto it = m_cardPorts.cbegin(); it != m_cardPorts.cend(); ++it)
        map.insert(QString::number(it.key()), it.value());
    return map;
}

QString BLL_DataCenter_Desktop::localPath(const QString &path)
{
    if (path.startsWith(QLatin1String("file:")))
        return QUrl(path).toLocalFile();
    return path;
}

bool BLL_DataCenter_Desktop::saveScenes(const QString &path)
{
    const auto device = findDevice(QString());
    if (!device) {
        qCDebug(lcDataCenter) << "no current device to save";
        return false;
    }
    if (!path.isEmpty())
        BLL_DataBase_Desktop::setDatabasePath(path);
    if (!BLL_DataBase_Desktop::getInstance()->writeScenes(device->scenesForStorage()))
        return false;
    std::lock_guard<std::mutex> locker(m_mutex);
    m_saveFlag = true;
    return true;
}

bool BLL_DataCenter_Desktop::loadScenes(const QString &path, bool liveSceneOnly)
{
    const auto device = findDevice(QString());
    if (!device) {
        qCDebug(lcDataCenter) << "no current device to load into";
        return false;
    }
    if (!path.isEmpty())
        BLL_DataBase_Desktop::setDatabasePath(path);
    bool ok = false;
    const QVariantList scenes = BLL_DataBase_Desktop::getInstance()->readScenes(&ok);
    if (!ok)
        return false;
    device->restoreScenes(scenes, liveSceneOnly);
    std::lock_guard<std::mutex> locker(m_mutex);
    m_saveFlag = true;
    return true;
}

bool BLL_DataCenter_Desktop::operateDatabase(int op, QString path)
{
    const QString file = localPath(path);
    switch (op) {
    case 0:
        if (!file.isEmpty())
            BLL_DataBase_Desktop::setDatabasePath(file);
        return BLL_DataBase_Desktop::getInstance()->open();
    case 1: {
        const bool ok = loadScenes(file, false);
        emit sig_loadDatabaseEnd(ok ? 0 : 255);
        return ok;
    }
    case 2:
        return saveScenes(file);
    case 3: {
        const bool ok = loadScenes(file, true);
        if (ok)
            emit sig_setNewDatacenterEnd();
        return ok;
    }
    default:
        qCDebug(lcDataCenter) << "unknown database operation" << op;
        return false;
    }
}
