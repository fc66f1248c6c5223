#pragma once
// The camera address file. The format is still to come: both operations give
// an empty map, with a log line.

#include <QString>
#include <QVariantMap>

class BLL_DataCenter_ETHCameraIPFile
{
public:
    QVariantMap openCameraIpData(QString path, QVariantMap request);
    QVariantMap saveCameraIpData(QString path, QVariantMap data);
};
