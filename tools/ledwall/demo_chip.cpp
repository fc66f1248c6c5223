// Demo group: load a driver chip's default register image into the chip library
// (the load reports "Module_loadBuffToSdk" through the facade), change one
// parameter and see the fetch return it, then write the library's image to a
// receiving card, read it back and see the wall hold it.
#include "demo.h"

#include "applicationdirectory.h"
#include "chipflow.h"

#include <QTemporaryDir>

namespace demo
{

bool runChipDemo(Context &context)
{
    const QString chipName = QStringLiteral("LS9929");
    QString why;
    const QByteArray defaultText = cli::chip::defaultImageText(4, 0, &why);
    if (defaultText.isEmpty())
        return fail(QStringLiteral("chip-load"), why);

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
    const bool loaded = cli::chip::loadThroughFacade(context.session, sdk, load, StepTimeoutMs);
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

    const QByteArray image =
        ledwall::chip::parseRegisterText(
            sdk.getSDKToBuff().value(QStringLiteral("registerAddr")).toString().toLatin1())
            .image;
    const Cards cards = receivingCards(context.wall);
    if (image.isEmpty() || !cli::chip::writeToCard(context.session, context.guid, cards.port,
                                                   cards.first, image, StepTimeoutMs, &why))
        return fail(QStringLiteral("chip-card"),
                    image.isEmpty() ? QStringLiteral("no image") : why);
    if (context.wall.readReceivingCard(
            cards.port, cards.first, ledwall::registers::ChipRegisterImage, image.size()) != image)
        return fail(QStringLiteral("chip-card"),
                    QStringLiteral("the wall does not hold the image"));
    stepOk(QStringLiteral("chip-card"),
           QStringLiteral("%1-byte register image on card %2 of port %3, read back")
               .arg(image.size())
               .arg(cards.first)
               .arg(cards.port));
    return true;
}

} // namespace demo
