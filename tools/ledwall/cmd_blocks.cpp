// ledwall blocks: card information blocks written to or read from the cards.
//
//     ledwall blocks write (DEVICE | --udisk FILE) --address A [--cards P:C]
//                          [--command-word W] [--chunk N] DATA
//     ledwall blocks read DEVICE --address A --length N [--cards P:C] OUT
//
// Without --cards the block belongs to the sending card (A a sending-card address);
// with it to one receiving card behind it (A a receiving-card address in 4-byte
// units: 0xAF... flash, 0xA0... memory in 16-byte units). --udisk collects the
// frames of a write into a U-disk image instead of sending them.

#include "cli.h"
#include "cliutil.h"
#include "devicetarget.h"
#include "facadesession.h"
#include "firmwareflow.h"
#include "layoutflow.h"

#include <QLoggingCategory>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace
{

constexpr quint32 SendCardWrite = 0x008000A5;      // write to the sending card
constexpr quint32 ReceivingCardWrite = 0x008000A1; // write through it to receiving cards
constexpr int AckTimeoutMs = 1000;
constexpr qint64 MaxBlockSize = 16 * 1024 * 1024;

struct BlockOptions {
    quint32 address = 0;
    bool receiving = false;
    cli::firmware::Card card;
    quint32 commandWord = 0;
    int chunk = 1024;
};

bool hexOrDecimal(const QCommandLineParser &parser, const QString &name, quint32 *value)
{
    bool ok = false;
    const QString text = parser.value(name);
    const qulonglong number = text.toULongLong(&ok, 0);
    if (!ok || number > 0xFFFFFFFFull) {
        cli::printError(QStringLiteral("--%1 '%2' is not a 32-bit number").arg(name, text));
        return false;
    }
    *value = quint32(number);
    return true;
}

void addBlockOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("address"),
                      QStringLiteral("Address of the block (hex with 0x, or decimal)."),
                      QStringLiteral("A")});
    parser.addOption({QStringLiteral("cards"),
                      QStringLiteral("The receiving card PORT:CARD (else the sending card)."),
                      QStringLiteral("P:C")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
}

bool blockOptions(const QCommandLineParser &parser, BlockOptions *options)
{
    if (!cli::requireOptions(parser, {"address"}) ||
        !hexOrDecimal(parser, QStringLiteral("address"), &options->address))
        return false;
    options->receiving = parser.isSet(QStringLiteral("cards"));
    if (options->receiving) {
        QVector<cli::firmware::Card> cards;
        QString why;
        if (!cli::firmware::parseCards(parser.value(QStringLiteral("cards")), &cards, &why) ||
            cards.size() != 1) {
            cli::printError(QStringLiteral("--cards: ") +
                            (why.isEmpty() ? QStringLiteral("name one card") : why));
            return false;
        }
        options->card = cards.constFirst();
    }
    options->commandWord = options->receiving ? ReceivingCardWrite : SendCardWrite;
    return true;
}

FlashAccessDescriptor descriptorFor(const BlockOptions &options)
{
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = options.commandWord;
    if (options.receiving) {
        descriptor.startAddress = cli::firmware::portAddress(options.card.port);
        descriptor.recvCommand = 0x01;
        descriptor.recvWord1 = descriptor.recvWord2 = quint16(options.card.card);
        descriptor.recvAddress = options.address;
    } else {
        descriptor.startAddress = options.address;
    }
    return descriptor;
}

// The U-disk image of the block's frames, written to `path`.
int writeUDiskImage(const BlockOptions &options, const QByteArray &data, const QString &path)
{
    BLL_BusinessLogic_SendCardPackage &card = cli::layout::card();
    card.setFlashAccessDescriptor(descriptorFor(options));
    card.clearUsbFlashData();
    card.setUDiskMode(true);
    if (options.receiving)
        card.writeRecvCardInfo(QString(), data, options.chunk, AckTimeoutMs, false);
    else
        card.writeSendCardInfo(QString(), data, options.chunk, AckTimeoutMs);
    card.setUDiskMode(false);
    const QByteArray image = card.usbFlashData();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit()) {
        cli::printError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return cli::ExitFailed;
    }
    cli::printJson(QVariantMap{{QStringLiteral("udisk"), path},
                               {QStringLiteral("frames"), card.usbFlashDataNum()},
                               {QStringLiteral("bytes"), image.size()}});
    card.clearUsbFlashData();
    return cli::ExitOk;
}

// A sending-card block: every chunk's frame must be acknowledged.
bool writeToSendingCard(cli::FacadeSession &session, const QString &guid,
                        const BlockOptions &options, const QByteArray &data, QString *why)
{
    BLL_BusinessLogic_SendCardPackage &card = cli::layout::card();
    card.setFlashAccessDescriptor(descriptorFor(options));
    QSet<quint32> pending;
    for (int offset = 0; offset < data.size(); offset += options.chunk)
        pending.insert(options.address + quint32(offset));
    const int repliesBefore = session.replies.size();
    card.writeSendCardInfo(guid, data, options.chunk, AckTimeoutMs);
    QString refused;
    cli::waitUntil(
        [&] {
            for (int i = repliesBefore; i < session.replies.size(); ++i) {
                const QVariantMap &reply = session.replies.at(i);
                const quint32 address = reply.value(QStringLiteral("m_regAddr")).toUInt();
                if (reply.value(QStringLiteral("moduleName")) !=
                        QLatin1String("Module_WriteSendCardRegister") ||
                    !pending.contains(address))
                    continue;
                if (!reply.value(QStringLiteral("result")).toBool())
                    refused =
                        QStringLiteral("the card refused the chunk at 0x%1").arg(address, 0, 16);
                pending.remove(address);
            }
            return pending.isEmpty();
        },
        AckTimeoutMs * 2 + data.size() / options.chunk * 10);
    if (!pending.isEmpty()) {
        const quint32 first = *std::min_element(pending.cbegin(), pending.cend());
        *why = QStringLiteral("%1 chunks not acknowledged, the first at 0x%2")
                   .arg(pending.size())
                   .arg(first, 0, 16);
        return false;
    }
    *why = refused;
    return refused.isEmpty();
}

int runWrite(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addDeviceOptions(parser);
    addBlockOptions(parser);
    parser.addOption({QStringLiteral("udisk"),
                      QStringLiteral("Collect the frames into this U-disk image instead."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("command-word"),
                      QStringLiteral("Command word (default 0x8000a5, receiving cards 0x8000a1)."),
                      QStringLiteral("W")});
    parser.addOption({QStringLiteral("chunk"), QStringLiteral("Bytes per frame (default 1024)."),
                      QStringLiteral("N"), QStringLiteral("1024")});
    parser.addPositionalArgument(QStringLiteral("DATA"), QStringLiteral("The block's bytes."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Writes a block to the sending card or to a receiving card behind it, or "
                       "into a U-disk image."));
    if (parsed >= 0)
        return parsed;
    BlockOptions options;
    qint64 chunk = 0;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one DATA file"));
        return cli::ExitUsage;
    }
    if (!blockOptions(parser, &options) ||
        !cli::optionNumber(parser, QStringLiteral("chunk"), 1, 65000, &chunk) ||
        (parser.isSet(QStringLiteral("command-word")) &&
         !hexOrDecimal(parser, QStringLiteral("command-word"), &options.commandWord)))
        return cli::ExitUsage;
    options.chunk = int(chunk);
    const bool uDisk = parser.isSet(QStringLiteral("udisk"));
    cli::DeviceTarget target;
    if (!uDisk && !cli::deviceTarget(parser, &target))
        return cli::ExitUsage;
    QByteArray data;
    if (!cli::readInputFile(parser.positionalArguments().constFirst(), MaxBlockSize, &data))
        return cli::ExitFailed;
    if (data.isEmpty()) {
        cli::printError(QStringLiteral("the block is empty"));
        return cli::ExitFailed;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    if (uDisk)
        return writeUDiskImage(options, data, parser.value(QStringLiteral("udisk")));

    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("blocks"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::layout::attach(guid);
    QString why;
    const bool written =
        options.receiving
            ? cli::firmware::writeFlash(guid, options.card, options.address, data, {}, &why)
            : writeToSendingCard(session, guid, options, data, &why);
    cli::printJson(
        QVariantMap{{QStringLiteral("written"), written}, {QStringLiteral("bytes"), data.size()}});
    if (!written) {
        cli::printError(why);
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}

int runRead(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addDeviceOptions(parser);
    addBlockOptions(parser);
    parser.addOption(
        {QStringLiteral("length"), QStringLiteral("Bytes to read."), QStringLiteral("N")});
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("Where the bytes go."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Reads a block of the sending card's registers or of a receiving card's "
                       "firmware flash."));
    if (parsed >= 0)
        return parsed;
    BlockOptions options;
    cli::DeviceTarget target;
    qint64 length = 0;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one OUT file"));
        return cli::ExitUsage;
    }
    if (!blockOptions(parser, &options) || !cli::deviceTarget(parser, &target) ||
        !cli::requireOptions(parser, {"length"}) ||
        !cli::optionNumber(parser, QStringLiteral("length"), 1, MaxBlockSize, &length))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("blocks"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    QString why;
    QByteArray bytes;
    if (options.receiving) {
        const int whole = int((length + 1023) / 1024 * 1024);
        bytes = cli::firmware::readFlash(guid, options.card, options.address, whole, {}, &why)
                    .left(int(length));
    } else {
        // Register reads of at most 1 KiB each, in order.
        for (qint64 offset = 0; offset < length; offset += 1024) {
            const quint32 address = options.address + quint32(offset);
            const int size = int(qMin<qint64>(1024, length - offset));
            session.append(
                {{QStringLiteral("moduleName"), QStringLiteral("Module_ReadSendCardRegister")},
                 {QStringLiteral("sendCardFlag"), 1},
                 {QStringLiteral("guid"), guid},
                 {QStringLiteral("m_regAddr"), address},
                 {QStringLiteral("readLength"), size},
                 {QStringLiteral("timeout"), AckTimeoutMs}});
            const QVariantMap reply = session.waitForReply(
                QStringLiteral("Module_SendCardFlashInfo"), address, AckTimeoutMs * 2);
            const QByteArray data = reply.value(QStringLiteral("regData")).toByteArray();
            if (data.size() != size) {
                why = QStringLiteral("no answer for 0x%1").arg(address, 0, 16);
                bytes.clear();
                break;
            }
            bytes += data;
        }
    }
    if (bytes.isEmpty()) {
        cli::printError(why);
        return cli::ExitFailed;
    }
    const QString out = parser.positionalArguments().constFirst();
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        cli::printError(QStringLiteral("cannot write %1: %2").arg(out, file.errorString()));
        return cli::ExitFailed;
    }
    cli::printJson(
        QVariantMap{{QStringLiteral("out"), out}, {QStringLiteral("bytes"), bytes.size()}});
    return cli::ExitOk;
}

} // namespace

int runBlocksCommand(const QStringList &args)
{
    const QString action = args.value(1);
    const QStringList rest = QStringList{QStringLiteral("blocks ") + action} + args.mid(2);
    if (action == QLatin1String("write"))
        return runWrite(rest);
    if (action == QLatin1String("read"))
        return runRead(rest);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs("usage: ledwall blocks write|read ... (--help on each)\n", stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty() ? QStringLiteral("expected write or read")
                                     : QStringLiteral("unknown blocks action '%1'").arg(action));
    return cli::ExitUsage;
}
