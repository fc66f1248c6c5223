#include "sendcardmodules.h"

#include "armframe.h"
#include "module_sendcard_protocol.h"
#include "moduledata.h"
#include "registermap.h"

namespace ledwall::packet
{

namespace
{

const QString GuidKey = QStringLiteral("guid");

// An ARM control frame: command word c0..c3, c4 = 0, c5 slot, c6 port.
std::unique_ptr<Module_SendCard_Protocol> armFrame(quint32 commandWord, quint8 slot, quint8 port,
                                                   quint32 address, quint16 length,
                                                   const QByteArray &payload)
{
    auto frame = std::make_unique<Module_SendCard_Protocol>();
    const quint8 c[7] = {quint8(commandWord),
                         quint8(commandWord >> 8),
                         quint8(commandWord >> 16),
                         quint8(commandWord >> 24),
                         0,
                         slot,
                         port};
    arm::setCommandBytes(frame->m_head, c);
    arm::setAddress(frame->m_head, address);
    arm::setLength(frame->m_head, length);
    frame->cmdData = payload;
    arm::finishHeader(frame->m_head, payload);
    return frame;
}

bool lengthInRange(const QString &module, const char *key, int length)
{
    if (length >= 1 && length <= MaxRegisterBlock)
        return true;
    qCDebug(lcPacket) << module << "refused:" << key << length << "is outside 1 ..."
                      << MaxRegisterBlock;
    return false;
}

std::unique_ptr<Module_SendCard_Protocol> writeRegisterFrame(const Module_WriteSendCardRegister &w)
{
    if (!lengthInRange(w.moduleName(), "regData size", w.regData.size()))
        return nullptr;
    return armFrame(w.m_commandWord, w.m_cardSlotNum, w.m_portNum, w.m_regAddr,
                    quint16(w.regData.size()), w.regData);
}

std::unique_ptr<Module_SendCard_Protocol> readRegisterFrame(const Module_SendCardFlashInfo &r)
{
    if (!lengthInRange(r.moduleName(), "readLength", r.readLength))
        return nullptr;
    // Whatever command word the map gives, this is a read.
    const quint32 command = (r.m_commandWord & ~0xFFu) | arm::ReadOperation;
    return armFrame(command, r.m_cardSlotNum, r.m_portNum, r.m_regAddr, r.readLength, {});
}

std::unique_ptr<Module_SendCard_Protocol> receivingReadFrame(const Module_ReceivingCardRead &r)
{
    if (!lengthInRange(r.moduleName(), "readLength", r.readLength))
        return nullptr;
    arm::InnerFrame inner;
    inner.command = ReceivingRead;
    inner.word1 = r.ltcpFirstCard;
    inner.word2 = r.ltcpLastCard;
    inner.dataLength = r.readLength;
    inner.address = r.ltcpAddr_data;
    const QByteArray payload = arm::buildInnerFrame(inner);
    return armFrame(0x008000A4, 0, 0, r.m_regAddr, quint16(r.readLength + arm::InnerOverhead),
                    payload);
}

ParsedModule parsed(std::unique_ptr<Module_Base> object, const Module_SendCard_Protocol &frame)
{
    return parsedModule(std::move(object), frame.m_guid, frame.m_status);
}

ParsedModule parseReceivingReply(const Module_SendCard_Protocol &frame, quint32 portAddress)
{
    const auto inner = arm::parseInnerFrame(frame.cmdData);
    if (!inner) {
        qCDebug(lcPacket) << "receiving-card answer with a malformed inner frame dropped, size"
                          << frame.cmdData.size();
        return {};
    }
    const bool flash = registers::ReceivingFlash.contains(inner->address);
    std::unique_ptr<Module_ReceivingCardRead> object;
    if (flash) {
        auto flashInfo = std::make_unique<Module_ReceivingFlashInfo>();
        flashInfo->recvUpdateData = frame.cmdData;
        object = std::move(flashInfo);
    } else {
        auto sdram = std::make_unique<Module_ReceivingSDRAMInfo>();
        sdram->recvData = inner->data;
        if (inner->address == registers::SizeReport && inner->data.size() >= 4) {
            sdram->boxWHStr = QStringLiteral("%1:%2:%3:%4")
                                  .arg((portAddress >> 16) & 0x0F)
                                  .arg(inner->word1)
                                  .arg(arm::readU16(inner->data, 0))
                                  .arg(arm::readU16(inner->data, 2));
        }
        object = std::move(sdram);
    }
    object->m_regAddr = portAddress;
    object->ltcpCommand = inner->command;
    object->ltcpFirstCard = inner->word1;
    object->ltcpLastCard = inner->word2;
    object->ltcpAddr_data = inner->address;
    object->readLength = inner->dataLength;
    ParsedModule result = parsed(std::move(object), frame);
    if (flash)
        result.map.insert(QStringLiteral("ltcpAddr"), inner->address);
    return result;
}

ParsedModule parseRegisterReply(const Module_SendCard_Protocol &frame, quint32 address,
                                const QString &ip)
{
    auto object = std::make_unique<Module_SendCardFlashInfo>();
    object->m_regAddr = address;
    object->readLength = arm::readU16(frame.m_head, 15);
    object->regData = frame.cmdData;
    object->ip = ip;
    ParsedModule result = parsed(std::move(object), frame);
    const QString key = displayKeyForAddress(address);
    if (frame.m_status == 0 && !key.isEmpty())
        result.map.insert(key, frame.cmdData);
    return result;
}

} // namespace

BuiltModule buildSendCardModule(const QVariantMap &map)
{
    BuiltModule built;
    built.data = filledModule(map, Module_ProtocolBase::SendCard);
    if (!built.data)
        return {};

    // Slot and port count only when the map gives both.
    const bool slotAndPort =
        map.contains(QStringLiteral("m_cardSlotNum")) && map.contains(QStringLiteral("m_portNum"));
    std::unique_ptr<Module_SendCard_Protocol> frame;
    int timeout = 0;
    if (auto *write = dynamic_cast<Module_WriteSendCardRegister *>(built.data.get())) {
        if (!slotAndPort)
            write->m_cardSlotNum = write->m_portNum = 0;
        frame = writeRegisterFrame(*write);
        timeout = write->timeout;
    } else if (auto *read = dynamic_cast<Module_SendCardFlashInfo *>(built.data.get())) {
        if (!slotAndPort)
            read->m_cardSlotNum = read->m_portNum = 0;
        frame = readRegisterFrame(*read);
        timeout = read->timeout;
    } else if (auto *receiving = dynamic_cast<Module_ReceivingCardRead *>(built.data.get())) {
        frame = receivingReadFrame(*receiving);
        timeout = receiving->timeout;
    } else {
        return built; // the walking-point parameters: fillWalkPointer sends the frames
    }
    if (!frame)
        return {};
    frame->m_guid = map.value(GuidKey).toString();
    frame->m_timeout = qMax(0, timeout);
    built.frame = std::move(frame);
    return built;
}

ParsedModule parseSendCardFrame(const Module_SendCard_Protocol &frame, const QString &ip)
{
    if (!(frame.m_wireFlags & Module_ProtocolBase::IsReply)) {
        qCDebug(lcPacket) << "sending-card frame not sent by a device ignored";
        return {};
    }
    if (frame.m_wireFlags & Module_ProtocolBase::Discovery) {
        qCDebug(lcPacket) << "discovery answer is the link's business, ignored";
        return {};
    }
    if (frame.m_head.size() != arm::HeaderSize) {
        qCDebug(lcPacket) << "sending-card frame with a header of" << frame.m_head.size()
                          << "bytes dropped";
        return {};
    }
    const quint32 address = arm::readU32(frame.m_head, 11);
    if (arm::looksLikeInnerFrame(frame.cmdData))
        return parseReceivingReply(frame, address);
    if (frame.m_con() == arm::ReadOperation)
        return parseRegisterReply(frame, address, ip);
    if (frame.cmdData.isEmpty()) {
        auto ack = std::make_unique<Module_WriteSendCardRegister>();
        ack->m_regAddr = address;
        ack->result = frame.m_status == 0;
        return parsed(std::move(ack), frame);
    }
    qCDebug(lcPacket) << "sending-card frame with operation" << Qt::hex << uint(frame.m_con())
                      << "and a payload is no reply, dropped";
    return {};
}

QString displayKeyForAddress(quint32 address)
{
    if (const char *name = registers::displayRegisterName(address))
        return QString::fromLatin1(name);
    static const struct {
        registers::Range range;
        const char *key;
    } areas[] = {{registers::ImageWindow, "pxImageWindow"},
                 {registers::BoxPos, "pxBoxPos"},
                 {registers::DisplayRecord, "displayInfo"},
                 {registers::PortTable, "displayDeviceInfo"}};
    for (const auto &area : areas) {
        if (area.range.contains(address))
            return QString::fromLatin1(area.key);
    }
    return {};
}

std::unique_ptr<Module_SendCard_Protocol> walkPointFrame(quint32 pointIndex, quint32 address,
                                                         quint32 virtualPointCount,
                                                         quint32 scanLineLen, bool advance, bool on)
{
    QByteArray block(WalkPointBlockSize, '\0');
    arm::writeU32(block, 0, pointIndex);
    arm::writeU32(block, 4, scanLineLen);
    arm::writeU32(block, 8, virtualPointCount);
    block[12] = char(on ? 0xFF : 0x00);
    block[13] = char(advance ? 1 : 0);

    arm::InnerFrame inner;
    inner.command = ReceivingWrite;
    inner.word1 = EveryCard;
    inner.word2 = EveryCard;
    inner.dataLength = WalkPointBlockSize;
    inner.address = address;
    inner.data = block;
    const QByteArray payload = arm::buildInnerFrame(inner);
    // c2 = 0: the cards do not acknowledge the point.
    return armFrame(WriteOperation, 0, 0, EveryPort, quint16(payload.size()), payload);
}

int usbImageFrameCount(const QByteArray &image)
{
    int count = 0;
    int offset = 0;
    while (offset < image.size()) {
        if (image.size() - offset < arm::HeaderSize || quint8(image.at(offset)) != arm::Sync0 ||
            quint8(image.at(offset + 1)) != arm::Sync1)
            return -1;
        const int frameSize = arm::readU16(image, offset + 18);
        if (frameSize < arm::HeaderSize)
            return -1;
        const int padded = (frameSize + 3) / 4 * 4;
        if (image.size() - offset < padded)
            return -1;
        offset += padded;
        ++count;
    }
    return count;
}

} // namespace ledwall::packet
