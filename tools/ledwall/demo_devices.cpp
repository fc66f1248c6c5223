// Demo group: a device search on loopback, then the wall registered as a
// processor-class device made from a search result, and the devices the data
// center now knows.
#include "demo.h"

#include "bll_datacenter_desktop.h"

#include <QUuid>

#include <cstdio>

namespace demo
{

bool runDevicesDemo(Context &context)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    // Searches go to loopback only: never a broadcast on the machine's networks.
    facade->setNetworkInterfaceProvider(&ledwall::loopbackSearchInterfaces);
    QString searchType;
    {
        QObject receiver;
        QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_newDevices, &receiver,
                         [&](QString, QString type) { searchType = type; });
        facade->searchDevices(QString(), context.wall.port());
    }
    // The search link became the current device; the demo's link stays current.
    BLL_DataCenter_Desktop::instance()->setCurrentGuid(context.guid);
    if (searchType != QLatin1String("SearchDevice"))
        return fail(QStringLiteral("search"), QStringLiteral("no search link announced"));
    stepOk(QStringLiteral("search"),
           QStringLiteral("to %1:%2").arg(facade->getLocalAddress()).arg(context.wall.port()));

    const QString guid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    facade->createDevices(QStringLiteral("HX28"), guid, QStringLiteral("127.0.0.1"),
                          context.wall.port());

    const QVariantList devices = facade->getDevicesList();
    QVariantMap created;
    for (const QVariant &device : devices) {
        const QVariantMap map = device.toMap();
        std::printf("demo:   device %s kind %d name \"%s\" at %s:%u\n",
                    qPrintable(map.value(QStringLiteral("guid")).toString()),
                    map.value(QStringLiteral("kind")).toInt(),
                    qPrintable(map.value(QStringLiteral("name")).toString()),
                    qPrintable(map.value(QStringLiteral("ip")).toString()),
                    map.value(QStringLiteral("port")).toUInt());
        if (map.value(QStringLiteral("guid")).toString() == guid)
            created = map;
    }
    std::fflush(stdout);
    if (created.isEmpty())
        return fail(QStringLiteral("createDevices"),
                    QStringLiteral("the new device is not listed"));
    if (created.value(QStringLiteral("name")).toString() != QLatin1String("HX28") ||
        created.value(QStringLiteral("kind")).toInt() != 1 ||
        created.value(QStringLiteral("port")).toUInt() != context.wall.port())
        return fail(QStringLiteral("createDevices"),
                    QStringLiteral("listed with the wrong name, kind or port"));
    stepOk(QStringLiteral("createDevices"), QStringLiteral("HX28 %1").arg(guid));
    stepOk(QStringLiteral("getDevicesList"), QStringLiteral("%1 devices").arg(devices.size()));
    return true;
}

} // namespace demo
