// Demo group: the wall's processor role. The demo's link becomes a processor
// holding sixteen sample presets; a whole preset run stores them into templates
// 0..15 and restores the live scene, then a subtitle bitmap of three chunks goes
// to the card, one chunk per acknowledgement.
#include "demo.h"
#include "processorflow.h"

#include <QFile>
#include <QTemporaryDir>

namespace demo
{
bool runProcessorDemo(Context &context)
{
    ledwall::sim::ProcessorRole &processor = context.wall.model().processor();
    processor.resetState();
    cli::processor::attachProcessor(context.guid, cli::processor::sampleScenes());
    const cli::processor::PresetRun run = cli::processor::runPresets(StepTimeoutMs);
    const QList<int> stored = processor.state().templates;
    if (!run.finished || stored.size() != 16 || stored.first() != 0 || stored.last() != 15)
        return fail(QStringLiteral("presets"),
                    QStringLiteral("%1 of 17 scenes, %2 templates stored")
                        .arg(run.scenesFinished)
                        .arg(stored.size()));
    stepOk(QStringLiteral("presets"),
           QStringLiteral("16 presets into templates 0..15, live scene restored"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("subtitle.bmp"));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(cli::processor::sampleSubtitle(480, 8)) < 0)
        return fail(QStringLiteral("subtitle"), QStringLiteral("cannot write the sample bitmap"));
    file.close();
    const cli::processor::SubtitleSend sent =
        cli::processor::sendSubtitle({{QStringLiteral("guid"), context.guid},
                                      {QStringLiteral("fileName"), path},
                                      {QStringLiteral("foregroundAlpha"), 3}},
                                     StepTimeoutMs * 3);
    if (!sent.ok() || sent.acknowledged != 3 || processor.state().subtitle.size() != 3840)
        return fail(QStringLiteral("subtitle"),
                    sent.message.isEmpty() ? QStringLiteral("no completion report") : sent.message);
    stepOk(QStringLiteral("subtitle"), QStringLiteral("3 chunks acknowledged, 3840 pixels stored"));
    return true;
}

} // namespace demo
