#include "bll_businesslogic_modulethread.h"

#include "filepaths.h"

#include "module_base.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

#include <QLoggingCategory>

#include <chrono>
#include <system_error>

Q_LOGGING_CATEGORY(lcPipeline, "ledwall.pipeline")

namespace
{

constexpr auto IdleRound = std::chrono::milliseconds(10);
const QString WalkPointModule = QStringLiteral("Module_PixelWalkPointMap");

} // namespace

// ---- BLL_BusinessLogic_ModuleThread ---------------------------------------------------

BLL_BusinessLogic_ModuleThread::BLL_BusinessLogic_ModuleThread(
    std::shared_ptr<ModuleThreadBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend))
{
}

BLL_BusinessLogic_ModuleThread::~BLL_BusinessLogic_ModuleThread()
{
    // A frame delivered while we are being destroyed must not start a new thread.
    {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        m_sendClosed = true;
    }
    {
        std::lock_guard<std::mutex> lock(m_recvMutex);
        m_recvClosed = true;
    }
    closeThread();
    std::lock_guard<std::mutex> lock(m_recvMutex);
    qDeleteAll(m_recvQueue);
    m_recvQueue.clear();
}

void BLL_BusinessLogic_ModuleThread::appendModuleData(const QVariantMap &moduleData)
{
    std::lock_guard<std::mutex> lock(m_sendMutex);
    m_sendQueue.append(moduleData);
    if (!m_sendWorker && !m_sendClosed)
        m_sendWorker = startWorker(&BLL_BusinessLogic_ModuleThread::sendThreadFun);
    m_sendWake.notify_one();
}

std::unique_ptr<BLL_BusinessLogic_ModuleThread::Worker>
BLL_BusinessLogic_ModuleThread::startWorker(void (BLL_BusinessLogic_ModuleThread::*body)(Worker *))
{
    auto worker = std::make_unique<Worker>();
    try {
        worker->thread = std::thread(body, this, worker.get());
    } catch (const std::system_error &e) {
        // What is queued stays; the next command or frame tries again.
        qCDebug(lcPipeline) << "cannot start a pipeline thread:" << e.what();
        return nullptr;
    }
    return worker;
}

namespace
{

// Clears a worker's running flag; true when the calling thread is that worker.
template <typename WorkerPtr>
bool signalStop(std::mutex &mutex, std::condition_variable &wake, WorkerPtr &slot)
{
    bool self = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!slot)
            return false;
        slot->running = false;
        self = slot->thread.get_id() == std::this_thread::get_id();
    }
    wake.notify_all();
    return self;
}

// Joins a stopped worker. The handle stays in place while joining, so a command
// or frame arriving meanwhile is queued for the next thread instead of starting
// a second one.
template <typename WorkerPtr> void joinWorker(std::mutex &mutex, WorkerPtr &slot)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!slot)
            return;
    }
    slot->thread.join();
    std::lock_guard<std::mutex> lock(mutex);
    slot.reset();
}

} // namespace

void BLL_BusinessLogic_ModuleThread::closeThread()
{
    const bool fromSendThread = signalStop(m_sendMutex, m_sendWake, m_sendWorker);
    const bool fromRecvThread = signalStop(m_recvMutex, m_recvWake, m_recvWorker);
    if (fromSendThread || fromRecvThread) {
        // A thread cannot join itself (nor wait for a closeThread that joins it):
        // both threads end after their current item and are joined later.
        qCDebug(lcPipeline) << "closeThread from a pipeline thread: joined later";
        return;
    }
    std::lock_guard<std::mutex> lock(m_closeMutex);
    joinWorker(m_sendMutex, m_sendWorker);
    joinWorker(m_recvMutex, m_recvWorker);
}

int BLL_BusinessLogic_ModuleThread::pendingCommandCount() const
{
    std::lock_guard<std::mutex> lock(m_sendMutex);
    return m_sendQueue.size();
}

int BLL_BusinessLogic_ModuleThread::pendingFrameCount() const
{
    std::lock_guard<std::mutex> lock(m_recvMutex);
    return m_recvQueue.size();
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
            std::unique_lock<std::mutex> lock(m_sendMutex);
            if (!worker->running)
                return;
            if (m_sendQueue.isEmpty()) {
                const bool woken = m_sendWake.wait_for(
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

    std::lock_guard<std::mutex> lock(m_recvMutex);
    if (m_recvClosed) {
        delete copy;
        return;
    }
    m_recvQueue.append(copy);
    if (!m_recvWorker)
        m_recvWorker = startWorker(&BLL_BusinessLogic_ModuleThread::receiveThreadFun);
    m_recvWake.notify_one();
}

void BLL_BusinessLogic_ModuleThread::receiveThreadFun(Worker *worker)
{
    for (;;) {
        Module_ProtocolBase *frame = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_recvMutex);
            m_recvWake.wait_for(lock, IdleRound,
                                [&] { return !worker->running || !m_recvQueue.isEmpty(); });
            if (!worker->running)
                return;
            if (m_recvQueue.isEmpty())
                continue;
            frame = m_recvQueue.takeFirst();
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
