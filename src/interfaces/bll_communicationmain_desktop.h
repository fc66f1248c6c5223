#pragma once
// Link manager: one communicate object per device link, named by a guid.
//
// Link types: 3 network (UDP), 4 serial port, 5 USB. Frames pushed with
// pushCmdToClient are copied (the caller deletes its frame at once), queued per
// link, stamped with a sequence number and sent; replies are matched to their
// request by that number. Received frames leave through sig_reciveCmd, frames
// that got no reply within their time-out through sig_timeoutCmd, status maps
// through sig_TalkToUI.
//
// Signals are emitted in the link manager's own thread, whichever thread first
// called getInstance(), and the emitted frame is deleted as soon as the emission
// returns: connect the two frame signals with Qt::DirectConnection, read the
// frame during the call and copy what you keep; never delete it.

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>

class Module_ProtocolBase;
class LinkManagerPrivate;

enum CommunicationType { NetworkLink = 3, SerialLink = 4, UsbLink = 5 };
enum ProtocolType { DefaultProtocol = 0 };

class BLL_CommunicationMain_Desktop : public QObject
{
    Q_OBJECT
public:
    static BLL_CommunicationMain_Desktop *getInstance();

    QString createCommunicateObject(CommunicationType type, ProtocolType protocol);
    void setQueueType(QString guid, int queueType);
    bool connectServer(QString guid, QString address, unsigned short port);
    bool openSerialport(QString guid, QString portName, int baudRate);
    bool openUsb(QString guid, unsigned short vendorId, unsigned short productId,
                 QString serialNumber);
    void setTimeoutFlag(QString guid, bool enabled);
    bool pushCmdToClient(QString guid, Module_ProtocolBase *cmd, bool flag);
    void clearCmdQueue(QString guid);
    int getCmdQueueCount(QString guid);
    void setFastMode(QString guid, bool fast);
    void stopConnect(QString guid);
    void releaseCommunicateObject(QString guid);
    QStringList getUSBSerialNumber(unsigned short vendorId, unsigned short productId);
    QStringList getComPort();
    void saveGroupInfo(QVariantList groups, QString guid);
    QStringList findSameGroupDev(QString guid);
    void setDebugMessage(bool enabled, QString guid);

    // A search link talks to every device that hears it: it takes frames from any
    // sender, and each of its requests collects every answer until its time-out.
    // Links opened to a broadcast address are search links without this call.
    void setSearchLink(QString guid, bool search);

    // Unsolicited frames of one link that may wait for delivery through
    // sig_reciveCmd; beyond that the oldest are dropped (counted as "overflow").
    // Replies to requests are never dropped.
    static constexpr int DefaultReceiveBacklog = 1024;
    void setReceiveBacklog(QString guid, int frames);

    // Counters of one link for diagnostics: "sent", "received", "timeouts",
    // "dropped" (garbled datagrams, frames not from a device), "foreign" (datagrams
    // from another sender than the device of a direct network link), "overflow"
    // (unsolicited frames dropped from a full receive backlog), "late" (late or
    // duplicate replies), "cleared", "sendErrors", "queued", "outstanding",
    // "open", "linkType".
    // Empty for an unknown guid.
    QVariantMap linkStatistics(QString guid);

signals:
    void sig_reciveCmd(QString guid, Module_ProtocolBase *cmd);
    void sig_timeoutCmd(QString guid, Module_ProtocolBase *cmd);
    void sig_TalkToUI(QVariantMap vMap);

private:
    BLL_CommunicationMain_Desktop();
    ~BLL_CommunicationMain_Desktop() override;
    std::unique_ptr<LinkManagerPrivate> d;
};
