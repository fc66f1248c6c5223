#pragma once
// The camera address file: a JSON file keeping the camera address map
// (docs/file-formats.md).
//   openCameraIpData: the stored map, with the keys the file lacks taken from
//     the given map; empty (with a log line) for a missing or damaged file.
//   saveCameraIpData: {"result": bool, "filePath"}; an empty map is refused.

#include <QString>
#include <QVariantMap>

class BLL_DataCenter_ETHCameraIPFile
{
public:
    QVariantMap openCameraIpData(QString path, QVariantMap request);
    QVariantMap saveCameraIpData(QString path, QVariantMap data);
};
