#pragma once
// The driver-chip flow that `ledwall chip send` and the demo share: a chip's default
// register image loaded into the chip library through the chip layer (which reports
// "Module_loadBuffToSdk" through the facade), then written to a receiving card and
// read back from it.

#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_lssdk.h"
#include "chipselection.h"
#include "chiptext.h"
#include "facadesession.h"
#include "registermap.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace cli::chip
{

constexpr int ReadChunk = 1024; // one read-back reply

// The default register file of a chip and decode index beside the program; empty
// with `*why` set when there is none.
inline QByteArray defaultImageText(int chipId, int decodeIndex, QString *why)
{
    const QString name = ledwall::chip::defaultRegisterFile(chipId, decodeIndex);
    if (name.isEmpty()) {
        *why = QStringLiteral("the chip has no default register file");
        return {};
    }
    QFile file(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
               QFileInfo(name).fileName());
    if (!file.open(QIODevice::ReadOnly) || file.size() > ledwall::chip::MaxRegisterTextSize) {
        *why = QStringLiteral("cannot read %1").arg(file.fileName());
        return {};
    }
    return file.readAll();
}

// Loads `load` ("driverChip", "decodedMode", "registerAddr") on the chip layer's
// worker thread and waits for its "Module_loadBuffToSdk" report.
inline bool loadThroughFacade(FacadeSession &session, BLL_BusinessLogic_LSSDK &sdk,
                              const QVariantMap &load, int timeoutMs)
{
    session.replies.clear();
    sdk.loadBuffToSDK(load);
    return waitUntil(
        [&] {
            for (const QVariantMap &map : qAsConst(session.replies)) {
                if (map.value(QStringLiteral("moduleName")).toString() ==
                    QLatin1String("Module_loadBuffToSdk"))
                    return true;
            }
            return false;
        },
        timeoutMs);
}

// Writes `image` to card `card` of sending-card port `port` at the chip register
// image address and reads it back; true only when the card returns the same bytes.
inline bool writeToCard(FacadeSession &session, const QString &guid, int port, int card,
                        const QByteArray &image, int timeoutMs, QString *why)
{
    constexpr quint32 base = ledwall::registers::ChipRegisterImage;
    const quint32 portAddress = (quint32(port) | 0x10) << 16;
    BLL_BusinessLogic_SendCardPackage &sendCard =
        BLL_BusinessLogic_Desktop::instance()->sendCardPackage();
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = 0x008000A1;
    descriptor.startAddress = portAddress;
    descriptor.recvCommand = 0x01;
    descriptor.recvWord1 = descriptor.recvWord2 = quint16(card);
    descriptor.recvAddress = base;
    sendCard.setFlashAccessDescriptor(descriptor);
    if (sendCard.writeRecvCardInfo(guid, image, 256, 1000, false) == 0) {
        *why = QStringLiteral("the link refused the write");
        return false;
    }

    session.replies.clear();
    const int requests = (image.size() + ReadChunk - 1) / ReadChunk;
    for (int i = 0; i < requests; ++i) {
        session.append({{QStringLiteral("moduleName"), QStringLiteral("Module_ReceivingSDRAMInfo")},
                        {QStringLiteral("sendCardFlag"), 1},
                        {QStringLiteral("guid"), guid},
                        {QStringLiteral("m_regAddr"), portAddress},
                        {QStringLiteral("ltcpFirstCard"), card},
                        {QStringLiteral("ltcpLastCard"), card},
                        {QStringLiteral("ltcpAddr_data"), base + quint32(i * ReadChunk / 4)},
                        {QStringLiteral("readLength"), ReadChunk},
                        {QStringLiteral("timeout"), 1000}});
    }
    QByteArray readBack(requests * ReadChunk, '\0');
    QSet<quint32> arrived;
    const bool complete = waitUntil(
        [&] {
            for (const QVariantMap &map : qAsConst(session.replies)) {
                const quint32 address = map.value(QStringLiteral("ltcpAddr_data")).toUInt();
                const QByteArray data = map.value(QStringLiteral("recvData")).toByteArray();
                const qint64 offset = 4 * (qint64(address) - base);
                // Only the blocks asked for, each whole.
                if (map.value(QStringLiteral("moduleName")).toString() !=
                        QLatin1String("Module_ReceivingSDRAMInfo") ||
                    arrived.contains(address) || offset < 0 || offset >= readBack.size() ||
                    offset % ReadChunk != 0 || data.size() != ReadChunk)
                    continue;
                readBack.replace(int(offset), ReadChunk, data);
                arrived.insert(address);
            }
            return arrived.size() == requests;
        },
        timeoutMs);
    if (!complete) {
        *why = QStringLiteral("%1 of %2 read-back replies").arg(arrived.size()).arg(requests);
        return false;
    }
    if (readBack.left(image.size()) != image) {
        *why = QStringLiteral("the card returned other bytes than were written");
        return false;
    }
    return true;
}

} // namespace cli::chip
