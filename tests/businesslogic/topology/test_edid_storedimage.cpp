// The stored picture of the receiving cards: canvas, placement, block bytes, the
// writes planned for a broadcast and per cabinet, and the frames the sending-card
// object sends.

#include "bll_businesslogic_sendcardpackage.h"
#include "bll_datacenter_desktop.h"
#include "module_sendcard_protocol.h"
#include "storedimage.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <mutex>

using namespace ledwall::storedimage;

// A picture whose every pixel differs: red = x, green = y, opaque.
static QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x, y, 7, 255));
    return image;
}

// What the card reports through sig_readDevData, collected in the test's thread
// (the worker emits from its own).
struct Reports {
    explicit Reports(BLL_BusinessLogic_SendCardPackage *card)
    {
        QObject::connect(
            card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context,
            [this](const QVariantMap &map) { maps << map; }, Qt::QueuedConnection);
    }
    bool wait()
    {
        return QTest::qWaitFor([this] { return !maps.isEmpty(); }, 5000);
    }
    QObject context;
    QList<QVariantMap> maps;
};

// Frames the card hands to its link, copied as they go (from the worker thread).
struct FrameLog {
    explicit FrameLog(BLL_BusinessLogic_SendCardPackage &card)
    {
        card.setBlockFrameSink(
            [this](const QString &guid, const Module_SendCard_Protocol &frame, quint8) {
                std::lock_guard<std::mutex> lock(mutex);
                frames << frame;
                guids << guid;
                return accept.load();
            });
    }
    std::mutex mutex;
    QList<Module_SendCard_Protocol> frames;
    QStringList guids;
    std::atomic<bool> accept{true};
};

// The inner frame of a receiving-card write: command, card words, address, data.
struct Inner {
    explicit Inner(const QByteArray &bytes)
    {
        const auto *in = reinterpret_cast<const uchar *>(bytes.constData());
        firstCard = qFromBigEndian<quint16>(in + 4);
        lastCard = qFromBigEndian<quint16>(in + 6);
        address = qFromBigEndian<quint32>(in + 10);
        data = bytes.mid(15, qFromBigEndian<quint16>(in + 8));
    }
    quint16 firstCard, lastCard;
    quint32 address;
    QByteArray data;
};

class TestEdidStoredImage : public QObject
{
    Q_OBJECT

private slots:
    void canvasSizes()
    {
        const QVariantList cabinets{"0:0:0:0:128:64", "0:1:128:0:128:64", "1:0:0:64:100:32", "bad",
                                    "1:1:5:5"};
        QCOMPARE(screenExtent(cabinets), QSize(256, 96));

        QCOMPARE(canvasSize({{"screenEffects", 1}, {"width", 40}, {"height", 30}}, cabinets),
                 QSize(40, 30));

        // Nothing to draw on, or far too much.
        QVERIFY(!canvasSize({{"screenEffects", 1}}, cabinets).isValid());
        QVERIFY(
            !canvasSize({{"screenEffects", 1}, {"width", 16384}, {"height", 16384}}, {}).isValid());
        QVERIFY(!canvasSize({}, {"0:0:0:0:70000:10"}).isValid());

        // A rectangle whose far edge passes the largest int is refused, not wrapped.
        Cabinet cabinet;
        QVERIFY(parseCabinet("0:0:2147483640:0:7:1", &cabinet));
        QVERIFY(!parseCabinet("0:0:2147483647:0:5:5", &cabinet));
        QVERIFY(!parseCabinet("0:0:0:2147483000:5:5000", &cabinet));
        QCOMPARE(screenExtent({"0:0:2147483647:0:5:5", "0:0:0:0:8:4"}), QSize(8, 4));
    }

    void scaleTileCentre()
    {
        // Tiled from the top left, cut at the right and bottom edges.
        const QImage picture = gradient(3, 2);
        const QImage tiled = composeCanvas(picture, QSize(7, 5), TileOverCanvas);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                QCOMPARE(tiled.pixel(x, y), picture.pixel(x % 3, y % 2));

        // Centred: transparent around a smaller picture, cropped from a larger one.
        const QImage centred = composeCanvas(picture, QSize(7, 6), CentreOnCanvas);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 7; ++x) {
                const bool inside = x >= 2 && x < 5 && y >= 2 && y < 4;
                QCOMPARE(centred.pixel(x, y),
                         inside ? picture.pixel(x - 2, y - 2) : qRgba(0, 0, 0, 0));
            }
    }

    void blockBytes()
    {
        const QImage canvas = gradient(4, 3);
        // Two columns inside the canvas, one beyond its right edge; two rows.
        const QByteArray block = imageBlock(canvas, QRect(2, 1, 3, 2));
        QCOMPARE(block.size(), HeaderSize + 3 * 2 * 4);
        QCOMPARE(block.left(HeaderSize), QByteArray::fromHex("00030002000000180000000000000000"));
        // Blue, green, red, alpha per pixel, row by row.
        QCOMPARE(block.mid(HeaderSize, 12), QByteArray::fromHex("070102ff070103ff00000000"));
        QCOMPARE(block.mid(HeaderSize + 12, 12), QByteArray::fromHex("070202ff070203ff00000000"));
    }

    void broadcastFrames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("picture.png");
        QVERIFY(gradient(20, 10).save(path));
        BLL_BusinessLogic_SendCardPackage card;
        FrameLog log(card);
        Reports done(&card);
        // The picture goes to the device the user works with, not the request's.
        BLL_DataCenter_Desktop::instance()->setCurrentGuid("current");
        card.sendStoredImagesData("file://" + path,
                                  {{"guid", "g"},
                                   {"screenEffects", 1},
                                   {"width", 32},
                                   {"height", 16},
                                   {"imageEffects", CentreOnCanvas},
                                   {"m_cardSlotNum", 1},
                                   {"m_portNum", 2}},
                                  false);
        QVERIFY(done.wait());

        // 16 header bytes and 32 x 16 pixels: 1024, 1024 and 16 bytes.
        const QVariantMap report = done.maps.first();
        QCOMPARE(report.value("storedImaDataSize").toLongLong(), 3072);
        QCOMPARE(report.value("result").toBool(), true);

        std::lock_guard<std::mutex> lock(log.mutex);
        QCOMPARE(log.frames.size(), 3);
        QCOMPARE(log.guids, (QStringList{"current", "current", "current"}));
        QByteArray data;
        for (int i = 0; i < 3; ++i) {
            const QByteArray head = log.frames.at(i).m_head;
            // Command word 0x008000A1 (c0 and c2), slot 1, port 2; every port.
            QCOMPARE(head.mid(2, 1) + head.mid(4, 1) + head.mid(7, 2),
                     QByteArray::fromHex("a1800102"));
            QCOMPARE(log.frames.at(i).registerAddress(), 0xFF0000u);
            const Inner inner(log.frames.at(i).cmdData);
            QCOMPARE(inner.firstCard & inner.lastCard, 0xFFFF);
            QCOMPARE(inner.address, 0xA0100000u + quint32(i) * 256);
            data += inner.data;
        }
        const QImage canvas = composeCanvas(gradient(20, 10), QSize(32, 16), CentreOnCanvas);
        QCOMPARE(data, imageBlock(canvas, canvas.rect()));
    }

    void perCabinetFrames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("picture.png");
        QVERIFY(gradient(32, 8).save(path));

        // Two 16 x 8 cabinets side by side on port 0, as a display read-back finds them.
        BLL_BusinessLogic_SendCardPackage card;
        const auto deal = [&card](const QVariantMap &reply) {
            QVERIFY(QMetaObject::invokeMethod(&card, "slot_dealData", Qt::DirectConnection,
                                              Q_ARG(QVariantMap, reply)));
        };
        for (const char *size : {"0:0:16:8", "0:1:16:8"})
            deal({{"moduleName", "Module_ReceivingSDRAMInfo"},
                  {"ltcpAddr_data", 0xA0000000u},
                  {"boxWHStr", size}});
        deal({{"moduleName", "Module_SendCardFlashInfo"},
              {"m_regAddr", 0x40000},
              {"pxImageWindow", QByteArray(8, '\0')}});
        deal({{"moduleName", "Module_SendCardFlashInfo"},
              {"m_regAddr", 0},
              {"pxBoxPos", QByteArray::fromHex("0000000000000010")}});
        deal({{"moduleName", "Module_SendCardFlashInfo"},
              {"m_regAddr", 0xFC00},
              {"pxBoxPos", QByteArray(4, '\0')},
              {"ip", "127.0.0.1"}});
        QVERIFY(card.getRecvAllBox());

        FrameLog log(card);
        Reports done(&card);
        card.sendStoredImagesData(path, {{"guid", "g"}, {"screenEffects", 0}}, true);
        QVERIFY(done.wait());
        const QVariantMap report = done.maps.first();
        QCOMPARE(report.value("storedImaDataSize").toLongLong(), 2048); // 528 bytes, twice

        std::lock_guard<std::mutex> lock(log.mutex);
        QCOMPARE(log.frames.size(), 2);
        const QImage canvas = composeCanvas(gradient(32, 8), QSize(32, 8), ScaleToCanvas);
        for (int c = 0; c < 2; ++c) {
            QCOMPARE(log.frames.at(c).registerAddress(), 0x100000u);
            const Inner inner(log.frames.at(c).cmdData);
            QCOMPARE(inner.firstCard + inner.lastCard, 2 * c);
            QCOMPARE(inner.data, imageBlock(canvas, QRect(16 * c, 0, 16, 8)));
        }
    }

    void oversizedPicture()
    {
        // A 70-byte BMP whose header claims 16000 x 16000 pixels is refused unread
        // (decoding it took seconds and a gigabyte).
        QByteArray bmp;
        QDataStream out(&bmp, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint8('B') << quint8('M') << quint32(70) << quint32(0) << quint32(54) << quint32(40)
            << qint32(16000) << qint32(-16000) << quint16(1) << quint16(24);
        for (int i = 0; i < 6; ++i)
            out << quint32(0);
        bmp.append(16, '\x10');
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QImageReader reader(&buffer);
        QString error;
        QVERIFY(readPicture(reader, &error).isNull());
        QVERIFY2(error.contains("larger than"), qPrintable(error));
    }

    void unreadablePicture()
    {
        QTemporaryDir dir;
        const QString broken = dir.filePath("broken.png");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
        file.close();

        BLL_BusinessLogic_SendCardPackage card;
        FrameLog log(card);
        Reports done(&card);
        for (const QString &path : {broken, dir.filePath("missing.png")}) {
            card.sendStoredImagesData(
                path, {{"guid", "g"}, {"screenEffects", 1}, {"width", 8}, {"height", 8}}, false);
            QVERIFY(done.wait());
            const QVariantMap report = done.maps.takeFirst();
            QCOMPARE(report.value("result").toBool(), false);
            QCOMPARE(report.value("storedImaDataSize").toInt(), 0);
        }
        // Writes the link refuses count for nothing.
        QVERIFY(QImage(8, 8, QImage::Format_ARGB32).save(broken, "PNG"));
        log.accept = false;
        card.sendStoredImagesData(broken, {{"screenEffects", 1}, {"width", 8}, {"height", 8}},
                                  false);
        QVERIFY(done.wait());
        QCOMPARE(done.maps.first().value("result").toBool(), false);
        QCOMPARE(done.maps.takeFirst().value("storedImaDataSize").toInt(), 0);
    }
};

QTEST_MAIN(TestEdidStoredImage)
#include "test_edid_storedimage.moc"
