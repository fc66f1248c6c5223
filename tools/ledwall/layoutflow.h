#pragma once
// The layout flows that `ledwall layout` and the demo share: a layout written to
// a sending card's flash, read back, and a topology rebuilt from the card's
// hardware port table, all through the facade's sending-card object.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "facadesession.h"
#include "registermap.h"

#include <QObject>
#include <QVariantMap>

namespace cli::layout
{

inline BLL_BusinessLogic_SendCardPackage &card()
{
    return BLL_BusinessLogic_Desktop::instance()->sendCardPackage();
}

// Makes `guid` the current device and wires the replies to the sending-card
// object (the user interface's first search does this; the tool opens its link
// directly).
inline void attach(const QString &guid)
{
    BLL_DataCenter_Desktop::instance()->setCurrentGuid(guid);
    QObject::connect(BLL_BusinessLogic_Desktop::instance(),
                     SIGNAL(sig_devicesModuleData(QVariantMap)), &card(),
                     SLOT(slot_dealData(QVariantMap)), Qt::UniqueConnection);
    QObject::connect(BLL_BusinessLogic_Desktop::instance(), SIGNAL(sig_timeoutCmd(QVariantMap)),
                     &card(), SLOT(slot_timeoutCmd(QVariantMap)), Qt::UniqueConnection);
}

// Runs one conversion of the chosen model and waits for its signal.
inline bool convert(bool complex, int mode, int timeoutMs)
{
    QObject context;
    bool done = false;
    QObject::connect(&card(), &BLL_BusinessLogic_SendCardPackage::sig_displayOperation, &context,
                     [&](int finished) { done = done || finished == mode; });
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const bool started = complex ? facade->complexDisplayDataFormatConv(mode)
                                 : facade->connectDisplayDataFormatConv(mode);
    return started && waitUntil([&] { return done; }, timeoutMs);
}

// Waits for the first sig_readDevData whose "addr" passes `matches`, after `start`.
template <typename Start, typename Matches>
QVariantMap waitForReport(Start start, Matches matches, int timeoutMs)
{
    QObject context;
    QVariantMap found;
    QObject::connect(&card(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context,
                     [&](QVariantMap report) {
                         if (found.isEmpty() && matches(report))
                             found = report;
                     });
    start();
    waitUntil([&] { return !found.isEmpty(); }, timeoutMs);
    return found;
}

// Encodes, compresses and writes `map` to the card's flash; true only when the
// card has acknowledged every chunk. A chunk that times out or is refused fails
// the write with its address.
inline bool write(const QVariantMap &map, bool complex, int timeoutMs, QString *why)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const bool saved =
        complex ? facade->saveComplexConnectDisplayData(map) : facade->saveConnectDisplayData(map);
    if (!saved || !convert(complex, 1, timeoutMs)) {
        *why = QStringLiteral("the layout could not be encoded");
        return false;
    }
    QObject context;
    QVariantMap report;
    QObject::connect(&card(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context,
                     [&](QVariantMap r) {
                         if (report.isEmpty() && r.contains(QStringLiteral("displayRecordWritten")))
                             report = r;
                     });
    const bool sent = complex ? facade->sendComplexDisplayDataToDevice({})
                              : facade->sendConnectDisplayDataToDevice({});
    if (!sent) {
        *why = QStringLiteral("the layout is too large for the card (or empty)");
        return false;
    }
    waitUntil([&] { return !report.isEmpty(); }, timeoutMs);
    if (report.isEmpty()) {
        *why = QStringLiteral("the card did not confirm every chunk within %1 ms").arg(timeoutMs);
        return false;
    }
    if (!report.value(QStringLiteral("displayRecordWritten")).toBool()) {
        *why = QStringLiteral("the chunk at 0x%1 was not written: %2")
                   .arg(report.value(QStringLiteral("m_regAddr")).toUInt(), 0, 16)
                   .arg(report.value(QStringLiteral("error")).toString());
        return false;
    }
    return true;
}

// Reads the layout back from the card's flash and decodes it.
inline bool read(bool complex, int timeoutMs, QVariantMap *map, QString *why)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const QVariantMap report = waitForReport(
        [&] {
            facade->readConnectDisplayDataToDevice(
                {{QStringLiteral("isComplex"), complex ? 1 : 0}});
        },
        [](const QVariantMap &r) {
            return r.contains(QStringLiteral("addr")) ||
                   r.contains(QStringLiteral("displayRecordRead"));
        },
        timeoutMs);
    if (!report.contains(QStringLiteral("addr"))) {
        *why = QStringLiteral("not every block of the display record came back");
        return false;
    }
    if (!facade->parseConnectDisplayDataFromDevice(complex)) {
        *why = QStringLiteral("the card holds no readable layout of this kind");
        return false;
    }
    if (!convert(complex, 2, timeoutMs)) {
        *why = QStringLiteral("the layout text could not be decoded");
        return false;
    }
    *map = facade->openConnectDisplayData(complex).value(0).toMap();
    return true;
}

// Reads the hardware port table of `ethNum` ports and rebuilds the topology.
inline bool rebuild(int ethNum, int timeoutMs, QVariantMap *map, QVariantMap *report, QString *why)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    *report = waitForReport(
        [&] {
            facade->readHardwareConnectDisplayDataToDevice({{QStringLiteral("EthNum"), ethNum}});
        },
        [](const QVariantMap &r) {
            return r.value(QStringLiteral("addr")).toUInt() ==
                       ledwall::registers::PortTable.first &&
                   (r.contains(QStringLiteral("overLape")) || r.contains(QStringLiteral("error")));
        },
        timeoutMs);
    if (report->isEmpty()) {
        *why = QStringLiteral("the port table did not come back");
        return false;
    }
    if (report->contains(QStringLiteral("error"))) {
        *why = report->value(QStringLiteral("error")).toString();
        return false;
    }
    *map = facade->openConnectDisplayData(false).value(0).toMap();
    return true;
}

} // namespace cli::layout
