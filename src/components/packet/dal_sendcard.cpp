#include "dal_sendcard.h"

#include "armframe.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "bll_datacenter_devicebase.h"
#include "formats/fileio.h"
#include "module_sendcard_protocol.h"
#include "sendcardmodules.h"

#include <QMutexLocker>

using namespace ledwall;
using namespace ledwall::packet;

namespace
{

bool pushToLink(const QString &guid, Module_ProtocolBase *frame, bool flag)
{
    return BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient(guid, frame, flag);
}

QString deviceAddress(const QString &guid)
{
    if (guid.isEmpty())
        return {};
    Bll_DataCenter_DeviceBase *device = BLL_DataCenter_Desktop::instance()->getDevice(guid);
    return device ? device->ip() : QString();
}

} // namespace

DAL_SendCard::DAL_SendCard() : m_sink(pushToLink), m_resolver(deviceAddress) {}

DAL_SendCard *DAL_SendCard::getInstance()
{
    static DAL_SendCard instance;
    return &instance;
}

bool DAL_SendCard::createData(QString guid, Module_Base **data, Module_ProtocolBase **frame,
                              const QVariantMap &map)
{
    QVariantMap request = map;
    request.insert(QStringLiteral("guid"), guid);
    BuiltModule built = buildSendCardModule(request);
    std::unique_ptr<Module_ProtocolBase> builtFrame = std::move(built.frame);
    bool made = handOut(std::move(built), data, frame);
    if (!builtFrame)
        return made;

    const auto *sendCardFrame = static_cast<const Module_SendCard_Protocol *>(builtFrame.get());
    if (arm::looksLikeInnerFrame(sendCardFrame->cmdData)) {
        QMutexLocker locker(&m_mutex);
        if (m_updateStop) {
            qCDebug(lcPacket) << "receiving-card update stopped:"
                              << request.value(QStringLiteral("moduleName")).toString()
                              << "not sent";
            return true;
        }
    }
    deliver(guid, builtFrame.get());
    return true;
}

bool DAL_SendCard::deliver(const QString &guid, Module_ProtocolBase *frame)
{
    FrameSink sink;
    {
        QMutexLocker locker(&m_mutex);
        sink = m_sink;
    }
    const bool pushed = sink(guid, frame, frame->m_flag);
    if (pushed) {
        QMutexLocker locker(&m_mutex);
        ++m_activePack;
    } else {
        qCDebug(lcPacket) << "link refused a sending-card frame for" << guid;
    }
    return pushed;
}

bool DAL_SendCard::parseData(Module_SendCard_Protocol *frame, Module_Base **data, QVariantMap *map)
{
    if (data)
        *data = nullptr;
    if (!frame)
        return false;
    AddressResolver resolver;
    {
        QMutexLocker locker(&m_mutex);
        resolver = m_resolver;
    }
    // Only register reads carry the device's address; the parser checks the rest.
    const bool registerRead =
        frame->m_head.size() == arm::HeaderSize && frame->m_con() == arm::ReadOperation;
    const QString ip = registerRead ? resolver(frame->m_guid) : QString();
    return handOut(parseSendCardFrame(*frame, ip), data, map);
}

void DAL_SendCard::fillWalkPointer(QString guid, unsigned pointIndex, unsigned address,
                                   unsigned virtualPointCount, unsigned scanLineLen, bool advance,
                                   bool on)
{
    std::unique_ptr<Module_SendCard_Protocol> frame =
        walkPointFrame(pointIndex, address, virtualPointCount, scanLineLen, advance, on);
    frame->m_guid = guid;
    qCDebug(lcPacket) << "walking point" << pointIndex << "at" << Qt::hex << address << Qt::dec
                      << (on ? "on" : "off");
    deliver(guid, frame.get());
}

void DAL_SendCard::resetInit()
{
    QMutexLocker locker(&m_mutex);
    m_planPack = 0;
    m_activePack = 0;
    m_updateStop = false;
}

void DAL_SendCard::setPlanSendPack(int &count)
{
    if (count < 0)
        count = 0;
    QMutexLocker locker(&m_mutex);
    m_planPack = count;
    m_activePack = 0;
}

void DAL_SendCard::setReveUpdateStop(bool stop)
{
    QMutexLocker locker(&m_mutex);
    m_updateStop = stop;
}

QVariantMap DAL_SendCard::getactivePack()
{
    QMutexLocker locker(&m_mutex);
    const int progress =
        m_planPack > 0 ? int(qMin<qint64>(100, qint64(m_activePack) * 100 / m_planPack)) : 0;
    return {{QStringLiteral("planPack"), m_planPack},
            {QStringLiteral("activePack"), m_activePack},
            {QStringLiteral("remainPack"), qMax(0, m_planPack - m_activePack)},
            {QStringLiteral("progress"), progress},
            {QStringLiteral("updateStop"), m_updateStop}};
}

bool DAL_SendCard::saveUsbFlashFile(const QVariantMap &map)
{
    const QByteArray image = map.value(QStringLiteral("usbFlashData")).toByteArray();
    const QString path = fileio::localPath(map.value(QStringLiteral("filePath")).toString());
    if (path.isEmpty() || image.isEmpty()) {
        qCDebug(lcPacket) << "U-disk image not saved: no file path or no data";
        return false;
    }
    const int frames = usbImageFrameCount(image);
    if (frames < 0) {
        qCDebug(lcPacket) << "U-disk image not saved: the data is not a sequence of frames";
        return false;
    }
    // Written whole or not at all, as every file the data center writes.
    if (!fileio::writeWholeFile(path, image)) {
        qCDebug(lcPacket) << "U-disk image not saved to" << path;
        return false;
    }
    qCDebug(lcPacket) << "usbFlashDataNum" << frames << "saved to" << path;
    return true;
}

void DAL_SendCard::setFrameSink(FrameSink sink)
{
    QMutexLocker locker(&m_mutex);
    m_sink = sink ? std::move(sink) : FrameSink(pushToLink);
}

void DAL_SendCard::setAddressResolver(AddressResolver resolver)
{
    QMutexLocker locker(&m_mutex);
    m_resolver = resolver ? std::move(resolver) : AddressResolver(deviceAddress);
}
