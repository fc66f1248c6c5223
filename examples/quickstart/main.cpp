// quickstart: an application of the installed LedWall library.
//
//   quickstart         packages and checks a receiving-card upgrade file, then
//                      searches, connects and reads the hardware port table of a
//                      silent stand-in device on 127.0.0.1: the read times out
//   quickstart PORT    the same against the device at 127.0.0.1:PORT, for example
//                      the virtual wall started with `ledwall-sim --port PORT`
//
// Exit status 0 when the device answered the read, 1 otherwise. Everything stays
// on this machine: searches go to loopback only.

#include <bll_businesslogic_desktop.h>
#include <localaddress.h>
#include <registermap.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>
#include <functional>

namespace
{

// Runs the event loop until done() holds or timeoutMs passed; replies, time-outs
// and link events reach this thread only while it runs.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(10);
    if (!done())
        loop.exec();
    return done();
}

// Offline: an upgrade file packaged around a flash image, then checked the way
// an upgrade checks it. True when every result is the expected one.
bool firmwareStep(BLL_BusinessLogic_Desktop *facade, const QString &directory)
{
    QByteArray image(4096, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    const QString path = directory + QStringLiteral("/fw.bin");

    facade->sendCardPackage().loadRecvUpdateData(image);
    const int packaged = facade->packageReceFileHead(
        path, {{QStringLiteral("receCardType"), 1},
               {QStringLiteral("driveType"), QStringLiteral("A")},
               {QStringLiteral("version"), QStringLiteral("1.a")},
               {QStringLiteral("recCardCRC32"),
                BLL_BusinessLogic_SendCardPackage::chksum_crc32(image, image.size(), 0)}});
    facade->clearRecvUpdateData();

    const int check = facade->checkReceFileHead(path, {{QStringLiteral("firmIndex"), 1}});
    const int wrongCard = facade->checkReceFileHead(path, {{QStringLiteral("firmIndex"), 0}});
    const QVariantMap info = facade->getReceFileInfo(path);
    std::printf("firmware: packaged %d, check %d, check for card 0 %d, firmIndex %d, "
                "crc32 0x%08x\n",
                packaged, check, wrongCard, info.value(QStringLiteral("firmIndex")).toInt(),
                info.value(QStringLiteral("crc32Value")).toUInt());
    return packaged == ReceFileNoError && check == ReceFileNoError &&
           wrongCard == ReceFileCardTypeError;
}

// On loopback: a search, a direct link and one register read. True when the
// device answered the read.
bool deviceStep(BLL_BusinessLogic_Desktop *facade, quint16 port)
{
    // Searches go to the broadcast address of the interfaces this returns: keep
    // them on loopback.
    facade->setNetworkInterfaceProvider(&ledwall::loopbackSearchInterfaces);

    // The record of output port 0 in the sending card's hardware port table.
    const quint32 address = ledwall::registers::PortTable.first;

    QObject receiver; // lives in this thread: every slot below runs here, queued
    QString searchGuid;
    QString deviceGuid;
    QVariantMap reply;
    QVariantMap timedOut;
    // Emitted inside searchDevices and connectSendCard, before they return.
    QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_newDevices, &receiver,
                     [&](QString guid, QString type) {
                         if (type == QLatin1String("SearchDevice"))
                             searchGuid = guid;
                         else
                             deviceGuid = guid;
                     });
    QObject::connect(
        facade, &BLL_BusinessLogic_Desktop::sig_TalkToUI, &receiver, [&](QVariantMap status) {
            const QString event = status.value(QStringLiteral("event")).toString();
            const QString guid = status.value(QStringLiteral("guid")).toString();
            if (event == QLatin1String("deviceFound") && guid == searchGuid)
                std::printf("search: found \"%s\" (%s, %s) at %s:%u\n",
                            qPrintable(status.value(QStringLiteral("name")).toString()),
                            qPrintable(status.value(QStringLiteral("model")).toString()),
                            qPrintable(status.value(QStringLiteral("serial")).toString()),
                            qPrintable(status.value(QStringLiteral("address")).toString()),
                            status.value(QStringLiteral("port")).toUInt());
            else if (event == QLatin1String("linkError"))
                std::printf("link: %s\n",
                            qPrintable(status.value(QStringLiteral("error")).toString()));
        });
    QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &receiver,
                     [&](QVariantMap map) {
                         if (map.value(QStringLiteral("guid")).toString() == deviceGuid &&
                             map.value(QStringLiteral("moduleName")).toString() ==
                                 QLatin1String("Module_SendCardFlashInfo"))
                             reply = map;
                     });
    QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_timeoutCmd, &receiver,
                     [&](QVariantMap map) {
                         if (map.value(QStringLiteral("m_reg")).toUInt() == address)
                             timedOut = map;
                     });

    facade->searchDevices(QString(), port);
    waitFor([] { return false; }, 300); // answers to the search arrive meanwhile

    facade->connectSendCard(QStringLiteral("127.0.0.1"), port, QStringLiteral("quickstart"));
    if (deviceGuid.isEmpty()) {
        std::printf("link: cannot open 127.0.0.1:%u\n", port);
        facade->releaseCommunicateObject(searchGuid);
        return false;
    }
    std::printf("link: opened 127.0.0.1:%u\n", port);

    facade->moduleThread().appendModuleData(
        {{QStringLiteral("moduleName"), QStringLiteral("Module_SendCardFlashInfo")},
         {QStringLiteral("sendCardFlag"), 1},
         {QStringLiteral("guid"), deviceGuid},
         {QStringLiteral("m_regAddr"), address},
         {QStringLiteral("readLength"), 13},
         {QStringLiteral("timeout"), 500}});
    waitFor([&] { return !reply.isEmpty() || !timedOut.isEmpty(); }, 3000);

    const bool answered = reply.value(QStringLiteral("result")).toBool();
    if (answered)
        std::printf("read: 0x%x: %s\n", address,
                    reply.value(QStringLiteral("regData")).toByteArray().toHex().constData());
    else if (!reply.isEmpty())
        std::printf("read: 0x%x refused, status %d\n", address,
                    reply.value(QStringLiteral("status")).toInt());
    else
        std::printf("read: no reply from 127.0.0.1:%u, the read of 0x%x %s\n", port, address,
                    timedOut.isEmpty() ? "got nothing" : "timed out");

    facade->releaseCommunicateObject(deviceGuid);
    facade->releaseCommunicateObject(searchGuid);
    return answered;
}

} // namespace

int main(int argc, char **argv)
{
    // The library needs an application object alive while it works, and its
    // event loop running for replies to arrive.
    QCoreApplication app(argc, argv);
    // The library's debug lines (categories "ledwall.*") are on by default.
    QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();

    QTemporaryDir directory;
    const bool firmwareOk = directory.isValid() && firmwareStep(facade, directory.path());

    // Without a port: a socket on loopback that never answers stands in for a device.
    QUdpSocket silentDevice;
    quint16 port = 0;
    if (argc > 1) {
        bool ok = false;
        port = QString::fromLocal8Bit(argv[1]).toUShort(&ok);
        if (!ok || port == 0) {
            std::fprintf(stderr, "usage: quickstart [PORT]\n");
            return 2;
        }
    } else if (silentDevice.bind(QHostAddress(QHostAddress::LocalHost), 0)) {
        port = silentDevice.localPort();
    }
    const bool answered = port != 0 && deviceStep(facade, port);

    // Stops the command pipeline's threads and forgets the devices.
    facade->clearData();
    std::fflush(stdout);
    return firmwareOk && answered ? 0 : 1;
}
