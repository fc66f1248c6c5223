#include "bll_datacenter_processorfile.h"

#include "datacenterlog.h"
#include "formats/fileio.h"
#include "formats/jsonfileformat.h"
#include "formats/variantxml.h"

namespace
{

const QString processorRoot = QStringLiteral("processorConfig");
const QString gamutRoot = QStringLiteral("gamutConfig");
const QString gamutCfgRoot = QStringLiteral("gamutCfg");

QVariantMap readXml(const QString &path, const QString &root)
{
    QByteArray bytes;
    QVariantMap data;
    if (!fileio::readWholeFile(path, &bytes) || !variantxml::decode(root, bytes, &data))
        return {};
    return data;
}

bool writeXml(const QString &path, const QString &root, const QVariantMap &request)
{
    const QVariantMap data = jsonfile::withoutRequestKeys(request);
    if (data.isEmpty()) {
        qCDebug(lcDataCenter) << "nothing to save in" << path;
        return false;
    }
    return fileio::writeWholeFile(path, variantxml::encode(root, data));
}

} // namespace

BLL_DataCenter_ProcessorFile::BLL_DataCenter_ProcessorFile(QObject *parent) : QObject(parent) {}

QVariantMap BLL_DataCenter_ProcessorFile::openProcessorXMLFile(QString path)
{
    return readXml(path, processorRoot);
}

bool BLL_DataCenter_ProcessorFile::saveProcessorXMLFile(QString path, QVariantMap data)
{
    const bool ok = writeXml(path, processorRoot, data);
    emit sig_saveProcessorFile(ok);
    return ok;
}

QVariantList BLL_DataCenter_ProcessorFile::openGamutXMLFile(QString path)
{
    const QVariantMap data = readXml(path, gamutRoot);
    return data.isEmpty() ? QVariantList() : QVariantList{data};
}

bool BLL_DataCenter_ProcessorFile::saveGamutXMLFile(QString path, QVariantMap data)
{
    return writeXml(path, gamutRoot, data);
}

QVariantMap BLL_DataCenter_ProcessorFile::openGamutCfgFile(QString path)
{
    return readXml(path, gamutCfgRoot);
}

bool BLL_DataCenter_ProcessorFile::saveGamutCfgFile(QString path, QVariantMap data)
{
    return writeXml(path, gamutCfgRoot, data);
}
