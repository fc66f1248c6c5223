// Connection-display data of the sending-card object: the conversions between the
// editor maps and the device texts, the display record in the card's flash, and
// the topology rebuilt from the card's hardware port table.
#include "bll_businesslogic_sendcardpackage.h"

#include "bll_datacenter_desktop.h"
#include "cardblocks.h"
#include "complexdisplaytext.h"
#include "displayrecord.h"
#include "displaytext.h"
#include "porttable.h"
#include "registermap.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcDisplay, "ledwall.sendcard.display")

using namespace ledwall;

constexpr quint32 WriteCommand = 0x008000A5;
constexpr quint32 ReadCommand = 0x008000A4;
constexpr int ChunkSize = 1024;
constexpr int WriteTimeout = 1000;
constexpr int ReadTimeout = 500;
constexpr int ReadAttempts = 3; // requests of one display record block, the first included
// The port table is read in one request of at most 1024 bytes.
constexpr int MaxEthNum = 1024 / porttable::RecordSize;

// Why a decoder refused a device text.
QString refusalReason(const QString &text)
{
    const QString limit = displaytext::textLimitError(text);
    return limit.isEmpty() ? QStringLiteral("no single basic_info: marker") : limit;
}

} // namespace

// ---- conversions -------------------------------------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::connectDisplayDataFormatConv(int mode)
{
    // Only modes 1 and 2 convert, and only they are announced: any other is refused
    // rather than accepted with no signal ever to follow.
    if (mode != 1 && mode != 2)
        return false;
    if (m_connectConversionBusy.exchange(true)) {
        qCDebug(lcDisplay) << "connection display conversion already running, mode" << mode
                           << "refused";
        return false;
    }
    if (!m_workers.start([this, mode] { td_connectDisplayDataFormatConv(mode); })) {
        m_connectConversionBusy = false;
        return false;
    }
    return true;
}

bool BLL_BusinessLogic_SendCardPackage::complexDisplayDataFormatConv(int mode)
{
    if (mode != 1 && mode != 2)
        return false;
    if (m_complexConversionBusy.exchange(true)) {
        qCDebug(lcDisplay) << "complex display conversion already running, mode" << mode
                           << "refused";
        return false;
    }
    if (!m_workers.start([this, mode] { td_complexDisplayDataFormatConv(mode); })) {
        m_complexConversionBusy = false;
        return false;
    }
    return true;
}

void BLL_BusinessLogic_SendCardPackage::td_connectDisplayDataFormatConv(int mode)
{
    bool done = true;
    if (mode == 1) {
        const QString text = displaytext::connectMapToText(m_connectDisplayMap.get());
        m_connectDisplayStr.set(text);
        qCDebug(lcDisplay) << text;
    } else {
        const QString text = m_connectDisplayStr.get();
        QVariantMap map;
        done = displaytext::connectTextToMap(text, &map);
        m_connectDisplayMap.set(map);
        if (!done)
            qCDebug(lcDisplay).noquote()
                << "connection display text refused:" << refusalReason(text);
    }
    // Cleared before the signal so that its receiver may start the next one.
    m_connectConversionBusy = false;
    if (done)
        emit sig_displayOperation(mode);
}

void BLL_BusinessLogic_SendCardPackage::td_complexDisplayDataFormatConv(int mode)
{
    bool done = true;
    if (mode == 1) {
        const QString text = displaytext::complexMapToText(m_complexDisplayMap.get());
        m_complexDisplayStr.set(text);
        qCDebug(lcDisplay) << text;
    } else {
        const QString text = m_complexDisplayStr.get();
        QVariantMap map;
        done = displaytext::complexTextToMap(text, &map);
        m_complexDisplayMap.set(map);
        if (!done)
            qCDebug(lcDisplay).noquote() << "complex display text refused:" << refusalReason(text);
    }
    m_complexConversionBusy = false;
    if (done)
        emit sig_displayOperation(mode);
}

QVariantMap BLL_BusinessLogic_SendCardPackage::fillConnectDisplayData(uint height, uint y,
                                                                      uint width, uint x, uint addr,
                                                                      int port, int rowOffset,
                                                                      int colOffset)
{
    return displaytext::connectItemForRect(height, y, width, x, addr, port, rowOffset, colOffset);
}

QVariantMap BLL_BusinessLogic_SendCardPackage::fillConnectDisplayData(uint port, uint col, uint row,
                                                                      uint width, uint height,
                                                                      uint addr)
{
    return displaytext::connectItemForCell(int(port), int(col), int(row), int(width), int(height),
                                           int(addr));
}

// ---- display record in flash ---------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::loadDisplayAccess(const QVariantMap &params,
                                                          quint32 commandWord, quint32 startAddress,
                                                          quint16 readLength)
{
    FlashAccessDescriptor access;
    access.commandWord = commandWord;
    if (params.contains(QStringLiteral("m_cardSlotNum")) &&
        params.contains(QStringLiteral("m_portNum"))) {
        access.slot = quint8(params.value(QStringLiteral("m_cardSlotNum")).toUInt());
        access.port = quint8(params.value(QStringLiteral("m_portNum")).toUInt());
    }
    access.startAddress = startAddress;
    access.readLength = readLength;
    access.routeByte = 0;
    m_flashAccess = access;
}

bool BLL_BusinessLogic_SendCardPackage::sendDisplayRecord(const QVariantMap &params, bool isComplex)
{
    loadDisplayAccess(params, WriteCommand, registers::DisplayRecord.first, 0);
    const QByteArray text =
        isComplex ? m_complexDisplayStr.get().toUtf8() : m_connectDisplayStr.get().toLatin1();
    QByteArray record;
    int compressedSize = 0;
    switch (displayrecord::pack(
        text, isComplex ? displayrecord::ComplexMaxCompressed : displayrecord::ConnectMaxCompressed,
        &record, &compressedSize)) {
    case displayrecord::PackResult::Ok:
        break;
    case displayrecord::PackResult::EmptyText:
        qCDebug(lcDisplay) << "no display text to send: run the mode 1 conversion first";
        return false;
    case displayrecord::PackResult::CompressionError:
        qCDebug(lcDisplay) << "Compression error!";
        return false;
    case displayrecord::PackResult::SizeOverflow:
        qCDebug(lcDisplay) << "Size overflow!" << compressedSize;
        return false;
    }
    // The write counts as done only when the card has acknowledged every chunk;
    // the chunks are known before the first goes out, whose reply may come at once.
    if (!m_displayWritePending.isEmpty())
        qCDebug(lcDisplay) << "display record write replaces one still unconfirmed,"
                           << m_displayWritePending.addressCount() << "chunks open";
    m_displayWritePending.clear();
    for (const blocks::Chunk &chunk :
         blocks::sendCardChunks(record.size(), ChunkSize, m_flashAccess.commandBytes()[0]))
        m_displayWritePending.expect(m_flashAccess.startAddress + quint32(chunk.offset));
    m_displayWriteComplex = isComplex;
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    const quint32 last = writeSendCardInfo(guid, record, ChunkSize, WriteTimeout);
    if (!isComplex)
        emit sig_readDevData({{QStringLiteral("last_m_regAddr"), last}});
    return true;
}

void BLL_BusinessLogic_SendCardPackage::acknowledgeDisplayRecordChunk(const QVariantMap &reply,
                                                                      quint32 regAddr)
{
    if (!m_displayWritePending.awaits(regAddr)) {
        acknowledgeWindowPage(reply, regAddr); // the window summary shares the range
        return;
    }
    if (!reply.value(QStringLiteral("result"), true).toBool()) {
        finishDisplayRecordWrite(false, regAddr, QStringLiteral("refused by the card"));
        return;
    }
    m_displayWritePending.acknowledge(regAddr);
    if (m_displayWritePending.isEmpty())
        finishDisplayRecordWrite(true, regAddr, QString());
}

void BLL_BusinessLogic_SendCardPackage::slot_timeoutCmd(QVariantMap timeout)
{
    // A page of the window write in flight, a calibration frame, a block of the
    // record read or the port table read in flight, or a write chunk of the record
    // in flight.
    constexpr uint WriteOperation = WriteCommand & 0xFF;
    if (windowPageTimedOut(timeout) || calibrationFrameTimedOut(timeout))
        return;
    const quint32 regAddr = timeout.value(QStringLiteral("m_reg")).toUInt();
    if (timeout.value(QStringLiteral("m_con")).toUInt() == (ReadCommand & 0xFF) &&
        m_displayReadActive && m_displayBlocksMissing.contains(regAddr)) {
        askDisplayRecordBlockAgain(regAddr);
        return;
    }
    if (timeout.value(QStringLiteral("m_con")).toUInt() == (ReadCommand & 0xFF) &&
        regAddr == registers::PortTable.first && m_portTableAttempts >= 0) {
        askPortTableAgain();
        return;
    }
    if (timeout.value(QStringLiteral("m_con")).toUInt() != WriteOperation ||
        !m_displayWritePending.awaits(regAddr))
        return;
    finishDisplayRecordWrite(false, regAddr, QStringLiteral("no acknowledgement in time"));
}

void BLL_BusinessLogic_SendCardPackage::askDisplayRecordBlockAgain(quint32 regAddr)
{
    if (++m_displayReadAttempts[regAddr] >= ReadAttempts) {
        m_displayReadActive = false;
        qCDebug(lcDisplay) << "display record read failed: no answer for block" << Qt::hex
                           << regAddr;
        emit sig_readDevData({{QStringLiteral("displayRecordRead"), false},
                              {QStringLiteral("m_regAddr"), regAddr},
                              {QStringLiteral("error"), QStringLiteral("no answer in time")}});
        return;
    }
    FlashAccessDescriptor access = m_displayReadAccess;
    access.startAddress = regAddr;
    readAgain(access, m_displayReadGuid);
}

void BLL_BusinessLogic_SendCardPackage::askPortTableAgain()
{
    if (++m_portTableAttempts >= ReadAttempts) {
        m_portTableAttempts = -1;
        qCDebug(lcDisplay) << "port table read failed: no answer";
        emit sig_readDevData({{QStringLiteral("addr"), registers::PortTable.first},
                              {QStringLiteral("result"), false},
                              {QStringLiteral("error"), QStringLiteral("no answer in time")}});
        return;
    }
    readAgain(m_portTableAccess, m_portTableGuid);
}

void BLL_BusinessLogic_SendCardPackage::readAgain(const FlashAccessDescriptor &access,
                                                  const QString &guid)
{
    // The descriptor the read began with; whatever was loaded since is put back.
    const FlashAccessDescriptor current = m_flashAccess;
    m_flashAccess = access;
    readSendCardInfo(guid, ReadTimeout);
    m_flashAccess = current;
}

void BLL_BusinessLogic_SendCardPackage::finishDisplayRecordWrite(bool written, quint32 regAddr,
                                                                 const QString &error)
{
    m_displayWritePending.clear();
    QVariantMap report{{QStringLiteral("displayRecordWritten"), written},
                       {QStringLiteral("isComplex"), m_displayWriteComplex}};
    if (!written) {
        qCDebug(lcDisplay).noquote()
            << QStringLiteral("display record write failed at chunk 0x%1: %2")
                   .arg(regAddr, 0, 16)
                   .arg(error);
        report.insert(QStringLiteral("m_regAddr"), regAddr);
        report.insert(QStringLiteral("error"), error);
    }
    emit sig_readDevData(report);
}

bool BLL_BusinessLogic_SendCardPackage::sendConnectDisplayDataToDevice(QVariantMap params)
{
    return sendDisplayRecord(params, false);
}

bool BLL_BusinessLogic_SendCardPackage::sendComplexDisplayDataToDevice(QVariantMap params)
{
    return sendDisplayRecord(params, true);
}

void BLL_BusinessLogic_SendCardPackage::readConnectDisplayDataToDevice(QVariantMap params)
{
    const bool isComplex = params.value(QStringLiteral("isComplex")).toUInt() != 0;
    loadDisplayAccess(params, ReadCommand, registers::DisplayRecord.first,
                      displayrecord::BlockSize);
    m_displayReadBack.clear();
    const QVector<quint32> blocks = displayrecord::blockAddresses(isComplex);
    m_displayBlocksMissing = QSet<quint32>(blocks.cbegin(), blocks.cend());
    m_displayLastBlockSeen = false;
    m_displayReadActive = true;
    m_displayReadAttempts.clear();
    m_displayReadAccess = m_flashAccess;
    m_displayReadGuid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    lastRegAddr = blocks.last();
    for (quint32 address : blocks) {
        m_flashAccess.startAddress = address;
        readSendCardInfo(m_displayReadGuid, ReadTimeout);
    }
    qCDebug(lcDisplay) << "lastRegAddr:" << Qt::hex << lastRegAddr;
}

void BLL_BusinessLogic_SendCardPackage::onDisplayRecordBlock(quint32 regAddr,
                                                             const QByteArray &bytes)
{
    if (bytes.isEmpty()) {
        qCDebug(lcDisplay) << "display record block without data at" << Qt::hex << regAddr;
        return;
    }
    // A block after the read completed (repeated or unsolicited) belongs to no read.
    if (!m_displayReadActive) {
        qCDebug(lcDisplay) << "display record block outside a read at" << Qt::hex << regAddr;
        return;
    }
    // Blocks are placed at their offset, not inserted: a late or repeated block
    // must not shift the ones already there. Gaps read as erased flash.
    const int offset = int(regAddr - registers::DisplayRecord.first);
    const int end = offset + bytes.size();
    if (m_displayReadBack.size() < end)
        m_displayReadBack.append(QByteArray(end - m_displayReadBack.size(), char(0xFF)));
    m_displayReadBack.replace(offset, bytes.size(), bytes);
    m_displayBlocksMissing.remove(regAddr);
    if (regAddr == lastRegAddr)
        m_displayLastBlockSeen = true;
    // Done when the last block is in and none before it is missing (replies may
    // come out of order).
    if (m_displayLastBlockSeen && m_displayBlocksMissing.isEmpty()) {
        m_displayLastBlockSeen = false;
        m_displayReadActive = false;
        qCDebug(lcDisplay).noquote() << QString::asprintf("lastRegAddr:%x", lastRegAddr);
        emit sig_readDevData({{QStringLiteral("addr"), lastRegAddr}});
    }
}

bool BLL_BusinessLogic_SendCardPackage::parseConnectDisplayDataFromDevice(bool isComplex)
{
    QByteArray text;
    int code = 0;
    const displayrecord::UnpackResult result =
        displayrecord::unpack(m_displayReadBack, &text, &code);
    if (result != displayrecord::UnpackResult::Ok) {
        qCDebug(lcDisplay) << "Uncompression error!"
                           << "returnType" << code << "record" << int(result) << "bytes read"
                           << m_displayReadBack.size();
        return false;
    }
    // Checked before the text replaces the member: a text the decoders refuse
    // anyway is not worth keeping.
    const QString expanded = isComplex ? QString::fromUtf8(text.constData(), text.size())
                                       : QString::fromLatin1(text.constData(), text.size());
    const QString limit = displaytext::textLimitError(expanded);
    if (!limit.isEmpty()) {
        qCDebug(lcDisplay).noquote() << "display record refused:" << limit;
        return false;
    }
    if (isComplex) {
        m_complexDisplayStr.set(expanded);
        if (!expanded.contains(QLatin1String("display_info:"))) {
            qCDebug(lcDisplay) << "parseConnectDisplayDataFromDevice"
                               << "error m_complexDisplayStr not contains display_info:";
            return false;
        }
        return true;
    }
    m_connectDisplayStr.set(expanded);
    if (!expanded.contains(QLatin1String("display:"))) {
        qCDebug(lcDisplay) << "parseConnectDisplayDataFromDevice"
                           << "error m_connectDisplayStr not contains display:";
        return false;
    }
    return true;
}

// ---- hardware port table ------------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::readHardwareConnectDisplayDataToDevice(QVariantMap params)
{
    const int ethNum = params.value(QStringLiteral("EthNum")).toInt();
    if (ethNum < 1 || ethNum > MaxEthNum) {
        qCDebug(lcDisplay) << "EthNum" << params.value(QStringLiteral("EthNum"))
                           << "out of range 1 ..." << MaxEthNum;
        return;
    }
    loadDisplayAccess(params, ReadCommand, registers::PortTable.first,
                      quint16(ethNum * porttable::RecordSize));
    m_portTableAccess = m_flashAccess;
    m_portTableGuid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    m_portTableAttempts = 0;
    readSendCardInfo(m_portTableGuid, ReadTimeout);
}

void BLL_BusinessLogic_SendCardPackage::parseConnectDisplayDataFromDeviceModify(QByteArray bytes)
{
    const porttable::Rebuild rebuild = porttable::rebuildTopology(bytes);
    QVariantMap report{{QStringLiteral("addr"), registers::PortTable.first},
                       {QStringLiteral("result"), rebuild.result},
                       {QStringLiteral("overLape"), rebuild.overLape},
                       {QStringLiteral("overlappingEthPort"), rebuild.overlappingEthPort}};
    if (!rebuild.ok) {
        // The topology stays as it was; the report says why.
        report.insert(QStringLiteral("error"), rebuild.error);
        emit sig_readDevData(report);
        return;
    }
    m_connectDisplayMap.set(rebuild.displayMap);
    emit sig_readDevData(report);
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getVLastAddrMap()
{
    return vLastAddrMap;
}
