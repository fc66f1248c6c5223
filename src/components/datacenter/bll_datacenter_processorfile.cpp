#include "bll_datacenter_processorfile.h"

#include "datacenterlog.h"

BLL_DataCenter_ProcessorFile::BLL_DataCenter_ProcessorFile(QObject *parent) : QObject(parent) {}

QVariantMap BLL_DataCenter_ProcessorFile::openProcessorXMLFile(QString path)
{
    return unavailableFileOperation<QVariantMap>("openProcessorXMLFile", path);
}

bool BLL_DataCenter_ProcessorFile::saveProcessorXMLFile(QString path, QVariantMap)
{
    unavailableFileOperation<void>("saveProcessorXMLFile", path);
    emit sig_saveProcessorFile(false);
    return false;
}

QVariantList BLL_DataCenter_ProcessorFile::openGamutXMLFile(QString path)
{
    return unavailableFileOperation<QVariantList>("openGamutXMLFile", path);
}

bool BLL_DataCenter_ProcessorFile::saveGamutXMLFile(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveGamutXMLFile", path);
}

QVariantMap BLL_DataCenter_ProcessorFile::openGamutCfgFile(QString path)
{
    return unavailableFileOperation<QVariantMap>("openGamutCfgFile", path);
}

bool BLL_DataCenter_ProcessorFile::saveGamutCfgFile(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveGamutCfgFile", path);
}
