// The link's plain parts: request queue policy and byte-stream framing.
#include "linkmessages.h"
#include "module_sendcard_protocol.h"
#include "requestqueue.h"
#include "streamframing.h"

#include <QtTest>

using ledwall::link::RequestQueue;
using ledwall::link::StreamDeframer;

namespace {

constexpr qint64 Ms = 1000000;

RequestQueue::FramePtr frame(int timeoutMs, char tag = 'x')
{
    auto f = std::make_unique<Module_SendCard_Protocol>();
    f->m_timeout = timeoutMs;
    f->cmdData = QByteArray(1, tag);
    return f;
}

int drain(RequestQueue &queue, qint64 now, QList<quint16> *sequences = nullptr)
{
    int sent = 0;
    RequestQueue::Dispatch dispatch;
    while (queue.takeNext(now, &dispatch)) {
        if (sequences)
            sequences->append(dispatch.sequence);
        ++sent;
    }
    return sent;
}

} // namespace

class TestLinkCore : public QObject
{
    Q_OBJECT
private slots:
    void queueTypesHoldFramesBehindRequests()
    {
        RequestQueue queue;
        queue.setQueueType(1);
        queue.push(frame(100));
        queue.push(frame(0)); // a write behind an unanswered request waits too
        QList<quint16> sequences;
        QCOMPARE(drain(queue, 0, &sequences), 1);
        QCOMPARE(queue.matchReply(sequences.first()), RequestQueue::Match::Reply);
        QCOMPARE(drain(queue, 0), 1);
        QCOMPARE(queue.queuedCount() + queue.outstandingCount(), 0);
        // In window mode, frames without a reply pass a full window once they reach the head.
        RequestQueue window;
        for (int i = 0; i < RequestQueue::NetworkWindow; ++i)
            window.push(frame(100));
        window.push(frame(0));
        QCOMPARE(drain(window, 0), RequestQueue::NetworkWindow + 1);
    }

    void repliesMatchBySequence()
    {
        RequestQueue queue;
        auto request = frame(100, 'a');
        request->m_flag = true;
        queue.push(std::move(request));
        QList<quint16> sequences;
        drain(queue, 0, &sequences);
        const quint16 sequence = sequences.first();

        QCOMPARE(queue.matchReply(quint16(sequence + 7)), RequestQueue::Match::Unsolicited);
        RequestQueue::FramePtr answered;
        QCOMPARE(queue.matchReply(sequence, &answered), RequestQueue::Match::Reply);
        QVERIFY(answered && answered->m_flag);
        // A duplicate of the same reply is recognised, not taken for device news.
        QCOMPARE(queue.matchReply(sequence), RequestQueue::Match::Late);
        QCOMPARE(queue.nextDeadline(), qint64(-1));
    }

    void expiryHappensAtDeadlineNotBefore()
    {
        RequestQueue queue;
        queue.push(frame(30));
        queue.push(frame(10));
        QList<quint16> sequences;
        drain(queue, 5 * Ms, &sequences);
        QCOMPARE(queue.nextDeadline(), 15 * Ms);
        QVERIFY(queue.takeExpired(15 * Ms - 1).empty());
        auto expired = queue.takeExpired(15 * Ms);
        QCOMPARE(int(expired.size()), 1);
        QCOMPARE(expired.front()->m_sequence, sequences.at(1));
        QCOMPARE(queue.nextDeadline(), 35 * Ms);
        // The reply to an expired request is late, not a new message.
        QCOMPARE(queue.matchReply(sequences.at(1)), RequestQueue::Match::Late);
        QCOMPARE(int(queue.takeExpired(100 * Ms).size()), 1);
        QCOMPARE(queue.outstandingCount(), 0);
    }

    void sequencesSkipZeroAndOutstanding()
    {
        RequestQueue queue;
        queue.push(frame(1000)); // stays outstanding across a full wrap
        QList<quint16> sequences;
        drain(queue, 0, &sequences);
        const quint16 held = sequences.first();
        QCOMPARE(held, quint16(1));
        QSet<quint16> seen;
        for (int i = 0; i < 70000; ++i) {
            const quint16 s = queue.reserveSequence();
            QVERIFY(s != 0);
            QVERIFY(s != held);
            seen.insert(s);
        }
        QCOMPARE(seen.size(), 65534);
    }

    void streamRecordsSurviveSplittingAndNoise()
    {
        const QByteArray a = QByteArray("first datagram");
        const QByteArray b = QByteArray(3000, '\x7e'); // full of magic bytes
        QByteArray stream = QByteArray("\x00\xff noise", 8) + StreamDeframer::wrap(a) + "junk" + StreamDeframer::wrap(b);
        StreamDeframer deframer;
        QList<QByteArray> out;
        for (int i = 0; i < stream.size(); ++i)
            out += deframer.feed(stream.mid(i, 1));
        QCOMPARE(out, (QList<QByteArray>{a, b}));
        QCOMPARE(deframer.skippedBytes(), qint64(12));
    }

    void streamResynchronisesAfterCorruption()
    {
        QByteArray broken = StreamDeframer::wrap("damaged");
        broken[8] = char(broken[8] ^ 0x01);
        // A false header claiming a huge length must not hold back the next record:
        // its header check fails.
        const QByteArray falseHeader = QByteArray::fromHex("7ee7ffff00");
        const QByteArray good = StreamDeframer::wrap("intact");
        StreamDeframer deframer;
        const QList<QByteArray> out = deframer.feed(broken + falseHeader + good);
        QCOMPARE(out, QList<QByteArray>{QByteArray("intact")});
        QCOMPARE(deframer.badRecords(), qint64(1));
    }

    void streamRejectsUnframeableDatagrams()
    {
        QVERIFY(StreamDeframer::wrap(QByteArray(StreamDeframer::MaxDatagram + 1, 'a')).isEmpty());
        const QByteArray largest(StreamDeframer::MaxDatagram, 'b');
        StreamDeframer deframer;
        QCOMPARE(deframer.feed(StreamDeframer::wrap(largest)), QList<QByteArray>{largest});
        // A record with length 0 is never valid.
        QVERIFY(deframer.feed(QByteArray::fromHex("7ee700009a") + QByteArray(4, '\0')).isEmpty());
    }

    void discoveryAnswerNeedsJsonObject()
    {
        namespace message = ledwall::link::message;
        QVERIFY(message::deviceFound("g", "not json", "127.0.0.1", 5).isEmpty());
        QVERIFY(message::deviceFound("g", "[1,2]", "127.0.0.1", 5).isEmpty());
        const QVariantMap found = message::deviceFound("g", R"({"name":"n","model":"m","serial":7})", "127.0.0.2", 9);
        QCOMPARE(found.value("event").toString(), message::DeviceFound);
        QCOMPARE(found.value("serial").toString(), QString("7"));
    }
};

QTEST_GUILESS_MAIN(TestLinkCore)

#include "test_link_core.moc"
