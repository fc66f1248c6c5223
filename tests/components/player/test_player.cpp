#include "avplayer.h"
#include "avpngrenderer.h"
#include "echoclip.h"

#include "threadspy.h"
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <mutex>

namespace
{

class CollectingRenderer : public AVVideoRenderer
{
public:
    void renderFrame(const QImage &frame) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        frames.append(frame);
    }
    std::mutex mutex;
    QList<QImage> frames;
};

double psnr(const QImage &a, const QImage &b)
{
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += d * d;
        }
    }
    const double mse = squares / (3.0 * a.width() * a.height());
    return mse == 0 ? 99 : 10 * std::log10(255 * 255 / mse);
}

} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT
private slots:
    void badUnitsAreRefusedOrSkipped()
    {
        AVPlayer player;
        QVERIFY(!player.putH264ArraryData(QByteArray()));
        QVERIFY(!player.putH264ArraryData(QByteArray(AVPlayer::MaxFrameSize + 1, '\0')));
        ThreadSpy frames(&player, &AVPlayer::sig_frameDecoded);
        player.setQueueLength(100);
        quint32 seed = 12345;
        for (int round = 0; round < 50; ++round) {
            // A fresh buffer per unit: the player shares it with its thread.
            QByteArray garbage(4096, '\0');
            for (char &byte : garbage)
                byte = char((seed = seed * 1103515245u + 12345u) >> 24);
            // Some rounds look like Annex B units so that the NAL parser gets to work.
            if (round % 2 == 0)
                garbage.replace(0, 5, QByteArray("\x00\x00\x00\x01\x67", 5));
            QVERIFY(player.putH264ArraryData(garbage));
        }
        QVERIFY(player.waitUntilIdle(10000));
        QCOMPARE(player.framesReceived(), 50);
        QCOMPARE(frames.count(), 0);
#ifdef LEDWALL_HAVE_FFMPEG
        QVERIFY(player.hasDecoder());
        QVERIFY(player.decodeErrors() > 0);
#endif
    }

    // The clip decodes to its source pictures; a damaged unit in the middle is
    // skipped and counted, and the pictures after the next IDR are right again.
    void clipDecodesToItsPictures()
    {
        const auto &clip = ledwall::echoclip::accessUnits();
        if (clip.isEmpty())
            QSKIP("built without an H.264 encoder");
        AVPlayer player;
        player.setQueueLength(clip[1].size());
        CollectingRenderer renderer;
        player.addVideoRenderer(&renderer);
        QVector<int> shown;
        for (int index = 0; index < clip[1].size(); ++index) {
            QByteArray unit = clip[1][index];
            if (index == 30)
                unit = QByteArray::fromHex("00000001650000") + QByteArray(64, '\xFF');
            else
                shown.append(index);
            player.putH264ArraryData(unit);
        }
        QVERIFY(player.waitUntilIdle(20000));
        QVERIFY(player.decodeErrors() >= 1);
        QVERIFY(player.framesDecoded() >= shown.size() - 25);
        for (int index : {0, 10, 29, 50, 74}) {
            const int at = shown.indexOf(index) - (shown.size() - renderer.frames.size());
            QVERIFY(at >= 0);
            const double quality =
                psnr(renderer.frames.at(at), ledwall::echoclip::testPattern(1, index));
            QVERIFY2(quality > 30, qPrintable(QString::number(quality)));
        }
        player.clearVideoRenderers();
        QCOMPARE(player.videoRendererCount(), 0);
    }

    void fullQueueDropsTheOldestAndPngsAreWritten()
    {
        const auto &clip = ledwall::echoclip::accessUnits();
        if (clip.isEmpty())
            QSKIP("built without an H.264 encoder");
        QTemporaryDir dir;
        AVPngRenderer png(dir.path(), QStringLiteral("ch0-"), 3);
        AVPlayer player;
        player.addVideoRenderer(&png);
        player.setQueueLength(2);
        for (const QByteArray &unit : clip[0])
            player.putH264ArraryData(unit);
        QVERIFY(player.waitUntilIdle(20000));
        QCOMPARE(player.framesReceived(), clip[0].size());
        QVERIFY(player.framesDropped() > 0);
        player.setQueueLength(clip[0].size());
        for (const QByteArray &unit : clip[0])
            player.putH264ArraryData(unit);
        QVERIFY(player.waitUntilIdle(20000));
        QCOMPARE(png.filesWritten(), 3);
        QCOMPARE(QImage(dir.filePath("ch0-00002.png")).size(), QSize(160, 96));
    }
};

QTEST_GUILESS_MAIN(TestPlayer)

#include "test_player.moc"
