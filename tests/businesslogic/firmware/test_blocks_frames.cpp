// Block transfers of the sending-card object, captured at the frame sink: chunking,
// padding, acknowledgement requests, flash pacing and the U-disk image.

#include "armframe.h"
#include "bll_businesslogic_sendcardpackage.h"
#include "cardblocks.h"
#include "dal_sendcard.h"
#include "module_sendcard_protocol.h"
#include "sendcardmodules.h"

#include <QtTest>

using namespace ledwall;

namespace
{

struct Sent {
    QString guid;
    QByteArray head;
    QByteArray payload;
    int timeout = 0;
    quint8 route = 0;
};

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

// The header the frame would carry on the wire must be self-consistent.
void verifyHeader(const Sent &frame)
{
    QCOMPARE(int(arm::readU16(frame.head, 18)), frame.payload.size() + arm::HeaderSize);
    QCOMPARE(arm::readU32(frame.head, 22), arm::crc32(frame.payload, 0, frame.payload.size()));
    QCOMPARE(arm::readU16(frame.head, 26), arm::headerSum(frame.head));
}

} // namespace

class TestBlocksFrames : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_SendCardPackage *package = nullptr;
    QVector<Sent> sent;
    QVector<int> pauses;
    std::function<void(const Module_SendCard_Protocol &)> onFrame;
    bool linkAccepts = true;

    FlashAccessDescriptor descriptor(quint32 commandWord, quint32 start, quint32 recvAddress)
    {
        FlashAccessDescriptor d;
        d.commandWord = commandWord;
        d.c4 = 0x44;
        d.slot = 2;
        d.port = 3;
        d.startAddress = start;
        d.routeByte = 1;
        d.recvCommand = 0x01;
        d.recvWord1 = 4;
        d.recvWord2 = 5;
        d.recvAddress = recvAddress;
        return d;
    }

    QVariantMap ackFor(quint32 address)
    {
        return {{QStringLiteral("moduleName"), QStringLiteral("Module_WriteSendCardRegister")},
                {QStringLiteral("m_regAddr"), address},
                {QStringLiteral("result"), true}};
    }

private slots:
    void init()
    {
        package = new BLL_BusinessLogic_SendCardPackage;
        package->setProtocolObject(std::make_unique<Module_SendCard_Protocol>());
        sent.clear();
        pauses.clear();
        onFrame = nullptr;
        linkAccepts = true;
        package->setBlockFrameSink(
            [this](const QString &guid, const Module_SendCard_Protocol &frame, quint8 route) {
                sent.append({guid, frame.m_head, frame.cmdData, frame.m_timeout, route});
                if (onFrame)
                    onFrame(frame);
                return linkAccepts;
            });
        package->setBlockPacing([this](int ms) { pauses.append(ms); });
    }
    void cleanup() { delete package; }

    void sendCardBlocksAreChunkedFromTheStartAddress()
    {
        package->setFlashAccessDescriptor(descriptor(0x030201A5, 0x120000, 0));
        const QByteArray data = pattern(2500);
        QCOMPARE(package->writeSendCardInfo("dev", data, 1024, 700), quint32(0x120000 + 2048));
        QCOMPARE(sent.size(), 3);
        const int sizes[] = {1024, 1024, 452};
        for (int i = 0; i < 3; ++i) {
            const Sent &frame = sent.at(i);
            QCOMPARE(frame.payload, data.mid(i * 1024, sizes[i]));
            QCOMPARE(arm::readU32(frame.head, 11), quint32(0x120000 + i * 1024));
            QCOMPARE(int(arm::readU16(frame.head, 15)), sizes[i]);
            // c0 c1 c2 at 2..4, c5 c6 at 7..8, c4 c3 at 9..10.
            QCOMPARE(frame.head.mid(2, 3), QByteArray::fromHex("a50102"));
            QCOMPARE(frame.head.mid(7, 4), QByteArray::fromHex("02034403"));
            QCOMPARE(frame.timeout, 700);
            verifyHeader(frame);
        }
        QCOMPARE(sent.first().route, quint8(1));
    }

    void finalFrameRulesOfTheOperationByte()
    {
        // c0 = 2: the block always ends with a final frame, here an empty one.
        package->setFlashAccessDescriptor(descriptor(0x02, 0x1000, 0));
        QCOMPARE(package->writeSendCardInfo("dev", pattern(2048), 1024, 0), quint32(0x1000 + 2048));
        QCOMPARE(sent.size(), 3);
        QVERIFY(sent.last().payload.isEmpty());

        // Any other operation: no empty frame, and nothing at all for empty data.
        sent.clear();
        package->setFlashAccessDescriptor(descriptor(0xA5, 0x1000, 0));
        package->writeSendCardInfo("dev", pattern(2048), 1024, 0);
        QCOMPARE(sent.size(), 2);
        sent.clear();
        package->setFlashAccessDescriptor(descriptor(0xFF, 0x1000, 0));
        package->writeSendCardInfo("dev", QByteArray(), 1024, 0);
        QCOMPARE(sent.size(), 1);
    }

    void receivingCardBlockPaddedInTheSixteenByteSpace()
    {
        package->setFlashAccessDescriptor(descriptor(0x008000A1, 0x120000, 0xA0030000));
        const QByteArray data = pattern(1000);
        QCOMPARE(package->writeRecvCardInfo("dev", data, 256, 1000, false),
                 quint32(0xA0030000 + 3 * 64));
        QCOMPARE(sent.size(), 4);
        // The stored bytes and their padding are checked at the wall; here the frame.
        const Sent &frame = sent.last();
        const auto inner = arm::parseInnerFrame(frame.payload);
        QVERIFY(inner);
        QCOMPARE(inner->address, quint32(0xA0030000 + 3 * 64));
        QCOMPARE(inner->word2, quint16(5));
        QCOMPARE(arm::readU32(frame.head, 11), quint32(0x120000));
        QCOMPARE(int(arm::readU16(frame.head, 15)), 240 + 19);
        QCOMPARE(quint8(frame.head.at(4)), quint8(0x80)); // c2 without acknowledgement mode
        verifyHeader(frame);

        // The U-disk image holds the very frames the link gets, each padded to 4 bytes.
        for (const bool withAck : {false, true}) {
            sent.clear();
            package->writeRecvCardInfo("dev", data, 256, 1000, withAck);
            QByteArray expected;
            for (const Sent &f : qAsConst(sent))
                blocks::appendUsbFrame(expected, f.head, f.payload);
            package->clearUsbFlashData();
            package->setUDiskMode(true);
            package->writeRecvCardInfo("dev", data, 256, 1000, withAck);
            package->setUDiskMode(false);
            QCOMPARE(package->usbFlashData(), expected);
        }

        // Outside the 0xA0 space the rest goes as it is.
        sent.clear();
        package->setFlashAccessDescriptor(descriptor(0x008000A1, 0x120000, 0xA1000000));
        package->writeRecvCardInfo("dev", data, 256, 0, false);
        QCOMPARE(arm::parseInnerFrame(sent.last().payload)->dataLength, quint16(232));
    }

    void acknowledgementRequestsEveryTenthFrameAndTheLast()
    {
        package->setFlashAccessDescriptor(descriptor(0x008000A1, 0xFF0000, 0xA0000000));
        // The frames that ask; -1 marks a frame whose time-out does not match.
        auto requested = [this] {
            QVector<int> frames;
            for (int i = 0; i < sent.size(); ++i) {
                const Sent &frame = sent.at(i);
                const bool asks = quint8(frame.head.at(4)) == 0x80;
                if (frame.timeout != (asks ? 900 : 0) ||
                    arm::readU16(frame.head, 26) != arm::headerSum(frame.head))
                    frames << -1;
                if (asks)
                    frames << i;
            }
            return frames;
        };
        package->writeRecvCardInfo("dev", pattern(25 * 16), 16, 900, true);
        QCOMPARE(requested(), (QVector<int>{9, 19, 24}));

        // A calibration transfer that just started asks on its first frame too.
        sent.clear();
        package->setBlockTransferStarted(true);
        package->writeRecvCardInfo("dev", pattern(25 * 16), 16, 900, true);
        QCOMPARE(requested(), (QVector<int>{0, 10, 20, 24}));
        sent.clear();
        package->writeRecvCardInfo("dev", pattern(16), 16, 900, true);
        QCOMPARE(requested(), (QVector<int>{0})); // the flag is used once; one frame is the last
    }

    void nothingIsSentWithoutDataOrProtocolObject()
    {
        package->setFlashAccessDescriptor(descriptor(0x008000A1, 0x110000, 0xA0000000));
        QCOMPARE(package->writeRecvCardInfo("dev", QByteArray(), 256, 100, true), quint32(0));
        QCOMPARE(package->writeSendCardInfo("dev", QByteArray(), 1024, 0), quint32(0));
        // A read longer than one reply frame holds would wrap its 16-bit length.
        FlashAccessDescriptor longRead = descriptor(0x008000A4, 0x110000, 0xA0000000);
        longRead.readLength = 65517;
        package->setFlashAccessDescriptor(longRead);
        package->readRecvCardInfo("dev", 100);
        QVERIFY(sent.isEmpty());
        // A frame the link refuses ends the write, which then counts for nothing.
        linkAccepts = false;
        package->setFlashAccessDescriptor(descriptor(0x008000A1, 0x110000, 0xA0000000));
        QCOMPARE(package->writeRecvCardInfo("dev", pattern(64), 16, 100, false), quint32(0));
        QCOMPARE(sent.size(), 1);
        sent.clear();
        package->setProtocolObject(nullptr);
        QCOMPARE(package->writeRecvCardInfo("dev", pattern(64), 16, 100, false), quint32(0));
        package->readSendCardInfo("dev", 100);
        QVERIFY(sent.isEmpty());
    }

    void flashPacingAndAcknowledgementPoll()
    {
        // Fast mode (time-out 501): 200 ms at the start of each 4 KiB group, 10 ms
        // inside; the card acknowledges at once, so no poll steps.
        const quint32 port = 0x120000;
        package->setFlashAccessDescriptor(descriptor(0x008000A1, port, 0xAF000000));
        onFrame = [this, port](const Module_SendCard_Protocol &) {
            package->noteBlockAcknowledgement(ackFor(port));
        };
        package->writeRecvCardInfo("dev", pattern(2048 * 3), 2048, 501, false);
        QCOMPARE(pauses, (QVector<int>{200, 10, 200}));

        // Without acknowledgements each frame polls 1 ms steps for twice its time-out;
        // an acknowledgement of another address does not count.
        pauses.clear();
        onFrame = [this](const Module_SendCard_Protocol &) {
            package->noteBlockAcknowledgement(ackFor(0x130000));
        };
        package->writeRecvCardInfo("dev", pattern(512), 256, 4, false);
        QCOMPARE(pauses, (QVector<int>{1, 1, 1, 1, 1, 1, 1, 1, 200, 1, 1, 1, 1, 1, 1, 1, 1, 200}));

        // Flash pages: 256 bytes, 64 units apart, 200 ms each, no poll.
        pauses.clear();
        sent.clear();
        package->writeRecvCardFlashInfo("dev", pattern(512));
        QCOMPARE(arm::parseInnerFrame(sent.at(1).payload)->address, quint32(0xAF000040));
        QCOMPARE(pauses, (QVector<int>{200, 200}));
    }

    void usbImageCollectsFramesInsteadOfSending()
    {
        const QVariantMap map = {{"guid", "dev"},
                                 {"isSaveUDisk", true},
                                 {"m_commandWord", 0x008000A5},
                                 {"m_cardSlotNum", 1},
                                 {"m_portNum", 2},
                                 {"m_regAddr", 0x10C000},
                                 {"ScreenResoData", pattern(30)}};
        package->f_sendScreenResoUDisk(map);
        QVERIFY(sent.isEmpty());
        const QByteArray image = package->usbFlashData();
        QCOMPARE(image.size(), 28 + 30 + 2);
        QCOMPARE(image.mid(28, 30), pattern(30));
        QCOMPARE(image.right(2), QByteArray(2, char(0xFF)));
        QCOMPARE(arm::readU16(image, 26), arm::headerSum(image.left(28)));

        // The image grows; receiving-card counts go as one byte per field.
        package->f_sendRecvNum({{"guid", "dev"}, {"ScreenResoData", "3:12:255"}});
        const QByteArray grown = package->usbFlashData();
        QCOMPARE(grown.size(), 60 + 28 + 4);
        QCOMPARE(grown.mid(60 + 28), QByteArray::fromHex("030cffff"));
        QCOMPARE(packet::usbImageFrameCount(grown), 2);

        // U-disk mode lasts one entry point: the next block goes to the link.
        package->writeSendCardInfo("dev", pattern(10), 1024, 0);
        QCOMPARE(sent.size(), 1);
        package->clearUsbFlashData();
        // Without "isSaveUDisk" the screen data goes to the card.
        package->f_sendScreenResoUDisk({{"guid", "dev"}, {"ScreenResoData", pattern(8)}});
        QCOMPARE(sent.size(), 2);
        QVERIFY(package->usbFlashData().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBlocksFrames)
#include "test_blocks_frames.moc"
