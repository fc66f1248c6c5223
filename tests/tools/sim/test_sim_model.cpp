// The virtual wall's device model without sockets: memory, replies, counters and
// the wall file.

#include "simtestutil.h"
#include "wallmodel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace ledwall::sim;
using namespace simtest;

class TestSimModel : public QObject
{
    Q_OBJECT

private slots:
    void memorySpaces()
    {
        CardMemory memory;
        QCOMPARE(memory.read(0x10, 4), QByteArray(4, '\0'));                // registers read 0
        QCOMPARE(memory.read(0x120000, 4), QByteArray(4, char(0xFF)));      // erased flash
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

        // Register space is capped: scattered writes stop at the cap and leave no trace.
        const quint32 base = 0x01000000;
        int stored = 0;
        for (int page = 0; page < CardMemory::MaxRegisterPages + 10; ++page) {
            if (memory.write(base + quint32(page) * SparseMemory::PageSize, QByteArray(1, 'x')))
                ++stored;
        }
        QVERIFY(stored <= CardMemory::MaxRegisterPages && stored > CardMemory::MaxRegisterPages - 10);
        const quint32 refused = base + quint32(CardMemory::MaxRegisterPages + 5) * SparseMemory::PageSize;
        QCOMPARE(memory.read(refused, 1), QByteArray(1, '\0'));
        // Flash has its own room and still takes writes.
        QVERIFY(memory.write(0x200000, QByteArray("flash")));
        QCOMPARE(memory.read(0x200000, 5), QByteArray("flash"));
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
        QCOMPARE(decoded(card.handleDatagram(encodeFrame(quiet))).payload, QByteArray::fromHex("0a0b"));
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
        QCOMPARE(statusOf(armRequest(wire::OperationRead, 0xFFFFFFF0, 32, 1)), wire::StatusOutOfRange);
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
        QCOMPARE(counters.toVariantMap().value("rejected").toMap().value("bad-crc").toULongLong(), quint64(1));
        wall.resetCounters();
        QCOMPARE(wall.counters().received, quint64(0));
    }

    void discoveryAnswersWithTheWallIdentity()
    {
        SendCardModel card;
        WallDescription wall;
        wall.name = QStringLiteral("Lobby wall ü");
        card.setWall(wall);
        Frame reply = decoded(card.handleDatagram(discoveryRequest(42)));
        QCOMPARE(reply.flags, quint8(wire::FlagFromDevice | wire::FlagDiscovery));
        QCOMPARE(reply.payload, QByteArray(R"({"model":"LW-SC1","name":"Lobby wall ü","serial":"SIM0001"})"));
        // A discovery flag on something else is answered as malformed, without identity.
        reply = decoded(card.handleDatagram(
            encodeFrame(armRequest(0, 0x1000, 0, wire::FlagDiscovery | wire::FlagReplyExpected))));
        QCOMPARE(reply.status, wire::StatusMalformed);
        QVERIFY(reply.payload.isEmpty());
    }

    void wallFile()
    {
        const QByteArray json = R"({"name": "Stage", "model": "LW-SC2", "comment": "ignored",
            "ports": [{"port": 0, "cabinets": [{"card": 0, "width": 128, "height": 128},
                                               {"card": 1, "width": 128, "height": 64}]},
                      {"port": 3}]})";
        WallDescription wall;
        QString error;
        QVERIFY2(WallDescription::fromJson(json, &wall, &error), qPrintable(error));
        QCOMPARE(wall.name, QStringLiteral("Stage"));
        QCOMPARE(wall.ports.size(), 2);
        QCOMPARE(wall.ports.at(0).cabinets.at(1).height, 64);
        QVERIFY(wall.ports.at(1).port == 3 && wall.ports.at(1).cabinets.isEmpty());


        QTemporaryDir dir;
        QVERIFY(!WallDescription::fromFile(dir.filePath("missing.json"), &wall, &error));
        QVERIFY(error.contains("missing.json"));
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
        QTest::newRow("port twice") << QByteArray(R"({"ports": [{"port": 1}, {"port": 1}]})") << "twice";
        QTest::newRow("cabinet size")
            << QByteArray(R"({"ports": [{"port": 0, "cabinets": [{"card": 0, "width": 0, "height": 8}]}]})")
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
};

QTEST_GUILESS_MAIN(TestSimModel)

#include "test_sim_model.moc"
