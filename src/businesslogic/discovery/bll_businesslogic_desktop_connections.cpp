// The facade's device discovery and connections, the link-signal connections and
// the internal relays.

#include "bll_businesslogic_desktop.h"

#include "bll_businesslogic_server.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "module_protocolbase.h"

#include "applicationdirectory.h"
#include "filereader.h"
#include "searchsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

namespace
{
Q_LOGGING_CATEGORY(lcConnect, "ledwall.facade.connect")

// USB sending cards.
constexpr unsigned short UsbVendorId = 0x080A;
constexpr unsigned short UsbProductId = 0x96FE;
constexpr int SerialBaudRate = 115200;

// Device record kinds.
constexpr int SearchLinkKind = 0;
constexpr int ProcessorDeviceKind = 1;
constexpr int OpenedLinkKind = 2;

// VPU bytes of every record made by a connection.
constexpr quint8 FirstVpuByte = 120;
constexpr quint8 SecondVpuByte = 56;

BLL_CommunicationMain_Desktop *linkManager()
{
    return BLL_CommunicationMain_Desktop::getInstance();
}

BLL_DataCenter_Desktop *dataCenter()
{
    return BLL_DataCenter_Desktop::instance();
}

void setVpuBytes(Bll_DataCenter_DeviceBase *device)
{
    device->setFirstVpuByte(FirstVpuByte);
    device->setSecondVpuByte(SecondVpuByte);
}
} // namespace

// ---- link signals and relays ------------------------------------------------------------

void BLL_BusinessLogic_Desktop::connectLinkSignals()
{
    if (!firstLink)
        return;
    firstLink = false;
    BLL_CommunicationMain_Desktop *link = linkManager();
    // The emitted frame is deleted as soon as the emission returns, so both frame
    // signals are taken in the emitting thread: the pipeline copies the frame, the
    // time-out slot reads it.
    connect(link, SIGNAL(sig_reciveCmd(QString, Module_ProtocolBase *)), &m_moduleThread,
            SLOT(slot_reciveCmd(QString, Module_ProtocolBase *)), Qt::DirectConnection);
    connect(link, &BLL_CommunicationMain_Desktop::sig_timeoutCmd, this,
            &BLL_BusinessLogic_Desktop::slot_timeoutCmd, Qt::DirectConnection);
    connect(link, &BLL_CommunicationMain_Desktop::sig_TalkToUI, this,
            &BLL_BusinessLogic_Desktop::slot_talkToUI);
}

void BLL_BusinessLogic_Desktop::connectDisplayFileRelays()
{
    BLL_DataCenter_DisplayBoxFile *displayFile = &dataCenter()->displayBoxFile();
    connect(displayFile, &BLL_DataCenter_DisplayBoxFile::sig_saveDisplayFile, this,
            &BLL_BusinessLogic_Desktop::sig_saveDisplayFile, Qt::UniqueConnection);
    connect(displayFile, &BLL_DataCenter_DisplayBoxFile::sig_saveDisplayFileIndex, this,
            &BLL_BusinessLogic_Desktop::sig_saveDisplayFileIndex, Qt::UniqueConnection);
    connect(displayFile, &BLL_DataCenter_DisplayBoxFile::sig_openDisplayFileIndex, this,
            &BLL_BusinessLogic_Desktop::sig_openDisplayFileIndex, Qt::UniqueConnection);
    connect(displayFile, &BLL_DataCenter_DisplayBoxFile::sig_readBackComplexFinish, this,
            &BLL_BusinessLogic_Desktop::sig_readBackComplexFinish, Qt::UniqueConnection);
}

void BLL_BusinessLogic_Desktop::connectSearchRelays()
{
    BLL_DataCenter_Desktop *dc = dataCenter();
    connect(this, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &m_bigPackage,
            &BLL_BusinessLogic_BigPackage::slot_recvData, Qt::UniqueConnection);
    // slot_dealData is private to the sending-card logic: connected by signature.
    connect(this, SIGNAL(sig_devicesModuleData(QVariantMap)), &m_sendCardPackage,
            SLOT(slot_dealData(QVariantMap)), Qt::UniqueConnection);
    connect(this, SIGNAL(sig_timeoutCmd(QVariantMap)), &m_sendCardPackage,
            SLOT(slot_timeoutCmd(QVariantMap)), Qt::UniqueConnection);
    connect(this, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &dc->displayBoxFile(),
            &BLL_DataCenter_DisplayBoxFile::slot_dealData, Qt::UniqueConnection);
    connect(&m_moduleThread, &BLL_BusinessLogic_ModuleThread::sig_bigPackageType, &m_bigPackage,
            &BLL_BusinessLogic_BigPackage::slot_dealBigData, Qt::UniqueConnection);

    connect(dc, &BLL_DataCenter_Desktop::sig_saveState, this,
            &BLL_BusinessLogic_Desktop::sig_saveState, Qt::UniqueConnection);
    connect(dc, &BLL_DataCenter_Desktop::sig_setNewDatacenterEnd, this,
            &BLL_BusinessLogic_Desktop::sig_setNewDatacenterEnd, Qt::UniqueConnection);
    connect(dc, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd, this,
            &BLL_BusinessLogic_Desktop::sig_loadDatabaseEnd, Qt::UniqueConnection);

    connect(dc, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd, &m_localPreinstall,
            &BLL_BusinessLogic_LocalPreinstall::slot_sendDataToDevice, Qt::UniqueConnection);
    connect(&m_bigPackage, &BLL_BusinessLogic_BigPackage::sig_switchSceneEnd, &m_localPreinstall,
            &BLL_BusinessLogic_LocalPreinstall::slot_sendDataToDevice, Qt::UniqueConnection);
    connect(dc, &BLL_DataCenter_Desktop::sig_setNewDatacenterEnd, &m_localPreinstall,
            &BLL_BusinessLogic_LocalPreinstall::slot_sendNewDataToDevice, Qt::UniqueConnection);

    connectDisplayFileRelays();
}

void BLL_BusinessLogic_Desktop::connectListingRelays()
{
    BLL_DataCenter_Desktop *dc = dataCenter();
    connectDisplayFileRelays();

    BLL_DataCenter_ProcessorFile *processorFile = &dc->processorFile();
    connect(processorFile, &BLL_DataCenter_ProcessorFile::sig_saveProcessorFile, this,
            &BLL_BusinessLogic_Desktop::sig_saveProcessorFile, Qt::UniqueConnection);
    connect(processorFile, &BLL_DataCenter_ProcessorFile::sig_saveProcessorFileIndex, this,
            &BLL_BusinessLogic_Desktop::sig_saveProcessorFileIndex, Qt::UniqueConnection);
    connect(processorFile, &BLL_DataCenter_ProcessorFile::sig_openProcessorFile, this,
            &BLL_BusinessLogic_Desktop::sig_openProcessorFile, Qt::UniqueConnection);

    connect(this, SIGNAL(sig_devicesModuleData(QVariantMap)), &m_sendCardPackage,
            SLOT(slot_dealData(QVariantMap)), Qt::UniqueConnection);
    connect(this, SIGNAL(sig_timeoutCmd(QVariantMap)), &m_sendCardPackage,
            SLOT(slot_timeoutCmd(QVariantMap)), Qt::UniqueConnection);
    connect(this, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &dc->displayBoxFile(),
            &BLL_DataCenter_DisplayBoxFile::slot_dealData, Qt::UniqueConnection);
}

// ---- searches -------------------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::setNetworkInterfaceProvider(
    std::function<ledwall::NetworkInterfaceList()> provider)
{
    m_networkInterfaceProvider = std::move(provider);
}

void BLL_BusinessLogic_Desktop::openSearchLink(QString &rememberedGuid, const QString &name,
                                               const QString &type, const QString &callerIp,
                                               unsigned short port)
{
    connectSearchRelays();
    BLL_CommunicationMain_Desktop *link = linkManager();
    if (!rememberedGuid.isEmpty())
        link->releaseCommunicateObject(rememberedGuid);

    // A search always goes to the broadcast address of the local network.
    const QString address = getLocalAddress();
    qCDebug(lcConnect) << "search" << type << "asked for" << callerIp << "port" << port << "sent to"
                       << address;

    connectLinkSignals();
    const QString guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
    rememberedGuid = guid;
    // Every device on the network may answer what goes out on this link.
    link->setSearchLink(guid, true);
    netConnected = link->connectServer(guid, address, port);
    if (!netConnected) {
        qCDebug(lcConnect) << "connect to server failed, guid:" << guid;
        return;
    }
    BLL_DataCenter_Desktop *dc = dataCenter();
    Bll_DataCenter_DeviceBase *device = dc->createDevice(guid, SearchLinkKind);
    dc->setCurrentGuid(guid);
    if (device) {
        device->setDeviceName(name);
        device->setIp(address);
        device->setPort(port);
    }
    dc->setDeviceNetId(guid, guid);
    link->setTimeoutFlag(guid, true);
    emit sig_newDevices(guid, type);
}

void BLL_BusinessLogic_Desktop::searchDevices(QString ip, unsigned short port)
{
    openSearchLink(m_searchGuid, QStringLiteral("SEARCHDEVICE"), QStringLiteral("SearchDevice"), ip,
                   port);
}

void BLL_BusinessLogic_Desktop::searchKP7720Devices(QString ip, unsigned short port)
{
    openSearchLink(m_kp7720SearchGuid, QStringLiteral("KP7720Search"),
                   QStringLiteral("KP7720Search"), ip, port);
}

QString BLL_BusinessLogic_Desktop::getLocalAddress()
{
    const ledwall::NetworkInterfaceList interfaces = m_networkInterfaceProvider
                                                         ? m_networkInterfaceProvider()
                                                         : ledwall::systemNetworkInterfaces();
    return ledwall::localBroadcastAddress(interfaces);
}

// ---- direct, USB and serial links -------------------------------------------------------------

void BLL_BusinessLogic_Desktop::registerOpenedLink(const QString &guid, const QString &name,
                                                   const QString &ip, unsigned short port,
                                                   bool withAddress)
{
    BLL_DataCenter_Desktop *dc = dataCenter();
    Bll_DataCenter_DeviceBase *device = dc->createDevice(guid, OpenedLinkKind);
    dc->setCurrentGuid(guid);
    if (device) {
        setVpuBytes(device);
        device->setDeviceName(name);
        if (withAddress) {
            device->setIp(ip);
            device->setPort(port);
        }
    }
    dc->setDeviceNetId(guid, guid);
    linkManager()->setTimeoutFlag(guid, true);
}

namespace
{
// Opens a link of `type`; its guid, or empty (the link released: nobody learns
// its guid) when it does not open. `opened` gets the result of the open.
template <typename Open>
QString openLink(CommunicationType type, bool queued, bool *opened, const char *logText, Open open)
{
    BLL_CommunicationMain_Desktop *link = linkManager();
    const QString guid = link->createCommunicateObject(type, DefaultProtocol);
    if (queued)
        link->setQueueType(guid, 1);
    *opened = open(link, guid);
    qCDebug(lcConnect) << logText << guid << *opened;
    if (*opened)
        return guid;
    if (type == NetworkLink)
        qCDebug(lcConnect) << "connect to server failed, guid:" << guid;
    link->releaseCommunicateObject(guid);
    return {};
}

QString openNetworkLink(const QString &ip, unsigned short port, bool *opened)
{
    return openLink(NetworkLink, false, opened, "net-----",
                    [&](BLL_CommunicationMain_Desktop *link, const QString &guid) {
                        return link->connectServer(guid, ip, port);
                    });
}

QString openUsbLink(const QString &serialNumber, bool queued, bool *opened)
{
    return openLink(UsbLink, queued, opened, "usb-----",
                    [&](BLL_CommunicationMain_Desktop *link, const QString &guid) {
                        return link->openUsb(guid, UsbVendorId, UsbProductId, serialNumber);
                    });
}

QString openSerialLink(const QString &portName, bool queued, bool *opened,
                       int baudRate = SerialBaudRate)
{
    return openLink(SerialLink, queued, opened, "com-----",
                    [&](BLL_CommunicationMain_Desktop *link, const QString &guid) {
                        return link->openSerialport(guid, portName, baudRate);
                    });
}

// Record of a link opened by a guid-returning call; it does not become current.
Bll_DataCenter_DeviceBase *registerGuidLink(const QString &guid)
{
    BLL_DataCenter_Desktop *dc = dataCenter();
    Bll_DataCenter_DeviceBase *device = dc->createDevice(guid, OpenedLinkKind);
    if (device)
        setVpuBytes(device);
    dc->setDeviceNetId(guid, guid);
    linkManager()->setTimeoutFlag(guid, true);
    return device;
}
} // namespace

void BLL_BusinessLogic_Desktop::connectSendCard(QString ip, unsigned short port, QString name)
{
    connectLinkSignals();
    const QString guid = openNetworkLink(ip, port, &netConnected);
    if (guid.isEmpty())
        return;
    registerOpenedLink(guid, name, ip, port, true);
    emit sig_newDevices(guid, name);
}

// USB and serial opens rely on the link signals of an earlier search or
// guid-returning open.
void BLL_BusinessLogic_Desktop::connectUsbSendCard(QString serialNumber)
{
    // Replies (and the reason of a failed open) must reach the facade.
    connectLinkSignals();
    const QString guid = openUsbLink(serialNumber, true, &portConnected);
    if (guid.isEmpty())
        return;
    const QString name = QStringLiteral("R2TM");
    registerOpenedLink(guid, name, QString(), 0, false);
    emit sig_newDevices(guid, name);
}

void BLL_BusinessLogic_Desktop::connectComPortSendCard(QString portName)
{
    connectComPortSendCard(portName, SerialBaudRate);
}

void BLL_BusinessLogic_Desktop::connectComPortSendCard(QString portName, int baudRate)
{
    connectLinkSignals();
    const QString guid = openSerialLink(portName, true, &portConnected, baudRate);
    if (guid.isEmpty())
        return;
    const QString name = QStringLiteral("S3KN");
    registerOpenedLink(guid, name, QString(), 0, false);
    emit sig_newDevices(guid, name);
}

// ---- guid-returning opens ----------------------------------------------------------------------

QString BLL_BusinessLogic_Desktop::getDevicesGuid(QString ip, unsigned short port)
{
    // Replies of this link must reach the pipeline even when it is the first one.
    connectLinkSignals();
    const QString guid = openNetworkLink(ip, port, &netConnected);
    if (guid.isEmpty())
        return {};
    if (Bll_DataCenter_DeviceBase *device = registerGuidLink(guid)) {
        device->setDeviceName(QStringLiteral("HX28"));
        device->setIp(ip);
        device->setPort(port);
    }
    return guid;
}

QString BLL_BusinessLogic_Desktop::getUsbDevicesGuid(QString serialNumber)
{
    connectLinkSignals();
    const QString guid = openUsbLink(serialNumber, false, &portConnected);
    if (!guid.isEmpty())
        registerGuidLink(guid);
    return guid;
}

QString BLL_BusinessLogic_Desktop::getComDevicesGuid(QString portName)
{
    connectLinkSignals();
    const QString guid = openSerialLink(portName, false, &portConnected);
    if (!guid.isEmpty())
        registerGuidLink(guid);
    return guid;
}

void BLL_BusinessLogic_Desktop::createDevices(QString type, QString guid, QString ip,
                                              unsigned short port)
{
    if (type != QLatin1String("KP7720") && type != QLatin1String("HX28")) {
        qCDebug(lcConnect) << "create device error!" << type;
        return;
    }
    if (Bll_DataCenter_DeviceBase *device = dataCenter()->createDevice(guid, ProcessorDeviceKind)) {
        setVpuBytes(device);
        device->setDeviceName(type);
        device->setIp(ip);
        device->setPort(port);
    }
    qCDebug(lcConnect).noquote() << "create device" << type;
}

// ---- port listings ------------------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::getUSBSerialNumber()
{
    connectListingRelays();
    emit sig_usbSerialNumber(
        linkManager()->getUSBSerialNumber(UsbVendorId, UsbProductId).join(QLatin1Char(':')));
}

void BLL_BusinessLogic_Desktop::getComPort()
{
    connectListingRelays();
    emit sig_comPort(linkManager()->getComPort().join(QLatin1Char(':')));
}

// ---- search settings file ----------------------------------------------------------------------

QString BLL_BusinessLogic_Desktop::searchConfigFilePath()
{
    return ledwall::applicationFilePath(
        QStringLiteral("ConfigData/ConfigurationFile/searchFile.txt"));
}

QVariantMap BLL_BusinessLogic_Desktop::readSearchConfigFile()
{
    // A settings file is a few short lines; anything past this is not one.
    constexpr qint64 MaxSearchFileSize = 64 * 1024;
    const ledwall::FileContents contents =
        ledwall::readWholeFile(searchConfigFilePath(), MaxSearchFileSize);
    if (!contents.ok())
        return {};
    return ledwall::parseSearchSettings(contents.bytes);
}

void BLL_BusinessLogic_Desktop::saveSearchConfigFile(QVariantMap map)
{
    const QString path = searchConfigFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written aside and renamed into place: a failed write keeps the old settings.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCDebug(lcConnect) << "__________________Open SearchFile Failed";
        return;
    }
    file.write(ledwall::formatSearchSettings(map));
    if (!file.commit())
        qCDebug(lcConnect) << "__________________Open SearchFile Failed" << file.errorString();
}

// ---- server bridge ----------------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::startListenServer()
{
    startListenServer(QHostAddress(QHostAddress::LocalHost),
                      BLL_CommunicationServer_Desktop::DefaultPort);
}

bool BLL_BusinessLogic_Desktop::startListenServer(const QHostAddress &address, quint16 port)
{
    // One bridge for the facade's lifetime: later calls reuse it and change nothing.
    if (!m_server) {
        m_server = new BLL_BusinessLogic_Server;
        m_server->server().setListenAddress(address, port);
        m_server->server().startListenServer();
    }
    connect(&m_sendCardPackage, &BLL_BusinessLogic_SendCardPackage::sig_sndScreenWh, this,
            &BLL_BusinessLogic_Desktop::slot_sndScreenWh, Qt::UniqueConnection);
    return m_server->server().isListening();
}

BLL_CommunicationServer_Desktop *BLL_BusinessLogic_Desktop::listenServer()
{
    return m_server ? &m_server->server() : nullptr;
}
