// The virtual wall's frame check against the packet layer's codec: frames the
// library encodes pass the wall's check and are answered, the wall's replies decode
// in the library, and both refuse the same damaged datagrams.

#include "simtestutil.h"
#include "wallmodel.h"

#include "armframe.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QtTest>

using namespace ledwall::sim;

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

class TestSimAgreement : public QObject
{
    Q_OBJECT

private slots:
    void libraryFramesAreAnswered()
    {
        WallModel wall;
        // A block write with a reply expected, then a read of it: the reply keeps the command bytes.
        const QByteArray chunk(1024, 'k');
        const QByteArray write = sendCardFrame(0xA5, 0x120400, 1024, chunk, 1000).encode(41);
        ledwall::wire::Decoded ack = ledwall::wire::decodeFrame(wall.handleDatagram(write));
        QCOMPARE(ack.error, ledwall::wire::DecodeError::None);
        QCOMPARE(ack.frame->m_wireFlags, quint8(0xC0));
        const QByteArray read = sendCardFrame(0xA4, 0x120400, 16, {}, 500).encode(42);
        ledwall::wire::Decoded data = ledwall::wire::decodeFrame(wall.handleDatagram(read));
        QCOMPARE(data.error, ledwall::wire::DecodeError::None);
        const auto *reply = static_cast<const Module_SendCard_Protocol *>(data.frame.get());
        QCOMPARE(reply->cmdData, chunk.left(16));
        QCOMPARE(reply->m_head.mid(2, 9), read.mid(2, 9));
        // Discovery and a VPU envelope.
        Module_VPU_Protocol vpu;
        vpu.m_data = "vpu data";
        vpu.m_timeout = 100;
        for (const QByteArray &request : {ledwall::wire::discoveryRequest()->encode(43), vpu.encode(45)})
            QCOMPARE(ledwall::wire::decodeFrame(wall.handleDatagram(request)).error, ledwall::wire::DecodeError::None);
        QCOMPARE(wall.counters().rejectedTotal(), quint64(0));
        QCOMPARE(wall.counters().malformed, quint64(0));
    }

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
            QVector<QByteArray> variants = {base, base.left(base.size() - 1), base + 'x', base.left(1)};
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

QTEST_GUILESS_MAIN(TestSimAgreement)

#include "test_sim_agreement.moc"
