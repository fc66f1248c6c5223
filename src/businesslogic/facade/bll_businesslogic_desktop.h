#pragma once
// The facade of the business-logic library: the one object the user interface
// talks to.
//
// A process-wide single instance, built when the library is loaded. It owns the
// worker objects (pipeline, echo manager, subtitle sender, large-package handler,
// preset handler, sending-card logic, colorimeter link), relays the signals of the
// link manager and the data center, and forwards each request to the object that
// serves it. Device discovery and connections are its own work.

#include "bll_businesslogic_bigpackage.h"
#include "bll_businesslogic_echomanagement.h"
#include "bll_businesslogic_localpreinstall.h"
#include "bll_businesslogic_modulethread.h"
#include "bll_businesslogic_sendbmpfilethread.h"
#include "bll_businesslogic_sendcardpackage.h"
#include "bll_colorimeter_link.h"
#include "desktopinfo.h"
#include "localaddress.h"
#include "spectrallocus.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

class BLL_BusinessLogic_Server;
class BLL_CommunicationServer_Desktop;
class QHostAddress;
class Module_Base;
class Module_ProtocolBase;
class Module_SendCard_Protocol;

class BLL_BusinessLogic_Desktop : public QObject
{
    Q_OBJECT
public:
    static BLL_BusinessLogic_Desktop *instance();
    ~BLL_BusinessLogic_Desktop() override;

    BLL_BusinessLogic_Desktop(const BLL_BusinessLogic_Desktop &) = delete;
    BLL_BusinessLogic_Desktop &operator=(const BLL_BusinessLogic_Desktop &) = delete;

    // ---- member objects, for callers that use them directly ----------------------------
    BLL_BusinessLogic_ModuleThread &moduleThread() { return m_moduleThread; }
    BLL_BusinessLogic_EchoManagement &echoManagement() { return m_echoManagement; }
    BLL_BusinessLogic_SendBMPFileThread &sendBMPFileThread() { return m_sendBMPFileThread; }
    BLL_BusinessLogic_BigPackage &bigPackage() { return m_bigPackage; }
    BLL_BusinessLogic_LocalPreinstall &localPreinstall() { return m_localPreinstall; }
    BLL_BusinessLogic_SendCardPackage &sendCardPackage() { return m_sendCardPackage; }
    BLL_Colorimeter_Link &colorimeterLink() { return m_colorimeterLink; }

    // ---- small operations of the facade ------------------------------------------------
    // Stops the pipeline's threads, closes every echo receiver, clears the data center.
    void clearData();
    // Byte `index` of `value`, most significant first (0: bits 24-31 ... 3: bits 0-7);
    // 0 for any other index.
    static unsigned char getChar(int value, int index);
    // Fill a data object's members from a map by the object's reflection tables.
    // fillModuleNew also knows "unsigned long", "long", byte arrays, lists and maps.
    bool fillModule(Module_Base *module, const QVariantMap &map);
    bool fillModuleNew(Module_Base *module, const QVariantMap &map);
    QVariantMap parseLsDll(const QVariantMap &map);
    void sendAdjustFile(QString path);
    void sendCalibData(const QVariantMap &map);
    // FLS_MSB of a receiving-card upgrade file; 0 when it cannot be read.
    int updataFileFLS_MSB(QString path);

    // ---- device discovery and connection -------------------------------------------------
    void searchDevices(QString ip, unsigned short port);
    void searchKP7720Devices(QString ip, unsigned short port);
    void connectSendCard(QString ip, unsigned short port, QString name);
    void connectUsbSendCard(QString serialNumber);
    void connectComPortSendCard(QString portName);
    // The same at another rate than the controllers' usual 115200 baud.
    void connectComPortSendCard(QString portName, int baudRate);
    QString getDevicesGuid(QString ip, unsigned short port);
    QString getUsbDevicesGuid(QString serialNumber);
    QString getComDevicesGuid(QString portName);
    void createDevices(QString type, QString guid, QString ip, unsigned short port);
    void getUSBSerialNumber();
    void getComPort();
    QString getLocalAddress();
    QVariantMap readSearchConfigFile();
    void saveSearchConfigFile(QVariantMap map);

    // ---- link manager ----------------------------------------------------------------
    void clearCmdQueue(QString guid);
    int getCmdQueueCount(QString guid);
    void stopConnect(QString guid);
    void releaseCommunicateObject(QString guid);
    void saveGroupInfo(QVariantList groups, QString guid);
    QStringList findSameGroupDev(QString guid);
    void setDebugMessage(bool enabled, QString guid);

    // ---- files and settings ------------------------------------------------------------
    QVariantList saveOrOpenDisplayBoxFile(QVariantMap request);
    QVariantList saveOrOpenGammaFile(QVariantMap request);
    QVariantList saveOrOpenEncryptFile(QVariantMap request);
    QVariantMap saveOrOpenProcessorConfigFile(QVariantMap request);
    QVariantList saveOrOpenGamutConfigFile(QVariantMap request);
    QVariantMap saveOrOpenGamutCfgFile(QVariantMap request);
    QVariantMap ETHFileOperation(QVariantMap request);
    QVariant getJsonData(QString path);
    QVariantMap getDisPlayDataJson(QString path);
    QVariant getAkeyScreenJson(QString path);
    QString getAkeyScreenStr(QString path);
    void saveJsonData(QVariantMap map, QString path);
    qint64 setAkeyScreenJson(QString path, QVariantMap map);
    QVariantList getAkeyScreenFileDir(QString path);
    QVariant getFanCrtlJson();
    void setFanCrtlJson(QVariantMap map);
    QVariant getMoniJson();
    void setMoniJson(QVariantMap map);
    void writeDebugListToTxt(QVariantList list, QString path);
    void writeDebugMapToFile(QVariantMap map, QString path);
    void getFileDir(QString path, QVariantList &out);
    void clearDir(QString path);
    quint32 getFileSize(QString path);
    QString getDateTimeString(int type);
    QVariantList setGamma(QVariantMap request);
    QVariantList fromLibGetGammaTab(QVariantMap request);
    void exportConnectDisplayData(QVariantMap request);

    // ---- colour gamut ----------------------------------------------------------------
    QVariantMap GamutParam(QVariantMap request);
    bool openGamutConfigFile(QVariantMap request);

    // ---- users, timetables, scenes, desktop ---------------------------------------------
    QVariantMap userOperation(QVariantMap request);
    QVariantList timeTableOperation(int op, QVariantMap request);
    QVariantList getSceneList();
    QString getCurrentSceneId();
    void setCurrentSceneId(const QString &sceneId);
    QVariantMap getDataFromScene(int type, QString sceneId, QString moduleName);
    QVariantList getDataListFromScene(int type, QString sceneId);
    QString addPreinstall(QString sourceSceneId);
    void removePreinstall(QString sceneId);
    QString getCurrentDesktopInfo(double x, double y);

    // ---- server bridge -------------------------------------------------------------------
    // Creates the bridge once and starts its server on 127.0.0.1 and the server's
    // default port; later calls change nothing.
    void startListenServer();
    // The same at a chosen address and port (0: a free port); true while listening.
    bool startListenServer(const QHostAddress &address, quint16 port);
    // The bridge's server, null before the first startListenServer.
    BLL_CommunicationServer_Desktop *listenServer();

    // ---- data center and its file objects ---------------------------------------------------
    QVariantList getDevicesList();
    bool getSavedFlag();
    void setCardSlotPortNum(int cardSlotNum, int portNum, int cardType);
    bool operateDatabase(int op, QString path);
    QString getFilePath();
    QVariantMap getBasicInfoData();
    void setBasicInfoData(QVariantMap map);
    QVariantMap getOneDisplayData(int index);
    void setOneDisplayData(int index, QVariantMap map);
    bool operateDisplayData(bool isSet, QVariantMap map);
    QVariantList getAllBoxNameId();
    QVariantMap getConnectBoxConfig(QString boxName);
    QVariantMap getModuleConfig(QString moduleName);
    void clearModuleConfig();
    QVariantMap getModuleFlashData();
    void setModuleFlashData(QVariantMap map);
    QVariantList getRecvMapList();
    void clearRecvMapList();
    bool clearDisplayConnectXMLFile(QString path);
    QString setBoxFileFlag(bool flag);
    QVariantList getGrayTable(QString chip, QString path);
    qint64 CaluCHECK_SUM(QString bytes, qint64 length);
    qint64 CaluREGValue(QString field, qint64 regValue, qint64 fieldValue, qint64 width);
    qint64 getParamValue(QString field, qint64 regValue, qint64 width);

    // ---- colorimeter -------------------------------------------------------------------
    void setColorimeterCommand(QVariantMap map);

    // ---- sending-card logic ----------------------------------------------------------------
    bool setAllSCDisplayMap(QString ip);
    bool connectDisplayDataFormatConv(int mode);
    Q_INVOKABLE bool complexDisplayDataFormatConv(int mode);
    QVariantMap getComplexConnectDisplayData();
    QVariantList openConnectDisplayData(bool isComplex);
    bool saveConnectDisplayData(QVariantMap map);
    Q_INVOKABLE bool saveComplexConnectDisplayData(QVariantMap map);
    bool sendConnectDisplayDataToDevice(QVariantMap params);
    Q_INVOKABLE bool sendComplexDisplayDataToDevice(QVariantMap params);
    bool parseConnectDisplayDataFromDevice(bool isComplex);
    void readConnectDisplayDataToDevice(QVariantMap params);
    void readHardwareConnectDisplayDataToDevice(QVariantMap params);
    void emitRecvAllBox();
    bool getRecvAllBox();
    void saveRecvAllBox();
    QVariantMap selectEdidData(QVariantMap params);
    QVariantMap selectRecvCardTab();
    QVariantMap selectRecvCardFun(QVariantMap params);
    void sendStoredImagesData(QString path, QVariantMap params, bool flag);
    bool setMultiwindow(QMap<QString, QVariant> params);
    bool setDiffWHMultiwindow(QMap<QString, QVariant> params);
    QMap<QString, QVariant> setAllMultiWindow(QMap<QString, QVariant> params);
    Q_INVOKABLE QMap<QString, QVariant> setComplexScreenWindow(QMap<QString, QVariant> params);
    bool sendRedundancyData(QMap<QString, QVariant> params);
    void setAdjustParaMap(QVariantMap params);
    bool checkAdjustFile(QString path);
    void setAdjustPath(QString path, QVariantMap params);
    void startSendPointAdjustThread(QByteArray &data, QVariantMap params);
    void operationAdjustDB(QVariantMap request);
    int checkReceFileHead(QString path, QMap<QString, QVariant> map);
    int packageReceFileHead(QString path, QMap<QString, QVariant> map);
    QVariantMap getReceFileInfo(QString path);
    QVariantMap getReceFile_MCUInfo(QString path);
    bool isReceFile(QString path);
    void clearRecvUpdateData();
    void f_sendRecvNum(QVariantMap map);
    void f_sendScreenResoUDisk(QVariantMap map);
    void f_sendUsedPortPrimaryOutput(QVariantMap map);

    // The map that slot_timeoutCmd reports for a timed-out sending-card frame.
    static QVariantMap timeoutCmdMap(const Module_SendCard_Protocol &frame);

    // ---- seams for tests and the demo ------------------------------------------------
    // The interfaces that getLocalAddress() walks (the system's by default). Tests
    // and the demo inject a list whose broadcast address is on loopback, so that
    // searches never leave the machine. An empty function restores the default.
    void setNetworkInterfaceProvider(std::function<ledwall::NetworkInterfaceList()> provider);
    // The screens that getCurrentDesktopInfo() walks (the application's by default).
    void setScreenProvider(std::function<ledwall::ScreenAreaList()> provider);
    // Where the search settings file lives: <application directory>/ConfigData/
    // ConfigurationFile/searchFile.txt.
    static QString searchConfigFilePath();

signals:
    void sig_newDevices(QString guid, QString type);
    void sig_usbSerialNumber(QString serialStr);
    void sig_comPort(QString comStr);
    void sig_devicesModuleData(QVariantMap moduleData);
    void sig_saveState(bool isSave, int allSize, int currSize);
    void sig_setNewDatacenterEnd();
    void sig_loadDatabaseEnd(int flag);
    void loadDatabase();
    void sig_saveDisplayFileIndex(QVariantMap vMap);
    void sig_openDisplayFileIndex(QVariantMap vMap);
    void sig_saveDisplayFile(bool isOk, bool DoNotrespond = false, QString operTime = QString());
    void sig_readBackComplexFinish(bool isOk, QString uniqueId);
    void sig_readDevData(QVariantMap dataMap);
    void sig_openProcessorFile(QVariantMap vMap);
    void sig_saveProcessorFileIndex(QVariantMap vMap);
    void sig_saveProcessorFile(bool isOk);
    void sig_serverRecv(QVariantMap vMap);
    void sig_recvCalibData(QVariantMap vMap);
    void sig_getScreenBoxWh(QVariantMap vMap);
    void sig_sndScreenWh(int, int);
    void sig_TalkToUI(QVariantMap vMap);
    void sig_timeoutCmd(QVariantMap vMap);

public slots:
    void slot_talkToUI(QVariantMap pMap);
    // A command that got no reply. Only sending-card frames are reported; the link
    // manager owns the frame and deletes it after the emission.
    void slot_timeoutCmd(QString guid, Module_ProtocolBase *cmd);
    void slot_sndScreenWh(int width, int height);

private:
    explicit BLL_BusinessLogic_Desktop(QObject *parent = nullptr);

    // Connects the link manager's signals, once for the facade's lifetime.
    void connectLinkSignals();
    // The relays of a device search and of a port listing; each exists at most once.
    void connectSearchRelays();
    void connectListingRelays();
    void connectDisplayFileRelays();
    // A search link of one of the two search operations.
    void openSearchLink(QString &rememberedGuid, const QString &name, const QString &type,
                        const QString &callerIp, unsigned short port);
    // Record, current guid, name, address, net id and time-out flag of a newly
    // opened sending-card link.
    void registerOpenedLink(const QString &guid, const QString &name, const QString &ip,
                            unsigned short port, bool withAddress);

    // Loads the spectral locus table once; false while it cannot be read.
    bool loadGamutTable();

    static BLL_BusinessLogic_Desktop m_instance;

    BLL_BusinessLogic_ModuleThread m_moduleThread;
    BLL_BusinessLogic_EchoManagement m_echoManagement;
    BLL_BusinessLogic_SendBMPFileThread m_sendBMPFileThread;
    BLL_BusinessLogic_BigPackage m_bigPackage;
    BLL_BusinessLogic_LocalPreinstall m_localPreinstall;
    BLL_BusinessLogic_SendCardPackage m_sendCardPackage;
    BLL_Colorimeter_Link m_colorimeterLink;
    bool netConnected = false;
    bool portConnected = false;
    bool firstLink = true;
    QVariantList m_gamutTableList;
    BLL_BusinessLogic_Server *m_server = nullptr;

    // The last search link of searchDevices and of searchKP7720Devices.
    QString m_searchGuid;
    QString m_kp7720SearchGuid;

    std::function<ledwall::NetworkInterfaceList()> m_networkInterfaceProvider;
    std::function<ledwall::ScreenAreaList()> m_screenProvider;
    ledwall::SpectralLocus m_spectralLocus; // m_gamutTableList as points, for the check
};
