#pragma once
// The sending card's business logic: screen topology, display read-back, window
// registers, calibration transfer, receiving-card firmware files.
//
// This is the shell the facade owns, forwards to and wires: every operation the
// facade forwards is here with its final signature. The small bookkeeping
// operations work; the device operations arrive with their features and until then
// return their neutral result.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// Result of the receiving-card upgrade file checks; the values are part of the
// library's interface.
enum UpdateReceCardErrorType {
    ReceFileNoError = 0,
    ReceFileHeadFlagError = 1,
    ReceFileCardTypeError = 2,
    ReceFileDriveTypeError = 3,
    ReceFileVersionError = 5,
    ReceFileLengthError = 6,
    ReceFileCrcError = 7,
    ReceFileOpenError = 9
};

class BLL_BusinessLogic_SendCardPackage : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_SendCardPackage(QObject *parent = nullptr);
    ~BLL_BusinessLogic_SendCardPackage() override;

    // -- cabinets and display read-back --
    bool setAllSCDisplayMap(QString ip);
    void emitRecvAllBox();
    bool getRecvAllBox();
    void saveRecvAllBox();
    void clearBoxXYWHList();
    void setGetWidthHeightFlag(bool flag);

    // -- connection-display data --
    bool connectDisplayDataFormatConv(int mode);
    bool complexDisplayDataFormatConv(int mode);
    QVariantMap getComplexConnectDisplayData();
    QVariantList openConnectDisplayData(bool isComplex);
    bool saveConnectDisplayData(QVariantMap map);
    bool saveComplexConnectDisplayData(QVariantMap map);

    // -- display data transfer --
    bool sendConnectDisplayDataToDevice(QVariantMap params);
    bool sendComplexDisplayDataToDevice(QVariantMap params);
    bool parseConnectDisplayDataFromDevice(bool isComplex);
    void readConnectDisplayDataToDevice(QVariantMap params);
    void readHardwareConnectDisplayDataToDevice(QVariantMap params);
    QVariantMap getVLastAddrMap();

    // -- EDID timings, card function tables, stored images --
    QVariantMap selectEdidData(QVariantMap params);
    QVariantMap selectRecvCardTab();
    QVariantMap selectRecvCardFun(QVariantMap params);
    void sendStoredImagesData(QString path, QVariantMap params, bool flag);

    // -- output windows --
    bool setMultiwindow(QMap<QString, QVariant> params);
    bool setDiffWHMultiwindow(QMap<QString, QVariant> params);
    QMap<QString, QVariant> setAllMultiWindow(QMap<QString, QVariant> params);
    QMap<QString, QVariant> setComplexScreenWindow(QMap<QString, QVariant> params);
    bool sendRedundancyData(QMap<QString, QVariant> params);

    // -- calibration --
    void setAdjustParaMap(QVariantMap params);
    bool checkAdjustFile(QString path);
    void setAdjustPath(QString path, QVariantMap params);
    void startSendPointAdjustThread(QByteArray &data, QVariantMap params);
    void operationAdjustDB(QVariantMap request);
    void resetFilePos(int);

    // -- receiving-card upgrade files --
    UpdateReceCardErrorType checkReceFileHead(QString path, QMap<QString, QVariant> map);
    UpdateReceCardErrorType packageReceFileHead(QString path, QMap<QString, QVariant> map);
    QVariantMap getReceFileInfo(QString path);
    QVariantMap getReceFile_MCUInfo(QString path);
    bool isReceFile(QString path);
    void clearRecvUpdateData();

    // -- card information blocks (U-disk image) --
    void f_sendRecvNum(QVariantMap map);
    void f_sendScreenResoUDisk(QVariantMap map);
    void f_sendUsedPortPrimaryOutput(QVariantMap map);

signals:
    void recvAllBox(QVariantList boxList);
    void sig_readDevData(QVariantMap dataMap);
    void sig_displayOperation(int mode);
    void sig_sndScreenWh(int width, int height);

private slots:
    // Module replies of the device links (the facade's sig_devicesModuleData).
    void slot_dealData(QVariantMap reply);

private:
    QVariantMap m_displayMap;
    QVariantMap m_adjustParaMap;
    QVariantList vBoxXYWHList;
    QVariantMap m_connectDisplayMap;
    QVariantMap m_allSCDisplayMap;
    QByteArray recvUpdateData;
    QVariantMap m_complexDisplayMap;
    bool m_getWidthHeightFlag = false;
};
