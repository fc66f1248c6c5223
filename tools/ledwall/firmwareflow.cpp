#include "firmwareflow.h"

#include "facadesession.h"
#include "flashimage.h"
#include "layoutflow.h"
#include "registermap.h"

#include <QHash>
#include <QRegularExpression>

#include <atomic>
#include <thread>

namespace cli::firmware
{

namespace
{

constexpr int BlockSize = ledwall::flashimage::BlockSize;
constexpr quint32 ImageBase = ledwall::registers::FirmwareImage.first;
constexpr int ReadTimeoutMs = 1000; // per read request
constexpr int ReadRounds = 3;
constexpr int RepairRounds = 2;
// The time-out that makes the block write pace the flash in its fast mode: short
// pauses inside a 4 KiB group, a long one between groups.
constexpr int FastFlashTimeout = 501;

bool insideImage(quint32 address, int size)
{
    return address >= ImageBase && quint64(address) + quint64(size) / 4 <=
                                       quint64(ledwall::registers::FirmwareImage.last) + 1;
}

} // namespace

bool parseCards(const QString &text, QVector<Card> *cards, QString *why)
{
    static const QRegularExpression pair(QStringLiteral("^(\\d{1,2}):(\\d{1,5})$"));
    cards->clear();
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch match = pair.match(item.trimmed());
        const int port = match.captured(1).toInt();
        const int card = match.captured(2).toInt();
        if (!match.hasMatch() || port > 15 || card > 65534) {
            *why = QStringLiteral("'%1' is not PORT:CARD (port 0-15, card 0-65534)").arg(item);
            return false;
        }
        cards->append({port, card});
    }
    return true;
}

quint32 portAddress(int port)
{
    return (quint32(port) | 0x10) << 16;
}

QByteArray readFlash(const QString &guid, const Card &card, quint32 address, int size,
                     const Progress &progress, QString *why)
{
    if (size <= 0 || size % BlockSize != 0 || !insideImage(address, size)) {
        *why = QStringLiteral("%1 bytes at 0x%2 are not whole blocks of the firmware image")
                   .arg(size)
                   .arg(address, 0, 16);
        return {};
    }
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    QByteArray image; // from ImageBase, as the flash replies place their blocks
    QHash<quint32, bool> wanted;
    for (int offset = 0; offset < size; offset += BlockSize)
        wanted.insert(address + quint32(offset / 4), false);
    int arrived = 0;
    QObject context;
    QObject::connect(
        facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &context,
        [&](QVariantMap reply) {
            if (reply.value(QStringLiteral("moduleName")) !=
                QLatin1String("Module_ReceivingFlashInfo"))
                return;
            const quint32 block = reply.value(QStringLiteral("ltcpAddr")).toUInt();
            auto it = wanted.find(block);
            if (it == wanted.end() || it.value() ||
                !ledwall::flashimage::placeBlock(
                    image, block, reply.value(QStringLiteral("recvUpdateData")).toByteArray()))
                return;
            it.value() = true;
            ++arrived;
            if (progress)
                progress(qint64(arrived) * BlockSize, size);
        });
    for (int round = 0; round < ReadRounds && arrived < wanted.size(); ++round) {
        int asked = 0;
        for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
            if (it.value())
                continue;
            ++asked;
            facade->moduleThread().appendModuleData(
                {{QStringLiteral("moduleName"), QStringLiteral("Module_ReceivingFlashInfo")},
                 {QStringLiteral("sendCardFlag"), 1},
                 {QStringLiteral("guid"), guid},
                 {QStringLiteral("m_regAddr"), portAddress(card.port)},
                 {QStringLiteral("ltcpFirstCard"), card.card},
                 {QStringLiteral("ltcpLastCard"), card.card},
                 {QStringLiteral("ltcpAddr_data"), it.key()},
                 {QStringLiteral("readLength"), BlockSize},
                 {QStringLiteral("timeout"), ReadTimeoutMs}});
        }
        // Replies or time-outs of every request, with the link's window of 16.
        waitUntil([&] { return arrived == wanted.size(); }, ReadTimeoutMs * 2 + asked * 20);
    }
    if (arrived < wanted.size()) {
        *why = QStringLiteral("%1 of %2 blocks of card %3:%4 did not come back")
                   .arg(wanted.size() - arrived)
                   .arg(wanted.size())
                   .arg(card.port)
                   .arg(card.card);
        return {};
    }
    return image.mid(int(address - ImageBase) * 4, size);
}

bool writeFlash(const QString &guid, const Card &card, quint32 address, const QByteArray &image,
                const Progress &progress, QString *why)
{
    BLL_BusinessLogic_SendCardPackage &sendCard = layout::card();
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = 0x008000A1; // write through the sending card to its receiving cards
    descriptor.startAddress = portAddress(card.port);
    descriptor.recvCommand = 0x01; // write
    descriptor.recvWord1 = descriptor.recvWord2 = quint16(card.card);
    descriptor.recvAddress = address;
    sendCard.setFlashAccessDescriptor(descriptor);
    sendCard.setBlockProgress([&progress, &image](int sent, int frames) {
        if (progress)
            progress(qint64(image.size()) * sent / frames, image.size());
    });
    // The write waits for acknowledgements that reach the sending-card object through
    // this thread's event loop: it runs beside it.
    std::atomic<bool> done{false};
    quint32 last = 0;
    std::thread writer([&] {
        last = sendCard.writeRecvCardInfo(guid, image, BlockSize, FastFlashTimeout, true);
        done = true;
    });
    while (!done)
        waitUntil([&] { return done.load(); }, 1000);
    writer.join();
    sendCard.setBlockProgress(nullptr);
    if (last == 0) {
        *why = QStringLiteral("the link refused the write to card %1:%2")
                   .arg(card.port)
                   .arg(card.card);
        return false;
    }
    if (const int missing = sendCard.unacknowledgedFrames()) {
        *why = QStringLiteral("card %1:%2 did not acknowledge %3 frames")
                   .arg(card.port)
                   .arg(card.card)
                   .arg(missing);
        return false;
    }
    return true;
}

UpgradeResult upgradeCard(const QString &guid, const Card &card, quint32 address,
                          const QByteArray &image, bool verify, const Progress &progress)
{
    UpgradeResult result;
    result.written = writeFlash(guid, card, address, image, progress, &result.error);
    if (!verify)
        return result;
    // Whole blocks are read back; the image's last block is compared as far as it goes.
    const int readSize = (image.size() + BlockSize - 1) / BlockSize * BlockSize;
    for (int round = 0; round <= RepairRounds; ++round) {
        QString why;
        const QByteArray back = readFlash(guid, card, address, readSize, {}, &why);
        if (back.isEmpty()) {
            result.error = why;
            return result;
        }
        QVector<int> differing;
        for (int offset = 0; offset < image.size(); offset += BlockSize) {
            if (back.mid(offset, BlockSize) != image.mid(offset, BlockSize))
                differing.append(offset);
        }
        if (differing.isEmpty()) {
            result.written = result.verified = true;
            result.error.clear();
            return result;
        }
        result.error = QStringLiteral("%1 blocks of card %2:%3 read back different")
                           .arg(differing.size())
                           .arg(card.port)
                           .arg(card.card);
        if (round == RepairRounds)
            break;
        for (const int offset : qAsConst(differing))
            writeFlash(guid, card, address + quint32(offset / 4), image.mid(offset, BlockSize), {},
                       &why);
    }
    result.written = false;
    return result;
}

} // namespace cli::firmware
