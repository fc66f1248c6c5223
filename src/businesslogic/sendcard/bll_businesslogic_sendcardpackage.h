#pragma once
// The sending card's business logic: screen topology, display read-back, window
// registers, calibration transfer, receiving-card firmware files.
//
// The facade owns one, forwards to it and feeds its replies to slot_dealData. Long
// operations run on worker threads that the object joins before it goes away; the
// operations of each area live in their own sendcardpackage_*.cpp.

#include "flashaccessdescriptor.h"
#include "guarded.h"
#include "pendingacknowledgements.h"
#include "upgradefile.h"
#include "workerthreads.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class Module_SendCard_Protocol;

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
    // Cabinet rectangles of the read-back display registers (also fills
    // vBoxXYWHList and emits recvAllBox).
    QVariantList parseDisplayData();
    // Reports the extent of the cabinet rectangles through sig_sndScreenWh.
    void sendScreenWh(QVariantList boxList);

    // -- connection-display data --
    bool connectDisplayDataFormatConv(int mode);
    bool complexDisplayDataFormatConv(int mode);
    QVariantMap getComplexConnectDisplayData();
    QVariantList openConnectDisplayData(bool isComplex);
    bool saveConnectDisplayData(QVariantMap map);
    bool saveComplexConnectDisplayData(QVariantMap map);

    // -- display data transfer --
    // True when the record was handed to the block write. The card confirms it
    // later: sig_readDevData {"displayRecordWritten": true, "isComplex"} once every
    // chunk is acknowledged, or {"displayRecordWritten": false, "isComplex",
    // "m_regAddr": the chunk's address, "error"} when a chunk times out or is
    // refused.
    bool sendConnectDisplayDataToDevice(QVariantMap params);
    bool sendComplexDisplayDataToDevice(QVariantMap params);
    bool parseConnectDisplayDataFromDevice(bool isComplex);
    // Reads the display record block by block; a block without an answer is asked
    // again twice. sig_readDevData {"addr": the last block} once every block is in,
    // or {"displayRecordRead": false, "m_regAddr": the block, "error"} when one
    // never came.
    void readConnectDisplayDataToDevice(QVariantMap params);
    // Reads the port table of "EthNum" ports (asked again twice without an answer)
    // and rebuilds the topology: sig_readDevData {"addr": the table's address,
    // "result", "overLape", "overlappingEthPort"}, with "error" when the read was
    // refused, never answered, or the table not rebuilt.
    void readHardwareConnectDisplayDataToDevice(QVariantMap params);
    QVariantMap getVLastAddrMap();

    // -- EDID timings, card function tables, stored images --
    QVariantMap selectEdidData(QVariantMap params);
    QVariantMap selectRecvCardTab();
    QVariantMap selectRecvCardFun(QVariantMap params);
    // Puts the picture at path into the receiving cards on a worker thread: params
    // "guid", "screenEffects" (0: canvas of the whole screen, else "width" x
    // "height"), "imageEffects" (0 scale, 1 tile, 2 centre), "m_cardSlotNum" and
    // "m_portNum"; flag false broadcasts the canvas, true writes each cabinet its
    // part. Ends with sig_readDevData {"storedImaDataSize", "result", and the
    // last-address keys when something was written}.
    void sendStoredImagesData(QString path, QVariantMap params, bool flag);

    // -- output windows --
    // The four computations turn the layout the object holds into windows per
    // output port and write the ports' pages into the card's register banks (into
    // the U-disk image with "isSaveUDisk"). true, or "result" true, means every page
    // was built and handed to the card write; false, or "result" false with
    // "error", that the request or the layout was refused or a page could not be
    // built (nothing is written for a refused layout). The card confirms the writes
    // later: sig_readDevData {"windowsWritten": true} once it has acknowledged every
    // page written since the operation began (redundancy writes included), or
    // {"windowsWritten": false, "m_regAddr": the page's address, "error"} as soon as
    // one times out or is refused.
    bool setMultiwindow(QMap<QString, QVariant> params);
    bool setDiffWHMultiwindow(QMap<QString, QVariant> params);
    QMap<QString, QVariant> setAllMultiWindow(QMap<QString, QVariant> params);
    QMap<QString, QVariant> setComplexScreenWindow(QMap<QString, QVariant> params);
    // The windows of the last computation: per used port {"port", "offset": {"x",
    // "y", "width", "height"}, "windows": [window maps]}.
    QVariantList lastPortWindows() const { return m_lastPortWindows; }
    // The image-window page of one port (1024 bytes); empty when the port has more
    // windows than a page holds.
    QByteArray fillPxImageMemory(int offsetX, int offsetY, QMap<QString, QVariant> netOffsetMap,
                                 QList<QVariant> windows, int netNum,
                                 QMap<QString, QVariant> empMap, bool addOffset);
    // Writers of the port pages. Ports are the per-port maps "minX", "minY",
    // "maxWidth", "maxHeight" (and "offsetminX", "offsetminY"); a port whose
    // maximum edge equals maxUnused or whose minimum edge equals minUnused is not in
    // use and is skipped. Addresses advance with the port index all the same.
    using PortMaps = QVector<QHash<QString, QVariant>>;
    // One page per used port holding the port's box cut into slices of 2048 at most.
    bool setAllPxImageWindow(int maxUnused, int minUnused, const PortMaps &ports, QString scType,
                             QMap<QString, QVariant> leftEmpObj);
    // Box positions per port: box index to the box's canvas rectangle (QRect).
    // Returns what the card write returned for the last port page (0: none).
    quint32 setAllPxBoxPosition(int maxUnused, int minUnused, const PortMaps &ports,
                                const QVector<QMap<int, QVariant>> &boxes, QString scType);
    void sendAllDVIOffset(int maxUnused, int minUnused, const PortMaps &ports, QString scType);
    void sendAllDVIOffset(int x, int y, int w, int h, QString scType);
    // Complex screen: windows are relative to their port's corner, as computed.
    bool setComplexPxImageWindow(int maxUnused, int minUnused, const PortMaps &ports,
                                 const QVector<QList<QVariant>> &windows, bool curing);
    bool setAllComplexPxImageWindow(int maxUnused, int minUnused, const PortMaps &ports,
                                    bool curing);
    void setAllComplexPxBoxPosition(int maxUnused, int minUnused, const PortMaps &ports,
                                    const QVector<QMap<int, QVariant>> &boxes, bool curing);
    void sendAllComplexDVIOffset(int maxUnused, int minUnused, const PortMaps &ports, bool curing);
    void sendAllComplexDVIOffset(int x, int y, int w, int h, bool curing);

    // -- output port redundancy --
    // Makes each backup port of "redundancyArr" a copy of its primary and writes
    // both port roles. false when an entry could not be copied (its primary port
    // outside the stored pages, a page missing); the other entries are written.
    bool sendRedundancyData(QMap<QString, QVariant> params);
    // The box-position page with its used entries in reverse order.
    QByteArray receivePosMirrorImage(QByteArray page, QString primaryIp, int primaryPort);
    void setIpBoxNumMap(QString ip, QList<QVariant> boxList);

    // -- window dump --
    // Writes data as hex, one 4-byte entry a line, into "1.txt", "2.txt" or "3.txt"
    // of the database folder; false for another number or when the file cannot be
    // opened.
    bool outScreenOffset(QByteArray *data, int fileNo);

    // -- calibration (calibration/sendcardpackage_calibration*.cpp) --
    void setAdjustParaMap(QVariantMap params);
    bool checkAdjustFile(QString path);
    // True when the file at the calibration path is not plain calibration text.
    bool judgeEncrypt();
    // Reads the calibration file once and writes each cabinet of vBoxXYWHList its
    // pixels (truncated scaling). False when the file could not be read or was
    // malformed, or a write was refused.
    bool getAdjustData();
    // Calibration text in memory: "x,y" -> the pixel's packed bytes.
    QHash<QString, QVariant> getAdjustDataByteArr(int width, int height, QByteArray text);
    // The whole calibration file packed in file order; empty on any failure.
    QByteArray getDisplayAdjustDataByteArr(int width, int height);
    // The per-pixel records of the last matrix packing (low byte of y, 11 x 0xFF).
    QByteArray adjustCompanionData() const;
    // Stores the calibration path without sending (the tool packs files with it).
    void setAdjustFile(QString path) { m_adjustPath = path; }
    // The cabinet rectangles "port:card:x:y:w:h" that the calibration is cut by,
    // as the display read-back would leave them.
    void setBoxXYWHList(const QVariantList &boxList) { vBoxXYWHList = boxList; }
    void setAdjustPath(QString path, QVariantMap params);
    void startSendPointAdjustThread(QByteArray &data, QVariantMap params);
    // Index of calibration files; answers through sig_readDevData.
    void operationAdjustDB(QVariantMap request);
    // The index file, "adjustDB.db" in the current directory unless set here.
    void setAdjustDatabasePath(const QString &path) { m_adjustDatabasePath = path; }
    void resetFilePos(int);
    // Transfers; they run on the caller's thread and report through sig_readDevData.
    void sendAdjustDataWithReceive(QVariantMap params);
    void sendTopologyAdjustData(QVariantMap params);
    void sendRepairSeamData(int port, int card, QByteArray data, QVariantMap params);

    // -- receiving-card upgrade files --
    UpdateReceCardErrorType checkReceFileHead(QString path, QMap<QString, QVariant> map);
    UpdateReceCardErrorType packageReceFileHead(QString path, QMap<QString, QVariant> map);
    QVariantMap getReceFileInfo(QString path);
    QVariantMap getReceFile_MCUInfo(QString path);
    bool isReceFile(QString path);
    void clearRecvUpdateData();
    // Takes a flash image as if it had been read back from a card (an image kept
    // on disk, a tool packaging one).
    void loadRecvUpdateData(const QByteArray &image) { recvUpdateData = image; }

    // -- checksums --
    static quint32 chksum_crc32(QByteArray data, unsigned end, int start);
    static quint16 chksum_crc16(const void *data, unsigned length);
    static quint8 chksum_header(QByteArray data, int length);
    static quint16 chkUsbSum_header(QByteArray data);

    // -- card information blocks (U-disk image) --
    void f_sendRecvNum(QVariantMap map);
    void f_sendScreenResoUDisk(QVariantMap map);
    void f_sendUsedPortPrimaryOutput(QVariantMap map);
    // -- card information blocks --
    // Block transfers with the flash access descriptor. They block the calling
    // thread during the flash pacing; acknowledgements arrive through
    // slot_dealData, so a transfer that waits for them runs on a worker thread.
    quint32 writeSendCardInfo(QString guid, QByteArray data, int chunkSize, int timeout);
    quint32 writeRecvCardInfo(QString guid, QByteArray data, int chunkSize, int timeout,
                              bool withAck);
    void writeRecvCardFlashInfo(QString guid, QByteArray data);
    void readSendCardInfo(QString guid, int timeout);
    void readRecvCardInfo(QString guid, int timeout);
    // Appends the protocol object's current frame to the U-disk image.
    void saveUsbFlashFile();
    QByteArray usbFlashData() const { return m_usbFlashData; }
    int usbFlashDataNum() const { return m_usbFlashDataNum; }
    void clearUsbFlashData();
    // U-disk mode: frames go to the U-disk image instead of the link, unpaced.
    // The entry points set it for their one block.
    void setUDiskMode(bool on) { m_uDiskMode = on; }
    FlashAccessDescriptor flashAccessDescriptor() const { return m_flashAccess; }
    void setFlashAccessDescriptor(const FlashAccessDescriptor &descriptor);
    // Set when a calibration transfer starts: the next receiving-card block asks
    // for an acknowledgement on its first frame.
    void setBlockTransferStarted(bool started) { m_blockTransferStarted = started; }
    // Raises the acknowledgement flag when reply is a receiving card's
    // acknowledgement of the transfer running now; slot_dealData calls it.
    void noteBlockAcknowledgement(const QVariantMap &reply);
    // Seams: where frames go (default: the link manager's pushCmdToClient), how
    // the pacing waits (default: sleep), and the frame template itself.
    using BlockFrameSink = std::function<bool(
        const QString &guid, const Module_SendCard_Protocol &frame, quint8 routeByte)>;
    using BlockPause = std::function<void(int milliseconds)>;
    void setBlockFrameSink(BlockFrameSink sink) { m_blockFrameSink = std::move(sink); }
    // Called on the writing thread after each frame of a receiving-card block
    // (frames sent so far, frames of the block).
    using BlockProgress = std::function<void(int sent, int frames)>;
    void setBlockProgress(BlockProgress progress) { m_blockProgress = std::move(progress); }
    // Frames of the last receiving-card flash write that asked for an
    // acknowledgement and got none in time.
    int unacknowledgedFrames() const { return m_unacknowledgedFrames.load(); }
    void setBlockPacing(BlockPause pause) { m_blockPause = std::move(pause); }
    void setProtocolObject(std::unique_ptr<Module_SendCard_Protocol> protocol);

signals:
    void recvAllBox(QVariantList boxList);
    void sig_readDevData(QVariantMap dataMap);
    void sig_displayOperation(int mode);
    void sig_sndScreenWh(int width, int height);

private slots:
    // Module replies of the device links (the facade's sig_devicesModuleData).
    void slot_dealData(QVariantMap reply);
    // Sending-card frames that got no reply (the facade's sig_timeoutCmd map).
    void slot_timeoutCmd(QVariantMap timeout);

private:
    // -- reply handlers: the rows of slot_dealData's table --
    void readDisplayRegister(const QVariantMap &reply, quint32 regAddr);
    void readImageWindowPiece(const QVariantMap &reply, quint32 regAddr);
    void readBoxPosPiece(const QVariantMap &reply, quint32 regAddr);
    void readDisplayRecord(const QVariantMap &reply, quint32 regAddr);
    void readPortTable(const QVariantMap &reply, quint32 regAddr);
    void readBoxSize(const QVariantMap &reply, quint32 ltcpAddr);
    void readFlashBlock(const QVariantMap &reply, quint32 ltcpAddr);
    void acknowledgeBlock(const QVariantMap &reply, quint32 regAddr);
    void acknowledgeDisplayRecordChunk(const QVariantMap &reply, quint32 regAddr);
    // Appends a 4 KiB register page read in pieces to the page list of key.
    void appendRegisterPage(const QVariantMap &reply, const QString &key, quint32 regAddr,
                            quint32 base);

    // -- display record read-back (display data transfer) --
    void onDisplayRecordBlock(quint32 regAddr, const QByteArray &bytes);
    void parseConnectDisplayDataFromDeviceModify(QByteArray bytes);

    // -- worker thread bodies (defined with their operations) --
    void td_connectDisplayDataFormatConv(int mode);
    void td_complexDisplayDataFormatConv(int mode);
    void td_operationAdjustDB(QVariantMap request);
    void td_sendStoredImagesData(QString path, QVariantMap params, bool flag);
    void sendPointAdjustData(QByteArray &data, QVariantMap params);
    void sendAdjustData(QVariantMap params);

    // -- output windows --
    void loadWindowAccess(const QVariantMap &params);
    // To the current device, or to guid when one is given.
    quint32 writeWindowPage(quint8 operation, quint32 address, const QByteArray &page,
                            const QString &guid = QString());
    void beginUDiskWindows(const QVariantMap &params, const char *logText);
    void finishUDiskWindows(const QVariantMap &params, bool computed);
    bool writeImageMemory(const QVariantMap &params, bool requestOffset);
    quint32 writeBoxPositions(int maxUnused, int minUnused, const PortMaps &ports,
                              const QVector<QMap<int, QVariant>> &boxes, bool bankB);
    void writeDviRecords(int maxUnused, int minUnused, const PortMaps &ports, bool bankB,
                         bool wholeRecord);
    bool writeRedundancyEntry(const QVariantMap &entry, int portCount);
    QVariantList m_lastPortWindows;
    QVector<QList<QVariant>> m_lastWindowLists; // per port, of the last computation
    PortMaps m_lastPorts;
    QStringList m_windowWriteErrors; // pages of the running operation that were not built
    // Page addresses of the running window operation that the card has not
    // acknowledged yet, with the number of writes to each.
    PendingAcknowledgements m_windowWritePending;
    void acknowledgeWindowPage(const QVariantMap &reply, quint32 regAddr);
    // True when the timed-out frame was a page of the running window operation.
    bool windowPageTimedOut(const QVariantMap &timeout);
    void finishWindowWrite(bool written, quint32 regAddr, const QString &error);
    QVariantMap ipBoxNumMap; // per card address: boxes per port, as hex text

    // -- display data --
public:
    // One connection-display item for a cabinet given by its pixel rectangle
    // (width and height non-zero), or by its grid cell ("init" 0 when height is 0).
    QVariantMap fillConnectDisplayData(uint height, uint y, uint width, uint x, uint addr, int port,
                                       int rowOffset, int colOffset);
    QVariantMap fillConnectDisplayData(uint port, uint col, uint row, uint width, uint height,
                                       uint addr);

private:
    // Loads the flash access descriptor for a display record or port table transfer.
    void loadDisplayAccess(const QVariantMap &params, quint32 commandWord, quint32 startAddress,
                           quint16 readLength);
    bool sendDisplayRecord(const QVariantMap &params, bool isComplex);
    // One conversion per model at a time.
    std::atomic<bool> m_connectConversionBusy{false};
    std::atomic<bool> m_complexConversionBusy{false};
    QSet<quint32> m_displayBlocksMissing; // blocks of the running record read not yet in
    bool m_displayLastBlockSeen = false;
    bool m_displayReadActive = false; // a record read is running; completion is reported once
    // A block of the running record read that got no answer is asked again, up to
    // three requests in all; then the read ends with a failure report.
    QHash<quint32, int> m_displayReadAttempts;
    FlashAccessDescriptor m_displayReadAccess;
    QString m_displayReadGuid;
    void askDisplayRecordBlockAgain(quint32 regAddr);
    // The running port table read, asked again in the same way (-1: none running).
    int m_portTableAttempts = -1;
    FlashAccessDescriptor m_portTableAccess;
    QString m_portTableGuid;
    void askPortTableAgain();
    // Sends a read again with the descriptor it began with.
    void readAgain(const FlashAccessDescriptor &access, const QString &guid);
    // Chunks of the record write in flight that the card has not acknowledged yet.
    PendingAcknowledgements m_displayWritePending;
    bool m_displayWriteComplex = false;
    void finishDisplayRecordWrite(bool written, quint32 regAddr, const QString &error);

    // -- members --
    QVariantMap m_displayMap;
    QString m_adjustPath;
    QVariantMap m_adjustParaMap;
    QVariantList vBoxXYWHList;
    QByteArray m_displayReadBack; // compressed display record being read
    // The layouts and their texts: converted on a worker thread, read by the caller.
    Guarded<QVariantMap> m_connectDisplayMap;
    Guarded<QString> m_connectDisplayStr;
    QVariantMap m_allSCDisplayMap;
    QByteArray recvUpdateData; // receiving-card flash read-back image
    Guarded<QVariantMap> m_complexDisplayMap;
    Guarded<QString> m_complexDisplayStr;
    QVariantMap m_filePosMap; // per cabinet: pixels of the calibration file sent
    // The companion records of the last matrix packing, kept as the one byte of
    // each 12-byte record that varies (the low byte of the pixel's y).
    QByteArray m_adjustCompanionRows;
    QString m_adjustDatabasePath = QStringLiteral("adjustDB.db");
    QMutex m_mutex;                                       // guards the calibration index database
    std::unique_ptr<Module_SendCard_Protocol> m_protocol; // frame template of the block routines
    FlashAccessDescriptor m_flashAccess;
    bool m_uDiskMode = false;
    bool m_getWidthHeightFlag = false; // one-shot screen size request
    quint32 lastRegAddr = 0;           // last block address of a display record read
    int m_filePos = 0;
    QVariantMap vLastAddrMap;

    // -- calibration transfer --
    // Writes one block of calibration data to a card (or every port/card); the
    // last address written, 0 when the write was refused.
    quint32 writeCalibrationBlock(const QString &guid, FlashAccessDescriptor descriptor,
                                  quint32 portAddress, quint16 card, const QByteArray &data,
                                  int timeout);
    void emitLastAddresses(quint32 portAddress, quint32 card, quint32 lastData, bool result);
    // Frames of the running transfer per port address that the cards have not
    // acknowledged yet. After its last-address report with "result" true,
    // sig_readDevData {"calibrationWritten": true} follows once every frame is
    // acknowledged; {"calibrationWritten": false, "m_regAddr", "error"} comes as soon
    // as one times out or is refused (before that report, if need be). A broadcast
    // to every port or card is answered by many cards at once and gets no
    // confirmation.
    std::mutex m_calibrationMutex; // a standard mutex: seen by ThreadSanitizer, unlike QMutex
    PendingAcknowledgements m_calibrationPending;
    bool m_calibrationSent = true;    // no transfer is sending (its frames are counted)
    bool m_calibrationSettled = true; // its confirmation is out
    bool m_calibrationBroadcast = false;
    void beginCalibrationConfirmation(); // each transfer that reports its last addresses
    void acknowledgeCalibrationFrame(const QVariantMap &reply, quint32 portAddress);
    bool calibrationFrameTimedOut(const QVariantMap &timeout);
    void settleCalibration(bool written, quint32 portAddress, const QString &error);
    QVariantMap adjustDatabaseRequest(const QVariantMap &request);

    // -- card information blocks --
    bool sendBlockFrame(const QString &guid);
    void pauseBlock(int milliseconds);
    void waitForBlockAcknowledgement(int timeout);
    quint32 writeReceivingBlock(const QString &guid, const QByteArray &data, int chunkSize,
                                int timeout, bool withAck, bool flashPages);
    void runUsbEntryPoint(const QVariantMap &map, const QByteArray &block, int timeout);
    BlockFrameSink m_blockFrameSink;
    BlockPause m_blockPause;
    BlockProgress m_blockProgress;
    std::atomic<int> m_unacknowledgedFrames{0};
    QByteArray m_usbFlashData; // the U-disk image
    int m_usbFlashDataNum = 0; // frames of the current U-disk entry point
    std::atomic<bool> m_recvAckFlag{true};
    std::atomic<quint32> m_ackPortAddress{0}; // port address of the frames awaiting acks
    bool m_blockTransferStarted = false;

    // Last member: joined first, before any member above goes away.
    WorkerThreads m_workers;
};
