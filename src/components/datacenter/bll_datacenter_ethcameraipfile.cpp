#include "bll_datacenter_ethcameraipfile.h"

#include "datacenterlog.h"

QVariantMap BLL_DataCenter_ETHCameraIPFile::openCameraIpData(QString path, QVariantMap)
{
    return unavailableFileOperation<QVariantMap>("openCameraIpData", path);
}

QVariantMap BLL_DataCenter_ETHCameraIPFile::saveCameraIpData(QString path, QVariantMap)
{
    return unavailableFileOperation<QVariantMap>("saveCameraIpData", path);
}
