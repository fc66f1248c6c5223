#include "bll_datacenter_devicebase.h"

#include "datacenterlog.h"
#include "module_base.h"
#include "scenestore.h"

namespace
{

std::mutex s_typeMutex;

QMap<QString, int> &sceneTypes()
{
    // Modules whose maps carry no "sceneDataType" of their own.
    static QMap<QString, int> types{{QStringLiteral("Module_LayerInfo"), 0},
                                    {QStringLiteral("Module_SynOutputSetupInfo"), 2}};
    return types;
}

} // namespace

Bll_DataCenter_DeviceBase::Bll_DataCenter_DeviceBase(const QString &guid, int kind)
    : m_guid(guid), m_kind(kind), m_scenes(new SceneStore)
{
}

Bll_DataCenter_DeviceBase::~Bll_DataCenter_DeviceBase() = default;

void Bll_DataCenter_DeviceBase::registerSceneDataType(const QString &moduleName, int type)
{
    std::lock_guard<std::mutex> locker(s_typeMutex);
    sceneTypes().insert(moduleName, type);
}

int Bll_DataCenter_DeviceBase::sceneDataType(const QString &moduleName)
{
    std::lock_guard<std::mutex> locker(s_typeMutex);
    return sceneTypes().value(moduleName, -1);
}

QString Bll_DataCenter_DeviceBase::sceneKey(const QString &key) const
{
    return key == m_guid ? QString() : key;
}

void Bll_DataCenter_DeviceBase::setDeviceName(QString name)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_name = name;
}

QVariantList Bll_DataCenter_DeviceBase::getDataListFromScene(int type, QString sceneId)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_scenes->dataList(type, sceneKey(sceneId));
}

QVariantMap Bll_DataCenter_DeviceBase::getDataFromScene(int type, QString sceneId,
                                                        QString moduleName)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_scenes->data(type, sceneKey(sceneId), moduleName);
}

QVariantList Bll_DataCenter_DeviceBase::getSceneList()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    QVariantList list;
    const QStringList ids = m_scenes->sceneIds();
    for (const QString &id : ids)
        list.append(id);
    return list;
}

void Bll_DataCenter_DeviceBase::setFirstVpuByte(quint8 value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_firstVpuByte = value;
}

quint8 Bll_DataCenter_DeviceBase::getFirstVpuByte()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_firstVpuByte;
}

void Bll_DataCenter_DeviceBase::setSecondVpuByte(quint8 value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_secondVpuByte = value;
}

quint8 Bll_DataCenter_DeviceBase::getSecondVpuByte()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_secondVpuByte;
}

void Bll_DataCenter_DeviceBase::setCurrentSceneId(QString sceneId)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_currentSceneId = sceneId;
}

QString Bll_DataCenter_DeviceBase::getCurrentSceneId()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_currentSceneId;
}

QString Bll_DataCenter_DeviceBase::addPreinstall(QString sourceSceneId)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const QString source = sceneKey(sourceSceneId);
    const QString id = m_scenes->addPreset(source, presetLimit);
    if (id.isEmpty()) {
        qCDebug(lcDataCenter) << "no room for another preset on" << m_guid;
        return id;
    }
    // The preset starts with copies of the source's data objects (shared:
    // stored copies are never changed, only replaced).
    m_stored.insert(id, m_stored.value(source));
    return id;
}

void Bll_DataCenter_DeviceBase::removePreinstall(QString sceneId)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const QString id = sceneKey(sceneId);
    if (!m_scenes->removePreset(id)) {
        qCDebug(lcDataCenter) << "no preset" << sceneId << "to remove on" << m_guid;
        return;
    }
    m_stored.remove(id);
    if (m_currentSceneId == id)
        m_currentSceneId.clear();
}

int Bll_DataCenter_DeviceBase::kind() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_kind;
}

QString Bll_DataCenter_DeviceBase::deviceName() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_name;
}

QString Bll_DataCenter_DeviceBase::ip() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_ip;
}

void Bll_DataCenter_DeviceBase::setIp(const QString &ip)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_ip = ip;
}

quint16 Bll_DataCenter_DeviceBase::port() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_port;
}

void Bll_DataCenter_DeviceBase::setPort(quint16 port)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_port = port;
}

QString Bll_DataCenter_DeviceBase::netId() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_netId;
}

void Bll_DataCenter_DeviceBase::setNetId(const QString &netId)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_netId = netId;
}

bool Bll_DataCenter_DeviceBase::storeData(const Module_Base *data, const QString &key)
{
    if (!data)
        return false;
    // Copy and convert outside the lock: both only read the caller's object.
    std::shared_ptr<const Module_Base> copy(data->clone());
    if (!copy)
        return false;
    const QVariantMap values = copy->toMap();
    QString moduleName = copy->moduleName();
    if (moduleName.isEmpty())
        moduleName = values.value(QStringLiteral("moduleName")).toString();
    int type = -1;
    const auto typeValue = values.constFind(QStringLiteral("sceneDataType"));
    if (typeValue != values.constEnd()) {
        bool ok = false;
        type = typeValue.value().toInt(&ok);
        if (!ok)
            type = -1;
    } else {
        type = sceneDataType(moduleName);
    }

    std::lock_guard<std::mutex> locker(m_mutex);
    const QString scene = sceneKey(key);
    m_scenes->ensureScene(scene);
    m_stored[scene].insert(moduleName, copy);
    if (type >= 0)
        m_scenes->enter(scene, type, values);
    return true;
}

std::shared_ptr<const Module_Base> Bll_DataCenter_DeviceBase::storedData(const QString &moduleName,
                                                                         const QString &key) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_stored.value(sceneKey(key)).value(moduleName);
}

QList<std::shared_ptr<const Module_Base>>
Bll_DataCenter_DeviceBase::storedDataList(const QString &key) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_stored.value(sceneKey(key)).values();
}

int Bll_DataCenter_DeviceBase::storedDataCount() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    int count = 0;
    for (const auto &scene : m_stored)
        count += scene.size();
    return count;
}

QVariantList Bll_DataCenter_DeviceBase::scenesForStorage() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_scenes->toStorage();
}

void Bll_DataCenter_DeviceBase::restoreScenes(const QVariantList &scenes, bool liveSceneOnly)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_scenes->fromStorage(scenes, liveSceneOnly);
    // Stored objects of scenes that are gone (or replaced) no longer match.
    if (liveSceneOnly) {
        m_stored.remove(QString());
    } else {
        m_stored.clear();
        m_currentSceneId.clear();
    }
}

void Bll_DataCenter_DeviceBase::reset(int kind)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_kind = kind;
    m_name.clear();
    m_ip.clear();
    m_port = 0;
    m_netId.clear();
    m_firstVpuByte = 0;
    m_secondVpuByte = 0;
    m_currentSceneId.clear();
    m_scenes->clear();
    m_stored.clear();
}
