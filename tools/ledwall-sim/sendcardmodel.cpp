#include "sendcardmodel.h"
#include "simlog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <mutex>

namespace ledwall::sim
{

namespace
{

// A reply frame: the request's header with the device flag and a status.
Frame replyTo(const Frame &request, quint8 flags, quint16 status)
{
    Frame reply = request;
    reply.flags = flags;
    reply.status = status;
    reply.payload.clear();
    return reply;
}

constexpr quint8 AckFlags = wire::FlagFromDevice | wire::FlagAcknowledge;

RoleReply acknowledge(const Frame &request, quint16 status, bool notModelled = false)
{
    RoleReply result;
    result.status = status;
    result.notModelled = notModelled;
    if (request.replyExpected())
        result.datagram = encodeFrame(replyTo(request, AckFlags, status));
    return result;
}

} // namespace

void SendCardModel::setWall(const WallDescription &wall)
{
    std::lock_guard<std::mutex> lock(m_wallMutex);
    m_wall = wall;
    // The hardware port table sits in flash like on a real card.
    const QByteArray table = portTableBytes(wall);
    if (!table.isEmpty())
        m_memory.write(PortTableAddress, table);
}

WallDescription SendCardModel::wall() const
{
    std::lock_guard<std::mutex> lock(m_wallMutex);
    return m_wall;
}

QByteArray SendCardModel::discoveryPayload() const
{
    const WallDescription identity = wall();
    QJsonObject object;
    object.insert(QStringLiteral("name"), identity.name);
    object.insert(QStringLiteral("model"), identity.model);
    object.insert(QStringLiteral("serial"), identity.serial);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

RoleReply SendCardModel::handle(const Frame &request)
{
    if (request.flags & wire::FlagFromDevice) {
        // Another device's reply (or our own echoed back): never answer it, or two
        // devices would talk to each other forever.
        qCDebug(lcSim) << "ignoring a frame sent by a device, sequence" << request.sequence;
        RoleReply ignored;
        ignored.status = wire::StatusMalformed;
        return ignored;
    }
    if (request.isDiscovery())
        return handleDiscovery(request);
    if (request.isReceivingCardFrame()) {
        qCDebug(lcSim) << "receiving-card frame not modelled, address" << Qt::hex
                       << request.address;
        return acknowledge(request, wire::StatusOk, true);
    }
    if (request.operation() == wire::OperationRead)
        return handleRead(request);
    return handleWrite(request);
}

RoleReply SendCardModel::handleDiscovery(const Frame &request) const
{
    RoleReply result;
    const bool wellFormed =
        request.operation() == 0 && request.address == 0 && request.payload.isEmpty();
    Frame reply = replyTo(request, wire::FlagFromDevice | wire::FlagDiscovery,
                          wellFormed ? wire::StatusOk : wire::StatusMalformed);
    if (wellFormed) {
        reply.payload = discoveryPayload();
        reply.length = quint16(reply.payload.size());
    }
    result.status = reply.status;
    result.datagram = encodeFrame(reply);
    return result;
}

RoleReply SendCardModel::handleRead(const Frame &request) const
{
    quint16 status = wire::StatusOk;
    if (!request.payload.isEmpty() || request.length > wire::MaxReadLength)
        status = wire::StatusMalformed;
    else if (quint64(request.address) + request.length > (quint64(1) << 32))
        status = wire::StatusOutOfRange;

    Frame reply = replyTo(request, wire::FlagFromDevice, status);
    if (status == wire::StatusOk)
        reply.payload = m_memory.read(request.address, request.length);
    else
        qCDebug(lcSim) << "read refused, address" << Qt::hex << request.address << "length"
                       << Qt::dec << request.length << "status" << status;
    RoleReply result;
    result.status = status;
    result.datagram = encodeFrame(reply);
    return result;
}

RoleReply SendCardModel::handleWrite(const Frame &request)
{
    quint16 status = wire::StatusOk;
    // The length field of a write is its chunk size: it must describe the payload.
    if (request.length != request.payload.size())
        status = wire::StatusMalformed;
    else if (!m_memory.write(request.address, request.payload))
        status = wire::StatusOutOfRange;
    if (status != wire::StatusOk)
        qCDebug(lcSim) << "write refused, address" << Qt::hex << request.address << "length"
                       << Qt::dec << request.length << "payload" << request.payload.size()
                       << "status" << status;
    return acknowledge(request, status);
}

QByteArray SendCardModel::handleDatagram(const QByteArray &datagram)
{
    Frame request;
    if (decodeDatagram(datagram, &request) != RejectReason::None || !accepts(request))
        return QByteArray();
    return handle(request).datagram;
}

} // namespace ledwall::sim
