// Datagram codec: what goes on the wire comes back as the same frame, and
// anything damaged is refused with the right reason.
#include "armframe.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QtTest>

using namespace ledwall;

class TestProtocolWire : public QObject
{
    Q_OBJECT

private:
    static Module_SendCard_Protocol registerWrite()
    {
        Module_SendCard_Protocol frame;
        const quint8 c[7] = {0xA1, 0x00, 0x80, 0x00, 0x11, 0x22, 0x33};
        arm::setCommandBytes(frame.m_head, c);
        arm::setAddress(frame.m_head, 0x12345678);
        arm::setLength(frame.m_head, 4);
        frame.cmdData = QByteArray::fromHex("deadbeef");
        frame.m_timeout = 500;
        return frame;
    }

private slots:
    void crc32MatchesTheStandardCheckValue()
    {
        const QByteArray text("123456789");
        QCOMPARE(arm::crc32(text, 0, 9), 0xCBF43926u);
    }

    void sendCardFrameRoundTrip()
    {
        const Module_SendCard_Protocol frame = registerWrite();
        const QByteArray datagram = frame.encode(0xBEEF);
        QCOMPARE(datagram.size(), 28 + 4);
        QCOMPARE(quint8(datagram.at(0)), quint8(0xA5));
        QCOMPARE(arm::readU16(datagram, 5), quint16(0xBEEF));
        QCOMPARE(arm::readU16(datagram, 18), quint16(32));
        QCOMPARE(quint8(datagram.at(17)), quint8(Module_ProtocolBase::ReplyExpected));
        // c3 and c4 travel in swapped order, c5 and c6 after the sequence.
        QCOMPARE(quint8(datagram.at(9)), quint8(0x11));
        QCOMPARE(quint8(datagram.at(10)), quint8(0x00));
        QCOMPARE(quint8(datagram.at(7)), quint8(0x22));

        const wire::Decoded decoded = wire::decodeFrame(datagram);
        QCOMPARE(decoded.error, wire::DecodeError::None);
        QVERIFY(decoded.frame);
        auto *back = static_cast<Module_SendCard_Protocol *>(decoded.frame.get());
        QCOMPARE(back->m_sequence, quint16(0xBEEF));
        QCOMPARE(back->registerAddress(), 0x12345678u);
        QCOMPARE(back->m_con(), quint8(0xA1));
        QCOMPARE(back->cmdData, frame.cmdData);
    }

    void vpuEnvelopeRoundTrip()
    {
        Module_VPU_Protocol vpu;
        vpu.m_command = 0x0102;
        vpu.m_vpuByte1 = 120;
        vpu.m_vpuByte2 = 56;
        vpu.m_data = QByteArray("payload");
        const wire::Decoded decodedVpu = wire::decodeFrame(vpu.encode(7));
        QVERIFY(decodedVpu.frame);
        auto *vpuBack = static_cast<Module_VPU_Protocol *>(decodedVpu.frame.get());
        QCOMPARE(vpuBack->protocolType(), int(Module_ProtocolBase::VideoProcessingUnit));
        QCOMPARE(vpuBack->m_command, quint16(0x0102));
        QCOMPARE(vpuBack->m_vpuByte1, quint8(120));
        QCOMPARE(vpuBack->m_vpuByte2, quint8(56));
        QCOMPARE(vpuBack->m_data, QByteArray("payload"));
        QCOMPARE(vpuBack->m_sequence, quint16(7));
    }

    void damagedDatagramsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("error");
        const QByteArray good = registerWrite().encode(1);
        Module_VPU_Protocol vpu;
        vpu.m_data = "abc";
        const QByteArray goodVpu = vpu.encode(1);

        auto flipped = [](QByteArray bytes, int index) {
            bytes[index] = char(bytes.at(index) ^ 0x01);
            return bytes;
        };
        QTest::newRow("empty") << QByteArray() << int(wire::DecodeError::TooShort);
        QTest::newRow("payload cut") << good.left(good.size() - 1) << int(wire::DecodeError::BadLength);
        QTest::newRow("address changed") << flipped(good, 12) << int(wire::DecodeError::BadHeaderSum);
        QTest::newRow("payload changed") << flipped(good, 29) << int(wire::DecodeError::BadCrc);
        QTest::newRow("oversized") << QByteArray(good.left(2) + QByteArray(70000, 0))
                                   << int(wire::DecodeError::TooLong);
        QByteArray unknownType = goodVpu;
        unknownType[2] = char(9);
        const QByteArray covered = unknownType.left(16) + unknownType.mid(20);
        arm::writeU32(unknownType, 16, arm::crc32(covered, 0, covered.size()));
        QTest::newRow("unknown type") << unknownType << int(wire::DecodeError::UnknownType);
    }

    void damagedDatagramsAreRefused()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, error);
        const wire::Decoded decoded = wire::decodeFrame(datagram);
        QCOMPARE(int(decoded.error), error);
        QVERIFY(!decoded.frame);
        QVERIFY(!wire::errorText(decoded.error).isEmpty());
    }

    void innerFrameRoundTripAndDamage()
    {
        arm::InnerFrame inner;
        inner.command = 0xCD;
        inner.word1 = 3;
        inner.word2 = 0xFFFF;
        inner.dataLength = 16;
        inner.address = 0xA0030000 / 4;
        inner.data = QByteArray(16, '\x5a');
        const QByteArray bytes = arm::buildInnerFrame(inner);
        QCOMPARE(bytes.size(), 16 + arm::InnerOverhead);
        QVERIFY(arm::looksLikeInnerFrame(bytes));
        // The header sum covers bytes 3 to 13.
        quint32 sum = 0;
        for (int i = 3; i < 14; ++i)
            sum += quint8(bytes.at(i));
        QCOMPARE(quint8(bytes.at(14)), quint8(sum));

        const auto parsed = arm::parseInnerFrame(bytes);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->word2, quint16(0xFFFF));
        QCOMPARE(parsed->data, inner.data);

        QByteArray damaged = bytes;
        damaged[20] = char(damaged.at(20) ^ 0x10);
        QVERIFY(!arm::parseInnerFrame(damaged));
        QVERIFY(!arm::parseInnerFrame(bytes.left(bytes.size() - 5)));
    }

};

QTEST_APPLESS_MAIN(TestProtocolWire)
#include "test_protocol_wire.moc"
