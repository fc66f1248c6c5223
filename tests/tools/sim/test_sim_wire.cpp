// The virtual wall's reference check of incoming frames, and its agreement with
// the packet layer's codec on which datagrams are well formed.

#include "simtestutil.h"

#include "armframe.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QtTest>

using namespace ledwall::sim;
using namespace simtest;

Q_DECLARE_METATYPE(ledwall::sim::RejectReason)

// Byte strings worked out independently of this code (a few lines of Python with
// zlib.crc32): a read request with every command byte distinct, a write with a
// payload, and a processor envelope.
static const QByteArray goldenRead =
    QByteArray::fromHex("a55aa4008001020304020100120000040001001c0000000000000144");

static const QByteArray goldenWrite =
    QByteArray::fromHex("a55aa500800007000000000010e00000040100200000b63cfbcd04d301020304");

static const QByteArray goldenEnvelope =
    QByteArray::fromHex("4c570201000912340000000000000003cd6fc4fe616263");

static QByteArray withByte(QByteArray bytes, int index, quint8 value)
{
    bytes[index] = char(value);
    return bytes;
}

static Module_SendCard_Protocol sendCardFrame(quint8 operation, quint32 address, quint16 length,
                                              const QByteArray &payload, int timeout)
{
    Module_SendCard_Protocol frame;
    const quint8 command[7] = {operation, 0x00, 0x80, 0x01, 0x02, 0x03, 0x04};
    ledwall::arm::setCommandBytes(frame.m_head, command);
    ledwall::arm::setAddress(frame.m_head, address);
    ledwall::arm::setLength(frame.m_head, length);
    frame.cmdData = payload;
    frame.m_timeout = timeout;
    return frame;
}

class TestSimWire : public QObject
{
    Q_OBJECT

private slots:
    void knownFramesEncodeAndDecode()
    {
        Frame read;
        QCOMPARE(decodeDatagram(goldenRead, &read), RejectReason::None);
        QCOMPARE(read.protocolType, 0);
        QCOMPARE(read.command[0], quint8(0xA4));
        QCOMPARE(read.command[2], quint8(0x80));
        QCOMPARE(read.command[3], quint8(0x01)); // c3 travels in byte 10
        QCOMPARE(read.command[4], quint8(0x02)); // c4 in byte 9
        QCOMPARE(read.command[6], quint8(0x04));
        QCOMPARE(read.sequence, quint16(0x0102));
        QCOMPARE(read.address, quint32(0x120000));
        QCOMPARE(read.length, quint16(0x400));
        QVERIFY(read.replyExpected());
        QVERIFY(read.payload.isEmpty());
        QCOMPARE(encodeFrame(read), goldenRead);

        Frame write;
        QCOMPARE(decodeDatagram(goldenWrite, &write), RejectReason::None);
        QCOMPARE(write.address, quint32(0x10E000));
        QCOMPARE(write.payload, QByteArray::fromHex("01020304"));
        QCOMPARE(encodeFrame(write), goldenWrite);

        Frame envelope;
        QCOMPARE(decodeDatagram(goldenEnvelope, &envelope), RejectReason::None);
        QCOMPARE(envelope.protocolType, 2);
        QCOMPARE(envelope.sequence, quint16(9));
        QCOMPARE(envelope.module, quint16(0x1234));
        QCOMPARE(envelope.payload, QByteArray("abc"));
        QCOMPARE(encodeFrame(envelope), goldenEnvelope);
    }

    void rejects_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<RejectReason>("reason");

        QTest::newRow("empty") << QByteArray() << RejectReason::TooShort;
        QTest::newRow("bad sync") << withByte(goldenRead, 1, 0x5B) << RejectReason::BadSync;
        QTest::newRow("arm payload cut") << goldenWrite.left(30) << RejectReason::BadLength;
        QTest::newRow("arm header sum")
            << withByte(goldenRead, 27, 0x45) << RejectReason::BadHeaderSum;
        QTest::newRow("arm payload") << withByte(goldenWrite, 29, 0x09) << RejectReason::BadCrc;
        QTest::newRow("envelope type 3")
            << withByte(goldenEnvelope, 2, 3) << RejectReason::UnknownType;
        QTest::newRow("envelope length")
            << withByte(goldenEnvelope, 15, 4) << RejectReason::BadLength;
        QTest::newRow("envelope payload")
            << withByte(goldenEnvelope, 21, 'B') << RejectReason::BadCrc;
        // A length field beyond the cap is refused before anything is sized from it.
        QTest::newRow("envelope declares 4 GiB")
            << withByte(goldenEnvelope, 12, 0xFF) << RejectReason::TooLong;

        Frame big = armRequest(0xA5, 0, 0, 0, QByteArray(wire::MaxArmPayload + 1, 'a'));
        big.length = 1;
        QTest::newRow("arm oversized") << encodeFrame(big) << RejectReason::TooLong;
        big.payload.chop(1);
        QTest::newRow("arm at the cap") << encodeFrame(big) << RejectReason::None;

        Frame envelope;
        envelope.protocolType = 1;
        envelope.payload = QByteArray(wire::MaxEnvelopePayload, 'e');
        QTest::newRow("envelope at the cap") << encodeFrame(envelope) << RejectReason::None;
        envelope.payload.append('e');
        QTest::newRow("envelope oversized") << encodeFrame(envelope) << RejectReason::TooLong;
    }

    void rejects()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(RejectReason, reason);
        QCOMPARE(validateDatagram(datagram), reason);
    }

    // The packet layer's codec and the wall refuse the same damaged datagrams.
    void bothRefuseTheSameDatagrams()
    {
        Module_VPU_Protocol vpu;
        vpu.m_data = "abc";
        const QVector<QByteArray> bases = {
            sendCardFrame(0xA5, 0x10E000, 6, "abcdef", 1000).encode(1),
            sendCardFrame(0xA4, 0x120000, 1024, {}, 500).encode(2),
            vpu.encode(3),
        };
        int compared = 0;
        for (const QByteArray &base : bases) {
            QVector<QByteArray> variants = {base, base.left(base.size() - 1), base + 'x',
                                            base.left(1)};
            for (int index = 0; index < base.size(); ++index) {
                QByteArray damaged = base;
                damaged[index] = char(quint8(damaged.at(index)) ^ 0x5A);
                variants.append(damaged);
            }
            for (const QByteArray &datagram : variants) {
                const bool wallAccepts = validateDatagram(datagram) == RejectReason::None;
                const bool libraryAccepts =
                    ledwall::wire::decodeFrame(datagram).error == ledwall::wire::DecodeError::None;
                QVERIFY2(wallAccepts == libraryAccepts, datagram.toHex().constData());
                ++compared;
            }
        }
        QVERIFY(compared > 80);
    }
};

QTEST_GUILESS_MAIN(TestSimWire)

#include "test_sim_wire.moc"
