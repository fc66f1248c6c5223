// Demo group: read one receiving card's flash back through the pipeline, package
// it as an upgrade file and check the file, upgrade another card with part of it,
// then write a block to a receiving card and see the wall hold it.
#include "demo.h"

#include "armframe.h"
#include "firmwareflow.h"
#include "layoutflow.h"
#include "registermap.h"

#include <QTemporaryDir>

namespace demo
{
namespace
{

constexpr quint32 FlashBase = ledwall::registers::FirmwareImage.first;
constexpr int ReadChunk = 1024; // one read: 256 flash units
constexpr quint32 BlockAddress = 0xA0030000;
constexpr int BlockSize = 1000;

} // namespace

Cards receivingCards(ledwall::sim::VirtualWall &wall)
{
    ledwall::sim::WallDescription description = wall.wall();
    for (const ledwall::sim::WallPort &port : qAsConst(description.ports)) {
        if (!port.cabinets.isEmpty() && port.port < 16)
            return {port.port, port.cabinets.constFirst().card, port.cabinets.constLast().card};
    }
    ledwall::sim::WallPort port;
    port.port = 0;
    port.cabinets = {ledwall::sim::WallCabinet{0, 128, 128},
                     ledwall::sim::WallCabinet{1, 128, 128}};
    description.ports.prepend(port);
    wall.setWall(description);
    return {0, 0, 1};
}

bool runFirmwareDemo(Context &context)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    const Cards cards = receivingCards(context.wall);

    // Read-back: 1 KiB requests over the card's firmware image.
    const int imageSize =
        context.wall.readReceivingCard(cards.port, cards.first, FlashBase, 64 * 1024).size();
    if (imageSize == 0)
        return fail(QStringLiteral("flash-read"), QStringLiteral("the wall has no receiving card"));
    QString why;
    const QByteArray image = cli::firmware::readFlash(context.guid, {cards.port, cards.first},
                                                      FlashBase, imageSize, {}, &why);
    if (image.isEmpty())
        return fail(QStringLiteral("flash-read"), why);
    if (image != context.wall.readReceivingCard(cards.port, cards.first, FlashBase, imageSize))
        return fail(QStringLiteral("flash-read"), QStringLiteral("image differs from the card's"));
    stepOk(QStringLiteral("flash-read"),
           QStringLiteral("%1 bytes in %2 \"Module_ReceivingFlashInfo\" replies")
               .arg(imageSize)
               .arg(imageSize / ReadChunk));

    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("package"), QStringLiteral("no temporary folder"));
    const QString path = dir.filePath(QStringLiteral("card0.rcfw"));
    const quint32 crc = ledwall::arm::crc32(image, 0, image.size());
    const int packaged =
        facade->packageReceFileHead(path, {{QStringLiteral("receCardType"), 1},
                                           {QStringLiteral("driveType"), QStringLiteral("A")},
                                           {QStringLiteral("version"), QStringLiteral("1.a")},
                                           {QStringLiteral("recCardCRC32"), crc}});
    if (packaged != 0)
        return fail(QStringLiteral("package"), QStringLiteral("result %1").arg(packaged));
    stepOk(QStringLiteral("package"),
           QStringLiteral("crc32 0x%1").arg(crc, 8, 16, QLatin1Char('0')));

    const int checked = facade->checkReceFileHead(
        path, {{QStringLiteral("cardFlag"), 2},
               {QStringLiteral("receCardType"), QStringLiteral("NRX-72")}});
    if (checked != 0)
        return fail(QStringLiteral("check-file"), QStringLiteral("result %1").arg(checked));
    stepOk(QStringLiteral("check-file"), QStringLiteral("result 0"));

    // The first 8 KiB of that image into the other card's flash, read back and compared.
    cli::layout::attach(context.guid);
    const QByteArray upgrade = image.left(8 * 1024);
    const cli::firmware::UpgradeResult upgraded = cli::firmware::upgradeCard(
        context.guid, {cards.port, cards.last}, FlashBase, upgrade, true, {});
    if (!upgraded.verified || context.wall.readReceivingCard(cards.port, cards.last, FlashBase,
                                                             upgrade.size()) != upgrade)
        return fail(QStringLiteral("firmware-upgrade"), upgraded.error);
    stepOk(QStringLiteral("firmware-upgrade"),
           QStringLiteral("%1 bytes to card %2 of port %3, read back equal")
               .arg(upgrade.size())
               .arg(cards.last)
               .arg(cards.port));

    // A block for another card, in the memory written in 16-byte units.
    QByteArray block(BlockSize, '\0');
    for (int i = 0; i < BlockSize; ++i)
        block[i] = char(0x21 + i % 90);
    BLL_BusinessLogic_SendCardPackage &sendCard = facade->sendCardPackage();
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = 0x008000A1;
    descriptor.startAddress = cli::firmware::portAddress(cards.port);
    descriptor.recvCommand = 0x01;
    descriptor.recvWord1 = descriptor.recvWord2 = quint16(cards.last);
    descriptor.recvAddress = BlockAddress;
    sendCard.setFlashAccessDescriptor(descriptor);
    const quint32 last = sendCard.writeRecvCardInfo(context.guid, block, 256, 1000, false);
    const bool held = cli::waitUntil(
        [&] {
            return context.wall.readReceivingCard(cards.port, cards.last, BlockAddress,
                                                  BlockSize) == block;
        },
        StepTimeoutMs);
    if (!held)
        return fail(QStringLiteral("card-block"),
                    QStringLiteral("the wall does not hold the block"));
    stepOk(QStringLiteral("card-block"),
           QStringLiteral("%1 bytes to card %2 of port %3, last address 0x%4")
               .arg(BlockSize)
               .arg(cards.last)
               .arg(cards.port)
               .arg(last, 0, 16));
    return true;
}

} // namespace demo
