#include "bll_businesslogic_modulethread.h"

#include "filepaths.h"

#include "module_base.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSet>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <system_error>

Q_LOGGING_CATEGORY(lcPipeline, "ledwall.pipeline")

namespace
{

constexpr auto IdleRound = std::chrono::milliseconds(10);
const QString WalkPointModule = QStringLiteral("Module_PixelWalkPointMap");

} // namespace

// ---- exit order -----------------------------------------------------------------------

namespace
{

// The pipelines alive in this process. Never destroyed: the exit hook may run after
// the library's other statics are gone.
struct LivePipelines {
    std::mutex mutex;
    QSet<BLL_BusinessLogic_ModuleThread *> pipelines;
    std::atomic<bool> hookArmed{false};
    bool atExitRegistered = false;
};

LivePipelines &livePipelines()
{
    static auto *live = new LivePipelines;
    return *live;
}

// The pipeline whose thread this is, if any: such a thread must not join itself.
thread_local const BLL_BusinessLogic_ModuleThread *t_pipeline = nullptr;

} // namespace

// Pipeline threads use singletons of other libraries (the packet builders, the link
// manager, the data center) and their own lazily built statics, which die at exit in
// the reverse order of their construction, before the facade that holds the
// pipeline. So the threads are stopped and joined for good earlier: when the
// application object is destroyed (a post routine, while every static still
// lives), or, in a process without one, at exit.
void BLL_BusinessLogic_ModuleThread::registerExitHook()
{
    LivePipelines &live = livePipelines();
    if (live.hookArmed)
        return;
    std::lock_guard<std::mutex> lock(live.mutex);
    if (live.hookArmed)
        return;
    live.hookArmed = true;
    qAddPostRoutine(&BLL_BusinessLogic_ModuleThread::shutdownAll);
    if (!live.atExitRegistered) {
        live.atExitRegistered = true;
        std::atexit(&BLL_BusinessLogic_ModuleThread::shutdownAll);
    }
}

void BLL_BusinessLogic_ModuleThread::shutdownAll()
{
    LivePipelines &live = livePipelines();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.hookArmed = false;
    for (BLL_BusinessLogic_ModuleThread *pipeline : qAsConst(live.pipelines))
        pipeline->shutdown();
}

// ---- BLL_BusinessLogic_ModuleThread ---------------------------------------------------

BLL_BusinessLogic_ModuleThread::BLL_BusinessLogic_ModuleThread(
    std::shared_ptr<ModuleThreadBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend))
{
    lcPipeline(); // built now, so that it outlives the threads that log through it
    LivePipelines &live = livePipelines();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.pipelines.insert(this);
}

BLL_BusinessLogic_ModuleThread::~BLL_BusinessLogic_ModuleThread()
{
    {
        LivePipelines &live = livePipelines();
        std::lock_guard<std::mutex> lock(live.mutex);
        live.pipelines.remove(this);
    }
    shutdown();
    std::lock_guard<std::mutex> lock(m_recv.mutex);
    qDeleteAll(m_recvQueue);
    m_recvQueue.clear();
}

// Stops and joins both sides for good: a command or frame that arrives later is
// queued (or dropped) but starts no thread.
void BLL_BusinessLogic_ModuleThread::shutdown()
{
    for (Side *side : {&m_send, &m_recv}) {
        std::lock_guard<std::mutex> lock(side->mutex);
        side->closed = true;
    }
    closeThread();
}

void BLL_BusinessLogic_ModuleThread::appendModuleData(const QVariantMap &moduleData)
{
    registerExitHook(); // not under a side's lock: the hook takes those
    Workers finished;
    {
        std::lock_guard<std::mutex> lock(m_send.mutex);
        m_sendQueue.append(moduleData);
        if (!m_send.worker && !m_send.closed) {
            m_send.worker = startWorker(m_send, &BLL_BusinessLogic_ModuleThread::sendThreadFun);
            finished = takeFinished(m_send);
        }
    }
    m_send.wake.notify_all();
    joinAll(finished);
}

std::shared_ptr<BLL_BusinessLogic_ModuleThread::Worker>
BLL_BusinessLogic_ModuleThread::startWorker(Side &side, Body body)
{
    auto worker = std::make_shared<Worker>();
    worker->predecessor = side.latest;
    try {
        worker->thread = std::thread(&BLL_BusinessLogic_ModuleThread::runWorker, this,
                                     std::ref(side), worker.get(), body);
    } catch (const std::system_error &e) {
        // What is queued stays; the next command or frame tries again.
        qCDebug(lcPipeline) << "cannot start a pipeline thread:" << e.what();
        return nullptr;
    }
    side.latest = worker;
    return worker;
}

void BLL_BusinessLogic_ModuleThread::runWorker(Side &side, Worker *worker, Body body)
{
    t_pipeline = this;
    {
        std::unique_lock<std::mutex> lock(side.mutex);
        side.wake.wait(lock, [&] { return !worker->predecessor || worker->predecessor->finished; });
        worker->predecessor.reset();
    }
    (this->*body)(worker);
    {
        std::lock_guard<std::mutex> lock(side.mutex);
        worker->finished = true;
    }
    side.wake.notify_all();
}

// Stopped threads that have already ended; joining them does not wait.
BLL_BusinessLogic_ModuleThread::Workers BLL_BusinessLogic_ModuleThread::takeFinished(Side &side)
{
    Workers finished;
    auto &stopped = side.stopped;
    for (auto it = stopped.begin(); it != stopped.end();) {
        if ((*it)->finished) {
            finished.push_back(std::move(*it));
            it = stopped.erase(it);
        } else {
            ++it;
        }
    }
    return finished;
}

void BLL_BusinessLogic_ModuleThread::joinAll(Workers &workers)
{
    for (const auto &worker : workers)
        worker->thread.join();
    workers.clear();
}

// Clears the running thread's flag and moves it to the stopped ones: the next
// command or frame starts a fresh thread.
void BLL_BusinessLogic_ModuleThread::stopWorker(Side &side)
{
    {
        std::lock_guard<std::mutex> lock(side.mutex);
        if (!side.worker)
            return;
        side.worker->running = false;
        side.stopped.push_back(std::move(side.worker));
        side.worker.reset();
    }
    side.wake.notify_all();
}

// Joins every stopped thread. Each is taken out of its list under the lock, so no
// thread is joined twice.
void BLL_BusinessLogic_ModuleThread::joinStopped()
{
    for (Side *side : {&m_send, &m_recv}) {
        Workers stopped;
        {
            std::lock_guard<std::mutex> lock(side->mutex);
            stopped.swap(side->stopped);
        }
        joinAll(stopped);
    }
}

void BLL_BusinessLogic_ModuleThread::closeThread()
{
    stopWorker(m_send);
    stopWorker(m_recv);
    if (t_pipeline == this) {
        // A thread cannot join itself, nor a thread that waits for it to finish.
        qCDebug(lcPipeline) << "closeThread from a pipeline thread: joined later";
        return;
    }
    std::lock_guard<std::mutex> lock(m_closeMutex);
    joinStopped();
}

int BLL_BusinessLogic_ModuleThread::pendingCommandCount() const
{
    std::lock_guard<std::mutex> lock(m_send.mutex);
    return m_sendQueue.size();
}

int BLL_BusinessLogic_ModuleThread::pendingFrameCount() const
{
    std::lock_guard<std::mutex> lock(m_recv.mutex);
    return m_recvQueue.size();
}

void BLL_BusinessLogic_ModuleThread::setReceiveQueueLimit(int frames)
{
    QList<Module_ProtocolBase *> dropped;
    {
        std::lock_guard<std::mutex> lock(m_recv.mutex);
        m_recvLimit = std::max(frames, 1);
        while (m_recvQueue.size() > m_recvLimit) {
            dropped.append(m_recvQueue.takeFirst());
            ++m_droppedFrames;
        }
    }
    if (!dropped.isEmpty())
        qCDebug(lcPipeline) << "receive queue cut to" << m_recvLimit << "frames: dropped"
                            << dropped.size() << "frames";
    qDeleteAll(dropped);
}

int BLL_BusinessLogic_ModuleThread::receiveQueueLimit() const
{
    std::lock_guard<std::mutex> lock(m_recv.mutex);
    return m_recvLimit;
}

quint64 BLL_BusinessLogic_ModuleThread::droppedFrameCount() const
{
    std::lock_guard<std::mutex> lock(m_recv.mutex);
    return m_droppedFrames;
}

void BLL_BusinessLogic_ModuleThread::resetInit()
{
    m_backend->resetInit();
}

void BLL_BusinessLogic_ModuleThread::saveUsbFlashFile(const QVariantMap &map)
{
    // The path as the user interface gives it ("file:///..."), made local the one
    // way the library does everywhere.
    QVariantMap local = map;
    const QString filePath = QStringLiteral("filePath");
    if (local.contains(filePath))
        local.insert(filePath, ledwall::normalizeFilePath(local.value(filePath).toString()));
    m_backend->saveUsbFlashFile(local);
}

void BLL_BusinessLogic_ModuleThread::setPlanSendPack(int pack)
{
    m_backend->setPlanSendPack(pack);
}

void BLL_BusinessLogic_ModuleThread::setReveUpdateStop(bool stop)
{
    m_backend->setReveUpdateStop(stop);
}

QVariantMap BLL_BusinessLogic_ModuleThread::getactivePack()
{
    return m_backend->getactivePack();
}

// ---- send side ----------------------------------------------------------------------

void BLL_BusinessLogic_ModuleThread::sendThreadFun(Worker *worker)
{
    for (;;) {
        QVariantMap map;
        {
            std::unique_lock<std::mutex> lock(m_send.mutex);
            if (!worker->running)
                return;
            if (m_sendQueue.isEmpty()) {
                const bool woken = m_send.wake.wait_for(
                    lock, IdleRound, [&] { return !worker->running || !m_sendQueue.isEmpty(); });
                if (woken)
                    continue;
                lock.unlock();
                // An idle round: the walking point blinks.
                if (const auto draw = m_walk.tick())
                    m_backend->fillWalkPointer(*draw);
                continue;
            }
            map = m_sendQueue.takeFirst();
        }
        handleCommand(map);
    }
}

void BLL_BusinessLogic_ModuleThread::handleCommand(const QVariantMap &map)
{
    const ModuleCommand cmd = ModuleCommand::fromMap(map);
    if (!cmd.hasSendCardFlag)
        m_walk.stop();
    if (map.contains(QStringLiteral("pointBright")))
        qCDebug(lcPipeline) << "walking point brightness"
                            << map.value(QStringLiteral("pointBright"));

    Module_Base *data = nullptr;
    Module_ProtocolBase *frame = nullptr;
    switch (cmd.branch()) {
    case ModuleCommand::Branch::Processor:
        m_backend->createProcessorData(&data, &frame, map);
        storeAndSend(cmd, data, frame);
        break;
    case ModuleCommand::Branch::LargeTransfer:
        runLargeTransferBranch(cmd, map);
        break;
    case ModuleCommand::Branch::SendCard:
        runSendCardBranch(cmd, map);
        break;
    case ModuleCommand::Branch::VideoProcessingUnit:
        m_backend->createVpuData(&data, &frame, map);
        storeAndSend(cmd, data, frame);
        break;
    }
}

// Processor and VPU commands: store when asked, then send unless the command is
// store-only.
void BLL_BusinessLogic_ModuleThread::storeAndSend(const ModuleCommand &cmd, Module_Base *data,
                                                  Module_ProtocolBase *frame)
{
    if (cmd.isSave && data)
        storeData(cmd.guid, data, cmd.sceneId);
    else
        delete data;
    if (cmd.sendsFrame())
        sendFrame(cmd.guid, frame, cmd.moduleName);
    else
        delete frame;
}

void BLL_BusinessLogic_ModuleThread::runLargeTransferBranch(const ModuleCommand &cmd,
                                                            const QVariantMap &map)
{
    if (cmd.isSave) {
        Module_Base *data = m_backend->createBigData(map);
        if (!data) {
            qCDebug(lcPipeline) << "no large-package data for module" << cmd.moduleName;
            return;
        }
        const bool stored = storeData(cmd.guid, data, cmd.sceneId);
        // The large-package handler goes on with what was stored: only report a
        // package that really is in the data center.
        if (stored && cmd.bigType && cmd.sceneId.isEmpty())
            emit sig_bigPackageType(*cmd.bigType);
        return;
    }
    Module_ProtocolBase *frame = m_backend->createBigFrame(map);
    if (!frame) {
        qCDebug(lcPipeline) << "no large-package frame for module" << cmd.moduleName;
        return;
    }
    if (m_backend->device(cmd.guid).known)
        m_backend->pushCmdToClient(cmd.guid, frame, frame->m_flag);
    else
        qCDebug(lcPipeline) << "dropped a large-package frame for unknown device" << cmd.guid;
    delete frame;
}

void BLL_BusinessLogic_ModuleThread::runSendCardBranch(const ModuleCommand &cmd,
                                                       const QVariantMap &map)
{
    Module_Base *data = nullptr;
    Module_ProtocolBase *frame = nullptr;
    // The sending-card builder delivers its frame itself; what comes back is ours.
    m_backend->createSendCardData(cmd.guid, &data, &frame, map);
    delete frame;
    if (!data && cmd.moduleName != WalkPointModule)
        qCDebug(lcPipeline) << "no sending-card data for module" << cmd.moduleName;
    if (cmd.isSave && data)
        storeData(cmd.guid, data, cmd.guid);
    else
        delete data;

    if (cmd.moduleName == WalkPointModule) {
        const QVector<WalkPointDraw> draws = m_walk.command(cmd);
        for (const WalkPointDraw &draw : draws)
            m_backend->fillWalkPointer(draw);
    } else {
        m_walk.stop();
    }
}

bool BLL_BusinessLogic_ModuleThread::storeData(const QString &guid, Module_Base *data,
                                               const QString &key)
{
    bool stored = false;
    if (m_backend->device(guid).known) {
        m_backend->saveData(guid, data, key);
        stored = true;
    } else {
        qCDebug(lcPipeline) << "not stored: unknown device" << guid;
    }
    delete data;
    return stored;
}

void BLL_BusinessLogic_ModuleThread::sendFrame(const QString &guid, Module_ProtocolBase *frame,
                                               const QString &moduleName)
{
    if (!frame) {
        qCDebug(lcPipeline) << "no frame for module" << moduleName;
        return;
    }
    const ModuleThreadBackend::Device device = m_backend->device(guid);
    if (!device.known) {
        qCDebug(lcPipeline) << "dropped a frame of" << moduleName << "for unknown device" << guid;
        delete frame;
        return;
    }
    if (frame->protocolType() == Module_ProtocolBase::VideoProcessingUnit && device.kind == 1) {
        if (auto *vpu = dynamic_cast<Module_VPU_Protocol *>(frame)) {
            vpu->m_vpuByte1 = device.vpuByte1;
            vpu->m_vpuByte2 = device.vpuByte2;
        }
    }
    m_backend->pushCmdToClient(guid, frame, frame->m_flag);
    delete frame;
}

// ---- receive side -------------------------------------------------------------------

void BLL_BusinessLogic_ModuleThread::slot_reciveCmd(QString guid, Module_ProtocolBase *cmd)
{
    if (!cmd)
        return;
    // The emitted frame belongs to the link manager: keep a copy of its concrete class.
    Module_ProtocolBase *copy = nullptr;
    switch (cmd->protocolType()) {
    case Module_ProtocolBase::VideoProcessingUnit:
        if (auto *vpu = dynamic_cast<const Module_VPU_Protocol *>(cmd)) {
            copy = new Module_VPU_Protocol(*vpu);
            const ModuleThreadBackend::Device device = m_backend->device(guid);
            if (device.known && device.kind == 1)
                m_backend->setDeviceVpuBytes(guid, vpu->m_vpuByte1, vpu->m_vpuByte2);
        }
        break;
    case Module_ProtocolBase::SendCard:
        if (auto *card = dynamic_cast<const Module_SendCard_Protocol *>(cmd))
            copy = new Module_SendCard_Protocol(*card);
        break;
    case Module_ProtocolBase::Processor:
        if (auto *processor = dynamic_cast<const Module_Processor_Protocol *>(cmd))
            copy = new Module_Processor_Protocol(*processor);
        break;
    default:
        break;
    }
    if (!copy) {
        qCDebug(lcPipeline) << "dropped a received frame of unknown type" << cmd->protocolType()
                            << "from" << guid;
        return;
    }
    if (copy->m_guid.isEmpty())
        copy->m_guid = guid;

    registerExitHook(); // not under a side's lock: the hook takes those
    Module_ProtocolBase *dropped = nullptr;
    quint64 droppedTotal = 0;
    Workers finished;
    {
        std::lock_guard<std::mutex> lock(m_recv.mutex);
        if (m_recv.closed) {
            dropped = copy;
        } else {
            // Full: the oldest frame gives way, so the link's thread never waits
            // and the newest replies are the ones kept.
            if (m_recvQueue.size() >= m_recvLimit) {
                dropped = m_recvQueue.takeFirst();
                droppedTotal = ++m_droppedFrames;
                if (m_recvOverflowing)
                    droppedTotal = 0; // logged at the start of this overflow
                m_recvOverflowing = true;
            }
            m_recvQueue.append(copy);
            if (!m_recv.worker) {
                m_recv.worker =
                    startWorker(m_recv, &BLL_BusinessLogic_ModuleThread::receiveThreadFun);
                finished = takeFinished(m_recv);
            }
        }
    }
    m_recv.wake.notify_all();
    if (droppedTotal)
        qCDebug(lcPipeline) << "receive queue full: dropping the oldest frames, dropped so far"
                            << droppedTotal;
    delete dropped;
    joinAll(finished);
}

void BLL_BusinessLogic_ModuleThread::receiveThreadFun(Worker *worker)
{
    for (;;) {
        Module_ProtocolBase *frame = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_recv.mutex);
            m_recv.wake.wait_for(lock, IdleRound,
                                 [&] { return !worker->running || !m_recvQueue.isEmpty(); });
            if (!worker->running)
                return;
            if (m_recvQueue.isEmpty())
                continue;
            frame = m_recvQueue.takeFirst();
            if (m_recvQueue.isEmpty())
                m_recvOverflowing = false; // caught up: log the next overflow again
        }
        handleFrame(frame);
        delete frame;
    }
}

void BLL_BusinessLogic_ModuleThread::handleFrame(Module_ProtocolBase *frame)
{
    Module_Base *data = nullptr;
    QVariantMap map;
    QString key;
    switch (frame->protocolType()) {
    case Module_ProtocolBase::SendCard:
        m_backend->parseSendCardData(static_cast<Module_SendCard_Protocol *>(frame), &data, &map);
        key = frame->m_guid;
        break;
    case Module_ProtocolBase::VideoProcessingUnit:
        m_backend->parseVpuData(static_cast<Module_VPU_Protocol *>(frame), &data, &map);
        break;
    case Module_ProtocolBase::Processor:
        m_backend->parseProcessorData(static_cast<Module_Processor_Protocol *>(frame), &data, &map);
        break;
    default:
        return;
    }
    if (!data)
        return;
    m_backend->saveData(frame->m_guid, data, key);
    delete data;

    // Only replies of the device in use reach the interface.
    const QString netId = m_backend->deviceNetId(
        frame->protocolType() == Module_ProtocolBase::SendCard ? frame->m_guid : QString());
    if (netId == frame->m_guid)
        m_backend->emitModuleData(map);
}
