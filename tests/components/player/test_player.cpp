#include "avplayer.h"

#include <QSignalSpy>
#include <QtTest>

#ifdef LEDWALL_HAVE_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}
#endif

class TestPlayer : public QObject
{
    Q_OBJECT
private slots:
    void garbageNeverCrashes()
    {
        AVPlayer player;
        QSignalSpy frames(&player, &AVPlayer::sig_frameDecoded);
        QByteArray garbage(4096, '\0');
        quint32 seed = 12345;
        for (int round = 0; round < 50; ++round) {
            for (char &byte : garbage) {
                seed = seed * 1103515245u + 12345u;
                byte = char(seed >> 24);
            }
            // Some rounds look like Annex B units so that the NAL parser gets to work.
            if (round % 2 == 0)
                garbage.replace(0, 5, QByteArray("\x00\x00\x00\x01\x67", 5));
            QVERIFY(player.putH264ArraryData(garbage));
        }
        QCOMPARE(player.framesReceived(), 50);
        QCOMPARE(frames.count(), 0);
    }

    void emptyAndOversizedUnitsAreRefused()
    {
        AVPlayer player;
        QVERIFY(!player.putH264ArraryData(QByteArray()));
        QVERIFY(!player.putH264ArraryData(QByteArray(AVPlayer::MaxFrameSize + 1, '\0')));
        QCOMPARE(player.framesReceived(), 0);
#ifdef LEDWALL_HAVE_FFMPEG
        QVERIFY(player.hasDecoder());
#endif
    }

    void encodedFrameIsDecodedAndRendered()
    {
#ifndef LEDWALL_HAVE_FFMPEG
        QSKIP("built without FFmpeg");
#else
        const AVCodec *encoder = avcodec_find_encoder_by_name("libx264");
        if (!encoder)
            QSKIP("no libx264 encoder to make a test stream");
        AVCodecContext *context = avcodec_alloc_context3(encoder);
        QVERIFY(context);
        context->width = 64;
        context->height = 48;
        context->pix_fmt = AV_PIX_FMT_YUV420P;
        context->time_base = AVRational{1, 25};
        av_opt_set(context->priv_data, "preset", "ultrafast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
        QVERIFY(avcodec_open2(context, encoder, nullptr) >= 0);

        AVFrame *frame = av_frame_alloc();
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = 64;
        frame->height = 48;
        QVERIFY(av_frame_get_buffer(frame, 0) >= 0);
        // A flat mid-grey picture: Y 126, no chroma.
        for (int y = 0; y < 48; ++y)
            memset(frame->data[0] + y * frame->linesize[0], 126, 64);
        for (int y = 0; y < 24; ++y) {
            memset(frame->data[1] + y * frame->linesize[1], 128, 32);
            memset(frame->data[2] + y * frame->linesize[2], 128, 32);
        }
        frame->pts = 0;
        QVERIFY(avcodec_send_frame(context, frame) >= 0);
        QVERIFY(avcodec_send_frame(context, nullptr) >= 0);
        QByteArray unit;
        AVPacket *packet = av_packet_alloc();
        while (avcodec_receive_packet(context, packet) >= 0) {
            unit.append(reinterpret_cast<const char *>(packet->data), packet->size);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
        QVERIFY(!unit.isEmpty());

        AVPlayer player;
        QSignalSpy frames(&player, &AVPlayer::sig_frameDecoded);
        QImage rendered;
        player.addVideoRenderer([&rendered](const QImage &image) { rendered = image; });
        QVERIFY(player.putH264ArraryData(unit));
        QCOMPARE(frames.count(), 1);
        QCOMPARE(player.decodeErrors(), 0);
        const QImage image = frames.at(0).at(0).value<QImage>();
        QCOMPARE(rendered.size(), QSize(64, 48));
        // Limited-range Y 126 is grey 128 within coding loss.
        const QColor centre = image.pixelColor(32, 24);
        QVERIFY2(qAbs(centre.red() - 128) <= 4 && qAbs(centre.green() - 128) <= 4 &&
                     qAbs(centre.blue() - 128) <= 4,
                 qPrintable(centre.name()));
#endif
    }
};

QTEST_GUILESS_MAIN(TestPlayer)

#include "test_player.moc"
