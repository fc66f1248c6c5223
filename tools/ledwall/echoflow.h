#pragma once
// Receiving echoed video through the library's echo manager, shared by
// `ledwall echo` and the demo's echo group.

#include "facadesession.h"

#include "avplayer.h"
#include "avpngrenderer.h"
#include "bll_businesslogic_echomanagement.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <map>
#include <memory>

namespace cli
{

struct EchoRun {
    bool complete = false;     // every channel got the frames asked for
    bool notSupported = false; // the processor said it does not stream echo video
    QVariantMap channels;      // "<channel>": {"frames", "lost", "decoded", "fps"}
    QString error;
};

// Opens the echo receiver of `slot` for host:port, waits until every channel that
// streams has delivered `frames` frames (or timeoutMs passed), lets the players
// finish decoding, and closes the slot again. With `outDirectory` every decoded
// picture is saved as ch<channel>-NNNNN.png there.
inline EchoRun receiveEcho(BLL_BusinessLogic_EchoManagement &echo, const QString &slot,
                           const QString &host, quint16 port, int frames,
                           const QString &outDirectory, int timeoutMs)
{
    EchoRun run;
    std::map<QString, std::unique_ptr<AVPngRenderer>> renderers;
    std::map<QString, AVPlayer *> players; // owned by the echo manager until the slot closes
    QObject context;
    QObject::connect(&echo, &BLL_BusinessLogic_EchoManagement::sig_playerCreated, &context,
                     [&](QString slotNum, QString channel, AVPlayer *player) {
                         if (slotNum != slot)
                             return;
                         players[channel] = player;
                         player->setQueueLength(frames + 8); // a short run decodes every frame
                         if (outDirectory.isEmpty())
                             return;
                         auto &renderer = renderers[channel];
                         renderer = std::make_unique<AVPngRenderer>(
                             outDirectory, QStringLiteral("ch%1-").arg(channel));
                         player->addVideoRenderer(renderer.get());
                     });
    QObject::connect(&echo, &BLL_BusinessLogic_EchoManagement::sig_streamMode, &context,
                     [&](QString slotNum, int mode) {
                         if (slotNum == slot && mode == 0)
                             run.notSupported = true;
                     });
    echo.openFrameThread(slot, host, port);
    QElapsedTimer clock;
    clock.start();
    std::map<QString, std::pair<qint64, qint64>> times; // first frame, frame `frames`
    const auto channelsOf = [&] {
        return echo.echoStatistics(slot).value(QStringLiteral("channels")).toMap();
    };
    run.complete = waitUntil(
        [&] {
            const QVariantMap channels = channelsOf();
            bool all = !channels.isEmpty();
            for (auto it = channels.cbegin(); it != channels.cend(); ++it) {
                const int received = it.value().toMap().value(QStringLiteral("frames")).toInt();
                auto &time = times[it.key()];
                if (received > 0 && time.first == 0)
                    time.first = clock.elapsed() + 1;
                if (received >= frames && time.second == 0)
                    time.second = clock.elapsed() + 1;
                all = all && received >= frames;
            }
            return all || run.notSupported;
        },
        timeoutMs);
    run.complete = run.complete && !run.notSupported;
    QCoreApplication::processEvents(); // frames on their way to the players
    for (const auto &player : players)
        player.second->waitUntilIdle(5000);
    const QVariantMap channels = channelsOf();
    for (auto it = channels.cbegin(); it != channels.cend(); ++it) {
        const QVariantMap counts = it.value().toMap();
        const auto time = times[it.key()];
        const double seconds = (time.second - time.first) / 1000.0;
        const int received = qMin(counts.value(QStringLiteral("frames")).toInt(), frames);
        run.channels.insert(
            it.key(),
            QVariantMap{{QStringLiteral("frames"), counts.value(QStringLiteral("frames"))},
                        {QStringLiteral("lost"), counts.value(QStringLiteral("lost"))},
                        {QStringLiteral("decoded"), counts.value(QStringLiteral("decoded"))},
                        {QStringLiteral("fps"),
                         seconds > 0 ? qRound((received - 1) / seconds * 10) / 10.0 : 0.0}});
    }
    echo.closeFrameThread(slot);
    if (run.notSupported)
        run.error = QStringLiteral("the processor does not stream echo video");
    else if (!run.complete)
        run.error = QStringLiteral("not every channel delivered %1 frames within %2 ms")
                        .arg(frames)
                        .arg(timeoutMs);
    return run;
}

} // namespace cli
