#pragma once
// Display and cabinet files, gamma files, and the display data they hold.
//
// The in-memory data (basic information, per-display data, cabinet and module
// configurations, module flash data, received receiving-card maps) is kept
// here and is safe to use from several threads. The file readers and writers
// do not know their formats yet: opens give empty results, saves give false
// (and report it through sig_saveDisplayFile), each with a log line.

#include <QMap>
#include <mutex>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class BLL_DataCenter_DisplayBoxFile : public QObject
{
    Q_OBJECT
public:
    explicit BLL_DataCenter_DisplayBoxFile(QObject *parent = nullptr);

    // Files (formats to come).
    QVariantList openDisplayBoxData(QString path);
    QVariantList openBoxData(QString path);
    void openComplexBoxData(QString path, bool superadditionFlag, bool doNotRespond);
    QVariantList openBasicParameterData(QString path, QVariantMap request);
    QVariantList openBoxConfigureData(QString path, QVariantMap request);
    bool openDisplayConnectXMLFile(QString path);
    QVariantList openHdrGammaFile(QString path);
    bool saveDisplayBoxData(QString path, QVariantMap data);
    bool saveComplexBoxData(QString path, QVariantMap data);
    QVariantList saveBoxConfigureFile(QString &path, QVariantMap data);
    QVariantList saveModuleConfigureFile(QString &path, QVariantMap data);
    bool saveDisplayConnectXMLFile(QString path, QVariantMap data);
    bool clearDisplayConnectXMLFile(QString path);
    QVariantList getGrayTable(QString chip, QString path);

    QVariantList openGammaData(QString path);
    QVariantList openGammaCalibData(QString path);
    QVariantList openGamdatGammaData(QString path);
    QVariantList openLSGammaData(QString path);
    bool saveGammaData(QString path, QVariantMap data);
    bool saveGammaCalibData(QString path, QVariantMap data);

    // Chip gamma table builders (tables to come).
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
