// Checksums, the upgrade file header, the flash image read back and the display
// read-back pages: the pure functions the sending-card object builds on.

#include "checksums.h"
#include "displayreadback.h"
#include "flashimage.h"
#include "upgradefile.h"

#include "../sendcard/sendcardtestdata.h"

#include <QtTest>

#include <zlib.h>

using namespace ledwall;

namespace
{
const QByteArray CheckInput("123456789");

QByteArray imageOf(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 7 + 3) & 0xFF);
    return image;
}

QVariantMap packageOptions(const QByteArray &image)
{
    return {{"receCardType", 1},
            {"driveType", "A"},
            {"version", "1.a"},
            {"recCardCRC32", checksums::crc32(image, image.size(), 0)}};
}

QByteArray packaged(const QByteArray &image)
{
    QByteArray header;
    const auto result =
        upgrade::buildHeader(image, packageOptions(image), QDate(2026, 3, 9), header);
    return result == ReceFileNoError ? header + image : QByteArray();
}
} // namespace

class TestSendCardCodecs : public QObject
{
    Q_OBJECT
private slots:
    void checksumCheckValues()
    {
        QCOMPARE(checksums::crc32(CheckInput, 9, 0), 0xCBF43926u);
        QCOMPARE(checksums::crc32(CheckInput, 3, 3), 0u);
        // A range past the end is clipped, not read.
        QCOMPARE(checksums::crc32(CheckInput, 1000, 0), 0xCBF43926u);
        // Skipping a frame's sync bytes: the same as zlib over the tail.
        const QByteArray tail = CheckInput.mid(3);
        QCOMPARE(checksums::crc32(CheckInput, 9, 3),
                 quint32(::crc32(0, reinterpret_cast<const Bytef *>(tail.constData()), 6)));

        QCOMPARE(checksums::crc16(CheckInput.constData(), 9), quint16(0x31C3));
    }

    void byteSums()
    {
        QByteArray bytes(14, '\0');
        for (int i = 0; i < 14; ++i)
            bytes[i] = char(0x40 + i);
        int expected = 0;
        for (int i = 3; i < 14; ++i)
            expected += 0x40 + i;
        QCOMPARE(checksums::headerSum8(bytes, 14), quint8(expected));
        QCOMPARE(checksums::headerSum8(bytes, 400), quint8(expected)); // clipped
        QCOMPARE(checksums::byteSum16(QByteArray(300, char(0xFF))), quint16(300 * 255 & 0xFFFF));
    }

    void streamingSumsEqualTheWhole()
    {
        // Pieces of 1, 2 and 7 bytes, so that the header sum's first three bytes
        // straddle a piece boundary.
        QByteArray bytes(300, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 37 + 11);
        using Sum = checksums::StreamingChecksum;
        const QVector<QPair<Sum::Kind, quint32>> whole{
            {Sum::Kind::Crc32, checksums::crc32(bytes, bytes.size(), 0)},
            {Sum::Kind::Crc16, checksums::crc16(bytes.constData(), bytes.size())},
            {Sum::Kind::HeaderSum8, checksums::headerSum8(bytes, bytes.size())},
            {Sum::Kind::ByteSum16, checksums::byteSum16(bytes)}};
        for (const auto &[kind, expected] : whole) {
            Sum sum(kind);
            for (int at = 0, piece = 1; at < bytes.size(); at += piece, piece = piece % 7 + 1)
                sum.add(bytes.constData() + at, qMin(piece, int(bytes.size()) - at));
            QCOMPARE(sum.value(), expected);
        }
    }

    void headerFieldsAtTheirOffsets()
    {
        const QByteArray image = imageOf(4096);
        const QByteArray file = packaged(image);
        QCOMPARE(file.size(), 1024 + 4096);
        QCOMPARE(file.left(52), upgrade::magic());
        QCOMPARE(file.at(0x40), '0');
        QCOMPARE(quint8(file.at(0x41)), quint8(1));
        QCOMPARE(file.mid(0x42, 8), QByteArray("A\0\0\0\0\0\0\0", 8));
        QCOMPARE(file.mid(0x4A, 8), QByteArray("20260309"));
        QCOMPARE(file.mid(0x52, 2), QByteArray("\x01\x0a", 2));
        QCOMPARE(file.mid(0x54, 4), QByteArray("\x00\x00\x10\x00", 4));
        const quint32 crc = checksums::crc32(image, image.size(), 0);
        QCOMPARE(file.mid(0x58, 4).toHex(), QByteArray::number(crc, 16).rightJustified(8, '0'));
        QCOMPARE(file.mid(0x5C, 1024 - 0x5C), QByteArray(1024 - 0x5C, '\0'));
        QCOMPARE(file.mid(1024), image);

        const auto header = upgrade::parseHeader(file);
        QVERIFY(header);
        QCOMPARE(header->versionText(), QStringLiteral("1.a"));
    }

    void flashAddressWord()
    {
        QByteArray file = packaged(imageOf(64));
        file.replace(0x5C, 4, QByteArray::fromHex("ffe12345")); // bits 24-31: no address
        const auto header = upgrade::parseHeader(file);
        QCOMPARE(header->ltcpAddrData(), 0xAFE12345u);
        QCOMPARE(header->flsMsb(), 7);
    }

    void checkResults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QVariantMap>("options");
        QTest::addColumn<int>("result");
        const QByteArray good = packaged(imageOf(512 * 1024));
        const QVariantMap byName{{"cardFlag", 2}, {"receCardType", "NRX-72"}};
        QTest::newRow("model name matches") << good << byName << 0;
        QTest::newRow("model name differs")
            << good << QVariantMap{{"cardFlag", 2}, {"receCardType", "NRX-64"}} << 2;
        QTest::newRow("index differs") << good << QVariantMap{{"firmIndex", 0}} << 2;
        QTest::newRow("no card key") << good << QVariantMap{{"cardFlag", 2}} << 0;
        QByteArray changed = good;
        changed[2000] = char(changed.at(2000) ^ 1);
        QTest::newRow("payload byte changed") << changed << byName << 7;
        QTest::newRow("payload byte missing") << good.left(good.size() - 1) << byName << 6;
        QByteArray badMagic = good;
        badMagic[10] = 'x';
        badMagic[0x41] = char(5); // the magic is looked at before the card
        QTest::newRow("magic") << badMagic << byName << 1;
        QByteArray trailing = good;
        trailing[52] = 'z'; // the text runs on past the magic
        QTest::newRow("magic text too long") << trailing << byName << 1;
        QByteArray cardFirst = changed;
        cardFirst[0x41] = char(0);
        QTest::newRow("card before crc") << cardFirst << byName << 2;
        QTest::newRow("short with magic") << good.left(500) << byName << 6;
        QTest::newRow("empty") << QByteArray() << QVariantMap() << 1;
    }

    void checkResults()
    {
        QFETCH(QByteArray, file);
        QFETCH(QVariantMap, options);
        QFETCH(int, result);
        QCOMPARE(int(upgrade::checkFile(file, options)), result);
    }

    void packagingFailures_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("versionBytes");
        QTest::newRow("no card type") << "receCardType" << QVariant() << 2 << QByteArray();
        QTest::newRow("no drive type") << "driveType" << QVariant() << 3 << QByteArray();
        QTest::newRow("drive type too long")
            << "driveType" << QVariant("ABCDEFGHI") << 3 << QByteArray();
        QTest::newRow("version without dot") << "version" << QVariant("3") << 5 << QByteArray();
        QTest::newRow("wrong crc") << "recCardCRC32" << QVariant(1234u) << 7 << QByteArray();
        QTest::newRow("version 10.2")
            << "version" << QVariant("10.2") << 0 << QByteArray("\x10\x02", 2);
        QTest::newRow("version not hex")
            << "version" << QVariant("zz.") << 0 << QByteArray(2, '\0');
    }

    void packagingFailures()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        const QByteArray image = imageOf(100);
        QVariantMap options = packageOptions(image);
        if (value.isValid())
            options[key] = value;
        else
            options.remove(key);
        QByteArray header;
        QTEST(int(upgrade::buildHeader(image, options, QDate(2026, 1, 1), header)), "result");
        QFETCH(QByteArray, versionBytes);
        if (!versionBytes.isEmpty())
            QCOMPARE(header.mid(0x52, 2), versionBytes);
        QCOMPARE(int(upgrade::buildHeader({}, packageOptions(image), QDate(), header)), 6);
    }

    void mcuMagic()
    {
        QByteArray file = upgrade::mcuMagic() + QByteArray(100, 'x');
        QVERIFY(upgrade::isMcuFile(file));
        file[7] = char(file.at(7) ^ 0x01);
        QVERIFY(!upgrade::isMcuFile(file));
        QVERIFY(!upgrade::isMcuFile(upgrade::mcuMagic().left(15)));
    }

    void flashImageBlocks_data()
    {
        QTest::addColumn<QVector<quint32>>("addresses");
        QTest::addColumn<QByteArray>("fills"); // the data byte of each reply
        QTest::addColumn<int>("replySize");    // header 15, block 1024, CRC 4
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("placed"); // the last reply was placed
        const QByteArray a(1024, 'a'), b(1024, 'b'), z(1024, 'z'), erased(1024, char(0xFF));
        QTest::newRow("first block")
            << QVector<quint32>{0xAF000000} << QByteArray("a") << 1043 << a << true;
        QTest::newRow("gap reads erased") << QVector<quint32>{0xAF000200} << QByteArray("b") << 1043
                                          << erased + erased + b << true;
        QTest::newRow("repeat overwrites in place")
            << QVector<quint32>{0xAF000000, 0xAF000100, 0xAF000000} << QByteArray("abz") << 1043
            << z + b << true;
        QTest::newRow("past the image")
            << QVector<quint32>{0xAF040000} << QByteArray("a") << 1043 << QByteArray() << false;
        QTest::newRow("below the image")
            << QVector<quint32>{0xA0000000} << QByteArray("a") << 1043 << QByteArray() << false;
        // A block without its whole CRC behind it is not a whole reply.
        QTest::newRow("reply cut in its CRC")
            << QVector<quint32>{0xAF000000} << QByteArray("a") << 1042 << QByteArray() << false;
    }

    void flashImageBlocks()
    {
        QFETCH(QVector<quint32>, addresses);
        QFETCH(QByteArray, fills);
        QFETCH(int, replySize);
        QByteArray image;
        bool placed = false;
        for (int i = 0; i < addresses.size(); ++i) {
            const QByteArray reply =
                (QByteArray(15, 'h') + QByteArray(1024, fills.at(i)) + "crc!").left(replySize);
            placed = flashimage::placeBlock(image, addresses.at(i), reply);
        }
        QTEST(placed, "placed");
        QTEST(image, "image");
    }

    void pagePieces()
    {
        QVariantList pages;
        QVERIFY(readback::addPagePiece(pages, 0x0000, 0, "a"));
        QVERIFY(readback::addPagePiece(pages, 0x0400, 0, "b"));
        // A page start after a gap would be filed under the wrong port: dropped.
        QVERIFY(!readback::addPagePiece(pages, 0x3000, 0, "y"));
        QCOMPARE(pages, QVariantList{QByteArray("ab")});
    }

    void cabinetRectangles()
    {
        // Port 0: window offset y 16, x 32; two cards. Port 1: no cards. Port 2:
        // one card, but its box page is too short to hold a position.
        const QVariantList windows{words({0, 0, 16, 32}), words({0, 0, 0, 0}), words({0, 0, 5, 5})};
        const QVariantList boxes{words({0, 0, 0, 128}), QByteArray(), words({1})};
        const QStringList sizes{"0:1:256:64", "0:0:128:64", "2:0:64:64"};
        QCOMPARE(readback::cabinetRectangles(windows, boxes, sizes),
                 (QStringList{"0:0:32:16:128:64", "0:1:160:16:256:64"}));
        QVERIFY(readback::cabinetRectangles({}, boxes, sizes).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSendCardCodecs)
#include "test_sendcard_codecs.moc"
