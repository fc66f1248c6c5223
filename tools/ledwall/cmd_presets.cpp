// ledwall presets: copy preset scenes into a video processor.
//
//     ledwall presets run DEVICE [--scenes SCENES.json]
//
// Makes the link a processor-class device holding the scenes of SCENES.json (the
// data center's storage form: [{"sceneId", "dataLists": {"<type>": [items]}}], the
// live scene "" first) or, without it, sixteen sample presets, and runs a preset
// run: a line per finished scene on stderr, then {"result", "presets",
// "scenesFinished", "templates"} on stdout. Exit 1 when the run did not finish.

#include "cli.h"
#include "cliutil.h"
#include "devicetarget.h"
#include "processorflow.h"

#include <QLoggingCategory>

namespace
{
constexpr qint64 MaxScenesFileSize = 64 * 1024 * 1024;
constexpr int SceneStallMs = 5000;

int runPresetRun(const QStringList &args)
{
    QCommandLineParser parser;
    cli::addDeviceOptions(parser);
    parser.addOption({QStringLiteral("scenes"),
                      QStringLiteral("Scenes to send (default: sixteen sample presets)."),
                      QStringLiteral("SCENES.json")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Copies the preset scenes into the processor, scene after scene as the "
                       "processor asks for them."));
    if (parsed >= 0)
        return parsed;
    cli::DeviceTarget target;
    if (!cli::noPositionalArguments(parser) || !cli::deviceTarget(parser, &target))
        return cli::ExitUsage;
    QVariantList scenes = cli::processor::sampleScenes();
    if (parser.isSet(QStringLiteral("scenes")) &&
        !cli::readJsonArrayFile(parser.value(QStringLiteral("scenes")), MaxScenesFileSize,
                                QStringLiteral("scenes"), &scenes))
        return cli::ExitFailed;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, QStringLiteral("presets"));
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::processor::attachProcessor(guid, scenes);
    const cli::processor::PresetRun run =
        cli::processor::runPresets(SceneStallMs, [](int step, int code) {
            std::fprintf(stderr, "scene %d %s\n", step, code == 1 ? "stored" : "failed");
        });
    cli::printJson(QVariantMap{{QStringLiteral("result"), run.finished},
                               {QStringLiteral("presets"), run.presets},
                               {QStringLiteral("scenesFinished"), run.scenesFinished},
                               {QStringLiteral("templates"), run.templates}});
    if (!run.finished)
        cli::printError(run.presets == 0 ? QStringLiteral("no preset scenes to send")
                                         : QStringLiteral("the processor finished %1 of %2 scenes")
                                               .arg(run.scenesFinished)
                                               .arg(run.presets + 1));
    return run.finished ? cli::ExitOk : cli::ExitFailed;
}
} // namespace

int runPresetsCommand(const QStringList &args)
{
    const QString action = args.value(1);
    if (action == QLatin1String("run"))
        return runPresetRun(QStringList{QStringLiteral("presets run")} + args.mid(2));
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        std::fputs("usage: ledwall presets run DEVICE [--scenes SCENES.json]\n", stdout);
        return cli::ExitOk;
    }
    cli::printError(action.isEmpty() ? QStringLiteral("expected run")
                                     : QStringLiteral("unknown presets action '%1'").arg(action));
    return cli::ExitUsage;
}
