#pragma once
// The processor flows that `ledwall presets`, `ledwall subtitle send` and the demo
// share: a link made the current processor-class device with its scenes, a preset
// run driven by the processor's requests, and one subtitle bitmap sent chunk by
// chunk, all through the facade's handlers.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "facadesession.h"
#include "subtitlebitmap.h"

#include <QObject>
#include <QVariantMap>

#include <functional>

namespace cli::processor
{

constexpr int ProcessorKind = 1;

// Sixteen presets and the live scene, each with a few output ports, channels,
// layers and input blocks, so that every table of a scene carries records.
inline QVariantList sampleScenes(int presets = 16)
{
    QVariantList scenes;
    for (int scene = 0; scene <= presets; ++scene) {
        QVariantList layers, inputs, outputs, groups;
        for (int port = 0; port < 4; ++port) {
            outputs << QVariantMap{
                {"portSwitch", 1},  {"channelSwitch", 1},        {"portNum", port},
                {"cardSlotNum", 1}, {"brightness", 100 + scene}, {"xWidth", 1920},
                {"yHeight", 1080}};
            layers << QVariantMap{{"layerID", port}, {"width", 960}, {"height", 540}};
            inputs << QVariantMap{{"inputSlot", port},
                                  {"width_Block1", 1920},
                                  {"height_Block1", 1080},
                                  {"imageLuminance", 50}};
        }
        groups << QVariantMap{{"isGrouping", false}, {"groupData1", scene}};
        scenes << QVariantMap{
            {"sceneId", scene == 0 ? QString() : QString::number(scene)},
            {"dataLists",
             QVariantMap{{"0", layers}, {"1", inputs}, {"2", outputs}, {"3", groups}}}};
    }
    return scenes;
}

// Makes `guid` the current device as a processor holding `scenes` (the storage
// form of the data center: [{"sceneId", "dataLists": {"<type>": [items]}}]) and
// wires the handshake (the user interface's first search does this; the tool opens
// its link directly).
inline void attachProcessor(const QString &guid, const QVariantList &scenes)
{
    BLL_DataCenter_Desktop *dc = BLL_DataCenter_Desktop::instance();
    Bll_DataCenter_DeviceBase *device = dc->createDevice(guid, ProcessorKind);
    dc->setCurrentGuid(guid);
    // Replies reach the handlers only from the device in use (its net id).
    dc->setDeviceNetId(guid, guid);
    device->restoreScenes(scenes, false);
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData,
                     &facade->bigPackage(), &BLL_BusinessLogic_BigPackage::slot_recvData,
                     Qt::UniqueConnection);
    QObject::connect(&facade->bigPackage(), &BLL_BusinessLogic_BigPackage::sig_switchSceneEnd,
                     &facade->localPreinstall(),
                     &BLL_BusinessLogic_LocalPreinstall::slot_sendDataToDevice,
                     Qt::UniqueConnection);
}

struct PresetRun {
    int presets = 0;        // presets in the scene list
    int scenesFinished = 0; // scene ends the processor reported
    int failures = 0;       // scene ends with code 255
    QVariantList templates; // template numbers stored, in order
    bool finished = false;  // every preset stored and the live scene restored
};

// Runs a whole preset run on the current device; `onScene(step, code)` is called
// at every scene end. Gives up after `stallMs` without a scene end.
inline PresetRun runPresets(int stallMs, const std::function<void(int, int)> &onScene = {})
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    PresetRun run;
    run.presets = qMin(facade->getSceneList().size() - 1, 16);
    QObject context;
    QObject::connect(&facade->bigPackage(), &BLL_BusinessLogic_BigPackage::sig_switchSceneEnd,
                     &context, [&](int code) {
                         ++run.scenesFinished;
                         run.failures += code != 1;
                         if (onScene)
                             onScene(run.scenesFinished, code);
                     });
    facade->localPreinstall().slot_sendDataToDevice(0);
    // Scene ends: one per preset and one for the live scene.
    int seen = -1;
    while (run.scenesFinished != seen && run.failures == 0 &&
           run.scenesFinished < run.presets + 1) {
        seen = run.scenesFinished;
        waitUntil([&] { return run.scenesFinished != seen || run.failures; }, stallMs);
    }
    for (int number : facade->localPreinstall().templatesSent())
        run.templates << number;
    run.finished = run.presets > 0 && run.failures == 0 && run.scenesFinished == run.presets + 1 &&
                   run.templates.size() == run.presets;
    return run;
}

// A 1-bit bitmap of `width` (a multiple of 32) x `height` pixels in a pattern of
// the default colours: width * height subtitle pixels.
inline QByteArray sampleSubtitle(int width, int height)
{
    ledwall::subtitle::ConversionOptions colours;
    colours.foreground = {3, 3, 3, 3};
    QByteArray pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.append(
            char(i % 3 ? colours.background.pixelByte() : colours.foreground.pixelByte()));
    return ledwall::subtitle::oneBitBitmap(pixels, width, height, colours);
}

struct SubtitleSend {
    QString message;      // the sender's completion report; empty when none came
    int acknowledged = 0; // chunks the card acknowledged
    int chunks = 0;
    bool ok() const { return message == QLatin1String("Bitmap transfer completed"); }
};

// Sends one bitmap (the request map of sendBMPFileName, "guid" included);
// `onChunk(done, total)` at every acknowledged chunk.
inline SubtitleSend sendSubtitle(const QVariantMap &request, int timeoutMs,
                                 const std::function<void(int, int)> &onChunk = {})
{
    BLL_BusinessLogic_SendBMPFileThread &sender =
        BLL_BusinessLogic_Desktop::instance()->sendBMPFileThread();
    SubtitleSend result;
    bool closed = false;
    QObject context;
    QObject::connect(&sender, &BLL_BusinessLogic_SendBMPFileThread::sig_chunkAcknowledged, &context,
                     [&](int done, int total) {
                         result.acknowledged = done;
                         result.chunks = total;
                         if (onChunk)
                             onChunk(done, total);
                     });
    QObject::connect(&sender, &BLL_BusinessLogic_SendBMPFileThread::sig_closeThread, &context,
                     [&](QString message) {
                         result.message = message;
                         closed = true;
                     });
    if (!sender.sendBMPFileName(request)) {
        result.message = QStringLiteral("a bitmap transfer is already running");
        return result;
    }
    if (!waitUntil([&] { return closed; }, timeoutMs)) {
        sender.slot_closeThread(QStringLiteral("timed out"));
        result.message.clear();
    }
    // Let the sender's own close (queued behind the report) join its worker.
    waitUntil([&] { return !sender.isRunning(); }, 1000);
    return result;
}

} // namespace cli::processor
