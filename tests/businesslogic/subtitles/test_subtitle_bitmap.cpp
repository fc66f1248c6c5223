// Subtitle bitmaps: conversion of 1, 24 and 32-bit files, refusals, chunking, and
// a mutation run over malformed files.

#include "subtitlebitmap.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace ledwall::subtitle;

namespace
{
void put(QByteArray &file, int at, quint32 value, int width)
{
    for (int i = 0; i < width; ++i)
        file[at + i] = char(value >> (8 * i));
}

QByteArray bitmap(qint32 width, qint32 height, quint16 bits, const QByteArray &pixels)
{
    QByteArray file(FileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    put(file, 10, FileHeaderSize, 4);
    put(file, 18, quint32(width), 4);
    put(file, 22, quint32(height), 4);
    put(file, 28, bits, 2);
    return file + pixels;
}

ConversionOptions colours()
{
    ConversionOptions o;
    o.foreground = {200, 100, 50, 3}; // pixel byte 0xC0 | 0 | 0 | 2 = 0xC2
    o.background = {1, 2, 3, 0};      // 0x1B
    return o;
}
const char F = char(0xC2), B = char(0x1B);
QByteArray bytes(std::initializer_list<char> list)
{
    return QByteArray(list.begin(), int(list.size()));
}
} // namespace

class TestSubtitleBitmap : public QObject
{
    Q_OBJECT
private slots:
    void convertsPixels_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("isImage");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("1-bit 0xA5") << bitmap(32, 1, 1, QByteArray::fromHex("a5000000")) << false
                                    << bytes({F, B, F, B, B, F, B, F}) + QByteArray(24, B);
        // Blue, green, red: all within 10 of the foreground, then red off by 11.
        QTest::newRow("24-bit near") << bitmap(2, 1, 24, QByteArray::fromHex("3c6ed2 3c6ebd 0000"))
                                     << false << bytes({F, B});
        QTest::newRow("24-bit image") << bitmap(1, 1, 24, QByteArray::fromHex("ff80c0 00")) << true
                                      << QByteArray(1, char(0xC0 | 3 << 4 | 2 << 2 | 3));
        // Alpha 0x81 gives its two low bits (01), not its high ones.
        QTest::newRow("32-bit") << bitmap(1, 1, 32, QByteArray::fromHex("40c0ff81")) << false
                                << QByteArray(1, char(1 << 6 | 3 << 4 | 3 << 2 | 1));
        QTest::newRow("header only") << bitmap(1, 1, 24, {}) << false << QByteArray();
        // Top-down rows come out bottom row first.
        QTest::newRow("top-down") << bitmap(32, -2, 1, QByteArray::fromHex("80000000 01000000"))
                                  << false
                                  << QByteArray(7, B) + F + QByteArray(24, B) + F +
                                         QByteArray(31, B);
    }
    void convertsPixels()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, isImage);
        QFETCH(QByteArray, expected);
        ConversionOptions options = colours();
        options.isImage = isImage;
        const Conversion c = convert(file, options);
        QCOMPARE(c.error, QString());
        QCOMPARE(c.pixels.toHex(), expected.toHex());
    }

    void refusesBadBitmaps_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        QTest::newRow("tall") << bitmap(8, 129, 1, QByteArray(129 * 4, 0))
                              << "Bitmap height exceeds size";
        QTest::newRow("8-bit") << bitmap(4, 1, 8, QByteArray(4, 0)) << ",Unsupported bitmaps";
        QTest::newRow("truncated")
            << bitmap(100, 2, 24, QByteArray(300, 0)) << ",Bitmap pixel data out of range";
        QTest::newRow("absurd width")
            << bitmap(0x7FFFFFFF, 1, 32, QByteArray(8, 0)) << ",Bitmap pixel data out of range";
        QTest::newRow("huge width and height")
            << bitmap(0x7FFFFFFF, -0x7FFFFFFF, 32, QByteArray(8, 0))
            << "Bitmap height exceeds size,Bitmap pixel data out of range";
        QByteArray offset = bitmap(1, 1, 32, QByteArray(4, 0));
        put(offset, 10, 0xFFFFFF00u, 4);
        QTest::newRow("offset past the end") << offset << ",Bitmap pixel data out of range";
    }
    void refusesBadBitmaps()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const Conversion c = convert(file, colours());
        QCOMPARE(c.error, error);
        QVERIFY(c.pixels.isEmpty());
    }

    void mutatedBitmapsNeverCrash()
    {
        const QByteArray seeds[] = {bitmap(32, 4, 1, QByteArray(16, char(0x5A))),
                                    bitmap(5, 3, 24, QByteArray(48, char(0x33))),
                                    bitmap(3, -3, 32, QByteArray(36, char(0x77)))};
        QRandomGenerator random(15);
        int converted = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray file = seeds[round % 3];
            for (int n = random.bounded(1, 6); n > 0; --n) {
                const int at = random.bounded(file.size());
                // Header fields are where the danger is: aim there half the time.
                const int target = random.bounded(2) ? at : random.bounded(10, 32);
                file[target] = char(random.bounded(256));
            }
            if (random.bounded(4) == 0)
                file.truncate(random.bounded(file.size() + 1));
            const Conversion c = convert(file, colours());
            converted += c.ok();
            QVERIFY(c.pixels.size() <= file.size() * 8);
        }
        QVERIFY(converted > 0);
    }

    void chunksAndEnd()
    {
        const QByteArray exact(ChunkSize, 'x');
        QCOMPARE(chunkCount(exact.size()), 1);
        QCOMPARE(chunkCommand("g", exact, 0).value("subtitleBMPLen").toInt(), ChunkSize);
        QCOMPARE(chunkCommand("g", exact, ChunkSize).value("moduleName").toString(),
                 QString("Module_WriteSubtitleStartOrEndInfo"));

        const QByteArray data(ChunkSize + 10, 'y');
        const QVariantMap last = chunkCommand("g", data, ChunkSize);
        QCOMPARE(last.value("subtitleBMPLen").toInt(), 10);
        QCOMPARE(last.value("subtitleBMPFile").toByteArray(),
                 QByteArray(10, 'y') + QByteArray(ChunkSize - 10, '\0'));
        QCOMPARE(chunkCount(data.size()), 2);
    }

    void oneBitBitmapConvertsBack()
    {
        const ConversionOptions options = colours();
        QByteArray pixels;
        for (int i = 0; i < 64 * 3; ++i)
            pixels.append(i % 3 ? B : F);
        const QByteArray file = oneBitBitmap(pixels, 64, 3, options);
        QCOMPARE(headerInformation(file).value("BMPBit").toInt(), 1);
        QCOMPARE(convert(file, options).pixels, pixels);
        QVERIFY(oneBitBitmap(pixels, 64, 4, options).isEmpty()); // pixels do not cover it
    }
};

QTEST_GUILESS_MAIN(TestSubtitleBitmap)
#include "test_subtitle_bitmap.moc"
