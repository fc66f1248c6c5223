#pragma once
// The sending card of the virtual wall, without sockets: its memory and the
// decision which reply a request gets.
//
// Reads (operation byte 0xA4) answer with the stored bytes; other operations with
// a payload write it; a discovery request answers with the card's identity;
// frames for the receiving cards go to their own role (receivingcards.h) first.
// Malformed requests get a status instead of data (wire::Status...).

#include "devicerole.h"
#include "memoryspace.h"
#include "walldescription.h"

#include <mutex>

namespace ledwall::sim
{

class SendCardModel : public DeviceRole
{
public:
    SendCardModel() = default;

    void setWall(const WallDescription &wall);
    WallDescription wall() const;

    CardMemory &memory() { return m_memory; }
    const CardMemory &memory() const { return m_memory; }

    QString roleName() const override { return QStringLiteral("sending-card"); }
    bool accepts(const Frame &frame) const override { return frame.protocolType == 0; }
    RoleReply handle(const Frame &frame) override;

    // Checks and handles one datagram: the reply datagram, or empty when the
    // datagram is refused or needs no answer.
    QByteArray handleDatagram(const QByteArray &datagram);

    // The compact JSON that answers a discovery request.
    QByteArray discoveryPayload() const;

private:
    RoleReply handleDiscovery(const Frame &request) const;
    RoleReply handleRead(const Frame &request) const;
    RoleReply handleWrite(const Frame &request);

    mutable std::mutex m_wallMutex;
    WallDescription m_wall;
    CardMemory m_memory;
};

} // namespace ledwall::sim
