// Demo group: load a driver chip's default register image into the chip library
// (the load reports "Module_loadBuffToSdk" through the facade), change one
// parameter and see the fetch return it, then write the library's image to a
// receiving card and see the wall hold it.
#include "demo.h"

#include "applicationdirectory.h"
#include "bll_businesslogic_lssdk.h"
#include "chiptext.h"
#include "registermap.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace demo
{

bool runChipDemo(Context &context)
{
    cli::FacadeSession &session = context.session;
    const QString chipName = QStringLiteral("LS9929");
    QFile defaults(QCoreApplication::applicationDirPath() + QStringLiteral("/pm_9929.dat"));
    if (!defaults.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("chip-load"), QStringLiteral("no pm_9929.dat beside ledwall"));
    const QByteArray defaultText = defaults.read(ledwall::chip::MaxRegisterTextSize);

    // The chip layer's data folder goes to a scratch folder, not beside the program.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(QStringLiteral("chip-load"), QStringLiteral("no temporary folder"));
    ledwall::setApplicationDirectory(scratch.path());
    BLL_BusinessLogic_LSSDK sdk;
    const QVariantMap chip{{QStringLiteral("driverChip"), chipName},
                           {QStringLiteral("decodedMode"), 0}};
    sdk.init(chip);
    QVariantMap load = chip;
    load.insert(QStringLiteral("registerAddr"), QString::fromLatin1(defaultText));
    session.replies.clear();
    sdk.loadBuffToSDK(load);
    const bool loaded = cli::waitUntil(
        [&] {
            for (const QVariantMap &map : qAsConst(session.replies)) {
                if (map.value(QStringLiteral("moduleName")).toString() ==
                    QLatin1String("Module_loadBuffToSdk"))
                    return true;
            }
            return false;
        },
        StepTimeoutMs);
    ledwall::setApplicationDirectory(QString());
    if (!loaded)
        return fail(QStringLiteral("chip-load"), QStringLiteral("no \"Module_loadBuffToSdk\""));
    stepOk(QStringLiteral("chip-load"),
           QStringLiteral("%1 default image, \"Module_loadBuffToSdk\"").arg(chipName));

    const QVariantMap set = sdk.configureParam({{QStringLiteral("configFlag"), 0},
                                                {QStringLiteral("configIndex"), 3},
                                                {QStringLiteral("moduleWidth"), 96}});
    sdk.clearData();
    const int shiftLength = sdk.getParam(chip).value(QStringLiteral("ShiftLen")).toInt();
    if (set.value(QStringLiteral("result")).toInt() != 0 || shiftLength != 96)
        return fail(QStringLiteral("chip-set"),
                    QStringLiteral("shift length %1 after setting 96").arg(shiftLength));
    stepOk(QStringLiteral("chip-set"), QStringLiteral("ShiftLen 96 fetched back"));

    const ledwall::chip::ParsedImage image = ledwall::chip::parseRegisterText(
        sdk.getSDKToBuff().value(QStringLiteral("registerAddr")).toString().toLatin1());
    if (!image.ok || image.image.isEmpty())
        return fail(QStringLiteral("chip-card"), QStringLiteral("no image read back"));
    const Cards cards = receivingCards(context.wall);
    BLL_BusinessLogic_SendCardPackage &sendCard =
        BLL_BusinessLogic_Desktop::instance()->sendCardPackage();
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = 0x008000A1;
    descriptor.startAddress = (quint32(cards.port) | 0x10) << 16;
    descriptor.recvCommand = 0x01;
    descriptor.recvWord1 = descriptor.recvWord2 = quint16(cards.first);
    descriptor.recvAddress = ledwall::registers::ChipRegisterImage;
    sendCard.setFlashAccessDescriptor(descriptor);
    sendCard.writeRecvCardInfo(context.guid, image.image, 256, 1000, false);
    const bool held = cli::waitUntil(
        [&] {
            return context.wall.readReceivingCard(cards.port, cards.first,
                                                  ledwall::registers::ChipRegisterImage,
                                                  image.image.size()) == image.image;
        },
        StepTimeoutMs);
    if (!held)
        return fail(QStringLiteral("chip-card"), QStringLiteral("the wall does not hold the image"));
    stepOk(QStringLiteral("chip-card"), QStringLiteral("%1-byte register image on card %2 of port %3")
                                            .arg(image.image.size())
                                            .arg(cards.first)
                                            .arg(cards.port));
    return true;
}

} // namespace demo
