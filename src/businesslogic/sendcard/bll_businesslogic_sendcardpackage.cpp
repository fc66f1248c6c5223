#include "bll_businesslogic_sendcardpackage.h"

#include "applicationdirectory.h"
#include "checksums.h"
#include "displayreadback.h"
#include "filepaths.h"
#include "filereader.h"
#include "flashimage.h"
#include "module_sendcard_protocol.h"
#include "registermap.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

#include <optional>

namespace
{
Q_LOGGING_CATEGORY(lcSendCard, "ledwall.sendcard")

// An upgrade file is a 1024-byte header and at most a card's whole flash; anything
// far larger is not one.
constexpr qint64 MaxUpgradeFileSize = 64 * 1024 * 1024;

// The whole upgrade file (its CRC covers the whole image), up to the cap; nothing,
// after a log line, when it cannot be read.
std::optional<QByteArray> readUpgradeFile(const QString &path)
{
    ledwall::FileContents contents =
        ledwall::readWholeFile(ledwall::normalizeFilePath(path), MaxUpgradeFileSize);
    if (!contents.ok()) {
        qCDebug(lcSendCard) << "upgrade file not read:" << path << contents.errorString;
        return std::nullopt;
    }
    return std::move(contents.bytes);
}
} // namespace

BLL_BusinessLogic_SendCardPackage::BLL_BusinessLogic_SendCardPackage(QObject *parent)
    : QObject(parent), m_protocol(std::make_unique<Module_SendCard_Protocol>())
{
}

BLL_BusinessLogic_SendCardPackage::~BLL_BusinessLogic_SendCardPackage()
{
    // Workers use the members and emit this object's signals: wait for them first.
    m_workers.joinAll();
}

// ---- cabinets and display read-back ----------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::setAllSCDisplayMap(QString ip)
{
    m_allSCDisplayMap.insert(ip, m_displayMap);
    qCDebug(lcSendCard) << "---m_allSCDisplayMap: " << m_allSCDisplayMap;
    qCDebug(lcSendCard) << "---displayMap: " << m_displayMap;
    return true;
}

void BLL_BusinessLogic_SendCardPackage::emitRecvAllBox()
{
    if (!vBoxXYWHList.isEmpty())
        emit recvAllBox(vBoxXYWHList);
}

bool BLL_BusinessLogic_SendCardPackage::getRecvAllBox()
{
    return !vBoxXYWHList.isEmpty();
}

void BLL_BusinessLogic_SendCardPackage::saveRecvAllBox()
{
    if (vBoxXYWHList.isEmpty())
        return;
    const QString dir =
        ledwall::applicationFilePath(QStringLiteral("ConfigData/ConfigurationFile/"));
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("boxXYWH.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (const QVariant &line : qAsConst(vBoxXYWHList))
        out << line.toString() << '\n';
}

void BLL_BusinessLogic_SendCardPackage::clearBoxXYWHList()
{
    m_displayMap.clear();
    vBoxXYWHList.clear();
    m_adjustParaMap.clear();
}

void BLL_BusinessLogic_SendCardPackage::setGetWidthHeightFlag(bool flag)
{
    m_getWidthHeightFlag = flag;
}

QVariantList BLL_BusinessLogic_SendCardPackage::parseDisplayData()
{
    const QStringList rectangles = ledwall::readback::cabinetRectangles(
        m_displayMap.value(QStringLiteral("pxImageWindow")).toList(),
        m_displayMap.value(QStringLiteral("pxBoxPos")).toList(),
        m_displayMap.value(QStringLiteral("boxWH")).toStringList());
    for (const QString &rectangle : rectangles)
        vBoxXYWHList.append(rectangle);
    qCDebug(lcSendCard) << "--------KKKKKKKKKKKKKKKKK--------vBoxXYWHList: " << vBoxXYWHList;
    emit recvAllBox(vBoxXYWHList);
    if (m_getWidthHeightFlag)
        sendScreenWh(vBoxXYWHList);
    return vBoxXYWHList;
}

void BLL_BusinessLogic_SendCardPackage::sendScreenWh(QVariantList boxList)
{
    // Extent from the canvas origin of the "port:card:x:y:width:height" texts.
    int width = 0;
    int height = 0;
    for (const QVariant &entry : qAsConst(boxList)) {
        const QStringList fields = entry.toString().split(QLatin1Char(':'));
        if (fields.size() != 6)
            continue;
        width = qMax(width, fields.at(2).toInt() + fields.at(4).toInt());
        height = qMax(height, fields.at(3).toInt() + fields.at(5).toInt());
    }
    qCDebug(lcSendCard) << "--------------width: " << width << ", height: " << height;
    emit sig_sndScreenWh(width, height);
    m_getWidthHeightFlag = false;
}

// ---- connection-display data --------------------------------------------------------

// connectDisplayDataFormatConv, complexDisplayDataFormatConv: sendcardpackage_display.cpp

QVariantMap BLL_BusinessLogic_SendCardPackage::getComplexConnectDisplayData()
{
    return m_complexDisplayMap.get();
}

QVariantList BLL_BusinessLogic_SendCardPackage::openConnectDisplayData(bool isComplex)
{
    const QVariantMap map = isComplex ? m_complexDisplayMap.get() : m_connectDisplayMap.get();
    if (map.isEmpty())
        return {};
    return QVariantList{map};
}

bool BLL_BusinessLogic_SendCardPackage::saveConnectDisplayData(QVariantMap map)
{
    if (map.isEmpty())
        return false;
    m_connectDisplayMap.set(map);
    return true;
}

bool BLL_BusinessLogic_SendCardPackage::saveComplexConnectDisplayData(QVariantMap map)
{
    if (map.isEmpty())
        return false;
    m_complexDisplayMap.set(map);
    return true;
}

// ---- display data transfer --------------------------------------------------------------

// The transfer operations are in sendcardpackage_display.cpp.

// ---- EDID timings, card function tables, stored images ---------------------------------

// The lookups and the stored picture are in sendcardpackage_edid.cpp.

// ---- output windows -------------------------------------------------------------------

// The computations and their writers are in windows/sendcardpackage_windows.cpp,
// redundancy in windows/sendcardpackage_redundancy.cpp.

// ---- calibration: calibration/sendcardpackage_calibration*.cpp ----------------------------

// ---- receiving-card upgrade files -------------------------------------------------------

UpdateReceCardErrorType
BLL_BusinessLogic_SendCardPackage::checkReceFileHead(QString path, QMap<QString, QVariant> map)
{
    const std::optional<QByteArray> read = readUpgradeFile(path);
    if (!read)
        return ReceFileOpenError;
    const QByteArray &file = *read;
    const int headFlag = map.value(QStringLiteral("cardFlag")).toInt() == 2 ? 2 : 1;
    qCDebug(lcSendCard) << "headFlag==" << ledwall::upgrade::magicText(file) << headFlag;
    const auto header = ledwall::upgrade::parseHeader(file);
    if (header && header->hasMagic()) {
        const QString cardType = QStringLiteral("receCardType");
        const QString firmIndex = QStringLiteral("firmIndex");
        if (headFlag == 2 && map.contains(cardType))
            qCDebug(lcSendCard) << "cardName=" << ledwall::upgrade::cardModelName(header->cardCode)
                                << map.value(cardType).toString();
        else if (headFlag == 1 && map.contains(firmIndex))
            qCDebug(lcSendCard) << "firmIndex=" << header->cardCode << map.value(firmIndex).toInt();
        qCDebug(lcSendCard) << "driveType" << header->driveType << "date" << header->date
                            << "version" << header->versionText();
        qCDebug(lcSendCard) << "flashLength=" << header->flashLength
                            << file.size() - ledwall::upgrade::HeaderSize;
    }
    quint32 payloadCrc = 0;
    const UpdateReceCardErrorType result = ledwall::upgrade::checkFile(file, map, &payloadCrc);
    if (header && (result == ReceFileCrcError || result == ReceFileNoError))
        qCDebug(lcSendCard) << "flashCRC=" << header->flashCrc << payloadCrc;
    if (header && result == ReceFileNoError)
        qCDebug(lcSendCard) << "flash address word" << Qt::hex << header->flashAddressWord;
    qCDebug(lcSendCard) << "upgrade file check" << path << ledwall::upgrade::errorName(result);
    return result;
}

UpdateReceCardErrorType
BLL_BusinessLogic_SendCardPackage::packageReceFileHead(QString path, QMap<QString, QVariant> map)
{
    QByteArray header;
    const UpdateReceCardErrorType result =
        ledwall::upgrade::buildHeader(recvUpdateData, map, QDate::currentDate(), header);
    if (result != ReceFileNoError) {
        qCDebug(lcSendCard) << "upgrade file not packaged:" << ledwall::upgrade::errorName(result)
                            << "image size" << recvUpdateData.size();
        return result;
    }
    // Only the URL prefixes are removed here: a "%25" in the name is the user's.
    QFile file(ledwall::stripFileUrlPrefixes(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ReceFileOpenError;
    if (file.write(header) != header.size() ||
        file.write(recvUpdateData) != recvUpdateData.size()) {
        qCDebug(lcSendCard) << "upgrade file write failed:" << file.errorString();
        return ReceFileOpenError;
    }
    return ReceFileNoError;
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getReceFileInfo(QString path)
{
    QVariantMap info{{QStringLiteral("firmIndex"), -1},
                     {QStringLiteral("ltcpAddr_data"), 0u},
                     {QStringLiteral("FLS_MSB"), -1}};
    const std::optional<QByteArray> read = readUpgradeFile(path);
    if (!read)
        return info;
    const QByteArray &file = *read;
    qCDebug(lcSendCard) << "headFlag==" << ledwall::upgrade::magicText(file) << 1;
    const auto header = ledwall::upgrade::parseHeader(file);
    if (!header || !header->hasMagic())
        return info;
    qCDebug(lcSendCard) << "cardNameInt" << header->cardCode << "driveType" << header->driveType
                        << "date" << header->date << "version" << header->versionText();
    qCDebug(lcSendCard) << "flashLength" << header->flashLength
                        << file.size() - ledwall::upgrade::HeaderSize;
    quint32 payloadCrc = 0;
    if (ledwall::upgrade::checkFile(file, {}, &payloadCrc) != ReceFileNoError)
        return info;
    info.insert(QStringLiteral("firmIndex"), int(header->cardCode));
    info.insert(QStringLiteral("ltcpAddr_data"), header->ltcpAddrData());
    info.insert(QStringLiteral("FLS_MSB"), header->flsMsb());
    info.insert(QStringLiteral("crc32Value"), payloadCrc);
    return info;
}

QVariantMap BLL_BusinessLogic_SendCardPackage::getReceFile_MCUInfo(QString path)
{
    // Only the first 16 bytes decide; the rest of the file is never read.
    const ledwall::FileContents head =
        ledwall::readFileHead(ledwall::normalizeFilePath(path), ledwall::upgrade::McuMagicSize);
    if (!head.ok())
        return {};
    qCDebug(lcSendCard) << "byteArr" << head.bytes.toHex() << head.bytes.size();
    for (const char byte : head.bytes)
        qCDebug(lcSendCard) << QString::number(quint8(byte), 16);
    return {{QStringLiteral("isMCUFile"), ledwall::upgrade::isMcuFile(head.bytes)}};
}

bool BLL_BusinessLogic_SendCardPackage::isReceFile(QString path)
{
    // The header decides; the image behind it is never read.
    const ledwall::FileContents head =
        ledwall::readFileHead(ledwall::normalizeFilePath(path), ledwall::upgrade::HeaderSize);
    // A file shorter than its header is never an upgrade file.
    const auto header = ledwall::upgrade::parseHeader(head.bytes);
    return head.ok() && header && header->hasMagic();
}

void BLL_BusinessLogic_SendCardPackage::clearRecvUpdateData()
{
    recvUpdateData.clear();
}

// ---- card information blocks: sendcardpackage_blocks.cpp ---------------------------------

// ---- checksums ----------------------------------------------------------------------------

quint32 BLL_BusinessLogic_SendCardPackage::chksum_crc32(QByteArray data, unsigned end, int start)
{
    return ledwall::checksums::crc32(data, end, start);
}

quint16 BLL_BusinessLogic_SendCardPackage::chksum_crc16(const void *data, unsigned length)
{
    return ledwall::checksums::crc16(data, length);
}

quint8 BLL_BusinessLogic_SendCardPackage::chksum_header(QByteArray data, int length)
{
    return ledwall::checksums::headerSum8(data, length);
}

quint16 BLL_BusinessLogic_SendCardPackage::chkUsbSum_header(QByteArray data)
{
    qCDebug(lcSendCard) << __LINE__ << data.size();
    return ledwall::checksums::byteSum16(data);
}

// ---- replies ------------------------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::slot_dealData(QVariantMap reply)
{
    using Self = BLL_BusinessLogic_SendCardPackage;
    namespace reg = ledwall::registers;
    struct ReplyRoute {
        const char *moduleName;
        const char *addressKey; // the reply's key that holds the address
        reg::Range range;
        void (Self::*handle)(const QVariantMap &reply, quint32 address); // null: dropped
    };
    // The replies this object reads, tried in order: the first row whose module
    // name and address range match takes the reply, and a reply no row matches is
    // not ours. To read another reply, add a row to its area (a narrow range before
    // a wide one that contains it) and declare its handler in the header.
    static const ReplyRoute Routes[] = {
        // display read-back; a register reply at the size-report address is dropped
        {"Module_SendCardFlashInfo", "m_regAddr", reg::at(reg::SizeReport), nullptr},
        {"Module_SendCardFlashInfo", "m_regAddr", reg::DisplayRegisterSpan,
         &Self::readDisplayRegister},
        {"Module_SendCardFlashInfo", "m_regAddr", reg::ImageWindow, &Self::readImageWindowPiece},
        {"Module_SendCardFlashInfo", "m_regAddr", reg::BoxPos, &Self::readBoxPosPiece},
        // display record
        {"Module_SendCardFlashInfo", "m_regAddr", reg::DisplayRecord, &Self::readDisplayRecord},
        // hardware port table
        {"Module_SendCardFlashInfo", "m_regAddr", reg::PortTable, &Self::readPortTable},
        // receiving-card flash
        {"Module_ReceivingFlashInfo", "ltcpAddr", reg::FirmwareImage, &Self::readFlashBlock},
        // box size
        {"Module_ReceivingSDRAMInfo", "ltcpAddr_data", reg::at(reg::SizeReport),
         &Self::readBoxSize},
        // display record write: the card acknowledging (or refusing) one chunk
        {"Module_WriteSendCardRegister", "m_regAddr", reg::DisplayRecord,
         &Self::acknowledgeDisplayRecordChunk},
        // block acknowledgement: a receiving card acknowledging a block or
        // calibration frame, or the card a window page
        {"Module_WriteSendCardRegister", "m_regAddr", reg::AnyAddress, &Self::acknowledgeBlock},
    };

    const QString moduleName = reply.value(QStringLiteral("moduleName")).toString();
    for (const ReplyRoute &route : Routes) {
        if (moduleName != QLatin1String(route.moduleName))
            continue;
        const quint32 address = reply.value(QLatin1String(route.addressKey)).toUInt();
        if (!route.range.contains(address))
            continue;
        if (route.handle)
            (this->*route.handle)(reply, address);
        return;
    }
}

void BLL_BusinessLogic_SendCardPackage::readDisplayRegister(const QVariantMap &reply,
                                                            quint32 regAddr)
{
    // The span between the registers holds nothing else.
    const char *name = ledwall::registers::displayRegisterName(regAddr);
    if (!name)
        return;
    const QString key = QLatin1String(name);
    if (reply.contains(key))
        m_displayMap.insert(key, reply.value(key));
}

void BLL_BusinessLogic_SendCardPackage::readImageWindowPiece(const QVariantMap &reply,
                                                             quint32 regAddr)
{
    appendRegisterPage(reply, QStringLiteral("pxImageWindow"), regAddr,
                       ledwall::registers::ImageWindow.first);
}

void BLL_BusinessLogic_SendCardPackage::readBoxPosPiece(const QVariantMap &reply, quint32 regAddr)
{
    appendRegisterPage(reply, QStringLiteral("pxBoxPos"), regAddr,
                       ledwall::registers::BoxPos.first);
    if (regAddr != ledwall::registers::LastBoxPosPiece)
        return;
    parseDisplayData();
    const QString ip = reply.value(QStringLiteral("ip")).toString();
    setAllSCDisplayMap(ip);
    emit sig_readDevData({{QStringLiteral("addr"), regAddr}, {QStringLiteral("ip"), ip}});
}

void BLL_BusinessLogic_SendCardPackage::readDisplayRecord(const QVariantMap &reply, quint32 regAddr)
{
    onDisplayRecordBlock(regAddr, reply.value(QStringLiteral("displayInfo")).toByteArray());
}

void BLL_BusinessLogic_SendCardPackage::readPortTable(const QVariantMap &reply, quint32 regAddr)
{
    m_portTableAttempts = -1; // answered
    // A refused read carries no table: rebuilding from nothing would replace the
    // user's topology with an empty one.
    const QString result = QStringLiteral("result");
    if (reply.contains(result) && !reply.value(result).toBool()) {
        qCDebug(lcSendCard) << "port table read refused by the card; topology kept";
        emit sig_readDevData(
            {{QStringLiteral("addr"), regAddr},
             {result, false},
             {QStringLiteral("error"), QStringLiteral("the card refused the port table read")}});
        return;
    }
    parseConnectDisplayDataFromDeviceModify(
        reply.value(QStringLiteral("displayDeviceInfo")).toByteArray());
}

void BLL_BusinessLogic_SendCardPackage::appendRegisterPage(const QVariantMap &reply,
                                                           const QString &key, quint32 regAddr,
                                                           quint32 base)
{
    if (!reply.contains(key)) {
        // A failed read carries no bytes; at the bank's start it still ends the old list.
        if (regAddr == base)
            m_displayMap.insert(key, QVariantList());
        return;
    }
    QVariantList pages = m_displayMap.value(key).toList();
    if (!ledwall::readback::addPagePiece(pages, regAddr, base, reply.value(key).toByteArray()))
        qCDebug(lcSendCard) << "register page piece dropped:" << key << Qt::hex << regAddr;
    m_displayMap.insert(key, pages);
}

void BLL_BusinessLogic_SendCardPackage::readBoxSize(const QVariantMap &reply, quint32)
{
    const QString boxWH = reply.value(QStringLiteral("boxWHStr")).toString();
    if (boxWH.isEmpty())
        return; // the card sent too little for a size report
    QStringList list = m_displayMap.value(QStringLiteral("boxWH")).toStringList();
    list.append(boxWH);
    m_displayMap.insert(QStringLiteral("boxWH"), list);
}

void BLL_BusinessLogic_SendCardPackage::readFlashBlock(const QVariantMap &reply, quint32 address)
{
    const QByteArray data = reply.value(QStringLiteral("recvUpdateData")).toByteArray();
    // Only a reply that holds its whole block counts, the last one included: the
    // read-back is never reported done with a block missing from the image.
    if (!ledwall::flashimage::placeBlock(recvUpdateData, address, data)) {
        qCDebug(lcSendCard) << "flash read-back reply dropped at" << Qt::hex << address << Qt::dec
                            << data.size() << "bytes";
        return;
    }
    if (ledwall::flashimage::isLastBlock(address))
        emit sig_readDevData({{QStringLiteral("addr"), address}});
}

void BLL_BusinessLogic_SendCardPackage::acknowledgeBlock(const QVariantMap &reply, quint32 regAddr)
{
    noteBlockAcknowledgement(reply);
    acknowledgeWindowPage(reply, regAddr);
    acknowledgeCalibrationFrame(reply, regAddr);
}
