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
#include <vector>

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
    // threads (a direct receiver of sig_bigPackageType or sig_devicesModuleData),
    // it only stops the threads: they end after their current item and are joined
    // by the next start, the next closeThread or the destructor, while a fresh
    // thread takes over the queue as soon as there is work.
    void closeThread();

    // Commands and received frames not yet taken by their thread.
    int pendingCommandCount() const;
    int pendingFrameCount() const;

    // Received frames waiting to be parsed are bounded, so that a device flooding
    // the link cannot make the pipeline grow without end. When the queue is full
    // the oldest waiting frame is dropped (and counted) to make room; the link's
    // thread never waits. A limit below 1 counts as 1.
    static constexpr int DefaultReceiveQueueLimit = 4096;
    void setReceiveQueueLimit(int frames);
    int receiveQueueLimit() const;
    // Received frames dropped so far because the queue was full.
    quint64 droppedFrameCount() const;

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
    // A thread with its own stop flag, so a thread being joined never sees the flag
    // of the thread that replaces it. A fresh thread waits for the one it replaces
    // to finish its last item, so items stay in order and the walking point keeps
    // one owner.
    struct Worker {
        std::thread thread;
        std::atomic<bool> running{true};
        bool finished = false;               // guarded by the side's mutex
        std::shared_ptr<Worker> predecessor; // the previous thread of the same side
    };
    // What the send side and the receive side each have around their queue.
    struct Side {
        mutable std::mutex mutex;
        std::condition_variable wake;
        std::shared_ptr<Worker> worker;               // the running thread
        std::vector<std::shared_ptr<Worker>> stopped; // stopped, not joined yet
        std::shared_ptr<Worker> latest;               // the last thread started
        bool closed = false;                          // set for good by the destructor and at exit
    };
    using Body = void (BLL_BusinessLogic_ModuleThread::*)(Worker *);
    using Workers = std::vector<std::shared_ptr<Worker>>;

    // Both are called with the side's mutex held.
    std::shared_ptr<Worker> startWorker(Side &side, Body body);
    static Workers takeFinished(Side &side);
    void runWorker(Side &side, Worker *worker, Body body);
    void stopWorker(Side &side);
    void joinStopped();
    static void joinAll(Workers &workers);
    void shutdown();
    static void shutdownAll();
    static void registerExitHook();

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

    Side m_send;
    QList<QVariantMap> m_sendQueue; // guarded by m_send.mutex

    Side m_recv;                              // guards the members below
    QList<Module_ProtocolBase *> m_recvQueue; // owned
    int m_recvLimit = DefaultReceiveQueueLimit;
    quint64 m_droppedFrames = 0;
    bool m_recvOverflowing = false; // logs once per overflow

    // used by the send thread only
    WalkPointState m_walk;
};
