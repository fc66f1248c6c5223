#include "bll_datacenter_displayboxfile.h"

#include "datacenterlog.h"

BLL_DataCenter_DisplayBoxFile::BLL_DataCenter_DisplayBoxFile(QObject *parent) : QObject(parent) {}

QVariantList BLL_DataCenter_DisplayBoxFile::openDisplayBoxData(QString path)
{
    return unavailableFileOperation<QVariantList>("openDisplayBoxData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBoxData(QString path)
{
    return unavailableFileOperation<QVariantList>("openBoxData", path);
}

void BLL_DataCenter_DisplayBoxFile::openComplexBoxData(QString path, bool superadditionFlag,
                                                       bool doNotRespond)
{
    Q_UNUSED(superadditionFlag)
    Q_UNUSED(doNotRespond)
    unavailableFileOperation<void>("openComplexBoxData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBasicParameterData(QString path, QVariantMap)
{
    return unavailableFileOperation<QVariantList>("openBasicParameterData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBoxConfigureData(QString path, QVariantMap)
{
    return unavailableFileOperation<QVariantList>("openBoxConfigureData", path);
}

bool BLL_DataCenter_DisplayBoxFile::openDisplayConnectXMLFile(QString path)
{
    return unavailableFileOperation<bool>("openDisplayConnectXMLFile", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openHdrGammaFile(QString path)
{
    return unavailableFileOperation<QVariantList>("openHdrGammaFile", path);
}

bool BLL_DataCenter_DisplayBoxFile::saveDisplayBoxData(QString path, QVariantMap data)
{
    unavailableFileOperation<void>("saveDisplayBoxData", path);
    emit sig_saveDisplayFile(false, data.value(QStringLiteral("DoNotrespond")).toBool());
    return false;
}

bool BLL_DataCenter_DisplayBoxFile::saveComplexBoxData(QString path, QVariantMap data)
{
    unavailableFileOperation<void>("saveComplexBoxData", path);
    emit sig_saveDisplayFile(false, data.value(QStringLiteral("DoNotrespond")).toBool());
    return false;
}

QVariantList BLL_DataCenter_DisplayBoxFile::saveBoxConfigureFile(QString &path, QVariantMap)
{
    return unavailableFileOperation<QVariantList>("saveBoxConfigureFile", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::saveModuleConfigureFile(QString &path, QVariantMap)
{
    return unavailableFileOperation<QVariantList>("saveModuleConfigureFile", path);
}

bool BLL_DataCenter_DisplayBoxFile::saveDisplayConnectXMLFile(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveDisplayConnectXMLFile", path);
}

bool BLL_DataCenter_DisplayBoxFile::clearDisplayConnectXMLFile(QString path)
{
    return unavailableFileOperation<bool>("clearDisplayConnectXMLFile", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGrayTable(QString chip, QString path)
{
    qCDebug(lcDataCenter) << "getGrayTable is not available yet:" << chip << path;
    return {};
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGammaData(QString path)
{
    return unavailableFileOperation<QVariantList>("openGammaData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGammaCalibData(QString path)
{
    return unavailableFileOperation<QVariantList>("openGammaCalibData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGamdatGammaData(QString path)
{
    return unavailableFileOperation<QVariantList>("openGamdatGammaData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::openLSGammaData(QString path)
{
    return unavailableFileOperation<QVariantList>("openLSGammaData", path);
}

bool BLL_DataCenter_DisplayBoxFile::saveGammaData(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveGammaData", path);
}

bool BLL_DataCenter_DisplayBoxFile::saveGammaCalibData(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveGammaCalibData", path);
}

QVariantList BLL_DataCenter_DisplayBoxFile::getICN2053Gamma(QVariantMap)
{
    return unavailableFileOperation<QVariantList>("getICN2053Gamma", QString());
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_FM6363(QVariantMap)
{
    return unavailableFileOperation<QVariantList>("getGamma_FM6363", QString());
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_FM6565(QVariantMap)
{
    return unavailableFileOperation<QVariantList>("getGamma_FM6565", QString());
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_CNS7263(QVariantMap)
{
    return unavailableFileOperation<QVariantList>("getGamma_CNS7263", QString());
}

QVariantMap BLL_DataCenter_DisplayBoxFile::getBasicInfoData()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_basicInfo;
}

void BLL_DataCenter_DisplayBoxFile::setBasicInfoData(QVariantMap data)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_basicInfo = data;
}

QVariantMap BLL_DataCenter_DisplayBoxFile::getOneDisplayData(int index)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_displays.value(index);
}

void BLL_DataCenter_DisplayBoxFile::setOneDisplayData(int index, QVariantMap data)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_displays.insert(index, data);
}

bool BLL_DataCenter_DisplayBoxFile::operateDisplayData(bool isSet, QVariantMap data)
{
    bool ok = false;
    const int index = data.value(QStringLiteral("displayIndex")).toInt(&ok);
    if (!ok) {
        qCDebug(lcDataCenter) << "display data without displayIndex";
        return false;
    }
    std::lock_guard<std::mutex> locker(m_mutex);
    if (isSet) {
        m_displays.insert(index, data);
        return true;
    }
    return m_displays.remove(index) > 0;
}

QVariantList BLL_DataCenter_DisplayBoxFile::getAllBoxNameId()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    QVariantList list;
    int position = 0;
    for (auto it = m_boxConfigs.cbegin(); it != m_boxConfigs.cend(); ++it, ++position) {
        QVariantMap entry;
        entry.insert(QStringLiteral("boxName"), it.key());
        entry.insert(QStringLiteral("boxId"), it.value().value(QStringLiteral("boxId"), position));
        list.append(entry);
    }
    return list;
}

QVariantMap BLL_DataCenter_DisplayBoxFile::getConnectBoxConfig(QString boxName)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_boxConfigs.value(boxName);
}

void BLL_DataCenter_DisplayBoxFile::setConnectBoxConfig(QString boxName, QVariantMap config)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_boxConfigs.insert(boxName, config);
}

QVariantMap BLL_DataCenter_DisplayBoxFile::getModuleConfig(QString moduleName)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_moduleConfigs.value(moduleName);
}

void BLL_DataCenter_DisplayBoxFile::setModuleConfig(QString moduleName, QVariantMap config)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_moduleConfigs.insert(moduleName, config);
}

void BLL_DataCenter_DisplayBoxFile::clearModuleConfig()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_moduleConfigs.clear();
}

QVariantMap BLL_DataCenter_DisplayBoxFile::getModuleFlashData()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_moduleFlashData;
}

void BLL_DataCenter_DisplayBoxFile::setModuleFlashData(QVariantMap data)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_moduleFlashData = data;
}

QVariantList BLL_DataCenter_DisplayBoxFile::getRecvMapList()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_recvMaps;
}

void BLL_DataCenter_DisplayBoxFile::clearRecvMapList()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_recvMaps.clear();
}

QString BLL_DataCenter_DisplayBoxFile::setBoxFileFlag(bool flag)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const bool previous = m_boxFileFlag;
    m_boxFileFlag = flag;
    return previous ? QStringLiteral("true") : QStringLiteral("false");
}

void BLL_DataCenter_DisplayBoxFile::slot_dealData(QVariantMap data)
{
    if (!data.value(QStringLiteral("moduleName"))
             .toString()
             .startsWith(QLatin1String("Module_Receiving")))
        return;
    std::lock_guard<std::mutex> locker(m_mutex);
    m_recvMaps.append(data);
    while (m_recvMaps.size() > recvMapLimit)
        m_recvMaps.removeFirst();
}
