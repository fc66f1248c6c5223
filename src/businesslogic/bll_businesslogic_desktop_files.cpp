// The facade's file and settings operations: dispatch of the structured files to
// the data center's file objects, JSON settings, directories, gamma tables and the
// wiring picture export.
//
// Not available yet: each operation logs and gives its empty result.

#include "bll_businesslogic_desktop.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcFiles, "ledwall.facade.files")

const char NotAvailable[] = "not available yet";
} // namespace

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenDisplayBoxFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenGammaFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenEncryptFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantMap BLL_BusinessLogic_Desktop::saveOrOpenProcessorConfigFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenGamutConfigFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantMap BLL_BusinessLogic_Desktop::saveOrOpenGamutCfgFile(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariantMap BLL_BusinessLogic_Desktop::ETHFileOperation(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("filePath")).toString();
    return {};
}

QVariant BLL_BusinessLogic_Desktop::getJsonData(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return {};
}

QVariantMap BLL_BusinessLogic_Desktop::getDisPlayDataJson(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return {};
}

QVariant BLL_BusinessLogic_Desktop::getAkeyScreenJson(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return {};
}

QString BLL_BusinessLogic_Desktop::getAkeyScreenStr(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return {};
}

void BLL_BusinessLogic_Desktop::saveJsonData(QVariantMap map, QString path)
{
    qCDebug(lcFiles) << NotAvailable << path << map.size();
}

qint64 BLL_BusinessLogic_Desktop::setAkeyScreenJson(QString path, QVariantMap map)
{
    qCDebug(lcFiles) << NotAvailable << path << map.size();
    return 0;
}

QVariantList BLL_BusinessLogic_Desktop::getAkeyScreenFileDir(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return {};
}

QVariant BLL_BusinessLogic_Desktop::getFanCrtlJson()
{
    qCDebug(lcFiles) << NotAvailable;
    return {};
}

void BLL_BusinessLogic_Desktop::setFanCrtlJson(QVariantMap map)
{
    qCDebug(lcFiles) << NotAvailable << map.size();
}

QVariant BLL_BusinessLogic_Desktop::getMoniJson()
{
    qCDebug(lcFiles) << NotAvailable;
    return {};
}

void BLL_BusinessLogic_Desktop::setMoniJson(QVariantMap map)
{
    qCDebug(lcFiles) << NotAvailable << map.size();
}

void BLL_BusinessLogic_Desktop::writeDebugListToTxt(QVariantList list, QString path)
{
    qCDebug(lcFiles) << NotAvailable << path << list.size();
}

void BLL_BusinessLogic_Desktop::writeDebugMapToFile(QVariantMap map, QString path)
{
    qCDebug(lcFiles) << NotAvailable << path << map.size();
}

void BLL_BusinessLogic_Desktop::getFileDir(QString path, QVariantList &out)
{
    Q_UNUSED(out)
    qCDebug(lcFiles) << NotAvailable << path;
}

void BLL_BusinessLogic_Desktop::clearDir(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
}

quint32 BLL_BusinessLogic_Desktop::getFileSize(QString path)
{
    qCDebug(lcFiles) << NotAvailable << path;
    return 0;
}

QString BLL_BusinessLogic_Desktop::getDateTimeString(int type)
{
    qCDebug(lcFiles) << NotAvailable << type;
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::setGamma(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request;
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::fromLibGetGammaTab(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("driverChip")).toString();
    return {};
}

void BLL_BusinessLogic_Desktop::exportConnectDisplayData(QVariantMap request)
{
    qCDebug(lcFiles) << NotAvailable << request.value(QStringLiteral("path")).toString();
}
