#include "bll_datacenter_displayboxfile.h"

#include "datacenterlog.h"
#include "formats/fileio.h"
#include "formats/gammafileformat.h"
#include "formats/jsonfileformat.h"
#include "formats/mifformat.h"
#include "formats/variantxml.h"

#include <QDateTime>
#include <QFileInfo>

BLL_DataCenter_DisplayBoxFile::BLL_DataCenter_DisplayBoxFile(QObject *parent) : QObject(parent) {}

namespace
{

const QString displayFormat = QStringLiteral("ledwall-display");
const QString complexFormat = QStringLiteral("ledwall-complex-display");
const QString boxFormat = QStringLiteral("ledwall-box");
const QString gammaFormat = QStringLiteral("ledwall-gamma");
const QString gammaCalibFormat = QStringLiteral("ledwall-gamma-calib");
const QString connectRoot = QStringLiteral("displayConnect");
const QString gammaTableKey = QStringLiteral("gammaTable");

QString operationTime()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Reads a JSON file: an envelope of `format`, or a plain object when format
// is empty.
QVariantMap readJson(const QString &path, const QString &format)
{
    QByteArray bytes;
    if (!fileio::readWholeFile(path, &bytes))
        return {};
    return format.isEmpty() ? jsonfile::decodeObject(bytes)
                            : jsonfile::decodeEnvelope(format, bytes);
}

bool writeJson(const QString &path, const QString &format, const QVariantMap &data)
{
    if (data.isEmpty()) {
        qCDebug(lcDataCenter) << "nothing to save in" << path;
        return false;
    }
    return fileio::writeWholeFile(path, format.isEmpty() ? jsonfile::encodeObject(data)
                                                         : jsonfile::encodeEnvelope(format, data));
}

QVariantList listOf(const QVariantMap &map)
{
    return map.isEmpty() ? QVariantList() : QVariantList{map};
}

gammafile::ChipFamily familyOfChip(const QString &chip)
{
    if (chip == QLatin1String("FM6363"))
        return gammafile::ChipFamily::FM6363;
    if (chip == QLatin1String("FM6565"))
        return gammafile::ChipFamily::FM6565;
    if (chip == QLatin1String("CNS7263") || chip == QLatin1String("CNS7153") ||
        chip == QLatin1String("CNS7253"))
        return gammafile::ChipFamily::CNS7263;
    return gammafile::ChipFamily::ICN2053;
}

QString suffixOf(const QString &path)
{
    return QFileInfo(fileio::localPath(path)).suffix().toLower();
}

// The values of a gamma table file of any kind, chosen by its suffix.
QVariantList readGammaValues(const QString &path)
{
    QByteArray bytes;
    if (!fileio::readWholeFile(path, &bytes))
        return {};
    const QString suffix = suffixOf(path);
    QVariantList values;
    if (suffix == QLatin1String("mif")) {
        values = mifformat::decode(bytes).value(QStringLiteral("values")).toList();
    } else if (suffix == QLatin1String("gamdat") || suffix == QLatin1String("dat")) {
        gammafile::decodeHexEntries(bytes, &values);
    } else if (suffix == QLatin1String("gam")) {
        const QVariantMap data = jsonfile::decodeEnvelope(gammaFormat, bytes);
        if (!gammafile::valuesFromTable(data.value(gammaTableKey).toList(), &values)) {
            qCDebug(lcDataCenter) << "gamma file with a bad table:" << path;
            values.clear();
        }
    } else {
        qCDebug(lcDataCenter) << "not a gamma file:" << path;
    }
    return values;
}

} // namespace

QVariantList BLL_DataCenter_DisplayBoxFile::openDisplayBoxData(QString path)
{
    return listOf(readJson(path, displayFormat));
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBoxData(QString path)
{
    const QVariantMap box = readJson(path, boxFormat);
    if (box.isEmpty())
        return {};
    QString name = box.value(QStringLiteral("boxName")).toString();
    if (name.isEmpty())
        name = QFileInfo(fileio::localPath(path)).completeBaseName();
    setConnectBoxConfig(name, box);
    return {box};
}

bool BLL_DataCenter_DisplayBoxFile::saveBoxData(QString path, QVariantMap data)
{
    return writeJson(path, boxFormat, jsonfile::withoutRequestKeys(data));
}

void BLL_DataCenter_DisplayBoxFile::openComplexBoxData(QString path, bool superadditionFlag,
                                                       bool doNotRespond)
{
    const QVariantMap data = readJson(path, complexFormat);
    emit sig_openDisplayFileIndex({{QStringLiteral("fileType"), QStringLiteral("rcxs")},
                                   {QStringLiteral("result"), !data.isEmpty()},
                                   {QStringLiteral("filePath"), path},
                                   {QStringLiteral("superadditionFlag"), superadditionFlag},
                                   {QStringLiteral("DoNotrespond"), doNotRespond},
                                   {QStringLiteral("data"), data}});
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBasicParameterData(QString path, QVariantMap)
{
    return listOf(readJson(path, QString()));
}

QVariantList BLL_DataCenter_DisplayBoxFile::openBoxConfigureData(QString path, QVariantMap)
{
    return listOf(readJson(path, QString()));
}

bool BLL_DataCenter_DisplayBoxFile::openDisplayConnectXMLFile(QString path)
{
    QByteArray bytes;
    QVariantMap data;
    const bool ok =
        fileio::readWholeFile(path, &bytes) && variantxml::decode(connectRoot, bytes, &data);
    if (ok) {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_basicInfo = data.value(QStringLiteral("basicInfo")).toMap();
        m_displays.clear();
        const QVariantList displays = data.value(QStringLiteral("displayArr")).toList();
        for (int i = 0; i < displays.size(); ++i) {
            const QVariantMap display = displays.at(i).toMap();
            m_displays.insert(display.value(QStringLiteral("display_idx"), i).toInt(), display);
        }
    }
    emit sig_openDisplayFileIndex({{QStringLiteral("fileType"), QStringLiteral("xml")},
                                   {QStringLiteral("result"), ok},
                                   {QStringLiteral("filePath"), path},
                                   {QStringLiteral("data"), data}});
    return ok;
}

QVariantList BLL_DataCenter_DisplayBoxFile::openHdrGammaFile(QString path)
{
    QByteArray bytes;
    if (!fileio::readWholeFile(path, &bytes))
        return {};
    return gammafile::pointsFromValues(
        mifformat::decode(bytes).value(QStringLiteral("values")).toList());
}

bool BLL_DataCenter_DisplayBoxFile::saveHdrGammaFile(QString path, QVariantMap data)
{
    QVariantList values;
    if (!gammafile::valuesFromTable(data.value(gammaTableKey).toList(), &values) ||
        values.isEmpty() || values.size() > mifformat::maxDepth) {
        qCDebug(lcDataCenter) << "saveHdrGammaFile: no usable gammaTable";
        return false;
    }
    const int width = data.value(QStringLiteral("width"), 16).toInt();
    if (width < 1 || width > mifformat::maxWidth) {
        qCDebug(lcDataCenter) << "saveHdrGammaFile: bad width" << width;
        return false;
    }
    const qlonglong widest = (qlonglong(1) << width) - 1;
    for (const QVariant &value : qAsConst(values)) {
        if (value.toLongLong() > widest) { // would be cut in the file
            qCDebug(lcDataCenter) << "saveHdrGammaFile: value" << value << "wider than" << width
                                  << "bits";
            return false;
        }
    }
    return fileio::writeWholeFile(path, mifformat::encode(values, width));
}

bool BLL_DataCenter_DisplayBoxFile::saveDisplayBoxData(QString path, QVariantMap data)
{
    const bool ok = writeJson(path, displayFormat, data);
    emit sig_saveDisplayFile(ok, data.value(QStringLiteral("DoNotrespond")).toBool(),
                             operationTime());
    return ok;
}

bool BLL_DataCenter_DisplayBoxFile::saveComplexBoxData(QString path, QVariantMap data)
{
    const bool ok = writeJson(path, complexFormat, jsonfile::withoutRequestKeys(data));
    emit sig_saveDisplayFile(ok, data.value(QStringLiteral("DoNotrespond")).toBool(),
                             operationTime());
    return ok;
}

QVariantList BLL_DataCenter_DisplayBoxFile::saveBoxConfigureFile(QString &path, QVariantMap data)
{
    path = fileio::localPath(path);
    const bool ok = writeJson(path, QString(), jsonfile::withoutRequestKeys(data));
    return {QVariantMap{{QStringLiteral("result"), ok}, {QStringLiteral("filePath"), path}}};
}

QVariantList BLL_DataCenter_DisplayBoxFile::saveModuleConfigureFile(QString &path, QVariantMap data)
{
    return saveBoxConfigureFile(path, data);
}

bool BLL_DataCenter_DisplayBoxFile::saveDisplayConnectXMLFile(QString path, QVariantMap data)
{
    QVariantMap content = jsonfile::withoutRequestKeys(data);
    if (content.isEmpty()) {
        std::lock_guard<std::mutex> locker(m_mutex);
        QVariantList displays;
        for (const QVariantMap &display : qAsConst(m_displays))
            displays.append(display);
        content.insert(QStringLiteral("basicInfo"), m_basicInfo);
        content.insert(QStringLiteral("displayArr"), displays);
    }
    return fileio::writeWholeFile(path, variantxml::encode(connectRoot, content));
}

bool BLL_DataCenter_DisplayBoxFile::clearDisplayConnectXMLFile(QString path)
{
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_basicInfo.clear();
        m_displays.clear();
    }
    if (path.isEmpty())
        return true;
    return fileio::writeWholeFile(path, variantxml::encode(connectRoot, {}));
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGrayTable(QString chip, QString path)
{
    if (!path.isEmpty())
        return readGammaValues(path);
    QVariantList values;
    for (const QVariant &point : gammafile::chipGammaCurve(familyOfChip(chip), {}))
        values.append(point.toMap().value(QStringLiteral("y")));
    return values;
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGammaData(QString path)
{
    return gammafile::pointsFromValues(readGammaValues(path));
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGammaCalibData(QString path)
{
    return listOf(readJson(path, gammaCalibFormat));
}

QVariantList BLL_DataCenter_DisplayBoxFile::openGamdatGammaData(QString path)
{
    return gammafile::pointsFromValues(readGammaValues(path));
}

QVariantList BLL_DataCenter_DisplayBoxFile::openLSGammaData(QString path)
{
    return gammafile::pointsFromValues(readGammaValues(path));
}

bool BLL_DataCenter_DisplayBoxFile::saveGammaData(QString path, QVariantMap data)
{
    QVariantList values;
    if (!gammafile::valuesFromTable(data.value(gammaTableKey).toList(), &values) ||
        values.isEmpty()) {
        qCDebug(lcDataCenter) << "saveGammaData: no usable gammaTable for" << path;
        return false;
    }
    if (suffixOf(path) == QLatin1String("gamdat"))
        return fileio::writeWholeFile(path, gammafile::encodeHexEntries(values));
    QVariantMap content = jsonfile::withoutRequestKeys(data);
    content.insert(gammaTableKey, values);
    return writeJson(path, gammaFormat, content);
}

bool BLL_DataCenter_DisplayBoxFile::saveGammaCalibData(QString path, QVariantMap data)
{
    return writeJson(path, gammaCalibFormat, jsonfile::withoutRequestKeys(data));
}

QVariantList BLL_DataCenter_DisplayBoxFile::getICN2053Gamma(QVariantMap request)
{
    return gammafile::chipGammaCurve(gammafile::ChipFamily::ICN2053, request);
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_FM6363(QVariantMap request)
{
    return gammafile::chipGammaCurve(gammafile::ChipFamily::FM6363, request);
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_FM6565(QVariantMap request)
{
    return gammafile::chipGammaCurve(gammafile::ChipFamily::FM6565, request);
}

QVariantList BLL_DataCenter_DisplayBoxFile::getGamma_CNS7263(QVariantMap request)
{
    return gammafile::chipGammaCurve(gammafile::ChipFamily::CNS7263, request);
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
