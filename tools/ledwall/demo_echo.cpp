// Demo group: the wall's echo role streams its clip; the library's echo manager
// receives, reassembles and decodes a few frames of every channel.
#include "demo.h"
#include "echoflow.h"

#include "echoclip.h"

namespace demo
{

bool runEchoDemo(Context &context)
{
    constexpr int Frames = 10;
    if (ledwall::echoclip::accessUnits().isEmpty()) {
        stepOk(QStringLiteral("echo"), QStringLiteral("skipped: built without an H.264 encoder"));
        return true;
    }
    const cli::EchoRun run = cli::receiveEcho(
        BLL_BusinessLogic_Desktop::instance()->echoManagement(), QStringLiteral("demo"),
        QStringLiteral("127.0.0.1"), context.wall.port(), Frames, QString(), 10000);
    if (!run.complete)
        return fail(QStringLiteral("echo"), run.error);
    QStringList details;
    for (auto it = run.channels.cbegin(); it != run.channels.cend(); ++it) {
        const QVariantMap counts = it.value().toMap();
        if (counts.value(QStringLiteral("decoded")).toInt() == 0)
            return fail(QStringLiteral("echo"),
                        QStringLiteral("channel %1 decoded no picture").arg(it.key()));
        details << QStringLiteral("channel %1: %2 frames, %3 decoded")
                       .arg(it.key(), counts.value(QStringLiteral("frames")).toString(),
                            counts.value(QStringLiteral("decoded")).toString());
    }
    stepOk(QStringLiteral("echo"), details.join(QStringLiteral("; ")));
    return true;
}

} // namespace demo
