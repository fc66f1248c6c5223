#include "bll_datacenter_ethcameraipfile.h"

#include "datacenterlog.h"
#include "formats/fileio.h"
#include "formats/jsonfileformat.h"

namespace
{
const QString cameraFormat = QStringLiteral("ledwall-camera-ip");
}

QVariantMap BLL_DataCenter_ETHCameraIPFile::openCameraIpData(QString path, QVariantMap request)
{
    QByteArray bytes;
    if (!fileio::readWholeFile(path, &bytes))
        return {};
    const QVariantMap stored = jsonfile::decodeEnvelope(cameraFormat, bytes);
    if (stored.isEmpty())
        return {};
    // Keys the file does not hold keep the caller's values.
    QVariantMap result = request;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        result.insert(it.key(), it.value());
    return result;
}

QVariantMap BLL_DataCenter_ETHCameraIPFile::saveCameraIpData(QString path, QVariantMap data)
{
    data = jsonfile::withoutRequestKeys(data);
    bool ok = false;
    if (data.isEmpty())
        qCDebug(lcDataCenter) << "no camera addresses to save in" << path;
    else
        ok = fileio::writeWholeFile(path, jsonfile::encodeEnvelope(cameraFormat, data));
    return {{QStringLiteral("result"), ok}, {QStringLiteral("filePath"), fileio::localPath(path)}};
}
