#pragma once
// Packet builder and parser of the sending-card modules (a process-wide single
// instance). createData builds a module's data object and frame and delivers
// the frame to the link manager itself; parseData turns a device frame into a
// data object and a reply map. The module catalogue and the byte layouts are in
// docs/protocol.md.
//
// Thread-safe: the pipeline's send and receive threads and the interface thread
// may call it at the same time.

#include <QMutex>
#include <QString>
#include <QVariantMap>
#include <functional>

class Module_Base;
class Module_ProtocolBase;
class Module_SendCard_Protocol;

class DAL_SendCard
{
public:
    // Where built frames go: (guid, frame, flag) -> accepted. The default pushes to
    // BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient.
    using FrameSink = std::function<bool(const QString &, Module_ProtocolBase *, bool)>;
    // The IP address of the device behind a guid, for the "ip" of register reads.
    // The default asks the data center's device record.
    using AddressResolver = std::function<QString(const QString &)>;

    static DAL_SendCard *getInstance();

    // Builds the data object (*data, owned by the caller; null when none) and
    // the frame of the module named by map["moduleName"], delivers the frame
    // through the frame sink, deletes it and sets *frame to null. Returns true
    // when a data object or a frame was made. While a receiving-card update is
    // stopped (setReveUpdateStop), frames for receiving cards are not delivered.
    bool createData(QString guid, Module_Base **data, Module_ProtocolBase **frame,
                    const QVariantMap &map);
    // A device frame -> *data (owned by the caller) and *map. False, with *data
    // null and *map untouched, when the frame gives nothing.
    bool parseData(Module_SendCard_Protocol *frame, Module_Base **data, QVariantMap *map);

    // Walking-point test: draws (on) or clears the point `pointIndex` at the
    // receiving-card address `address` on every port and card.
    void fillWalkPointer(QString guid, unsigned pointIndex, unsigned address,
                         unsigned virtualPointCount, unsigned scanLineLen, bool advance, bool on);

    // Progress of a multi-frame transfer: resetInit clears the plan, the count of
    // delivered frames and the stop flag; setPlanSendPack sets the planned number
    // of frames (a negative count is stored, and written back, as 0) and restarts
    // the count; getactivePack reports {"planPack", "activePack", "remainPack",
    // "progress" (0..100), "updateStop"}.
    void resetInit();
    void setPlanSendPack(int &count);
    void setReveUpdateStop(bool stop);
    QVariantMap getactivePack();

    // Writes a collected U-disk image to a file. Keys: "usbFlashData" (bytes, a
    // sequence of whole frames), "filePath" (a "file:///" or "file:" prefix is
    // removed; missing folders are made). False, with nothing written, for an
    // empty or malformed image or a file that cannot be written.
    bool saveUsbFlashFile(const QVariantMap &map);

    void setFrameSink(FrameSink sink);                 // an empty sink restores the default
    void setAddressResolver(AddressResolver resolver); // likewise

private:
    DAL_SendCard();
    bool deliver(const QString &guid, Module_ProtocolBase *frame);

    QMutex m_mutex; // guards everything below
    FrameSink m_sink;
    AddressResolver m_resolver;
    int m_planPack = 0;
    int m_activePack = 0;
    bool m_updateStop = false;
};
