// The facade's file and settings operations: dispatch of the structured files to
// the data center's file objects, JSON settings, directories, gamma tables and the
// wiring picture export.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "filedispatch.h"
#include "filepaths.h"
#include "filereader.h"
#include "gammacurve.h"
#include "wiringpdflayout.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace
{
Q_LOGGING_CATEGORY(lcFiles, "ledwall.facade.files")

const char settingsDirectory[] = "/ConfigData/ConfigurationFile/";

// "isSave" and "filePath" of a save-or-open request; nothing when either is missing.
struct FileRequest {
    bool isSave = false;
    QString path;
};

std::optional<FileRequest> fileRequest(const QVariantMap &request, bool normalize)
{
    const auto isSave = request.constFind(QStringLiteral("isSave"));
    const auto filePath = request.constFind(QStringLiteral("filePath"));
    if (isSave == request.constEnd() || filePath == request.constEnd()) {
        qCDebug(lcFiles) << "file request without isSave or filePath";
        return std::nullopt;
    }
    FileRequest parsed;
    parsed.isSave = isSave->toBool();
    parsed.path =
        normalize ? ledwall::normalizeFilePath(filePath->toString()) : filePath->toString();
    return parsed;
}

void logNoOperation(const char *operation, const FileRequest &request)
{
    qCDebug(lcFiles) << operation << "has no file operation for" << request.path
                     << (request.isSave ? "(save)" : "(open)");
}

void logDispatch(const char *operation, const QString &call, const QString &path)
{
    qCDebug(lcFiles) << operation << "->" << call << path;
}

// A dispatcher with one file kind: saves give an empty result, opens the store's.
struct SingleKindOperation {
    const char *name;
    const char *extension;
    bool normalize;
    const char *saveCall;
    const char *openCall;
};

template <typename Result, typename Save, typename Open>
Result saveOrOpen(const SingleKindOperation &operation, const QVariantMap &request, Save save,
                  Open open)
{
    const auto parsed = fileRequest(request, operation.normalize);
    if (!parsed)
        return {};
    if (!parsed->path.contains(QLatin1String(operation.extension))) {
        logNoOperation(operation.name, *parsed);
        return {};
    }
    if (parsed->isSave) {
        logDispatch(operation.name, QLatin1String(operation.saveCall), parsed->path);
        save(parsed->path);
        return {};
    }
    logDispatch(operation.name, QLatin1String(operation.openCall), parsed->path);
    return open(parsed->path);
}

BLL_DataCenter_DisplayBoxFile &displayBoxFile()
{
    return BLL_DataCenter_Desktop::instance()->displayBoxFile();
}

BLL_DataCenter_ProcessorFile &processorFile()
{
    return BLL_DataCenter_Desktop::instance()->processorFile();
}

// The JSON document of a file; nothing (after the log line) when it cannot be read
// or parsed.
std::optional<QJsonDocument> readJsonFile(const QString &path)
{
    const ledwall::FileContents contents = ledwall::readWholeFile(path);
    if (!contents.ok()) {
        qCDebug(lcFiles) << "read json file error!!!!" << path << contents.errorString;
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(contents.bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        qCDebug(lcFiles) << "parse json error!!!!" << error.error << error.errorString() << path;
        return std::nullopt;
    }
    return document;
}

// Replaces the file with the map as an indented JSON object. The old content stays
// whole until the new one is completely written.
bool writeJsonFile(const QString &path, const QVariantMap &map)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(lcFiles) << "write json file error!!!!" << path << file.errorString();
        return false;
    }
    file.write(QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        qCDebug(lcFiles) << "write json file error!!!!" << path << file.errorString();
        return false;
    }
    return true;
}

void appendJson(const QString &path, const QJsonDocument &document)
{
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qCDebug(lcFiles) << "write debug file error" << path << file.errorString();
        return;
    }
    file.write(document.toJson(QJsonDocument::Indented));
}

QString settingsFilePath(const char *name)
{
    return ledwall::applicationDirectory() + QLatin1String(settingsDirectory) + QLatin1String(name);
}

void writeSettingsFile(const char *name, const QVariantMap &map)
{
    QDir().mkpath(ledwall::applicationDirectory() + QLatin1String(settingsDirectory));
    writeJsonFile(settingsFilePath(name), map);
}

void walkDirectory(const QString &path, QVariantList &out)
{
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            out.append(QString(entry.absoluteFilePath() + QStringLiteral("?dir")));
            // A linked directory is listed but not entered: a link back up the tree
            // would never end.
            if (!entry.isSymLink())
                walkDirectory(entry.absoluteFilePath(), out);
        } else {
            out.append(QString(entry.absoluteFilePath() + QStringLiteral("?file")));
        }
    }
}

// True when the file can be written: it may be held open by a PDF viewer.
bool canWriteFile(const QString &path)
{
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    file.close();
    if (!existed)
        file.remove();
    return true;
}
} // namespace

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenDisplayBoxFile(QVariantMap request)
{
    const auto parsed = fileRequest(request, true);
    if (!parsed)
        return {};
    QString path = parsed->path;
    const int configFlag = request.value(QStringLiteral("configFlag"), 0).toInt();
    const auto call = ledwall::displayBoxFileCall(parsed->isSave, path, configFlag);
    if (call == ledwall::DisplayBoxFileCall::None) {
        logNoOperation("saveOrOpenDisplayBoxFile", *parsed);
        return {};
    }
    logDispatch("saveOrOpenDisplayBoxFile", ledwall::callName(call), path);

    BLL_DataCenter_DisplayBoxFile &files = displayBoxFile();
    using Call = ledwall::DisplayBoxFileCall;
    switch (call) {
    case Call::None:
        break;
    case Call::SaveDisplayBoxData:
        files.saveDisplayBoxData(path, request.value(QStringLiteral("displayBoxDataMap")).toMap());
        break;
    case Call::SaveComplexBoxData:
        files.saveComplexBoxData(path, request);
        break;
    case Call::SaveModuleConfigureFile:
        return files.saveModuleConfigureFile(path, request);
    case Call::SaveBoxConfigureFile:
        return files.saveBoxConfigureFile(path, request);
    case Call::SaveDisplayConnectXMLFile:
        files.saveDisplayConnectXMLFile(path, request);
        break;
    case Call::OpenDisplayBoxData:
        return files.openDisplayBoxData(path);
    case Call::OpenComplexBoxData:
        // The result arrives by signal.
        files.openComplexBoxData(path,
                                 request.value(QStringLiteral("superadditionFlag"), false).toBool(),
                                 request.value(QStringLiteral("DoNotrespond"), false).toBool());
        break;
    case Call::OpenBoxData:
        return files.openBoxData(path);
    case Call::OpenBoxConfigureData:
        return files.openBoxConfigureData(path, request);
    case Call::OpenBasicParameterData:
        return files.openBasicParameterData(path, request);
    case Call::OpenDisplayConnectXMLFile:
        files.openDisplayConnectXMLFile(path);
        break;
    case Call::OpenHdrGammaFile:
        return files.openHdrGammaFile(path);
    }
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenGammaFile(QVariantMap request)
{
    const auto parsed = fileRequest(request, true);
    if (!parsed)
        return {};
    const QString &path = parsed->path;
    const auto call = ledwall::gammaFileCall(parsed->isSave, path);
    if (call == ledwall::GammaFileCall::None) {
        logNoOperation("saveOrOpenGammaFile", *parsed);
        return {};
    }
    logDispatch("saveOrOpenGammaFile", ledwall::callName(call), path);

    BLL_DataCenter_DisplayBoxFile &files = displayBoxFile();
    using Call = ledwall::GammaFileCall;
    switch (call) {
    case Call::None:
        break;
    case Call::SaveGammaCalibData:
        files.saveGammaCalibData(path, request);
        break;
    case Call::SaveGammaData:
        files.saveGammaData(path, request);
        break;
    case Call::OpenGamdatGammaData:
        return files.openGamdatGammaData(path);
    case Call::OpenGammaCalibData:
        return files.openGammaCalibData(path);
    case Call::OpenGammaData:
        return files.openGammaData(path);
    case Call::OpenLSGammaData:
        return files.openLSGammaData(path);
    }
    return {};
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenEncryptFile(QVariantMap request)
{
    BLL_DataCenter_EncryptFile &file = BLL_DataCenter_Desktop::instance()->encryptFile();
    return saveOrOpen<QVariantList>(
        {"saveOrOpenEncryptFile", ".ini", true, "saveAsEncryptFile", "readEncryptFile"}, request,
        [&](const QString &path) { file.saveAsEncryptFile(path, request); },
        [&](const QString &path) { return file.readEncryptFile(path); });
}

QVariantMap BLL_BusinessLogic_Desktop::saveOrOpenProcessorConfigFile(QVariantMap request)
{
    BLL_DataCenter_ProcessorFile &file = processorFile();
    return saveOrOpen<QVariantMap>(
        {"saveOrOpenProcessorConfigFile", ".xml", true, "saveProcessorXMLFile",
         "openProcessorXMLFile"},
        request, [&](const QString &path) { file.saveProcessorXMLFile(path, request); },
        [&](const QString &path) { return file.openProcessorXMLFile(path); });
}

QVariantList BLL_BusinessLogic_Desktop::saveOrOpenGamutConfigFile(QVariantMap request)
{
    BLL_DataCenter_ProcessorFile &file = processorFile();
    return saveOrOpen<QVariantList>(
        {"saveOrOpenGamutConfigFile", ".xml", false, "saveGamutXMLFile", "openGamutXMLFile"},
        request, [&](const QString &path) { file.saveGamutXMLFile(path, request); },
        [&](const QString &path) { return file.openGamutXMLFile(path); });
}

QVariantMap BLL_BusinessLogic_Desktop::saveOrOpenGamutCfgFile(QVariantMap request)
{
    BLL_DataCenter_ProcessorFile &file = processorFile();
    return saveOrOpen<QVariantMap>(
        {"saveOrOpenGamutCfgFile", ".xml", false, "saveGamutCfgFile", "openGamutCfgFile"}, request,
        [&](const QString &path) { file.saveGamutCfgFile(path, request); },
        [&](const QString &path) { return file.openGamutCfgFile(path); });
}

QVariantMap BLL_BusinessLogic_Desktop::ETHFileOperation(QVariantMap request)
{
    const auto parsed = fileRequest(request, true);
    if (!parsed)
        return {};
    BLL_DataCenter_ETHCameraIPFile &file = BLL_DataCenter_Desktop::instance()->ethCameraIPFile();
    const QVariantMap cameraIpDataMap = request.value(QStringLiteral("cameraIpDataMap")).toMap();
    if (parsed->isSave) {
        logDispatch("ETHFileOperation", QStringLiteral("saveCameraIpData"), parsed->path);
        return file.saveCameraIpData(parsed->path, cameraIpDataMap);
    }
    logDispatch("ETHFileOperation", QStringLiteral("openCameraIpData"), parsed->path);
    return file.openCameraIpData(parsed->path, cameraIpDataMap);
}

QVariant BLL_BusinessLogic_Desktop::getJsonData(QString path)
{
    const auto document = readJsonFile(path);
    return document ? document->toVariant() : QVariant();
}

QVariantMap BLL_BusinessLogic_Desktop::getDisPlayDataJson(QString path)
{
    const auto document = readJsonFile(path);
    return document ? document->object().toVariantMap() : QVariantMap();
}

QVariant BLL_BusinessLogic_Desktop::getAkeyScreenJson(QString path)
{
    return getJsonData(path);
}

QString BLL_BusinessLogic_Desktop::getAkeyScreenStr(QString path)
{
    const ledwall::FileContents contents = ledwall::readWholeFile(path);
    if (!contents.ok()) {
        qCDebug(lcFiles) << "read str file error!!!!" << path << contents.errorString;
        return {};
    }
    return QString::fromUtf8(contents.bytes.constData(), contents.bytes.size());
}

void BLL_BusinessLogic_Desktop::saveJsonData(QVariantMap map, QString path)
{
    writeJsonFile(path, map);
}

qint64 BLL_BusinessLogic_Desktop::setAkeyScreenJson(QString path, QVariantMap map)
{
    QElapsedTimer timer;
    timer.start();
    writeJsonFile(path, map);
    const qint64 elapsed = timer.elapsed();
    qCDebug(lcFiles) << "setAkeyScreenJson time" << elapsed << "ms";
    return elapsed;
}

QVariantList BLL_BusinessLogic_Desktop::getAkeyScreenFileDir(QString path)
{
    if (!ledwall::isSafeDirectoryToWalk(path)) {
        qCDebug(lcFiles) << "getAkeyScreenFileDir refused for the path" << path;
        return {};
    }
    if (!QDir(path).exists())
        QDir().mkpath(path);
    QVariantList out;
    getFileDir(path, out);
    return out;
}

QVariant BLL_BusinessLogic_Desktop::getFanCrtlJson()
{
    return getJsonData(settingsFilePath("FanCrtl.json"));
}

void BLL_BusinessLogic_Desktop::setFanCrtlJson(QVariantMap map)
{
    writeSettingsFile("FanCrtl.json", map);
}

QVariant BLL_BusinessLogic_Desktop::getMoniJson()
{
    return getJsonData(settingsFilePath("MoniData.json"));
}

void BLL_BusinessLogic_Desktop::setMoniJson(QVariantMap map)
{
    writeSettingsFile("MoniData.json", map);
}

void BLL_BusinessLogic_Desktop::writeDebugListToTxt(QVariantList list, QString path)
{
    appendJson(path, QJsonDocument(QJsonArray::fromVariantList(list)));
}

void BLL_BusinessLogic_Desktop::writeDebugMapToFile(QVariantMap map, QString path)
{
    appendJson(path, QJsonDocument(QJsonObject::fromVariantMap(map)));
}

void BLL_BusinessLogic_Desktop::getFileDir(QString path, QVariantList &out)
{
    if (!ledwall::isSafeDirectoryToWalk(path)) {
        qCDebug(lcFiles) << "getFileDir refused for the path" << path;
        return;
    }
    walkDirectory(path, out);
}

void BLL_BusinessLogic_Desktop::clearDir(QString path)
{
    // An empty path would mean the working directory, a root the whole disk.
    if (!ledwall::isSafeDirectoryToWalk(path)) {
        qCDebug(lcFiles) << "clearDir refused for the path" << path;
        return;
    }
    QDir dir(path);
    if (!dir.exists())
        QDir().mkpath(path);
    const QStringList files =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : files) {
        const bool removed = dir.remove(name);
        qCDebug(lcFiles) << "clearDir remove" << name << (removed ? "done" : "failed");
    }
}

quint32 BLL_BusinessLogic_Desktop::getFileSize(QString path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcFiles) << "Cannot open file for reading:" << path;
        return 0;
    }
    // A file beyond 4 GiB reports the largest size the result can carry, not a
    // wrapped-around small one.
    return quint32(qMin<qint64>(file.size(), std::numeric_limits<quint32>::max()));
}

QString BLL_BusinessLogic_Desktop::getDateTimeString(int type)
{
    return ledwall::dateTimeString(type, QDateTime::currentDateTime());
}

QVariantList BLL_BusinessLogic_Desktop::setGamma(QVariantMap request)
{
    ledwall::GammaCurveParameters parameters;
    parameters.inGray = request.value(QStringLiteral("inGray")).toInt();
    parameters.outGray = request.value(QStringLiteral("outGray")).toInt();
    parameters.maxValue = request.value(QStringLiteral("maxValue")).toDouble();
    parameters.gamma = request.value(QStringLiteral("gam")).toDouble();
    parameters.mode = request.value(QStringLiteral("mode")).toInt();
    if (parameters.inGray < 0 || parameters.inGray > ledwall::maxGammaInGray)
        qCDebug(lcFiles) << "setGamma: no curve for an input depth of" << parameters.inGray
                         << "bits";
    return ledwall::gammaCurve(parameters);
}

QVariantList BLL_BusinessLogic_Desktop::fromLibGetGammaTab(QVariantMap request)
{
    const QString chip = request.value(QStringLiteral("driverChip")).toString();
    BLL_DataCenter_DisplayBoxFile &files = displayBoxFile();
    switch (ledwall::chipGammaBuilder(chip)) {
    case ledwall::ChipGammaBuilder::None:
        break;
    case ledwall::ChipGammaBuilder::ICN2053:
        return files.getICN2053Gamma(request);
    case ledwall::ChipGammaBuilder::FM6363:
        return files.getGamma_FM6363(request);
    case ledwall::ChipGammaBuilder::FM6565:
        return files.getGamma_FM6565(request);
    case ledwall::ChipGammaBuilder::CNS7263:
        return files.getGamma_CNS7263(request);
    }
    qCDebug(lcFiles) << "fromLibGetGammaTab: no gamma table for the chip" << chip;
    return {};
}

void BLL_BusinessLogic_Desktop::exportConnectDisplayData(QVariantMap request)
{
    const QString path = request.value(QStringLiteral("path")).toString();
    const QString imagePath = path + QStringLiteral(".png");
    QImage image;
    {
        QImageReader reader(imagePath);
        reader.setAutoTransform(true);
        image = reader.read();
        if (image.isNull()) {
            qWarning() << "Failed to load image:" << reader.errorString();
            return;
        }
    } // the reader closes the picture here, before it is deleted below

    QString pdfPath = path + QStringLiteral(".pdf");
    if (!canWriteFile(pdfPath)) {
        const QString fallback =
            ledwall::timestampedFilePath(pdfPath, QDateTime::currentDateTime());
        qCDebug(lcFiles) << "exportConnectDisplayData:" << pdfPath << "cannot be written, using"
                         << fallback;
        pdfPath = fallback;
    }

    const ledwall::WiringPdfLayout layout =
        ledwall::wiringPdfLayout(image.size(), image.dotsPerMeterX(), image.dotsPerMeterY());
    QPdfWriter writer(pdfPath);
    // Exact: a page close to a standard size must not be snapped to it.
    writer.setPageSize(
        QPageSize(layout.pageMillimetres, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(qRound(layout.dpiX));

    QPainter painter;
    if (!painter.begin(&writer)) {
        // Keep the picture: nothing has been exported.
        qCDebug(lcFiles) << "exportConnectDisplayData: cannot write" << pdfPath;
        return;
    }
    painter.drawImage(layout.imageTopLeft, image);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLines(layout.tableLines);
    painter.setFont(QFont(QStringLiteral("Microsoft YaHei"), 8));
    const QStringList texts = {request.value(QStringLiteral("title")).toString(),
                               request.value(QStringLiteral("date")).toString() +
                                   QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
                               request.value(QStringLiteral("reso")).toString()};
    for (int row = 0; row < texts.size(); ++row)
        painter.drawText(layout.tableRows.at(row), Qt::AlignCenter, texts.at(row));
    if (!painter.end()) {
        qCDebug(lcFiles) << "exportConnectDisplayData: writing" << pdfPath << "failed";
        return;
    }
    qCDebug(lcFiles) << "exportConnectDisplayData: wrote" << pdfPath;
    QFile::remove(imagePath);
}
