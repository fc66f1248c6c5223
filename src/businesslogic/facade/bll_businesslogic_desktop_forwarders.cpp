// The facade's forwarders: each request goes unchanged to the object that serves it.

#include "bll_businesslogic_desktop.h"

#include "bll_communicationmain_desktop.h"
#include "bll_database_desktop.h"
#include "bll_datacenter_desktop.h"

// ---- sending-card logic ----------------------------------------------------------------

bool BLL_BusinessLogic_Desktop::setAllSCDisplayMap(QString ip)
{
    return m_sendCardPackage.setAllSCDisplayMap(ip);
}

bool BLL_BusinessLogic_Desktop::connectDisplayDataFormatConv(int mode)
{
    return m_sendCardPackage.connectDisplayDataFormatConv(mode);
}

bool BLL_BusinessLogic_Desktop::complexDisplayDataFormatConv(int mode)
{
    return m_sendCardPackage.complexDisplayDataFormatConv(mode);
}

QVariantMap BLL_BusinessLogic_Desktop::getComplexConnectDisplayData()
{
    return m_sendCardPackage.getComplexConnectDisplayData();
}

QVariantList BLL_BusinessLogic_Desktop::openConnectDisplayData(bool isComplex)
{
    return m_sendCardPackage.openConnectDisplayData(isComplex);
}

bool BLL_BusinessLogic_Desktop::saveConnectDisplayData(QVariantMap map)
{
    return m_sendCardPackage.saveConnectDisplayData(map);
}

bool BLL_BusinessLogic_Desktop::saveComplexConnectDisplayData(QVariantMap map)
{
    return m_sendCardPackage.saveComplexConnectDisplayData(map);
}

bool BLL_BusinessLogic_Desktop::sendConnectDisplayDataToDevice(QVariantMap params)
{
    return m_sendCardPackage.sendConnectDisplayDataToDevice(params);
}

bool BLL_BusinessLogic_Desktop::sendComplexDisplayDataToDevice(QVariantMap params)
{
    return m_sendCardPackage.sendComplexDisplayDataToDevice(params);
}

bool BLL_BusinessLogic_Desktop::parseConnectDisplayDataFromDevice(bool isComplex)
{
    return m_sendCardPackage.parseConnectDisplayDataFromDevice(isComplex);
}

void BLL_BusinessLogic_Desktop::readConnectDisplayDataToDevice(QVariantMap params)
{
    m_sendCardPackage.readConnectDisplayDataToDevice(params);
}

void BLL_BusinessLogic_Desktop::readHardwareConnectDisplayDataToDevice(QVariantMap params)
{
    m_sendCardPackage.readHardwareConnectDisplayDataToDevice(params);
}

void BLL_BusinessLogic_Desktop::emitRecvAllBox()
{
    m_sendCardPackage.emitRecvAllBox();
}

bool BLL_BusinessLogic_Desktop::getRecvAllBox()
{
    return m_sendCardPackage.getRecvAllBox();
}

void BLL_BusinessLogic_Desktop::saveRecvAllBox()
{
    m_sendCardPackage.saveRecvAllBox();
}

QVariantMap BLL_BusinessLogic_Desktop::selectEdidData(QVariantMap params)
{
    return m_sendCardPackage.selectEdidData(params);
}

QVariantMap BLL_BusinessLogic_Desktop::selectRecvCardTab()
{
    return m_sendCardPackage.selectRecvCardTab();
}

QVariantMap BLL_BusinessLogic_Desktop::selectRecvCardFun(QVariantMap params)
{
    return m_sendCardPackage.selectRecvCardFun(params);
}

void BLL_BusinessLogic_Desktop::sendStoredImagesData(QString path, QVariantMap params, bool flag)
{
    m_sendCardPackage.sendStoredImagesData(path, params, flag);
}

bool BLL_BusinessLogic_Desktop::setMultiwindow(QMap<QString, QVariant> params)
{
    return m_sendCardPackage.setMultiwindow(params);
}

bool BLL_BusinessLogic_Desktop::setDiffWHMultiwindow(QMap<QString, QVariant> params)
{
    return m_sendCardPackage.setDiffWHMultiwindow(params);
}

QMap<QString, QVariant> BLL_BusinessLogic_Desktop::setAllMultiWindow(QMap<QString, QVariant> params)
{
    return m_sendCardPackage.setAllMultiWindow(params);
}

QMap<QString, QVariant>
BLL_BusinessLogic_Desktop::setComplexScreenWindow(QMap<QString, QVariant> params)
{
    return m_sendCardPackage.setComplexScreenWindow(params);
}

bool BLL_BusinessLogic_Desktop::sendRedundancyData(QMap<QString, QVariant> params)
{
    return m_sendCardPackage.sendRedundancyData(params);
}

void BLL_BusinessLogic_Desktop::setAdjustParaMap(QVariantMap params)
{
    m_sendCardPackage.setAdjustParaMap(params);
}

bool BLL_BusinessLogic_Desktop::checkAdjustFile(QString path)
{
    return m_sendCardPackage.checkAdjustFile(path);
}

void BLL_BusinessLogic_Desktop::setAdjustPath(QString path, QVariantMap params)
{
    m_sendCardPackage.setAdjustPath(path, params);
}

void BLL_BusinessLogic_Desktop::startSendPointAdjustThread(QByteArray &data, QVariantMap params)
{
    m_sendCardPackage.startSendPointAdjustThread(data, params);
}

void BLL_BusinessLogic_Desktop::operationAdjustDB(QVariantMap request)
{
    m_sendCardPackage.operationAdjustDB(request);
}

int BLL_BusinessLogic_Desktop::checkReceFileHead(QString path, QMap<QString, QVariant> map)
{
    return int(m_sendCardPackage.checkReceFileHead(path, map));
}

int BLL_BusinessLogic_Desktop::packageReceFileHead(QString path, QMap<QString, QVariant> map)
{
    return int(m_sendCardPackage.packageReceFileHead(path, map));
}

QVariantMap BLL_BusinessLogic_Desktop::getReceFileInfo(QString path)
{
    return m_sendCardPackage.getReceFileInfo(path);
}

QVariantMap BLL_BusinessLogic_Desktop::getReceFile_MCUInfo(QString path)
{
    return m_sendCardPackage.getReceFile_MCUInfo(path);
}

bool BLL_BusinessLogic_Desktop::isReceFile(QString path)
{
    return m_sendCardPackage.isReceFile(path);
}

void BLL_BusinessLogic_Desktop::clearRecvUpdateData()
{
    m_sendCardPackage.clearRecvUpdateData();
}

void BLL_BusinessLogic_Desktop::f_sendRecvNum(QVariantMap map)
{
    m_sendCardPackage.f_sendRecvNum(map);
}

void BLL_BusinessLogic_Desktop::f_sendScreenResoUDisk(QVariantMap map)
{
    m_sendCardPackage.f_sendScreenResoUDisk(map);
}

void BLL_BusinessLogic_Desktop::f_sendUsedPortPrimaryOutput(QVariantMap map)
{
    m_sendCardPackage.f_sendUsedPortPrimaryOutput(map);
}

// ---- link manager ---------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::clearCmdQueue(QString guid)
{
    BLL_CommunicationMain_Desktop::getInstance()->clearCmdQueue(guid);
}

int BLL_BusinessLogic_Desktop::getCmdQueueCount(QString guid)
{
    return BLL_CommunicationMain_Desktop::getInstance()->getCmdQueueCount(guid);
}

void BLL_BusinessLogic_Desktop::stopConnect(QString guid)
{
    BLL_CommunicationMain_Desktop::getInstance()->stopConnect(guid);
}

void BLL_BusinessLogic_Desktop::releaseCommunicateObject(QString guid)
{
    BLL_CommunicationMain_Desktop::getInstance()->releaseCommunicateObject(guid);
}

void BLL_BusinessLogic_Desktop::saveGroupInfo(QVariantList groups, QString guid)
{
    BLL_CommunicationMain_Desktop::getInstance()->saveGroupInfo(groups, guid);
}

QStringList BLL_BusinessLogic_Desktop::findSameGroupDev(QString guid)
{
    return BLL_CommunicationMain_Desktop::getInstance()->findSameGroupDev(guid);
}

void BLL_BusinessLogic_Desktop::setDebugMessage(bool enabled, QString guid)
{
    BLL_CommunicationMain_Desktop::getInstance()->setDebugMessage(enabled, guid);
}

// ---- data center and its file objects -----------------------------------------------------

QVariantList BLL_BusinessLogic_Desktop::getDevicesList()
{
    return BLL_DataCenter_Desktop::instance()->getDevicesList();
}

bool BLL_BusinessLogic_Desktop::getSavedFlag()
{
    return BLL_DataCenter_Desktop::instance()->getSaveFlag();
}

void BLL_BusinessLogic_Desktop::setCardSlotPortNum(int cardSlotNum, int portNum, int cardType)
{
    BLL_DataCenter_Desktop::instance()->setCardSlotPortNum(cardSlotNum, portNum, cardType);
}

bool BLL_BusinessLogic_Desktop::operateDatabase(int op, QString path)
{
    return BLL_DataCenter_Desktop::instance()->operateDatabase(op, path);
}

QString BLL_BusinessLogic_Desktop::getFilePath()
{
    // The path in effect, also before anything has opened the database.
    return BLL_DataBase_Desktop::databasePath();
}

QVariantMap BLL_BusinessLogic_Desktop::getBasicInfoData()
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getBasicInfoData();
}

void BLL_BusinessLogic_Desktop::setBasicInfoData(QVariantMap map)
{
    BLL_DataCenter_Desktop::instance()->displayBoxFile().setBasicInfoData(map);
}

QVariantMap BLL_BusinessLogic_Desktop::getOneDisplayData(int index)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getOneDisplayData(index);
}

void BLL_BusinessLogic_Desktop::setOneDisplayData(int index, QVariantMap map)
{
    BLL_DataCenter_Desktop::instance()->displayBoxFile().setOneDisplayData(index, map);
}

bool BLL_BusinessLogic_Desktop::operateDisplayData(bool isSet, QVariantMap map)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().operateDisplayData(isSet, map);
}

QVariantList BLL_BusinessLogic_Desktop::getAllBoxNameId()
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getAllBoxNameId();
}

QVariantMap BLL_BusinessLogic_Desktop::getConnectBoxConfig(QString boxName)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getConnectBoxConfig(boxName);
}

QVariantMap BLL_BusinessLogic_Desktop::getModuleConfig(QString moduleName)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getModuleConfig(moduleName);
}

void BLL_BusinessLogic_Desktop::clearModuleConfig()
{
    BLL_DataCenter_Desktop::instance()->displayBoxFile().clearModuleConfig();
}

QVariantMap BLL_BusinessLogic_Desktop::getModuleFlashData()
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getModuleFlashData();
}

void BLL_BusinessLogic_Desktop::setModuleFlashData(QVariantMap map)
{
    BLL_DataCenter_Desktop::instance()->displayBoxFile().setModuleFlashData(map);
}

QVariantList BLL_BusinessLogic_Desktop::getRecvMapList()
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getRecvMapList();
}

void BLL_BusinessLogic_Desktop::clearRecvMapList()
{
    BLL_DataCenter_Desktop::instance()->displayBoxFile().clearRecvMapList();
}

bool BLL_BusinessLogic_Desktop::clearDisplayConnectXMLFile(QString path)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().clearDisplayConnectXMLFile(path);
}

QString BLL_BusinessLogic_Desktop::setBoxFileFlag(bool flag)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().setBoxFileFlag(flag);
}

QVariantList BLL_BusinessLogic_Desktop::getGrayTable(QString chip, QString path)
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile().getGrayTable(chip, path);
}

qint64 BLL_BusinessLogic_Desktop::CaluCHECK_SUM(QString bytes, qint64 length)
{
    return BLL_DataCenter_Desktop::instance()->caluInterface().CaluCHECK_SUM(bytes, length);
}

qint64 BLL_BusinessLogic_Desktop::CaluREGValue(QString field, qint64 regValue, qint64 fieldValue,
                                               qint64 width)
{
    return BLL_DataCenter_Desktop::instance()->caluInterface().CaluREGValue(field, regValue,
                                                                            fieldValue, width);
}

qint64 BLL_BusinessLogic_Desktop::getParamValue(QString field, qint64 regValue, qint64 width)
{
    return BLL_DataCenter_Desktop::instance()->caluInterface().getParamValue(field, regValue,
                                                                             width);
}

// ---- colorimeter ---------------------------------------------------------------------------
void BLL_BusinessLogic_Desktop::setColorimeterCommand(QVariantMap map)
{
    m_colorimeterLink.appendCommandData(map);
}
