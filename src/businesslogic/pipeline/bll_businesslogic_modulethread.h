#pragma once
// The module command pipeline: module data maps in, frames to the link manager out;
// received frames in, parsed maps out through the facade's sig_devicesModuleData.
//
// Two standard threads do the work: the send thread drains the command queue (and
// redraws the walking point of the sending card's test pattern while the queue is
// idle), the receive thread parses copies of the frames the link manager hands to
// slot_reciveCmd. Each has its own lock over its own queue; no lock is held while
// building, sending, parsing or storing.
//
// The collaborators (packet builders, link manager, data center, facade) are
// reached through ModuleThreadBackend, so the pipeline can run against stand-ins.

#include "modulecommand.h"
#include "walkpoint.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class Module_Base;
class Module_ProtocolBase;
class Module_SendCard_Protocol;
class Module_VPU_Protocol;
class Module_Processor_Protocol;

// ---- collaborators ------------------------------------------------------------------

// What the pipeline asks of the packet layer, the link manager, the data center and
// the facade. The default (BLL_BusinessLogic_ModuleThread's plain constructor) uses
// the real singletons. Calls come from the send thread, the receive thread and the
// thread that delivers received frames.
class ModuleThreadBackend
{
public:
    struct Device {
        bool known = false;
        int kind = -1;
        quint8 vpuByte1 = 0;
        quint8 vpuByte2 = 0;
    };

    virtual ~ModuleThreadBackend() = default;

    // packet builders; out-pointers stay null when the module is unknown
    virtual void createSendCardData(const QString &guid, Module_Base **data,
                                    Module_ProtocolBase **frame, const QVariantMap &map) = 0;
    virtual void createVpuData(Module_Base **data, Module_ProtocolBase **frame,
                               const QVariantMap &map) = 0;
    virtual void createProcessorData(Module_Base **data, Module_ProtocolBase **frame,
                                     const QVariantMap &map) = 0;
    virtual Module_Base *createBigData(const QVariantMap &map) = 0;
    virtual Module_ProtocolBase *createBigFrame(const QVariantMap &map) = 0;
    virtual void fillWalkPointer(const WalkPointDraw &draw) = 0;

    // packet parsers
    virtual void parseSendCardData(Module_SendCard_Protocol *frame, Module_Base **data,
                                   QVariantMap *map) = 0;
    virtual void parseVpuData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map) = 0;
    virtual void parseProcessorData(Module_Processor_Protocol *frame, Module_Base **data,
                                    QVariantMap *map) = 0;

    // link manager; the link keeps its own copy of the frame
    virtual void pushCmdToClient(const QString &guid, Module_ProtocolBase *frame, bool flag) = 0;

    // data center
    virtual Device device(const QString &guid) = 0;
    virtual void setDeviceVpuBytes(const QString &guid, quint8 byte1, quint8 byte2) = 0;
    virtual void saveData(const QString &guid, const Module_Base *data, const QString &key) = 0;
    virtual QString deviceNetId(const QString &guid) = 0;

    // facade: sig_devicesModuleData
    virtual void emitModuleData(const QVariantMap &moduleData) = 0;

    // sending-card packet builder settings forwarded by the pipeline
    virtual void resetInit() = 0;
    virtual void saveUsbFlashFile(const QVariantMap &map) = 0;
    virtual void setPlanSendPack(int pack) = 0;
    virtual void setReveUpdateStop(bool stop) = 0;
    virtual QVariantMap getactivePack() = 0;
};

// The real packet layer, link manager, data center and facade.
std::shared_ptr<ModuleThreadBackend> defaultModuleThreadBackend();

// ---- the pipeline -------------------------------------------------------------------

class BLL_BusinessLogic_ModuleThread : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_ModuleThread(QObject *parent = nullptr);
    explicit BLL_BusinessLogic_ModuleThread(std::shared_ptr<ModuleThreadBackend> backend,
                                            QObject *parent = nullptr);
    // Stops and joins both threads, then drops what is still queued.
    ~BLL_BusinessLogic_ModuleThread() override;

    // Queues one command; starts the send thread if none runs. Returns at once.
    void appendModuleData(const QVariantMap &moduleData);
    // Stops and joins both threads. Queued entries stay; the next command or
    // received frame starts a fresh thread. Called from one of the pipeline's own
    // threads (a direct receiver of sig_bigPackageType), it only stops that thread;
    // the next closeThread or the destructor joins it.
    void closeThread();

    // Commands and received frames not yet taken by their thread.
    int pendingCommandCount() const;
    int pendingFrameCount() const;

    // Forwarded to the sending-card packet builder.
    void resetInit();
    void saveUsbFlashFile(const QVariantMap &map);
    void setPlanSendPack(int pack);
    void setReveUpdateStop(bool stop);
    QVariantMap getactivePack();

signals:
    // A large package of kind `flag` has been stored.
    void sig_bigPackageType(int flag);

private slots:
    // One frame from the link manager; copied, never deleted here.
    void slot_reciveCmd(QString guid, Module_ProtocolBase *cmd);

private:
    // A thread with its own stop flag, so a thread being joined by closeThread never
    // sees the flag of the thread that replaces it.
    struct Worker {
        std::thread thread;
        std::atomic<bool> running{true};
    };

    std::unique_ptr<Worker> startWorker(void (BLL_BusinessLogic_ModuleThread::*body)(Worker *));
    void sendThreadFun(Worker *worker);
    void receiveThreadFun(Worker *worker);
    void handleCommand(const QVariantMap &map);
    void runLargeTransferBranch(const ModuleCommand &cmd, const QVariantMap &map);
    void runSendCardBranch(const ModuleCommand &cmd, const QVariantMap &map);
    void storeAndSend(const ModuleCommand &cmd, Module_Base *data, Module_ProtocolBase *frame);
    // Both take ownership of what they are given.
    bool storeData(const QString &guid, Module_Base *data, const QString &key);
    void sendFrame(const QString &guid, Module_ProtocolBase *frame, const QString &moduleName);
    void handleFrame(Module_ProtocolBase *frame);

    std::shared_ptr<ModuleThreadBackend> m_backend;
    std::mutex m_closeMutex; // one closeThread at a time

    // send side
    mutable std::mutex m_sendMutex;
    std::condition_variable m_sendWake;
    std::unique_ptr<Worker> m_sendWorker;
    QList<QVariantMap> m_sendQueue;
    bool m_sendClosed = false; // set by the destructor: no new send thread

    // receive side
    mutable std::mutex m_recvMutex;
    std::condition_variable m_recvWake;
    std::unique_ptr<Worker> m_recvWorker;
    QList<Module_ProtocolBase *> m_recvQueue; // owned
    bool m_recvClosed = false;

    // used by the send thread only
    WalkPointState m_walk;
};
