// Output windows of the sending-card object: the four window computations, the
// writers of the image-window, box-position and DVI pages, and the window dump.
#include "bll_businesslogic_sendcardpackage.h"

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "cardblocks.h"
#include "windowcomputations.h"
#include "windowdrivers.h"
#include "windowpages.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcWindows, "ledwall.windows")

using namespace ledwall::windows;

// The 32-bit field after the operation byte of every window write.
constexpr quint32 WindowWriteField = 0x8000;
constexpr int WriteTimeout = 1000;

const QString ScType = QStringLiteral("scType");

bool portInUse(const QHash<QString, QVariant> &port, int maxUnused, int minUnused)
{
    return port.value(QStringLiteral("minX"), minUnused).toInt() != minUnused &&
           port.value(QStringLiteral("minY"), minUnused).toInt() != minUnused &&
           port.value(QStringLiteral("maxWidth"), maxUnused).toInt() != maxUnused &&
           port.value(QStringLiteral("maxHeight"), maxUnused).toInt() != maxUnused;
}

// The port's box cut into slices the card can carry, relative to its corner.
WindowList boxSlices(const PortAggregate &port)
{
    WindowList slices;
    const Window box = port.box();
    for (const auto &slice : splitRun(0, box.w))
        slices.append({slice.first, 0, slice.second, box.h});
    return slices;
}

QVariantList displaysOf(const QVariantMap &layout)
{
    return layout.value(QStringLiteral("displayArr")).toList();
}

QMap<QString, QVariant> failedResult(const QString &error)
{
    return {{QStringLiteral("result"), false}, {QStringLiteral("error"), error}};
}
} // namespace

// ---- common steps ------------------------------------------------------------------------

void BLL_BusinessLogic_SendCardPackage::loadWindowAccess(const QVariantMap &params)
{
    FlashAccessDescriptor access;
    access.commandWord = WindowWriteField << 8 | 0xA1;
    if (params.contains(QStringLiteral("m_cardSlotNum")) &&
        params.contains(QStringLiteral("m_portNum"))) {
        access.slot = quint8(params.value(QStringLiteral("m_cardSlotNum")).toUInt());
        access.port = quint8(params.value(QStringLiteral("m_portNum")).toUInt());
    }
    access.routeByte = 0;
    m_flashAccess = access;
    m_windowWriteErrors.clear();
    if (!m_windowWritePending.isEmpty())
        qCDebug(lcWindows) << "window write replaces one still unconfirmed,"
                           << m_windowWritePending.addressCount() << "pages open";
    m_windowWritePending.clear();
}

quint32 BLL_BusinessLogic_SendCardPackage::writeWindowPage(quint8 operation, quint32 address,
                                                           const QByteArray &page,
                                                           const QString &guid)
{
    m_flashAccess.commandWord = WindowWriteField << 8 | operation;
    m_flashAccess.startAddress = address;
    qCDebug(lcWindows) << "page" << Qt::hex << operation << address << page.toHex();
    // Counted before the first frame goes out: its acknowledgement may come at once.
    if (!m_uDiskMode) {
        for (const ledwall::blocks::Chunk &chunk :
             ledwall::blocks::sendCardChunks(page.size(), PageSize, operation))
            m_windowWritePending.expect(address + quint32(chunk.offset));
    }
    return writeSendCardInfo(guid.isEmpty() ? BLL_DataCenter_Desktop::instance()->getCurrentGuid()
                                            : guid,
                             page, PageSize, WriteTimeout);
}

void BLL_BusinessLogic_SendCardPackage::acknowledgeWindowPage(const QVariantMap &reply,
                                                              quint32 regAddr)
{
    if (!m_windowWritePending.awaits(regAddr))
        return; // not a page of the running operation (or already settled)
    if (!reply.value(QStringLiteral("result"), true).toBool()) {
        finishWindowWrite(false, regAddr, QStringLiteral("refused by the card"));
        return;
    }
    m_windowWritePending.acknowledge(regAddr);
    if (m_windowWritePending.isEmpty())
        finishWindowWrite(true, regAddr, QString());
}

bool BLL_BusinessLogic_SendCardPackage::windowPageTimedOut(const QVariantMap &timeout)
{
    const quint32 regAddr = timeout.value(QStringLiteral("m_reg")).toUInt();
    const uint operation = timeout.value(QStringLiteral("m_con")).toUInt();
    if ((operation != operationOf(Bank::A) && operation != operationOf(Bank::B)) ||
        !m_windowWritePending.awaits(regAddr))
        return false;
    finishWindowWrite(false, regAddr, QStringLiteral("no acknowledgement in time"));
    return true;
}

void BLL_BusinessLogic_SendCardPackage::finishWindowWrite(bool written, quint32 regAddr,
                                                          const QString &error)
{
    m_windowWritePending.clear();
    QVariantMap report{{QStringLiteral("windowsWritten"), written}};
    if (!written) {
        qCDebug(lcWindows).noquote()
            << QStringLiteral("window write failed at 0x%1: %2").arg(regAddr, 0, 16).arg(error);
        report.insert(QStringLiteral("m_regAddr"), regAddr);
        report.insert(QStringLiteral("error"), error);
    }
    emit sig_readDevData(report);
}

void BLL_BusinessLogic_SendCardPackage::beginUDiskWindows(const QVariantMap &params,
                                                          const char *logText)
{
    if (!params.value(QStringLiteral("isSaveUDisk")).toBool())
        return;
    // Frames of earlier U-disk entry points stay in the image and keep their count.
    m_uDiskMode = true;
    if (m_usbFlashData.isEmpty())
        m_usbFlashDataNum = 0;
    qCDebug(lcWindows) << logText << m_usbFlashDataNum;
}

void BLL_BusinessLogic_SendCardPackage::finishUDiskWindows(const QVariantMap &params, bool computed)
{
    const bool uDisk = params.value(QStringLiteral("isSaveUDisk")).toBool();
    // U-disk mode never outlasts the operation: later writes go to the card.
    m_uDiskMode = false;
    if (!uDisk || !computed || !params.contains(QStringLiteral("saveUDiskFilePath")))
        return;
    const QString path = params.value(QStringLiteral("saveUDiskFilePath")).toString();
    BLL_BusinessLogic_Desktop::instance()->moduleThread().saveUsbFlashFile(
        {{QStringLiteral("isSaveUDisk"), true},
         {QStringLiteral("saveUDiskFilePath"), path},
         {QStringLiteral("usbFlashDataNum"), m_usbFlashDataNum},
         {QStringLiteral("saveFileByte"), m_usbFlashData},
         // the keys the packet layer's saver reads
         {QStringLiteral("usbFlashData"), m_usbFlashData},
         {QStringLiteral("filePath"), path}});
    qCDebug(lcWindows) << " -----------------SendCardPackage " << m_usbFlashDataNum;
}

bool BLL_BusinessLogic_SendCardPackage::writeImageMemory(const QVariantMap &params,
                                                         bool requestOffset)
{
    const Bank bank = bankForScreenType(params.value(ScType).toString());
    const int offsetX = requestOffset ? params.value(QStringLiteral("offsetX")).toInt() : 0;
    const int offsetY = requestOffset ? params.value(QStringLiteral("offsetY")).toInt() : 0;
    const QVariantMap empty = params.value(QStringLiteral("leftEmpObj")).toMap();
    for (int port = 0; port < m_lastWindowLists.size(); ++port) {
        if (m_lastWindowLists.at(port).isEmpty())
            continue; // the address still advances with the port index
        const PortAggregate aggregate = PortAggregate::fromHash(m_lastPorts.at(port));
        const QVariantMap netOffsetMap = windowToMap(aggregate.box(), Dialect::Complex);
        qCDebug(lcWindows) << "netOffsetMap:" << netOffsetMap;
        const QByteArray page = fillPxImageMemory(offsetX, offsetY, netOffsetMap,
                                                  m_lastWindowLists.at(port), port, empty, false);
        if (page.isEmpty())
            continue;
        const PageTarget target = imageWindowTarget(bank, port);
        writeWindowPage(target.operation, target.address, page);
    }
    return m_windowWriteErrors.isEmpty();
}

// ---- the four computations ---------------------------------------------------------------

namespace
{
// Runs one computation, keeps its windows on the object, and reports why it failed.
struct Computation {
    ComputedWindows computed;
    void keep(QVariantList &portWindows, QVector<QList<QVariant>> &lists,
              QVector<QHash<QString, QVariant>> &ports) const
    {
        portWindows = computed.portWindows();
        lists.clear();
        for (const WindowList &windows : computed.layout.windows)
            lists.append(windowsToList(windows, computed.dialect));
        ports = computed.layout.portHashes();
    }
};
} // namespace

bool BLL_BusinessLogic_SendCardPackage::setMultiwindow(QMap<QString, QVariant> params)
{
    beginUDiskWindows(params, " -----usbFlashDataNum  111");
    loadWindowAccess(params);
    Computation run{
        computeWindows(WindowOperation::Multi, displaysOf(m_connectDisplayMap.get()), params)};
    run.keep(m_lastPortWindows, m_lastWindowLists, m_lastPorts);
    const bool ok = run.computed.ok() && writeImageMemory(params, true);
    finishUDiskWindows(params, run.computed.ok());
    return ok;
}

bool BLL_BusinessLogic_SendCardPackage::setDiffWHMultiwindow(QMap<QString, QVariant> params)
{
    beginUDiskWindows(params, " -----usbFlashDataNum  222");
    loadWindowAccess(params);
    Computation run{
        computeWindows(WindowOperation::DiffWH, displaysOf(m_connectDisplayMap.get()), params)};
    run.keep(m_lastPortWindows, m_lastWindowLists, m_lastPorts);
    const bool ok = run.computed.ok() && writeImageMemory(params, true);
    finishUDiskWindows(params, run.computed.ok());
    return ok;
}

QMap<QString, QVariant>
BLL_BusinessLogic_SendCardPackage::setAllMultiWindow(QMap<QString, QVariant> params)
{
    beginUDiskWindows(params, " -----usbFlashDataNum  333");
    loadWindowAccess(params);
    Computation run{
        computeWindows(WindowOperation::All, displaysOf(m_connectDisplayMap.get()), params)};
    run.keep(m_lastPortWindows, m_lastWindowLists, m_lastPorts);
    if (!run.computed.ok()) {
        finishUDiskWindows(params, false);
        return failedResult(run.computed.error);
    }
    const QString scType = params.value(ScType).toString();
    const QSize screen = run.computed.layout.screenSize();
    quint32 lastRegAddr = 0;
    if (params.value(QStringLiteral("isSend")).toBool()) {
        // The image memory carries the packed strips; the port-box form of
        // setAllPxImageWindow would replace them on the same pages.
        writeImageMemory(params, false);
        const int dviWorkMode = params.value(QStringLiteral("dviWorkMode")).toInt();
        if (dviWorkMode == 10)
            sendAllDVIOffset(0, NotInUse, m_lastPorts, scType);
        else if (dviWorkMode != 0)
            sendAllDVIOffset(0, 0, screen.width(), screen.height(), scType);
        lastRegAddr = setAllPxBoxPosition(0, NotInUse, m_lastPorts,
                                          run.computed.layout.boxPositions(), scType);
    }
    finishUDiskWindows(params, true);
    QMap<QString, QVariant> result{{QStringLiteral("result"), m_windowWriteErrors.isEmpty()},
                                   {QStringLiteral("ethProtLoadValueList"), run.computed.loads()},
                                   {QStringLiteral("screenWidth"), screen.width()},
                                   {QStringLiteral("screenHeight"), screen.height()},
                                   {QStringLiteral("last_m_regAddr"), lastRegAddr}};
    if (!m_windowWriteErrors.isEmpty())
        result.insert(QStringLiteral("error"), m_windowWriteErrors.join(QStringLiteral("; ")));
    return result;
}

QMap<QString, QVariant>
BLL_BusinessLogic_SendCardPackage::setComplexScreenWindow(QMap<QString, QVariant> params)
{
    beginUDiskWindows(params, " -----usbFlashDataNum  333");
    loadWindowAccess(params);
    qCDebug(lcWindows) << "LLLLLLLLLLLLLLLLLLLL------m_complexDisplayMap: "
                       << m_complexDisplayMap.get();
    qCDebug(lcWindows) << "LLLLLLLLLLLLLLLLLLLL------Obj: "
                       << QJsonDocument(QJsonObject::fromVariantMap(params)).toJson();
    Computation run{
        computeWindows(WindowOperation::Complex, displaysOf(m_complexDisplayMap.get()), params)};
    run.keep(m_lastPortWindows, m_lastWindowLists, m_lastPorts);
    if (!run.computed.ok()) {
        finishUDiskWindows(params, false);
        return failedResult(run.computed.error);
    }
    // The per-port image windows carry the screen origin in their header.
    for (QHash<QString, QVariant> &port : m_lastPorts) {
        port.insert(QStringLiteral("offsetminX"),
                    port.value(QStringLiteral("minX")).toInt() +
                        params.value(QStringLiteral("xOffset")).toInt());
        port.insert(QStringLiteral("offsetminY"),
                    port.value(QStringLiteral("minY")).toInt() +
                        params.value(QStringLiteral("yOffset")).toInt());
    }
    const bool curing = params.value(QStringLiteral("isCuring")).toBool();
    const QSize screen = run.computed.layout.screenSize();
    if (params.value(QStringLiteral("isSend")).toBool()) {
        if (params.value(QStringLiteral("isSendPxImageWindow")).toInt() == 1)
            setComplexPxImageWindow(0, NotInUse, m_lastPorts, m_lastWindowLists, curing);
        else
            setAllComplexPxImageWindow(0, NotInUse, m_lastPorts, curing);
        const int dviWorkMode = params.value(QStringLiteral("dviWorkMode")).toInt();
        if (dviWorkMode == 10) {
            qCDebug(lcWindows) << "V24Q-A DVI independent inputs";
            sendAllComplexDVIOffset(0, NotInUse, m_lastPorts, curing);
        } else if (dviWorkMode != 0) {
            qCDebug(lcWindows) << "V24Q-A DVI sending card";
            sendAllComplexDVIOffset(0, 0, screen.width(), screen.height(), curing);
        } else {
            qCDebug(lcWindows) << "V24Q-A DVI splicing";
        }
        if (params.value(QStringLiteral("isPxBoxPosition")).toBool())
            setAllComplexPxBoxPosition(0, NotInUse, m_lastPorts, run.computed.layout.boxPositions(),
                                       curing);
    }
    finishUDiskWindows(params, true);
    QMap<QString, QVariant> result{{QStringLiteral("result"), m_windowWriteErrors.isEmpty()},
                                   {QStringLiteral("ethProtLoadValueList"), run.computed.loads()},
                                   {QStringLiteral("screenWidth"), screen.width()},
                                   {QStringLiteral("screenHeight"), screen.height()}};
    if (!m_windowWriteErrors.isEmpty())
        result.insert(QStringLiteral("error"), m_windowWriteErrors.join(QStringLiteral("; ")));
    return result;
}

// ---- pages -------------------------------------------------------------------------------

QByteArray BLL_BusinessLogic_SendCardPackage::fillPxImageMemory(
    int offsetX, int offsetY, QMap<QString, QVariant> netOffsetMap, QList<QVariant> windows,
    int netNum, QMap<QString, QVariant> empMap, bool addOffset)
{
    const QPoint offset(offsetX + netOffsetMap.value(QStringLiteral("x")).toInt(),
                        offsetY + netOffsetMap.value(QStringLiteral("y")).toInt());
    const std::optional<int> emptyColumn = emptyColumnWidth(empMap, netNum);
    qCDebug(lcWindows) << "winNum:" << windows.size() << "pxOffX:" << offset.x()
                       << "pxOffY:" << offset.y() << "empResult:" << bool(emptyColumn)
                       << "netNum=" << netNum;
    const QByteArray page =
        imageWindowPage(offset, windowsFromList(windows, Dialect::Plain), emptyColumn, addOffset);
    if (page.isEmpty()) {
        const QString error = QStringLiteral("port %1: %2 windows, a page holds %3")
                                  .arg(netNum)
                                  .arg(windows.size())
                                  .arg(MaxPageWindows);
        qCDebug(lcWindows) << error;
        m_windowWriteErrors.append(error);
    }
    return page;
}

bool BLL_BusinessLogic_SendCardPackage::setAllPxImageWindow(int maxUnused, int minUnused,
                                                            const PortMaps &ports, QString scType,
                                                            QMap<QString, QVariant> leftEmpObj)
{
    const Bank bank = bankForScreenType(scType);
    for (int port = 0; port < ports.size(); ++port) {
        if (!portInUse(ports.at(port), maxUnused, minUnused))
            continue;
        const PortAggregate aggregate = PortAggregate::fromHash(ports.at(port));
        const QByteArray page =
            imageWindowPage(QPoint(aggregate.minX, aggregate.minY), boxSlices(aggregate),
                            emptyColumnWidth(leftEmpObj, port), false);
        const PageTarget target = imageWindowTarget(bank, port);
        writeWindowPage(target.operation, target.address, page);
    }
    return true;
}

quint32 BLL_BusinessLogic_SendCardPackage::writeBoxPositions(
    int maxUnused, int minUnused, const PortMaps &ports, const QVector<QMap<int, QVariant>> &boxes,
    bool bankB)
{
    const Bank bank = bankB ? Bank::B : Bank::A;
    QVector<int> counts(PortCount, 0);
    quint32 last = 0;
    for (int port = 0; port < ports.size() && port < boxes.size(); ++port) {
        if (!portInUse(ports.at(port), maxUnused, minUnused))
            continue;
        const PortAggregate aggregate = PortAggregate::fromHash(ports.at(port));
        QVector<QPoint> positions;
        for (const QVariant &box : boxes.at(port))
            positions.append(box.toRect().topLeft() - QPoint(aggregate.minX, aggregate.minY));
        const QByteArray page = boxPositionPage(positions);
        if (page.isEmpty()) {
            const QString error = QStringLiteral("port %1: %2 boxes, a page holds %3")
                                      .arg(port)
                                      .arg(positions.size())
                                      .arg(MaxPageBoxes);
            qCDebug(lcWindows) << error;
            m_windowWriteErrors.append(error);
            continue;
        }
        const PageTarget target = boxPositionTarget(bank, port);
        last = writeWindowPage(target.operation, target.address, page);
        if (port < counts.size())
            counts[port] = positions.size();
    }
    if (bankB)
        writeWindowPage(BoxSummaryTarget.operation, BoxSummaryTarget.address,
                        boxSummaryRecord(counts));
    return last;
}

quint32 BLL_BusinessLogic_SendCardPackage::setAllPxBoxPosition(
    int maxUnused, int minUnused, const PortMaps &ports, const QVector<QMap<int, QVariant>> &boxes,
    QString scType)
{
    return writeBoxPositions(maxUnused, minUnused, ports, boxes,
                             bankForScreenType(scType) == Bank::B);
}

void BLL_BusinessLogic_SendCardPackage::setAllComplexPxBoxPosition(
    int maxUnused, int minUnused, const PortMaps &ports, const QVector<QMap<int, QVariant>> &boxes,
    bool curing)
{
    writeBoxPositions(maxUnused, minUnused, ports, boxes, bankForCuring(curing) == Bank::B);
}

void BLL_BusinessLogic_SendCardPackage::writeDviRecords(int maxUnused, int minUnused,
                                                        const PortMaps &ports, bool bankB,
                                                        bool wholeRecord)
{
    const Bank bank = bankB ? Bank::B : Bank::A;
    for (int port = 0; port < ports.size(); ++port) {
        if (!portInUse(ports.at(port), maxUnused, minUnused))
            continue;
        const std::optional<DviTarget> target = dviTarget(bank, port);
        if (!target) {
            // Only four DVI inputs have records; another port must not take one.
            qCDebug(lcWindows) << "sendAllDVIOffset: port" << port << "has no DVI record, skipped";
            continue;
        }
        const Window box = PortAggregate::fromHash(ports.at(port)).box();
        const QByteArray record = dviRecord(0, 0, box.h, box.w);
        if (bank == Bank::A || wholeRecord) {
            writeWindowPage(target->offset.operation, target->offset.address, record);
        } else {
            writeWindowPage(target->offset.operation, target->offset.address, record.left(4));
            writeWindowPage(target->area.operation, target->area.address, record.mid(4));
        }
    }
}

void BLL_BusinessLogic_SendCardPackage::sendAllDVIOffset(int maxUnused, int minUnused,
                                                         const PortMaps &ports, QString scType)
{
    qCDebug(lcWindows) << "sendAllDVIOffset";
    writeDviRecords(maxUnused, minUnused, ports, bankForScreenType(scType) == Bank::B, false);
}

void BLL_BusinessLogic_SendCardPackage::sendAllDVIOffset(int x, int y, int w, int h, QString scType)
{
    const Bank bank = bankForScreenType(scType);
    const DviTarget target = *dviTarget(bank, 0);
    const QByteArray record = dviRecord(y, x, h, w);
    if (bank == Bank::A) {
        writeWindowPage(target.offset.operation, target.offset.address, record);
        return;
    }
    writeWindowPage(target.offset.operation, target.offset.address, record.left(4));
    writeWindowPage(target.area.operation, target.area.address, record.mid(4));
}

void BLL_BusinessLogic_SendCardPackage::sendAllComplexDVIOffset(int maxUnused, int minUnused,
                                                                const PortMaps &ports, bool curing)
{
    qCDebug(lcWindows) << (curing ? " DVI-------------curing" : " DVI-------------send");
    writeDviRecords(maxUnused, minUnused, ports, bankForCuring(curing) == Bank::B, true);
}

void BLL_BusinessLogic_SendCardPackage::sendAllComplexDVIOffset(int x, int y, int w, int h,
                                                                bool curing)
{
    qCDebug(lcWindows) << (curing ? " DVI-------------curing" : " DVI-------------send");
    const DviTarget target = *dviTarget(bankForCuring(curing), 0);
    writeWindowPage(target.offset.operation, target.offset.address, dviRecord(y, x, h, w));
}

bool BLL_BusinessLogic_SendCardPackage::setComplexPxImageWindow(
    int maxUnused, int minUnused, const PortMaps &ports, const QVector<QList<QVariant>> &windows,
    bool curing)
{
    const Bank bank = bankForCuring(curing);
    bool written = true;
    for (int port = 0; port < ports.size() && port < windows.size(); ++port) {
        if (!portInUse(ports.at(port), maxUnused, minUnused) || windows.at(port).isEmpty())
            continue;
        qCDebug(lcWindows) << "-----------winNetVector[m]: " << windows.at(port);
        const QPoint offset(ports.at(port).value(QStringLiteral("offsetminX")).toInt(),
                            ports.at(port).value(QStringLiteral("offsetminY")).toInt());
        const QByteArray page =
            imageWindowPage(offset, windowsFromList(windows.at(port), Dialect::Complex), {}, false);
        if (page.isEmpty()) {
            m_windowWriteErrors.append(
                QStringLiteral("port %1: more windows than a page holds").arg(port));
            written = false;
            continue;
        }
        const PageTarget target = imageWindowTarget(bank, port);
        writeWindowPage(target.operation, target.address, page);
    }
    return written;
}

bool BLL_BusinessLogic_SendCardPackage::setAllComplexPxImageWindow(int maxUnused, int minUnused,
                                                                   const PortMaps &ports,
                                                                   bool curing)
{
    const Bank bank = bankForCuring(curing);
    for (int port = 0; port < ports.size(); ++port) {
        if (!portInUse(ports.at(port), maxUnused, minUnused))
            continue;
        const PortAggregate aggregate = PortAggregate::fromHash(ports.at(port));
        const QByteArray page = imageWindowPage(QPoint(aggregate.minX, aggregate.minY),
                                                boxSlices(aggregate), {}, false);
        const PageTarget target = imageWindowTarget(bank, port);
        writeWindowPage(target.operation, target.address, page);
    }
    return true;
}

// ---- window dump -------------------------------------------------------------------------

bool BLL_BusinessLogic_SendCardPackage::outScreenOffset(QByteArray *data, int fileNo)
{
    if (!data || fileNo < 1 || fileNo > 3) {
        qCDebug(lcWindows) << "Cannot open file for reading: " << fileNo;
        return false;
    }
    const QString dir = ledwall::applicationFilePath(QStringLiteral("DataBase/"));
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("%1.txt").arg(fileNo));
    // Truncated: a shorter dump must not leave the tail of an older one behind.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        qCDebug(lcWindows) << "Cannot open file for reading: " << file.fileName();
        return false;
    }
    const QByteArray text = hexDumpByEntry(*data);
    return file.write(text) == text.size();
}
