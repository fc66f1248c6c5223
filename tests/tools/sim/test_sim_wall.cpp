// The virtual wall: its device model without sockets (memory, replies, counters,
// the wall file), and the wall over real UDP on loopback with fault injection.

#include "faultinjector.h"
#include "receivingcards.h"
#include "simtestutil.h"
#include "virtualwall.h"
#include "wallmodel.h"

#include <QBitArray>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

using namespace ledwall::sim;
using namespace simtest;

class TestSimWall : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_wall = std::make_unique<VirtualWall>();
        QVERIFY(m_wall->start());
        QVERIFY(m_wall->port() != 0);
        m_client = std::make_unique<QUdpSocket>();
        QVERIFY(m_client->bind(QHostAddress::LocalHost, 0));
    }

    void cleanup()
    {
        m_client.reset();
        m_wall.reset(); // joins the server thread
    }

    void onlyLoopback()
    {
        VirtualWall wall;
        QVERIFY(!wall.start(0, QHostAddress::Any));
        QVERIFY(!wall.start(0, QHostAddress::Broadcast));
        // Anywhere in 127.0.0.0/8 is fine.
        QVERIFY(wall.start(0, QHostAddress(QStringLiteral("127.0.0.1"))));
    }

    void dropEveryNthAndDropNext()
    {
        m_wall->setDropEveryNth(3);
        QVector<quint16> answered;
        for (quint16 sequence = 1; sequence <= 6; ++sequence) {
            const QByteArray reply =
                exchange(writeRequest(0x40 + sequence, "w", true, sequence), 150);
            if (!reply.isEmpty())
                answered.append(decoded(reply).sequence);
        }
        QCOMPARE(answered, (QVector<quint16>{1, 2, 4, 5}));
        // A dropped request is lost before the card sees it.
        QCOMPARE(m_wall->readMemory(0x43, 1), QByteArray(1, '\0'));
        QCOMPARE(m_wall->readMemory(0x44, 1), QByteArray("w"));

        m_wall->setDropEveryNth(0);
        m_wall->dropNext(2);
        QVERIFY(exchange(readRequest(0, 1, 20), 150).isEmpty());
        QVERIFY(exchange(readRequest(0, 1, 21), 150).isEmpty());
        QCOMPARE(decoded(exchange(readRequest(0, 1, 22))).sequence, quint16(22));
        QCOMPARE(m_wall->counters().dropped, quint64(4));
    }

    void reorder()
    {
        m_wall->setReorderReplies(true);
        send(readRequest(0, 1, 1));
        QVERIFY(collect(1, 100).isEmpty()); // held back
        send(readRequest(0, 1, 2));
        const QVector<QByteArray> replies = collect(2, 2000);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(decoded(replies.at(0)).sequence, quint16(2));
        QCOMPARE(decoded(replies.at(1)).sequence, quint16(1));
    }

    void randomFaultsRepeatWithTheirSeed()
    {
        // Which of 20000 requests are dropped and replies duplicated: the same for the
        // same seed, near the chances asked for, another pattern for another seed.
        auto pattern = [](quint32 seed) {
            FaultInjector faults;
            faults.setRandomFaults({seed, 5, 2, 0, 0, 0});
            QBitArray lost(20000);
            for (int i = 0; i < lost.size(); ++i)
                lost[i] = faults.shouldDrop(Frame{}) || faults.shapeReply({}).size() == 2;
            return std::make_pair(lost, faults.tally());
        };
        const auto [lost, tally] = pattern(7);
        QCOMPARE(pattern(7).first, lost);
        QVERIFY(pattern(8).first != lost);
        QVERIFY2(tally.dropped > 800 && tally.dropped < 1200,
                 qPrintable(QString::number(tally.dropped)));
        QVERIFY(tally.duplicated > 250 && tally.duplicated < 500);
    }

    void memorySpaces()
    {
        CardMemory memory;
        QCOMPARE(memory.read(0x10, 4), QByteArray(4, '\0'));                 // registers read 0
        QCOMPARE(memory.read(0x120000, 4), QByteArray(4, char(0xFF)));       // erased flash
        QCOMPARE(memory.read(0x3FFFFE, 4), QByteArray::fromHex("ffff0000")); // flash end

        // A write across the flash boundary and across a page boundary reads back whole.
        const QByteArray pattern = QByteArray::fromHex("0102030405060708");
        QVERIFY(memory.write(0x0FFFFC, pattern));
        QCOMPARE(memory.read(0x0FFFFA, 10), QByteArray::fromHex("00000102030405060708"));
        QVERIFY(memory.write(0x120FFE, pattern));
        QCOMPARE(memory.read(0x120FFD, 10), QByteArray::fromHex("ff0102030405060708ff"));

        // The last bytes of the address space are reachable, nothing past them.
        QVERIFY(memory.write(0xFFFFFFFE, QByteArray("ab")));
        QCOMPARE(memory.read(0xFFFFFFFE, 8), QByteArray("ab"));
    }

    void memoryRefusesWhatItCannotHold()
    {
        CardMemory memory;
        QVERIFY(!memory.write(0xFFFFFFFF, QByteArray("ab")));
        QCOMPARE(memory.read(0xFFFFFFFF, 1), QByteArray(1, '\0')); // nothing half-written
    }

    void receivingCardMemoryIsBoundedForTheWall()
    {
        // Every top byte of an address is a space of its own (8 MiB each); the wall
        // as a whole still holds at most 64 MiB, and a refused write leaves nothing.
        WallDescription wall;
        QString error;
        QVERIFY(WallDescription::fromJson(R"({"ports": [{"port": 0, "cabinets": [
            {"card": 0, "width": 64, "height": 64}, {"card": 1, "width": 64, "height": 64},
            {"card": 2, "width": 64, "height": 64}]}]})",
                                          &wall, &error));
        ReceivingCards cards;
        cards.setWall(wall);
        const QByteArray space(8 * 1024 * 1024, 'x');
        int stored = 0;
        for (quint32 top = 1; top <= 3; ++top)
            for (int card = 0; card < 3; ++card)
                stored += cards.write(0, card, top << 24, space) ? 1 : 0;
        QCOMPARE(stored, 8);
        QCOMPARE(cards.read(0, 2, 3u << 24, 1), QByteArray(1, '\0'));
    }

    void readsAnswerWithStoredBytes()
    {
        SendCardModel card;
        card.memory().write(0x2000, QByteArray::fromHex("0a0b0c"));
        const Frame reply = decoded(card.handleDatagram(readRequest(0x2000, 5, 77)));
        QCOMPARE(reply.flags, wire::FlagFromDevice);
        QCOMPARE(reply.payload, QByteArray::fromHex("0a0b0c0000"));
        // A read is answered even when the reply flag is missing: a read is a question.
        Frame quiet = armRequest(wire::OperationRead, 0x2000, 2, 0);
        QCOMPARE(decoded(card.handleDatagram(encodeFrame(quiet))).payload,
                 QByteArray::fromHex("0a0b"));
    }

    void writesAreStoredAndAcknowledgedOnlyWhenAsked()
    {
        SendCardModel card;
        const Frame ack = decoded(card.handleDatagram(writeRequest(0x120000, "head", true, 5)));
        QCOMPARE(ack.flags, quint8(wire::FlagFromDevice | wire::FlagAcknowledge));
        QVERIFY(ack.payload.isEmpty());
        QVERIFY(card.handleDatagram(writeRequest(0x120400, QByteArray("tail"), false)).isEmpty());
        QCOMPARE(card.memory().read(0x120400, 4), QByteArray("tail"));
        // The empty closing frame of a block (operation 0, 2 or 0xFF) writes nothing.
        Frame closing = armRequest(0x02, 0x120404, 0, wire::FlagReplyExpected);
        QCOMPARE(decoded(card.handleDatagram(encodeFrame(closing))).status, wire::StatusOk);
        QCOMPARE(card.memory().read(0x120404, 1), QByteArray(1, char(0xFF)));
    }

    void malformedRequestsGetAStatus()
    {
        WallModel wall;
        const auto statusOf = [&](const Frame &request) {
            return decoded(wall.handleDatagram(encodeFrame(request))).status;
        };
        // Reads of more than 1024 bytes, reads with a payload, reads past the end.
        QCOMPARE(statusOf(armRequest(wire::OperationRead, 0, 1025, 1)), wire::StatusMalformed);
        QCOMPARE(statusOf(armRequest(wire::OperationRead, 0, 4, 1, "xx")), wire::StatusMalformed);
        QCOMPARE(statusOf(armRequest(wire::OperationRead, 0xFFFFFFF0, 32, 1)),
                 wire::StatusOutOfRange);
        // A write whose length field does not describe its payload is not stored.
        QCOMPARE(statusOf(armRequest(0xA5, 0x500, 3, 1, "four")), wire::StatusMalformed);
        QCOMPARE(wall.sendCard().memory().read(0x500, 4), QByteArray(4, '\0'));
        QCOMPARE(statusOf(armRequest(0xA5, 0xFFFFFFFE, 4, 1, "four")), wire::StatusOutOfRange);

        // A frame that claims to come from a device is never answered.
        QVERIFY(wall.handleDatagram(encodeFrame(armRequest(0xA4, 0, 4, 0x81))).isEmpty());

        // Damaged datagrams are counted by reason; a reset starts over.
        QByteArray badCrc = writeRequest(0, "abcd", true);
        badCrc[30] = 'x';
        QVERIFY(wall.handleDatagram(badCrc).isEmpty());
        Counters counters = wall.counters();
        QCOMPARE(counters.malformed, quint64(4));
        QCOMPARE(counters.outOfRange, quint64(2));
        QCOMPARE(counters.toVariantMap().value("rejected").toMap().value("bad-crc").toULongLong(),
                 quint64(1));
        wall.resetCounters();
        QCOMPARE(wall.counters().received, quint64(0));
    }

    void wallFileErrors_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("not json") << QByteArray("{\"name\": ") << "JSON";
        QTest::newRow("name type") << QByteArray(R"({"name": 5})") << "name";
        QTest::newRow("ports type") << QByteArray(R"({"ports": {}})") << "ports";
        QTest::newRow("port missing") << QByteArray(R"({"ports": [{}]})") << "ports[0]";
        QTest::newRow("port range") << QByteArray(R"({"ports": [{"port": 256}]})") << "port";
        QTest::newRow("port twice")
            << QByteArray(R"({"ports": [{"port": 1}, {"port": 1}]})") << "twice";
        QTest::newRow("cabinet size")
            << QByteArray(
                   R"({"ports": [{"port": 0, "cabinets": [{"card": 0, "width": 0, "height": 8}]}]})")
            << "ports[0].cabinets[0]";
    }

    void wallFileErrors()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, mentions);
        WallDescription wall;
        wall.name = QStringLiteral("kept");
        QString error;
        QVERIFY(!WallDescription::fromJson(json, &wall, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
        QCOMPARE(wall.name, QStringLiteral("kept"));
    }

private:
    QByteArray exchange(const QByteArray &request, int timeoutMs = 2000);
    QVector<QByteArray> collect(int count, int timeoutMs);
    void send(const QByteArray &request);

    std::unique_ptr<VirtualWall> m_wall;
    std::unique_ptr<QUdpSocket> m_client;
};

void TestSimWall::send(const QByteArray &request)
{
    QCOMPARE(m_client->writeDatagram(request, QHostAddress::LocalHost, m_wall->port()),
             qint64(request.size()));
}

QVector<QByteArray> TestSimWall::collect(int count, int timeoutMs)
{
    QVector<QByteArray> replies;
    QElapsedTimer timer;
    timer.start();
    while (replies.size() < count && timer.elapsed() < timeoutMs) {
        if (!m_client->hasPendingDatagrams())
            m_client->waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed())));
        while (m_client->hasPendingDatagrams())
            replies.append(m_client->receiveDatagram(70000).data());
    }
    return replies;
}

QByteArray TestSimWall::exchange(const QByteArray &request, int timeoutMs)
{
    send(request);
    const QVector<QByteArray> replies = collect(1, timeoutMs);
    return replies.value(0);
}

QTEST_GUILESS_MAIN(TestSimWall)

#include "test_sim_wall.moc"
