// Card information blocks of the sending-card object: block writes and reads of
// the sending card and of the receiving cards behind it, and the U-disk image.
#include "bll_businesslogic_sendcardpackage.h"

#include "armframe.h"
#include "bll_businesslogic_desktop.h"
#include "bll_communicationmain_desktop.h"
#include "cardblocks.h"
#include "module_armcontrolinfo.h"
#include "module_sendcard_protocol.h"

#include <QLoggingCategory>
#include <QThread>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace
{

Q_LOGGING_CATEGORY(lcBlocks, "ledwall.sendcard.blocks")

using namespace ledwall;

constexpr int FlashFramePause = 200;  // ms after a frame of receiving-card flash
constexpr int FlashGroupPause = 10;   // ms inside a 4 KiB group in fast mode
constexpr int FastFlashTimeout = 501; // the time-out that selects the fast mode
constexpr int UsbChunkSize = 1024;

// A U-disk image runs to tens of megabytes written front to back: huge pages save
// the page fault of every 4 KiB. Only a hint; nothing changes where it is ignored.
void adviseHugePages(QByteArray &image)
{
#ifdef __linux__
    constexpr quintptr HugePage = 2 * 1024 * 1024;
    const auto begin = reinterpret_cast<quintptr>(image.data());
    const quintptr first = (begin + HugePage - 1) & ~(HugePage - 1);
    const quintptr last = (begin + quintptr(image.capacity())) & ~(HugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(image);
#endif
}

bool isPortAddress(quint32 address)
{
    const quint32 port = address >> 16;
    return (address & 0xFFFF) == 0 && ((port >= 0x10 && port <= 0x1F) || port == 0xFF);
}

} // namespace

void BLL_BusinessLogic_SendCardPackage::setProtocolObject(
    std::unique_ptr<Module_SendCard_Protocol> protocol)
{
    m_protocol = std::move(protocol);
}

void BLL_BusinessLogic_SendCardPackage::setFlashAccessDescriptor(
    const FlashAccessDescriptor &descriptor)
{
    m_flashAccess = descriptor;
}

void BLL_BusinessLogic_SendCardPackage::clearUsbFlashData()
{
    m_usbFlashData.clear();
    m_usbFlashDataNum = 0;
}

void BLL_BusinessLogic_SendCardPackage::noteBlockAcknowledgement(const QVariantMap &reply)
{
    // Every acknowledged write parses to the register-write module; the one of the
    // receiving-card block in flight names its port address.
    if (reply.value(QStringLiteral("moduleName")).toString() !=
        QLatin1String("Module_WriteSendCardRegister"))
        return;
    const quint32 address = reply.value(QStringLiteral("m_regAddr")).toUInt();
    if (!isPortAddress(address) || address != m_ackPortAddress.load())
        return;
    if (!reply.value(QStringLiteral("result"), true).toBool()) {
        qCDebug(lcBlocks) << "receiving card refused a block frame, port address" << Qt::hex
                          << address;
        return;
    }
    m_recvAckFlag.store(true);
}

void BLL_BusinessLogic_SendCardPackage::pauseBlock(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    if (m_blockPause)
        m_blockPause(milliseconds);
    else
        QThread::msleep(ulong(milliseconds));
}

void BLL_BusinessLogic_SendCardPackage::waitForBlockAcknowledgement(int timeout)
{
    // Bounded: 1 ms steps, at most twice the frame's time-out.
    for (int waited = 0; waited < 2 * timeout && !m_recvAckFlag.load(); ++waited)
        pauseBlock(1);
}

bool BLL_BusinessLogic_SendCardPackage::sendBlockFrame(const QString &guid)
{
    if (m_uDiskMode) {
        saveUsbFlashFile();
        return true;
    }
    m_protocol->m_guid = guid;
    if (m_blockFrameSink)
        return m_blockFrameSink(guid, *m_protocol, m_protocol->m_routeByte);
    return BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient(
        guid, m_protocol.get(), m_protocol->m_routeByte != 0);
}

void BLL_BusinessLogic_SendCardPackage::saveUsbFlashFile()
{
    if (!m_protocol)
        return;
    blocks::appendUsbFrame(m_usbFlashData, m_protocol->m_head, m_protocol->cmdData);
    ++m_usbFlashDataNum;
}

quint32 BLL_BusinessLogic_SendCardPackage::writeSendCardInfo(QString guid, QByteArray data,
                                                             int chunkSize, int timeout)
{
    if (!m_protocol) {
        qCDebug(lcBlocks) << "writeSendCardInfo without a protocol object";
        return 0;
    }
    if (chunkSize > arm::MaxPayload) {
        qCDebug(lcBlocks) << "writeSendCardInfo: chunk size" << chunkSize << "exceeds a frame";
        return 0;
    }
    const FlashAccessDescriptor descriptor = m_flashAccess;
    const auto c = descriptor.commandBytes();
    m_protocol->m_routeByte = descriptor.routeByte;
    const QVector<blocks::Chunk> chunks = blocks::sendCardChunks(data.size(), chunkSize, c[0]);
    const bool paced =
        !m_uDiskMode && blocks::spaceOf(descriptor.recvAddress) == blocks::FlashSpace;
    quint32 lastAddress = 0;
    for (const blocks::Chunk &chunk : chunks) {
        const quint32 address = descriptor.startAddress + quint32(chunk.offset);
        m_protocol->cmdData = data.mid(chunk.offset, chunk.length);
        blocks::fillHeader(m_protocol->m_head, c, address, quint16(chunk.length),
                           m_protocol->cmdData);
        m_protocol->m_timeout = timeout;
        sendBlockFrame(guid);
        lastAddress = address;
        if (paced)
            pauseBlock(FlashFramePause);
    }
    return lastAddress;
}

quint32 BLL_BusinessLogic_SendCardPackage::writeRecvCardInfo(QString guid, QByteArray data,
                                                             int chunkSize, int timeout,
                                                             bool withAck)
{
    return writeReceivingBlock(guid, data, chunkSize, timeout, withAck, false);
}

void BLL_BusinessLogic_SendCardPackage::writeRecvCardFlashInfo(QString guid, QByteArray data)
{
    writeReceivingBlock(guid, data, blocks::FlashPageSize, 0, false, true);
}

quint32 BLL_BusinessLogic_SendCardPackage::writeReceivingBlock(const QString &guid,
                                                               const QByteArray &data,
                                                               int chunkSize, int timeout,
                                                               bool withAck, bool flashPages)
{
    // A chunk, padded and wrapped in its inner frame, must fit one frame.
    const int largestChunk = arm::MaxPayload - arm::InnerOverhead - blocks::PaddedUnit;
    if (!m_protocol || data.isEmpty() || chunkSize < 1 || chunkSize > largestChunk) {
        qCDebug(lcBlocks) << "receiving-card write refused: protocol object" << bool(m_protocol)
                          << "size" << data.size() << "chunk" << chunkSize;
        return 0;
    }
    const FlashAccessDescriptor descriptor = m_flashAccess;
    const auto c = descriptor.commandBytes();
    m_protocol->m_routeByte = descriptor.routeByte;
    const int fullChunks = data.size() / chunkSize;
    const int rest = data.size() % chunkSize;
    qCDebug(lcBlocks) << "write recv--------------------" << data.size() << fullChunks << rest;

    const quint8 space = blocks::spaceOf(descriptor.recvAddress);
    const bool flash = space == blocks::FlashSpace && !m_uDiskMode;
    const QVector<blocks::Chunk> chunks = blocks::receivingCardChunks(data.size(), chunkSize);
    blocks::AckSchedule schedule(chunks.size(), m_blockTransferStarted);
    m_blockTransferStarted = false;
    const int framesPerGroup = qMax(1, blocks::FlashGroupSize / chunkSize);
    if (m_uDiskMode) { // one allocation for the whole block
        m_usbFlashData.reserve(m_usbFlashData.size() + data.size() +
                               chunks.size() *
                                   (arm::HeaderSize + arm::InnerOverhead + blocks::PaddedUnit));
        adviseHugePages(m_usbFlashData);
    }
    m_ackPortAddress.store(descriptor.startAddress);
    if (flash)
        m_recvAckFlag.store(false);

    quint32 lastAddress = 0;
    m_unacknowledgedFrames.store(0);
    QByteArray usbHead; // the U-disk image's frames are built in place
    for (int i = 0; i < chunks.size(); ++i) {
        const blocks::Chunk &chunk = chunks.at(i);
        const bool padded = chunk.length < chunkSize && space == blocks::PaddedSpace;
        const int paddedLength = padded ? (chunk.length + blocks::PaddedUnit - 1) /
                                              blocks::PaddedUnit * blocks::PaddedUnit
                                        : chunk.length;
        const quint32 address = descriptor.recvAddress + quint32(chunk.offset) / 4;
        int frameTimeout = timeout;
        int flags = -1;
        if (withAck && !flashPages) {
            const bool asks = schedule.asks(i);
            flags = asks ? blocks::AckRequest : 0;
            frameTimeout = asks ? timeout : 0;
        }
        if (m_uDiskMode) {
            blocks::appendUsbChunkFrame(m_usbFlashData, usbHead, descriptor, address,
                                        data.constData() + chunk.offset, chunk.length, paddedLength,
                                        flags);
            ++m_usbFlashDataNum;
            lastAddress = address;
            continue;
        }
        QByteArray chunkData = data.mid(chunk.offset, chunk.length);
        if (padded)
            chunkData = blocks::padToUnit(chunkData);
        m_protocol->cmdData =
            blocks::innerFrame(descriptor, address, quint16(chunkData.size()), chunkData);
        blocks::fillHeader(m_protocol->m_head, c, descriptor.startAddress,
                           quint16(chunkData.size() + arm::InnerOverhead), m_protocol->cmdData);
        if (flags >= 0)
            blocks::setFlagsByte(m_protocol->m_head, quint8(flags));
        m_protocol->m_timeout = frameTimeout;
        // A frame the link refuses (no such device, link closed) ends the write: the
        // rest would not reach the card either, and the caller must not count it.
        if (!sendBlockFrame(guid)) {
            qCDebug(lcBlocks) << "receiving-card write stopped: frame" << i + 1 << "of"
                              << chunks.size() << "refused for" << guid;
            m_ackPortAddress.store(0);
            return 0;
        }
        lastAddress = address;
        if (m_blockProgress)
            m_blockProgress(i + 1, chunks.size());

        if (!flash)
            continue;
        if (flashPages) {
            pauseBlock(FlashFramePause);
            continue;
        }
        waitForBlockAcknowledgement(frameTimeout);
        if (frameTimeout > 0 && !m_recvAckFlag.load())
            ++m_unacknowledgedFrames;
        const bool insideGroup = i % framesPerGroup != 0;
        pauseBlock(timeout == FastFlashTimeout && insideGroup ? FlashGroupPause : FlashFramePause);
        m_recvAckFlag.store(false);
    }
    m_ackPortAddress.store(0);
    return lastAddress;
}

void BLL_BusinessLogic_SendCardPackage::readSendCardInfo(QString guid, int timeout)
{
    if (!m_protocol)
        return;
    const FlashAccessDescriptor descriptor = m_flashAccess;
    m_protocol->m_routeByte = descriptor.routeByte;
    m_protocol->cmdData.clear();
    blocks::fillHeader(m_protocol->m_head, descriptor.commandBytes(), descriptor.startAddress,
                       descriptor.readLength, m_protocol->cmdData);
    m_protocol->m_timeout = timeout;
    sendBlockFrame(guid);
}

void BLL_BusinessLogic_SendCardPackage::readRecvCardInfo(QString guid, int timeout)
{
    if (!m_protocol)
        return;
    const FlashAccessDescriptor descriptor = m_flashAccess;
    // The reply carries the data in one frame behind the inner header and CRC; a
    // longer read would wrap the 16-bit length field into a short, wrong request.
    constexpr int LargestRead = arm::MaxPayload - arm::InnerOverhead;
    if (descriptor.readLength > LargestRead) {
        qCDebug(lcBlocks) << "receiving-card read refused: length" << descriptor.readLength
                          << "exceeds" << LargestRead;
        return;
    }
    m_protocol->m_routeByte = descriptor.routeByte;
    m_protocol->cmdData =
        blocks::innerFrame(descriptor, descriptor.recvAddress, descriptor.readLength, {});
    blocks::fillHeader(m_protocol->m_head, descriptor.commandBytes(), descriptor.startAddress,
                       quint16(descriptor.readLength + arm::InnerOverhead), m_protocol->cmdData);
    m_protocol->m_timeout = timeout;
    sendBlockFrame(guid);
}

// ---- U-disk entry points ----------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::runUsbEntryPoint(const QVariantMap &map,
                                                         const QByteArray &block, int timeout)
{
    const QString guid = map.value(QStringLiteral("guid")).toString();
    Module_ARMControlInfo info;
    BLL_BusinessLogic_Desktop::instance()->fillModuleNew(&info, map);
    m_flashAccess.commandWord = info.m_commandWord;
    m_flashAccess.c4 = info.m_c4;
    m_flashAccess.slot = info.m_cardSlotNum;
    m_flashAccess.port = info.m_portNum;
    m_flashAccess.readLength = info.m_readLength;
    m_flashAccess.startAddress = info.m_regAddr;
    writeSendCardInfo(guid, block, UsbChunkSize, timeout);
    qCDebug(lcBlocks) << "usbFlashDataNum" << m_usbFlashDataNum;
    m_uDiskMode = false;
}

void BLL_BusinessLogic_SendCardPackage::f_sendRecvNum(QVariantMap map)
{
    m_uDiskMode = true;
    m_usbFlashDataNum = 0;
    QByteArray block;
    const QStringList parts =
        map.value(QStringLiteral("ScreenResoData")).toString().split(QLatin1Char(':'));
    for (const QString &part : parts)
        block.append(char(part.toInt()));
    runUsbEntryPoint(map, block, 3000);
}

void BLL_BusinessLogic_SendCardPackage::f_sendScreenResoUDisk(QVariantMap map)
{
    if (map.value(QStringLiteral("isSaveUDisk")).toBool())
        m_uDiskMode = true;
    m_usbFlashDataNum = 0;
    runUsbEntryPoint(map, map.value(QStringLiteral("ScreenResoData")).toByteArray(), 3000);
}

void BLL_BusinessLogic_SendCardPackage::f_sendUsedPortPrimaryOutput(QVariantMap map)
{
    m_uDiskMode = true;
    m_usbFlashDataNum = 0;
    runUsbEntryPoint(map, map.value(QStringLiteral("ScreenResoData")).toByteArray(), 1000);
}
