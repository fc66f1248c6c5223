// Chip selection tables and the text forms of register images and data files.

#include "chipselection.h"
#include "chiptext.h"

#include <QtTest>

using namespace ledwall::chip;

class TestChipCodecs : public QObject
{
    Q_OBJECT
private slots:
    void selection()
    {
        QCOMPARE(driverChipId("LYD6188", 0), 4);
        QCOMPARE(driverChipId("LS9937", 0), 24);
        QCOMPARE(driverChipId("ls9929", 7), 7); // case matters; the last chip stays
        QCOMPARE(decodeModeForIndex(6), 15);
        QCOMPARE(decodeModeForIndex(9), 0);
        QCOMPARE(decodeModeForIndex(19), 0);
        QCOMPARE(decodeModeForIndex(23), 0);
        QCOMPARE(chipModeString(2), QString());
        QCOMPARE(chipModeString(21), QString("9929C"));
        QCOMPARE(defaultRegisterFile(6, 12), QString("./pm_9930_9737yin.dat"));
        QCOMPARE(defaultRegisterFile(12, 16), QString("./pm_9935b_yin.dat"));
        QCOMPARE(defaultRegisterFile(20, 20), QString("./pm_9931_973x.dat"));
        QCOMPARE(defaultRegisterFile(20, 12), QString("./pm_9931.dat"));
        QCOMPARE(defaultRegisterFile(3, 0), QString());
        QCOMPARE(defaultRegisterFiles().size(), 23);
    }

    void registerText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("image");
        QTest::newRow("two words")
            << QByteArray("1234,abcd,") << true << QByteArray("\x34\x12\xcd\xab");
        QTest::newRow("no final comma")
            << QByteArray("1234,abcd") << true << QByteArray("\x34\x12");
        QTest::newRow("file lines")
            << QByteArray("1234,\r\nABCD,\r\n") << true << QByteArray("\x34\x12\xcd\xab");
        QTest::newRow("short entry") << QByteArray("7,") << true << QByteArray("\x07\x00", 2);
        QTest::newRow("no separator") << QByteArray("1234") << true << QByteArray();
        QTest::newRow("not hex") << QByteArray("1234,zz12,") << false << QByteArray();
        QTest::newRow("wider than a word") << QByteArray("12345,") << false << QByteArray();
        QTest::newRow("empty entry") << QByteArray("1234,,abcd,") << false << QByteArray();
    }
    void registerText()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(QByteArray, image);
        const ParsedImage parsed = parseRegisterText(text);
        QCOMPARE(parsed.ok, ok);
        QCOMPARE(parsed.image, image);
        if (ok && !image.isEmpty())
            QCOMPARE(parseRegisterText(ledwall::chip::registerText(image).toLatin1()).image, image);
    }

    void dataFiles()
    {
        const QByteArray block("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a", 10);
        const auto bytes = reinterpret_cast<const unsigned char *>(block.constData());
        QCOMPARE(wordLines(bytes, 10, 4), QByteArray("04030201,\r\n08070605,\r\n"));
        QCOMPARE(wordLines(bytes, 10, 2).count("\r\n"), 5);
        QCOMPARE(byteOfWord(0x12345678, 1), uchar(0x34));
        QCOMPARE(byteOfWord(0x12345678, 4), uchar(0));
        QCOMPARE(listText(QVector<double>{1, 2.5, 4}), QString("1:2.5:4:"));
        QCOMPARE(listText(QVector<int>{10, 15}, 16), QString("a:f:"));
        QCOMPARE(bitTableText(2, 1, 16, QByteArray("\x01\x02")),
                 QByteArray("02,\r\n01,\r\n10,\r\n01,02,\r\n"));
    }

    void fileData_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray lines("12,\r\n0AB,\r\n");
        QTest::newRow("bytes") << QByteArray("12,\r\nAB,\r\nff") << 0 << 0
                               << QByteArray("\x12\xab");
        QTest::newRow("byte too wide") << QByteArray("1AB,") << 0 << 0 << QByteArray();
        QTest::newRow("words") << lines << 1 << 0 << QByteArray("\x00\x12\x00\xab", 4);
        QTest::newRow("long words")
            << QByteArray("12345678,\r\n") << 2 << 8 << QByteArray("\x12\x34\x56\x78");
        QTest::newRow("words padded")
            << lines.left(5) << 2 << 4 << QByteArray("\x00\x12\x00\x00", 4);
        QTest::newRow("not hex") << QByteArray("12,x1,\r\n") << 1 << 0 << QByteArray();
    }
    void fileData()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, mode);
        QFETCH(int, width);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(fileDataBytes(text, mode, width, &ok), bytes);
        QCOMPARE(ok, !bytes.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestChipCodecs)
#include "test_chip_codecs.moc"
