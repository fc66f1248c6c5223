// Calibration transfer of the sending-card object: packed coefficients written
// into the calibration memory of the receiving cards, cabinet by cabinet, with
// progress ("adjustArrSize") and the last addresses written at the end.
//
// Receiving-card addresses count 4-byte units: a pixel of three coefficients is
// one unit, a matrix pixel three.

#include "bll_businesslogic_sendcardpackage.h"

#include "bll_datacenter_desktop.h"
#include "calibrationpacking.h"
#include "cardblocks.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcTransfer, "ledwall.sendcard.calibration")

using namespace ledwall;
using namespace ledwall::calibration;
using storedimage::Cabinet;

constexpr quint32 CalibrationCommand = 0x008000A1;
constexpr quint8 CalibrationWriteType = 0xCD;
constexpr quint32 NormalArea = 0xA0030000;
constexpr quint32 AlternativeArea = 0xA00F0000;
constexpr quint32 SeamArea = 0xA0010000;
constexpr int ChunkSize = 1024;
constexpr int NormalWait = 1000;
constexpr int FastWait = 350;
constexpr int PieceWait = 5000;
constexpr int PointWait = 5000;
constexpr int SeamWait = 1000;
const char EveryCabinet[] = "255,65535";

QString key(const char *text)
{
    return QLatin1String(text);
}

// Slot and port of the sending card, used only when both are given.
void takeSlotAndPort(const QVariantMap &params, FlashAccessDescriptor *descriptor)
{
    if (params.contains(key("m_cardSlotNum")) && params.contains(key("m_portNum"))) {
        descriptor->slot = quint8(params.value(key("m_cardSlotNum")).toUInt());
        descriptor->port = quint8(params.value(key("m_portNum")).toUInt());
    }
}

FlashAccessDescriptor calibrationDescriptor(quint32 area)
{
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = CalibrationCommand;
    descriptor.recvCommand = CalibrationWriteType;
    descriptor.recvAddress = area;
    return descriptor;
}

// The area that "isNormalAdjustMode" chooses; slot and port only come with it.
FlashAccessDescriptor areaDescriptor(const QVariantMap &params)
{
    const QString mode = key("isNormalAdjustMode");
    if (!params.contains(mode))
        return calibrationDescriptor(NormalArea);
    FlashAccessDescriptor descriptor =
        calibrationDescriptor(params.value(mode).toBool() ? NormalArea : AlternativeArea);
    takeSlotAndPort(params, &descriptor);
    return descriptor;
}

int writeWait(const QVariantMap &params)
{
    return params.value(key("bFastMode")).toBool() ? FastWait : NormalWait;
}

QString boxKey(int port, int card)
{
    return QString::number(port) + QLatin1Char(',') + QString::number(card);
}

// A cabinet that a port address and card index can name (not every port or card).
bool parseAddressableCabinet(const QVariant &entry, Cabinet *cabinet)
{
    return storedimage::parseCabinet(entry.toString(), cabinet) && cabinet->port <= 15 &&
           cabinet->card < storedimage::EveryCard;
}

} // namespace

quint32 BLL_BusinessLogic_SendCardPackage::writeCalibrationBlock(const QString &guid,
                                                                 FlashAccessDescriptor descriptor,
                                                                 quint32 portAddress, quint16 card,
                                                                 const QByteArray &data,
                                                                 int timeout)
{
    descriptor.startAddress = portAddress;
    descriptor.recvWord1 = card;
    descriptor.recvWord2 = card;
    m_flashAccess = descriptor;
    {
        // Counted before the first frame goes out: its acknowledgement may come at once.
        std::unique_lock<std::mutex> lock(m_calibrationMutex);
        // Outside a transfer (the classic pass, seams) nothing is confirmed; every card
        // of a broadcast answers each frame, so no count is kept for one.
        if (!m_calibrationSent) {
            if (portAddress == storedimage::EveryPort || card == storedimage::EveryCard)
                m_calibrationBroadcast = true;
            else
                m_calibrationPending.expect(
                    portAddress, blocks::receivingCardChunks(data.size(), ChunkSize).size());
        }
    }
    return writeRecvCardInfo(guid, data, ChunkSize, timeout, false);
}

void BLL_BusinessLogic_SendCardPackage::beginCalibrationConfirmation()
{
    std::unique_lock<std::mutex> lock(m_calibrationMutex);
    m_calibrationPending.clear();
    m_calibrationSent = m_calibrationSettled = m_calibrationBroadcast = false;
}

void BLL_BusinessLogic_SendCardPackage::acknowledgeCalibrationFrame(const QVariantMap &reply,
                                                                    quint32 portAddress)
{
    {
        std::unique_lock<std::mutex> lock(m_calibrationMutex);
        if (!m_calibrationPending.acknowledge(portAddress))
            return;
    }
    if (reply.value(key("result"), true).toBool())
        settleCalibration(true, portAddress, QString());
    else
        settleCalibration(false, portAddress, key("refused by the card"));
}

bool BLL_BusinessLogic_SendCardPackage::calibrationFrameTimedOut(const QVariantMap &timeout)
{
    const quint32 portAddress = timeout.value(key("m_reg")).toUInt();
    {
        std::unique_lock<std::mutex> lock(m_calibrationMutex);
        if (timeout.value(key("m_con")).toUInt() != (CalibrationCommand & 0xFF) ||
            !m_calibrationPending.awaits(portAddress))
            return false;
    }
    settleCalibration(false, portAddress, key("no acknowledgement in time"));
    return true;
}

void BLL_BusinessLogic_SendCardPackage::settleCalibration(bool written, quint32 portAddress,
                                                          const QString &error)
{
    std::unique_lock<std::mutex> lock(m_calibrationMutex);
    if (m_calibrationSettled)
        return;
    if (written) { // only once everything is sent and every frame is in
        if (!m_calibrationSent)
            return;
        if (!m_calibrationPending.isEmpty())
            return;
    }
    m_calibrationSettled = true;
    lock.unlock();
    QVariantMap report{{key("calibrationWritten"), written}};
    if (!written) {
        qCDebug(lcTransfer).noquote() << QStringLiteral("calibration write failed at 0x%1: %2")
                                             .arg(portAddress, 0, 16)
                                             .arg(error);
        report.insert(key("m_regAddr"), portAddress);
        report.insert(key("error"), error);
    }
    emit sig_readDevData(report);
}

void BLL_BusinessLogic_SendCardPackage::emitLastAddresses(quint32 portAddress, quint32 card,
                                                          quint32 lastData, bool result)
{
    vLastAddrMap = {{key("last_m_regAddr"), portAddress},
                    {key("last_ltcpAddr_dst"), card},
                    {key("last_ltcpAddr_data"), lastData}};
    QVariantMap report = vLastAddrMap;
    report.insert(key("result"), result);
    emit sig_readDevData(report);
    {
        std::unique_lock<std::mutex> lock(m_calibrationMutex);
        m_calibrationSent = true;
        if (m_calibrationBroadcast)
            m_calibrationSettled = true; // nothing to confirm card by card
    }
    if (result)
        settleCalibration(true, portAddress, QString());
    else
        settleCalibration(false, portAddress, key("not every block was sent"));
}

void BLL_BusinessLogic_SendCardPackage::setAdjustPath(QString path, QVariantMap params)
{
    if (path.isEmpty())
        return;
    m_adjustPath = path;
    m_workers.start([this, params] { sendAdjustData(params); });
}

void BLL_BusinessLogic_SendCardPackage::startSendPointAdjustThread(QByteArray &data,
                                                                   QVariantMap params)
{
    // The worker gets its own copy: the caller's array may be gone before it runs.
    m_workers.start([this, data, params]() mutable { sendPointAdjustData(data, params); });
}

void BLL_BusinessLogic_SendCardPackage::resetFilePos(int)
{
    m_filePos = 0;
    m_filePosMap.clear();
}

void BLL_BusinessLogic_SendCardPackage::sendAdjustData(QVariantMap params)
{
    beginCalibrationConfirmation();
    if (params.contains(key("SendTopologyData_"))) {
        sendTopologyAdjustData(params);
        return;
    }
    const FlashAccessDescriptor descriptor = areaDescriptor(params);
    qCDebug(lcTransfer) << "BLL_BusinessLogic_SendCardPackage::sendAdjustData"
                        << "vMap" << params << "vBoxXYWHList" << vBoxXYWHList << "m_adjustParaMap"
                        << m_adjustParaMap;
    const QSize size = storedimage::screenExtent(vBoxXYWHList);
    const QByteArray display =
        size.isValid() ? getDisplayAdjustDataByteArr(size.width(), size.height()) : QByteArray();
    emit sig_readDevData({{key("getDisplayAdjustDataByteArr"), !display.isEmpty()}});
    if (display.isEmpty()) {
        emitLastAddresses(0, 0, 0, false);
        return;
    }

    const QVariantMap selection = m_adjustParaMap.value(key("sendBoxMap")).toMap();
    const bool everyCabinet = selection.contains(key(EveryCabinet));
    const int pixelBytes = bytesPerPixel(m_adjustParaMap.value(key("adjen_type")).toUInt());
    const int wait = writeWait(params);
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();

    QVector<Cabinet> cabinets;
    quint64 total = 0;
    for (const QVariant &entry : qAsConst(vBoxXYWHList)) {
        Cabinet cabinet;
        if (!parseAddressableCabinet(entry, &cabinet) ||
            !(everyCabinet || selection.contains(boxKey(cabinet.port, cabinet.card))))
            continue;
        cabinets.append(cabinet);
        total +=
            quint64(cabinet.rect.width()) * quint64(cabinet.rect.height()) * quint64(pixelBytes);
    }

    quint64 sent = 0;
    quint32 lastPort = 0, lastCard = 0, lastData = 0;
    bool allWritten = !cabinets.isEmpty();
    for (const Cabinet &cabinet : qAsConst(cabinets)) {
        const QByteArray data = cutCabinet(display, size.width(), pixelBytes, cabinet.rect);
        qCDebug(lcTransfer) << "sendAdjustData" << cabinet.port << cabinet.card << "timeout" << wait
                            << "adjustSendSize" << data.size();
        const quint32 portAddress = storedimage::portAddress(cabinet.port);
        const quint32 last = data.isEmpty()
                                 ? 0
                                 : writeCalibrationBlock(guid, descriptor, portAddress,
                                                         quint16(cabinet.card), data, wait);
        if (last == 0) {
            allWritten = false;
        } else {
            sent += quint64(data.size());
            lastPort = portAddress;
            lastCard = quint32(cabinet.card);
            lastData = last;
        }
        emit sig_readDevData({{key("adjustArrSize"), sent}, {key("adjustTotalSize"), total}});
    }
    emitLastAddresses(lastPort, lastCard, lastData, allWritten);
}

void BLL_BusinessLogic_SendCardPackage::sendAdjustDataWithReceive(QVariantMap params)
{
    beginCalibrationConfirmation();
    FlashAccessDescriptor descriptor = calibrationDescriptor(NormalArea);
    takeSlotAndPort(params, &descriptor);
    const QSize size = storedimage::screenExtent(vBoxXYWHList);
    if (params.contains(key("adjen_type"))) {
        m_adjustParaMap.insert(key("adjen_type"), params.value(key("adjen_type")));
        qCDebug(lcTransfer) << "------------adjen_type: " << params.value(key("adjen_type"));
    }
    const uint layout = m_adjustParaMap.value(key("adjen_type")).toUInt();
    const QHash<QString, QVariant> table =
        size.isValid() ? getAdjustDataByteArr(size.width(), size.height(),
                                              params.value(key("data")).toByteArray())
                       : QHash<QString, QVariant>();
    emit sig_readDevData({{key("getDisplayAdjustDataByteArr"), !table.isEmpty()}});

    const QVariantMap selection = m_adjustParaMap.value(key("sendBoxMap")).toMap();
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    // A pixel's size in address units; each cabinet continues where its last piece
    // ended, in either layout.
    const quint32 unitsPerPixel = quint32(bytesPerPixel(layout) / 4);
    quint32 lastPort = 0, lastCard = 0, lastData = 0;
    bool allWritten = true;
    for (const QVariant &entry : qAsConst(vBoxXYWHList)) {
        Cabinet cabinet;
        if (!parseAddressableCabinet(entry, &cabinet)) {
            qCDebug(lcTransfer) << "---------------oneStrList.size() < 6, " << entry.toString();
            continue;
        }
        const bool ownKey = selection.contains(boxKey(cabinet.port, cabinet.card));
        if (!ownKey && !selection.contains(key(EveryCabinet))) {
            qCDebug(lcTransfer) << "-----AKKKKKKKKKKKKKKKKKKKKLLLLLLLL";
            continue;
        }
        // The cabinet's own key: the piece is in the cabinet's frame; else the screen's.
        const QRect frame =
            ownKey ? QRect(0, 0, cabinet.rect.width(), cabinet.rect.height()) : cabinet.rect;
        const QString rectangle = entry.toString();
        const qint64 alreadySent = m_filePosMap.value(rectangle).toLongLong();
        QByteArray data;
        qint64 pixels = 0;
        for (int r = frame.top(); r <= frame.bottom(); ++r) {
            for (int c = frame.left(); c <= frame.right(); ++c) {
                const auto found = table.constFind(boxKey(c, r));
                if (found == table.constEnd())
                    continue;
                data.append(found.value().toByteArray());
                ++pixels;
            }
        }
        if (data.isEmpty())
            continue;
        descriptor.recvAddress = NormalArea + quint32(alreadySent) * unitsPerPixel;
        const quint32 portAddress = storedimage::portAddress(cabinet.port);
        const quint32 last = writeCalibrationBlock(guid, descriptor, portAddress,
                                                   quint16(cabinet.card), data, PieceWait);
        qCDebug(lcTransfer) << "---------------box count: " << data.size();
        if (last == 0) {
            allWritten = false; // the position stays: the piece can be sent again
            continue;
        }
        m_filePosMap.insert(rectangle, alreadySent + pixels);
        lastPort = portAddress;
        lastCard = quint32(cabinet.card);
        lastData = last;
    }
    emitLastAddresses(lastPort, lastCard, lastData, allWritten && !table.isEmpty());
}

void BLL_BusinessLogic_SendCardPackage::sendTopologyAdjustData(QVariantMap params)
{
    beginCalibrationConfirmation();
    FlashAccessDescriptor descriptor = areaDescriptor(params);
    const quint32 base = descriptor.recvAddress;
    const int port = params.value(key("Port")).toInt();
    const int card = params.value(key("addr")).toInt();
    const int displayWidth = params.value(key("vcs_width")).toInt();
    const int displayHeight = params.value(key("vcs_height")).toInt();
    const int moduleX = params.value(key("module_x")).toInt();
    const int moduleY = params.value(key("module_y")).toInt();
    const int moduleWidth = params.value(key("module_width")).toInt();
    const int moduleHeight = params.value(key("module_height")).toInt();
    qCDebug(lcTransfer) << " displayW   ModuleW  minX maxX" << displayWidth << moduleWidth
                        << moduleX << moduleX + moduleWidth;
    qCDebug(lcTransfer) << " displayH   ModuleH  minY maxY" << displayHeight << moduleHeight
                        << moduleY << moduleY + moduleHeight;
    const QByteArray display = getDisplayAdjustDataByteArr(displayWidth, displayHeight);
    emit sig_readDevData({{key("getDisplayAdjustDataByteArr"), !display.isEmpty()}});
    // The module lies inside the cabinet; outside, its rows would land on others.
    const bool addressable = port >= 0 && port <= 15 && card >= 0 && card < 0xFFFF &&
                             moduleX >= 0 && moduleY >= 0 && moduleWidth > 0 && moduleHeight > 0 &&
                             qint64(moduleX) + moduleWidth <= displayWidth &&
                             qint64(moduleY) + moduleHeight <= displayHeight;
    if (display.isEmpty() || !addressable) {
        emitLastAddresses(0, 0, 0, false);
        return;
    }

    const int pixelBytes = bytesPerPixel(m_adjustParaMap.value(key("adjen_type")).toUInt());
    const int wait = writeWait(params);
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    const quint32 portAddress = storedimage::portAddress(port);
    quint64 counted = 0;
    quint32 lastData = 0;
    bool allWritten = true;
    const qint64 rowBytes = qint64(moduleWidth) * pixelBytes;
    for (int r = 0; r < moduleHeight && qint64(r) * rowBytes < display.size(); ++r) {
        const QByteArray row = display.mid(int(qint64(r) * rowBytes), int(rowBytes));
        descriptor.recvAddress =
            base + quint32((qint64(moduleY + r) * displayWidth + moduleX) * pixelBytes / 4);
        const quint32 last =
            writeCalibrationBlock(guid, descriptor, portAddress, quint16(card), row, wait);
        qCDebug(lcTransfer) << " ------------ sendCardData.ltcpAddr_data " << Qt::hex
                            << descriptor.recvAddress;
        if (last == 0) {
            allWritten = false;
            continue;
        }
        lastData = last;
        counted += quint64(storedimage::countedSize(row.size()));
        emit sig_readDevData({{key("adjustArrSize"), counted}});
    }
    emitLastAddresses(lastData ? portAddress : 0, lastData ? quint32(card) : 0, lastData,
                      allWritten);
}

void BLL_BusinessLogic_SendCardPackage::sendPointAdjustData(QByteArray &data, QVariantMap params)
{
    beginCalibrationConfirmation();
    FlashAccessDescriptor descriptor = calibrationDescriptor(NormalArea);
    takeSlotAndPort(params, &descriptor);
    const QVariantMap selection = params.value(key("sendBoxMap")).toMap();
    qCDebug(lcTransfer) << "sendBoxMap: " << selection;
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    if (selection.isEmpty()) {
        const quint32 last = writeCalibrationBlock(guid, descriptor, storedimage::EveryPort,
                                                   storedimage::EveryCard, data, PointWait);
        qCDebug(lcTransfer, "--------------lastdata:%x, data.size: %d", last, int(data.size()));
        emitLastAddresses(storedimage::EveryPort, storedimage::EveryCard, last, last != 0);
        return;
    }
    quint32 lastPort = 0, lastCard = 0, lastData = 0;
    bool allWritten = true;
    int count = 0;
    for (auto it = selection.constBegin(); it != selection.constEnd(); ++it) {
        const QStringList fields = it.key().split(QLatin1Char(','));
        if (fields.size() != 2)
            break;
        bool portOk = false, cardOk = false;
        const int port = fields.at(0).toInt(&portOk);
        const int card = fields.at(1).toInt(&cardOk);
        // 255 is every port; another port beyond 15 names none.
        if (!portOk || !cardOk || port < 0 || (port > 15 && port != 255) || card < 0 ||
            card > 0xFFFF) {
            qCDebug(lcTransfer) << "sendPointAdjustData: key names no card:" << it.key();
            allWritten = false;
            continue;
        }
        qCDebug(lcTransfer, "----rcindex: %d", card);
        const quint32 portAddress = storedimage::portAddress(port);
        const quint32 last =
            writeCalibrationBlock(guid, descriptor, portAddress, quint16(card), data, PointWait);
        ++count;
        if (last == 0) {
            allWritten = false;
            continue;
        }
        lastPort = portAddress;
        lastCard = quint32(card);
        lastData = last;
    }
    qCDebug(lcTransfer) << "-----list count: " << count;
    emitLastAddresses(lastPort, lastCard, lastData, allWritten && lastData != 0);
}

void BLL_BusinessLogic_SendCardPackage::sendRepairSeamData(int port, int card, QByteArray data,
                                                           QVariantMap params)
{
    FlashAccessDescriptor descriptor = calibrationDescriptor(SeamArea);
    takeSlotAndPort(params, &descriptor);
    if (port < 0 || port > 15 || card < 0 || card >= 0xFFFF) {
        qCDebug(lcTransfer) << "sendRepairSeamData: no such card" << port << card;
        return;
    }
    writeCalibrationBlock(BLL_DataCenter_Desktop::instance()->getCurrentGuid(), descriptor,
                          storedimage::portAddress(port), quint16(card), data, SeamWait);
}
