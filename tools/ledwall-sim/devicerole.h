#pragma once
// One role of the simulated hardware: the sending card, the receiving cards behind
// it, or the video processor. The wall model hands every well-formed
// frame to the first role that accepts it.

#include "simwire.h"

#include <QVector>

namespace ledwall::sim
{

struct RoleReply {
    QByteArray datagram;      // the reply to send; empty = stay quiet
    QVector<QByteArray> more; // further replies (several receiving cards answering)
    quint16 status = 0;       // wire status of the answer (wire::Status...)
    bool notModelled = false; // addressed something the simulator does not model yet
};

class DeviceRole
{
public:
    virtual ~DeviceRole() = default;

    virtual QString roleName() const = 0;
    virtual bool accepts(const Frame &frame) const = 0;
    // Called on the wall's server thread, one frame at a time; state that tests
    // read from another thread must be guarded by the role.
    virtual RoleReply handle(const Frame &frame) = 0;
};

} // namespace ledwall::sim
