#pragma once
// The data center: device records, the data objects stored from commands and
// replies, and the file objects of the application.
//
// One static instance, m_instance (also instance()). Every member is safe to
// call from the interface thread and from the command pipeline's threads; no
// lock is held while a signal is emitted.
//
// Records. createDevice(guid, kind) makes the record of a link. A second
// create for the same guid starts that record over (kind set, scenes, stored
// objects and fields cleared) in the same object, so pointers handed out before
// stay valid. clearData() takes every record out; the emptied records are kept
// until the data center is destroyed for the same reason.
//
// Stored data. saveData(guid, data, key) keeps a clone of the data object on the
// record (see Bll_DataCenter_DeviceBase for keys and scenes); the caller keeps
// and deletes its own object. Read it back with getSavedData / getSavedDataMap /
// getSavedDataList or through the record's scene operations.
//
// Database operations (operateDatabase(op, path); path "" = the current file,
// a "file:" URL is turned into a local path):
//   0  open the database at path, creating file and tables when missing;
//   1  load every scene of the current device from it, then emit
//      sig_loadDatabaseEnd(0), or sig_loadDatabaseEnd(255) on failure;
//   2  save every scene of the current device into it (replacing what it held);
//   3  load only the live scene of the current device, then emit
//      sig_setNewDatacenterEnd() (no signal on failure).
// Every other op gives false.

#include "bll_datacenter_caluinterface.h"
#include "bll_datacenter_devicebase.h"
#include "bll_datacenter_displayboxfile.h"
#include "bll_datacenter_encryptfile.h"
#include "bll_datacenter_ethcameraipfile.h"
#include "bll_datacenter_processorfile.h"
#include "bll_datacenter_user.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>
#include <vector>

class Module_Base;

enum OperateResultType {
    OperateSuccess = 0,  // the object was stored
    OperateNullData = 1, // no data object was given
    OperateNoDevice = 2  // no record for the guid
};

class BLL_DataCenter_Desktop : public QObject
{
    Q_OBJECT
public:
    static BLL_DataCenter_Desktop m_instance;
    static BLL_DataCenter_Desktop *instance() { return &m_instance; }

    explicit BLL_DataCenter_Desktop(QObject *parent = nullptr);
    ~BLL_DataCenter_Desktop() override;

    // Records. An empty guid names the current device where noted.
    Bll_DataCenter_DeviceBase *createDevice(QString guid, int kind);
    Bll_DataCenter_DeviceBase *getDevice(QString guid); // null when absent; "" = current
    void setCurrentGuid(QString guid);
    QString getCurrentGuid();
    void setDeviceNetId(QString guid, QString netId); // "" = current; ignored when absent
    QString getDeviceNetId(QString guid);             // "" = current; "" when absent
    // One map per record, in creation order: guid, kind, name, ip, port, netId.
    QVariantList getDevicesList();
    // Takes every record out, forgets the current guid and the card port map.
    void clearData();

    // Keeps a clone of data on the record of guid ("" = current) under key.
    // Emits sig_saveState(stored, objects the record now holds, objects this
    // call stored: 1 or 0).
    OperateResultType saveData(QString guid, Module_Base const *data, QString key);
    std::shared_ptr<const Module_Base> getSavedData(QString guid, QString moduleName, QString key);
    QVariantMap getSavedDataMap(QString guid, QString moduleName, QString key);
    QList<std::shared_ptr<const Module_Base>> getSavedDataList(QString guid, QString key);

    // True while nothing was stored since the last database save or load
    // (and after clearData).
    bool getSaveFlag();

    // Records that card slot cardSlotNum holds a card with portNum output ports
    // of type cardType; negative slots or port counts are ignored.
    void setCardSlotPortNum(int cardSlotNum, int portNum, int cardType);
    // {"<slot>": {"cardSlotNum", "portNum", "cardType"}}.
    QVariantMap getCardPortMap();

    bool operateDatabase(int op, QString path);

    BLL_DataCenter_User &user() { return m_user; }
    BLL_DataCenter_DisplayBoxFile &displayBoxFile() { return m_displayBoxFile; }
    BLL_DataCenter_ProcessorFile &processorFile() { return m_processorFile; }
    BLL_DataCenter_EncryptFile &encryptFile() { return m_encryptFile; }
    BLL_DataCenter_CaluInterface &caluInterface() { return m_caluInterface; }
    BLL_DataCenter_ETHCameraIPFile &ethCameraIPFile() { return m_ethCameraIPFile; }

signals:
    void sig_saveState(bool isSave, int allSize, int currSize);
    void sig_setNewDatacenterEnd();
    void sig_loadDatabaseEnd(int flag);

private:
    std::shared_ptr<Bll_DataCenter_DeviceBase> findDevice(const QString &guid) const;
    bool loadScenes(const QString &path, bool liveSceneOnly);
    bool saveScenes(const QString &path);
    static QString localPath(const QString &path);

    mutable std::mutex m_mutex;
    QMap<QString, std::shared_ptr<Bll_DataCenter_DeviceBase>> m_devices;
    QStringList m_deviceOrder;
    std::vector<std::shared_ptr<Bll_DataCenter_DeviceBase>> m_retired;
    QString m_currentGuid;
    QMap<int, QVariantMap> m_cardPorts;
    bool m_saveFlag = true;

    BLL_DataCenter_User m_user;
    BLL_DataCenter_DisplayBoxFile m_displayBoxFile;
    BLL_DataCenter_ProcessorFile m_processorFile;
    BLL_DataCenter_EncryptFile m_encryptFile;
    BLL_DataCenter_CaluInterface m_caluInterface;
    BLL_DataCenter_ETHCameraIPFile m_ethCameraIPFile;
};
