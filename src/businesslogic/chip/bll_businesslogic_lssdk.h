#pragma once
// Driver-chip parameters: the layer over the chip configuration library.
//
// The user interface creates one object, selects a driver chip and a row-decode
// mode, and exchanges parameter maps with it: init loads the library for the chip,
// getParam reads every parameter, configureParam writes one control, and the
// buffer operations move the chip's register image to and from text and files and
// generate the data files the cabinet hardware loads. The library holds the chip
// state; this object holds the selection and the last result map, which every
// operation fills (keys of earlier operations stay until clearData).
//
// All calls of one object come from one thread at a time. The buffer load runs on
// a worker thread of the object (joined when it is destroyed) and reports
// "Module_loadBuffToSdk" through the facade's sig_devicesModuleData; the interface
// waits for it before using the object again.

#include "workerthreads.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

class BLL_BusinessLogic_LSSDK : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_LSSDK(QObject *parent = nullptr);
    ~BLL_BusinessLogic_LSSDK() override;

    // Selection.
    void getDriverChipId(const QString &name);
    void getDecodeModeId(int index);
    void getDriverAndDecodeId(const QMap<QString, QVariant> &map);
    int driverChipId() const { return m_driverChipId; }
    int decodeModeId() const { return m_decodeModeId; }

    void init(QMap<QString, QVariant> map);
    QMap<QString, QVariant> configureParam(QMap<QString, QVariant> map);
    QMap<QString, QVariant> getParam(QMap<QString, QVariant> map);
    void f_getVerion();
    static QString f_GetChipModeString(int mode);
    QString getDocumentPath();
    // Points the generated files at `path` (created with its backup folder);
    // false when it cannot be created.
    bool setDocumentPath(const QString &path);
    void clearData();
    // Converts a text in the system's multibyte code page to wide characters,
    // terminator included; `wideText` must hold strlen(text) + 1 characters.
    static void CharToWChar(const char *text, wchar_t *wideText);
    void f_OnBnClickedButtonDefault3() {}
    QMap<QString, QVariant> paramMap() const { return m_paramMap; }

    // Fetches (fill the result map; they only insert keys).
    void f_FetchPara();
    void f_FetchPara_9937();
    void f_GetParaRange();
    int f_GetThreePara();
    void getRefreshRate();
    void getRefreshRate2();
    void f_ShiftClock();
    void f_ShiftClockNew();
    void getGclkDataclock();
    void getGammaSomeParam();
    void getGammaSomeParamNew();
    void getGammaSomeParamNew2();
    void getPhase9929();
    void f_getErrorParam();
    void f_getOELoLevelParam();
    void f_IDC_CHECK3();
    void f_OnCbnSelchangeComboGrayad();
    void f_OnCbnSelchangeComboLeakage();
    void parseParam();
    void parseBasicParam();
    void parseCommonModeParam();
    void parseAdvanceModeParam();

    // Setters.
    void setBasicParam(const QMap<QString, QVariant> &map);
    void setCommonParam(const QMap<QString, QVariant> &map);
    void setAdvanceParam(const QMap<QString, QVariant> &map);
    void setParamNew(const QMap<QString, QVariant> &map);
    void setPtrSet();
    void setFlashIndex();
    void getDefaultParam(int index);
    void setSmartSetFirstStep(const QMap<QString, QVariant> &map);
    void setOpenBoxFile(const QMap<QString, QVariant> &map);

    // Register image and data files.
    void loadBuffToSDK(QMap<QString, QVariant> map);
    void loadBuffToSDKThread(QMap<QString, QVariant> map);
    QMap<QString, QVariant> getSDKToBuff();
    QMap<QString, QVariant> saveSDKToBuff(QMap<QString, QVariant> map);
    void genDataFile(int flag);
    void genDataFile9832(int flag);
    // Writes the data files of the generated blocks (lengths from the library).
    bool genData(unsigned char *buffer, int flag);
    QByteArray getLSFileData(const QString &path, int mode, int width);
    QList<QString> getLsGamma(const QString &chipName);
    static QString f_setRegisterLen(int byte);
    static unsigned char getChar(unsigned int value, int index);

private:
    // Fetch steps shared by the full, partial and grouped fetches.
    void fetchKeys(std::initializer_list<const char *> keys);
    void fetchGroup(std::initializer_list<const char *> keys);
    void fetchStartRefreshList();
    void fetchHighBitsList(bool writeBack);
    // Writes a generated file (old one backed up first); false on failure.
    bool writeDataFile(const QString &name, const QByteArray &text);
    bool writeBitTable(bool withControlFile);

    int m_driverChipId = 4;
    int m_decodeModeId = 0;
    int m_bufferLength = 0;
    QMap<QString, QVariant> m_paramMap;
    QString m_documentPath;
    WorkerThreads m_workers;
};
