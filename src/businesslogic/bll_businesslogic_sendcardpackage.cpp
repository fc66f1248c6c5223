#include "bll_businesslogic_sendcardpackage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

namespace
{
Q_LOGGING_CATEGORY(lcSendCard, "ledwall.sendcard")

const char NotAvailable[] = "not available yet";
} // namespace

BLL_BusinessLogic_SendCardPackage::BLL_BusinessLogic_SendCardPackage(QObject *parent)
    : QObject(parent)
{
}

BLL_BusinessLogic_SendCardPackage::~BLL_BusinessLogic_SendCardPackage() = default;

// ---- cabinets and display read-back ----------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::setAllSCDisplayMap(QString ip)
{
    m_allSCDisplayMap.insert(ip, m_displayMap);
    qCDebug(lcSendCard) << "---m_allSCDisplayMap: " << m_allSCDisplayMap;
    qCDebug(lcSendCard) << "---displayMap: " << m_displayMap;
    return true;
}

void BLL_BusinessLogic_SendCardPackage::emitRecvAllBox()
{
    if (!vBoxXYWHList.isEmpty())
        emit recvAllBox(vBoxXYWHList);
}

bool BLL_BusinessLogic_SendCardPackage::getRecvAllBox()
{
    return !vBoxXYWHList.isEmpty();
}

void BLL_BusinessLogic_SendCardPackage::saveRecvAllBox()
{
    if (vBoxXYWHList.isEmpty())
        return;
    const QString dir =
        QCoreApplication::applicationDirPath() + QStringLiteral("/ConfigData/ConfigurationFile/");
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("boxXYWH.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (const QVariant &line : qAsConst(vBoxXYWHList))
        out << line.toString() << '\n';
}

void BLL_BusinessLogic_SendCardPackage::clearBoxXYWHList()
{
    m_displayMap.clear();
    vBoxXYWHList.clear();
    m_adjustParaMap.clear();
}

void BLL_BusinessLogic_SendCardPackage::setGetWidthHeightFlag(bool flag)
{
    m_getWidthHeightFlag = flag;
}

// ---- connection-display data --------------------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::connectDisplayDataFormatConv(int mode)
{
    qCDebug(lcSendCard) << NotAvailable << mode;
    return true;
}

bool BLL_BusinessLogic_SendCardPackage::complexDisplayDataFormatConv(int mode)
{
    qCDebug(lcSendCard) << NotAvailable << mode;
    return true;
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getComplexConnectDisplayData()
{
    return m_complexDisplayMap;
}

QVariantList BLL_BusinessLogic_SendCardPackage::openConnectDisplayData(bool isComplex)
{
    const QVariantMap &map = isComplex ? m_complexDisplayMap : m_connectDisplayMap;
    if (map.isEmpty())
        return {};
    return QVariantList{map};
}

bool BLL_BusinessLogic_SendCardPackage::saveConnectDisplayData(QVariantMap map)
{
    if (map.isEmpty())
        return false;
    m_connectDisplayMap = map;
    return true;
}

bool BLL_BusinessLogic_SendCardPackage::saveComplexConnectDisplayData(QVariantMap map)
{
    if (map.isEmpty())
        return false;
    m_complexDisplayMap = map;
    return true;
}

// ---- display data transfer --------------------------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::sendConnectDisplayDataToDevice(QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return false;
}

bool BLL_BusinessLogic_SendCardPackage::sendComplexDisplayDataToDevice(QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return false;
}

bool BLL_BusinessLogic_SendCardPackage::parseConnectDisplayDataFromDevice(bool isComplex)
{
    qCDebug(lcSendCard) << NotAvailable << isComplex;
    return false;
}

void BLL_BusinessLogic_SendCardPackage::readConnectDisplayDataToDevice(QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
}

void BLL_BusinessLogic_SendCardPackage::readHardwareConnectDisplayDataToDevice(QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getVLastAddrMap()
{
    qCDebug(lcSendCard) << NotAvailable;
    return {};
}

// ---- EDID timings, card function tables, stored images ---------------------------------

QVariantMap BLL_BusinessLogic_SendCardPackage::selectEdidData(QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return {{QStringLiteral("isExist"), false}};
}

QVariantMap BLL_BusinessLogic_SendCardPackage::selectRecvCardTab()
{
    qCDebug(lcSendCard) << NotAvailable;
    return {};
}

QVariantMap BLL_BusinessLogic_SendCardPackage::selectRecvCardFun(QVariantMap params)
{
    Q_UNUSED(params)
    qCDebug(lcSendCard) << NotAvailable;
    return {};
}

void BLL_BusinessLogic_SendCardPackage::sendStoredImagesData(QString path, QVariantMap params,
                                                             bool flag)
{
    qCDebug(lcSendCard) << NotAvailable << path << params << flag;
}

// ---- output windows -------------------------------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::setMultiwindow(QMap<QString, QVariant> params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return false;
}

bool BLL_BusinessLogic_SendCardPackage::setDiffWHMultiwindow(QMap<QString, QVariant> params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return false;
}

QMap<QString, QVariant>
BLL_BusinessLogic_SendCardPackage::setAllMultiWindow(QMap<QString, QVariant> params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return {};
}

QMap<QString, QVariant>
BLL_BusinessLogic_SendCardPackage::setComplexScreenWindow(QMap<QString, QVariant> params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return {};
}

bool BLL_BusinessLogic_SendCardPackage::sendRedundancyData(QMap<QString, QVariant> params)
{
    qCDebug(lcSendCard) << NotAvailable << params;
    return false;
}

// ---- calibration ------------------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::setAdjustParaMap(QVariantMap params)
{
    m_displayMap.clear();
    m_adjustParaMap.clear();
    if (!params.value(QStringLiteral("isQuicklySend")).toBool())
        vBoxXYWHList.clear();
    for (const char *key : {"adjen_type", "sendBoxMap", "isNormalAdjustMode"}) {
        const QString k = QLatin1String(key);
        if (params.contains(k))
            m_adjustParaMap.insert(k, params.value(k));
    }
}

bool BLL_BusinessLogic_SendCardPackage::checkAdjustFile(QString path)
{
    path.remove(QStringLiteral("file:///"));
    path.remove(QStringLiteral("file:"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    return file.size() != 0;
}

void BLL_BusinessLogic_SendCardPackage::setAdjustPath(QString path, QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << path << params.keys();
}

void BLL_BusinessLogic_SendCardPackage::startSendPointAdjustThread(QByteArray &data,
                                                                   QVariantMap params)
{
    qCDebug(lcSendCard) << NotAvailable << data.size() << params.keys();
}

void BLL_BusinessLogic_SendCardPackage::operationAdjustDB(QVariantMap request)
{
    qCDebug(lcSendCard) << NotAvailable << request;
}

void BLL_BusinessLogic_SendCardPackage::resetFilePos(int)
{
    qCDebug(lcSendCard) << NotAvailable;
}

// ---- receiving-card upgrade files -------------------------------------------------------

UpdateReceCardErrorType
BLL_BusinessLogic_SendCardPackage::checkReceFileHead(QString path, QMap<QString, QVariant> map)
{
    qCDebug(lcSendCard) << NotAvailable << path << map;
    return ReceFileOpenError;
}

UpdateReceCardErrorType
BLL_BusinessLogic_SendCardPackage::packageReceFileHead(QString path, QMap<QString, QVariant> map)
{
    qCDebug(lcSendCard) << NotAvailable << path << map;
    return ReceFileOpenError;
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getReceFileInfo(QString path)
{
    qCDebug(lcSendCard) << NotAvailable << path;
    return {};
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getReceFile_MCUInfo(QString path)
{
    qCDebug(lcSendCard) << NotAvailable << path;
    return {};
}

bool BLL_BusinessLogic_SendCardPackage::isReceFile(QString path)
{
    qCDebug(lcSendCard) << NotAvailable << path;
    return false;
}

void BLL_BusinessLogic_SendCardPackage::clearRecvUpdateData()
{
    recvUpdateData.clear();
}

// ---- card information blocks ------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::f_sendRecvNum(QVariantMap map)
{
    qCDebug(lcSendCard) << NotAvailable << map.keys();
}

void BLL_BusinessLogic_SendCardPackage::f_sendScreenResoUDisk(QVariantMap map)
{
    qCDebug(lcSendCard) << NotAvailable << map.keys();
}

void BLL_BusinessLogic_SendCardPackage::f_sendUsedPortPrimaryOutput(QVariantMap map)
{
    qCDebug(lcSendCard) << NotAvailable << map.keys();
}

// ---- replies ------------------------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::slot_dealData(QVariantMap reply)
{
    Q_UNUSED(reply)
}
