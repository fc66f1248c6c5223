// Echo datagrams: the request, the stream mode, and frame reassembly under short,
// foreign, duplicated, reordered, unknown and absurd datagrams.

#include "echocapture.h"
#include "echodatagram.h"
#include "echoframeassembler.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace ledwall::echo;

namespace
{

// A datagram "<type><channel>:<count>:<frame>:<index>:<payload>", e.g. "b0:3:7:0:A".
QByteArray datagram(const QString &text)
{
    const QStringList f = text.mid(1).split(QLatin1Char(':'));
    QByteArray bytes = QByteArray::fromHex("FF0100000000") + text.at(0).toLatin1();
    const int count = f.value(1).toInt(), frame = f.value(2).toInt(), index = f.value(3).toInt();
    bytes[5] = char(f.value(0).toInt());
    bytes += char(count >> 8) + QByteArray(1, char(count)) + char(frame >> 8) + char(frame);
    bytes += QByteArray(2, '\0') + char(index >> 8) + char(index);
    return bytes + f.value(4).toLatin1();
}

QStringList feedAll(EchoFrameAssembler &assembler, const QStringList &datagrams)
{
    QStringList frames;
    for (const QString &text : datagrams) {
        const QByteArray bytes = text.startsWith(QLatin1String("0x"))
                                     ? QByteArray::fromHex(text.mid(2).toLatin1())
                                     : datagram(text);
        if (const auto frame = assembler.feed(bytes))
            frames << QStringLiteral("%1:%2")
                          .arg(frame->channel)
                          .arg(QString::fromLatin1(frame->data));
    }
    return frames;
}

} // namespace

class TestEchoReassembly : public QObject
{
    Q_OBJECT
private slots:
    void requestAndStreamMode()
    {
        QCOMPARE(echoRequestDatagram().toHex(), QByteArray("ff01000000006800000000000000"));
        QCOMPARE(streamModeOf(streamInformationDatagram(0, true)), StreamMode::Framed);
        QCOMPARE(streamModeOf(streamInformationDatagram(3, false)), StreamMode::NotSupported);
        QCOMPARE(streamModeOf(streamInformationDatagram(0, true) + 'x'), StreamMode::Unknown);
        QCOMPARE(streamModeOf(datagram("b0:1:0:0:")), StreamMode::Unknown);
        QCOMPARE(streamModeOf(QByteArray::fromHex("FE010000000069010000000000000000").left(15)),
                 StreamMode::Unknown);
    }

    void reassembly_data()
    {
        QTest::addColumn<QStringList>("datagrams");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("unfinished");
        const QStringList abc{"0:ABC"};
        QTest::newRow("single packet")
            << QStringList{"b0:1:5:0:XY"} << QStringList{"0:XY"} << 0 << 0 << 0;
        QTest::newRow("in order") << QStringList{"b0:3:1:0:A", "q0:3:1:1:B", "q0:3:1:2:C"} << abc
                                  << 0 << 0 << 0;
        QTest::newRow("q reordered")
            << QStringList{"b0:3:1:0:A", "q0:3:1:2:C", "q0:3:1:1:B"} << abc << 0 << 0 << 0;
        QTest::newRow("q before b")
            << QStringList{"q0:3:1:2:C", "q0:3:1:1:B", "b0:3:1:0:A"} << abc << 0 << 0 << 0;
        QTest::newRow("duplicate q does not complete")
            << QStringList{"b0:3:1:0:A", "q0:3:1:1:B", "q0:3:1:1:X"} << QStringList() << 0 << 1
            << 1;
        QTest::newRow("duplicated b keeps one frame")
            << QStringList{"b0:3:1:0:A", "q0:3:1:1:B", "b0:3:1:0:A", "q0:3:1:2:C"} << abc << 0 << 1
            << 0;
        QTest::newRow("channels interleaved")
            << QStringList{"b0:2:1:0:A", "b7:2:1:0:X", "q7:2:1:1:Y", "q0:2:1:1:B"}
            << QStringList{"7:XY", "0:AB"} << 0 << 0 << 0;
        QTest::newRow("same number, other count is another frame")
            << QStringList{"b0:2:1:0:A", "q0:3:1:1:B", "q0:2:1:1:C"} << QStringList{"0:AC"} << 0
            << 0 << 1;
        QTest::newRow("bad datagrams refused")
            << QStringList{"0xFF01000000",   "0xFE0100000000620001000100000000AA",
                           "x0:2:1:0:A",     "b0:0:1:0:A",
                           "b0:65535:1:0:A", "q0:3:1:0:A",
                           "q0:3:1:3:A",     "q0:3:1:65535:A"}
            << QStringList() << 8 << 0 << 0;
        QTest::newRow("information is not frame data")
            << QStringList{"i0:1:0:0:"} << QStringList() << 0 << 0 << 0;
        QStringList eleven;
        for (int frame = 0; frame < 11; ++frame)
            eleven << QStringLiteral("b0:2:%1:0:A").arg(frame);
        QTest::newRow("eleventh unfinished evicts the oldest")
            << (eleven << "q0:2:0:1:B"
                       << "q0:2:10:1:K")
            << QStringList{"0:AK"} << 0 << 0 << 9;
    }

    void reassembly()
    {
        QFETCH(QStringList, datagrams);
        EchoFrameAssembler assembler;
        QTEST(feedAll(assembler, datagrams), "frames");
        QTEST(int(assembler.counters().refused), "refused");
        QTEST(int(assembler.counters().duplicates), "duplicates");
        QTEST(assembler.unfinishedFrames(), "unfinished");
    }

    void memoryIsBounded()
    {
        EchoAssemblyLimits limits;
        limits.maxFrameBytes = 10;
        limits.maxTotalBytes = 20;
        EchoFrameAssembler assembler(limits);
        QCOMPARE(feedAll(assembler, {"b0:3:1:0:AAAAAA", "q0:3:1:1:BBBBBB", "q0:3:1:2:C"}),
                 QStringList());
        QCOMPARE(int(assembler.counters().framesOversized), 1);
        QCOMPARE(feedAll(assembler, {"b1:2:1:0:AAAAA", "b2:2:1:0:BBBBB", "b3:2:1:0:CCCCC",
                                     "b4:2:1:0:DDDDD", "b5:2:1:0:EEEEE", "q5:2:1:1:e"}),
                 QStringList{"5:EEEEEe"});
        QVERIFY(assembler.bytesHeld() <= 20);
        QCOMPARE(int(assembler.counters().framesEvicted), 2);
    }

    // Recorded datagrams, cut, flipped and repeated at random: no crash, and memory
    // stays within the budget however the bytes fall.
    void mutatedTrafficStaysBounded()
    {
        QVector<QByteArray> recorded;
        for (int frame = 0; frame < 8; ++frame)
            recorded += frameDatagrams(quint8(frame % 2), quint16(frame),
                                       QByteArray(3000 + frame, 'v'), 700);
        EchoAssemblyLimits limits;
        limits.maxTotalBytes = 256 * 1024;
        EchoFrameAssembler assembler(limits);
        QRandomGenerator random(16);
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes = recorded.at(random.bounded(recorded.size()));
            switch (random.bounded(4)) {
            case 0:
                bytes.truncate(random.bounded(bytes.size() + 1));
                break;
            case 1:
                bytes[random.bounded(qMin(bytes.size(), 16))] = char(random.generate());
                break;
            case 2:
                bytes += QByteArray(random.bounded(8000), 'm');
                break;
            default:
                break;
            }
            assembler.feed(bytes);
            QVERIFY(assembler.bytesHeld() <= limits.maxTotalBytes);
        }
        QVERIFY(assembler.counters().framesCompleted > 0);
        QVERIFY(assembler.unfinishedFrames() <= 256 * limits.recordsPerChannel);
    }

    void frameLoss_data()
    {
        QTest::addColumn<QVector<int>>("numbers");
        QTest::addColumn<int>("lost");
        QTest::newRow("gap, then a late frame") << QVector<int>{5, 6, 9, 8, 10} << 1;
        QTest::newRow("wrap") << QVector<int>{65534, 65535, 0, 2} << 1;
        QTest::newRow("duplicate") << QVector<int>{1, 1, 2} << 0;
    }

    void frameLoss()
    {
        QFETCH(QVector<int>, numbers);
        EchoFrameLoss loss;
        for (int number : numbers)
            loss.note(quint16(number));
        QCOMPARE(int(loss.frames()), numbers.size());
        QTEST(int(loss.lost()), "lost");
    }

    void captureRecords()
    {
        QByteArray capture;
        appendCaptureRecord(&capture, "abc");
        appendCaptureRecord(&capture, QByteArray());
        QVector<QByteArray> datagrams;
        QString error;
        QVERIFY(splitCapture(capture, &datagrams, &error));
        QCOMPARE(datagrams, (QVector<QByteArray>{"abc", QByteArray()}));
        for (const QByteArray &bad :
             {capture + QByteArray(2, 0), capture + QByteArray::fromHex("00000009ab"),
              QByteArray::fromHex("00010000")}) {
            datagrams.clear();
            QVERIFY(!splitCapture(bad, &datagrams, &error));
            QVERIFY(error.contains(QLatin1String("offset")));
        }
    }
};

QTEST_GUILESS_MAIN(TestEchoReassembly)

#include "test_echo_reassembly.moc"
