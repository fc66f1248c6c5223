#pragma once
// Display and cabinet files, gamma files, and the display data they hold.
//
// The in-memory data (basic information, per-display data, cabinet and module
// configurations, module flash data, received receiving-card maps) is kept
// here and is safe to use from several threads.
//
// Files (formats in docs/file-formats.md): opens that return a list give the
// file's map as the only element, gamma opens give the table as point maps
// {"x", "y"}; a missing or damaged file gives an empty result and a log line.
// Saves write atomically, refuse an empty map and drop the request keys
// ("isSave", "filePath", "configFlag", "superadditionFlag", "DoNotrespond").

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <mutex>

class BLL_DataCenter_DisplayBoxFile : public QObject
{
    Q_OBJECT
public:
    explicit BLL_DataCenter_DisplayBoxFile(QObject *parent = nullptr);

    // Display data (.drc): the map given is the file's data.
    QVariantList openDisplayBoxData(QString path);
    bool saveDisplayBoxData(QString path, QVariantMap data);
    // Cabinet file (.box); an opened cabinet is also kept as the cabinet
    // configuration of its "boxName" (else the file's base name).
    QVariantList openBoxData(QString path);
    bool saveBoxData(QString path, QVariantMap data);
    // Complex display data (.rcxs). The open reports through
    // sig_openDisplayFileIndex: {"fileType": "rcxs", "result", "filePath",
    // "superadditionFlag", "DoNotrespond", "data"}.
    void openComplexBoxData(QString path, bool superadditionFlag, bool doNotRespond);
    bool saveComplexBoxData(QString path, QVariantMap data);
    // Plain JSON objects (.json basic parameters, .BCJ and .MCJ cabinet and
    // module configurations, read and written by other programs too).
    QVariantList openBasicParameterData(QString path, QVariantMap request);
    QVariantList openBoxConfigureData(QString path, QVariantMap request);
    // Both return [{"result": bool, "filePath": the path written}] and set
    // path to the local path written.
    QVariantList saveBoxConfigureFile(QString &path, QVariantMap data);
    QVariantList saveModuleConfigureFile(QString &path, QVariantMap data);
    // Connection XML: {"basicInfo", "displayArr"}. The open replaces the
    // in-memory basic information and displays (keyed by "display_idx") and
    // reports through sig_openDisplayFileIndex {"fileType": "xml", "result",
    // "filePath", "data"}. A save of a request without data writes the
    // in-memory data. The clear forgets the in-memory data and, given a path,
    // writes an empty connection file there.
    bool openDisplayConnectXMLFile(QString path);
    bool saveDisplayConnectXMLFile(QString path, QVariantMap data);
    bool clearDisplayConnectXMLFile(QString path);
    // HDR gamma table (.mif). The save takes "gammaTable" and "width" (bits,
    // default 16).
    QVariantList openHdrGammaFile(QString path);
    bool saveHdrGammaFile(QString path, QVariantMap data);
    // The gray table values (ints) of a gamma file of any kind (.mif, .dat,
    // .gamdat, .gam); with an empty path the chip family's default curve.
    QVariantList getGrayTable(QString chip, QString path);

    // Gamma files. saveGammaData takes the table from "gammaTable" (numbers
    // or point maps) and writes .gamdat as hexadecimal entries, anything else
    // as a .gam JSON file keeping the other parameters.
    QVariantList openGammaData(QString path);
    QVariantList openGammaCalibData(QString path);
    QVariantList openGamdatGammaData(QString path);
    QVariantList openLSGammaData(QString path);
    bool saveGammaData(QString path, QVariantMap data);
    bool saveGammaCalibData(QString path, QVariantMap data);

    // Chip gamma table builders: point maps {"x", "y"} of the family's curve
    // from the request keys "gamma", "bits", "maxGray", "points".
    QVariantList getICN2053Gamma(QVariantMap request);
    QVariantList getGamma_FM6363(QVariantMap request);
    QVariantList getGamma_FM6565(QVariantMap request);
    QVariantList getGamma_CNS7263(QVariantMap request);

    // In-memory display data.
    QVariantMap getBasicInfoData();
    void setBasicInfoData(QVariantMap data);
    // The data of one display (empty for an unknown index).
    QVariantMap getOneDisplayData(int index);
    void setOneDisplayData(int index, QVariantMap data);
    // isSet true: stores data as the display data of data["displayIndex"];
    // false: removes that display. False when "displayIndex" is missing or,
    // for a removal, unknown.
    bool operateDisplayData(bool isSet, QVariantMap data);
    // One map per known cabinet configuration: {"boxName", "boxId"} (boxId from
    // the configuration's "boxId", else its position).
    QVariantList getAllBoxNameId();
    QVariantMap getConnectBoxConfig(QString boxName);
    void setConnectBoxConfig(QString boxName, QVariantMap config);
    QVariantMap getModuleConfig(QString moduleName);
    void setModuleConfig(QString moduleName, QVariantMap config);
    void clearModuleConfig();
    QVariantMap getModuleFlashData();
    void setModuleFlashData(QVariantMap data);
    // Receiving-card replies collected by slot_dealData, oldest first (at most
    // recvMapLimit; the oldest go first).
    QVariantList getRecvMapList();
    void clearRecvMapList();
    // Sets the cabinet-file flag; returns the previous one as "true"/"false".
    QString setBoxFileFlag(bool flag);

    static constexpr int recvMapLimit = 4096;

public slots:
    // Every parsed device reply: maps whose "moduleName" starts with
    // "Module_Receiving" are appended to the received-map list.
    void slot_dealData(QVariantMap data);

signals:
    void sig_saveDisplayFile(bool isOk, bool DoNotrespond = false, QString operTime = QString());
    void sig_saveDisplayFileIndex(QVariantMap vMap);
    void sig_openDisplayFileIndex(QVariantMap vMap);
    void sig_readBackComplexFinish(bool isOk, QString uniqueId);

private:
    mutable std::mutex m_mutex;
    QVariantMap m_basicInfo;
    QMap<int, QVariantMap> m_displays;
    QMap<QString, QVariantMap> m_boxConfigs;
    QMap<QString, QVariantMap> m_moduleConfigs;
    QVariantMap m_moduleFlashData;
    QVariantList m_recvMaps;
    bool m_boxFileFlag = false;
};
