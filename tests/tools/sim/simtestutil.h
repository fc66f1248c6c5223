#pragma once
// Request builders shared by the virtual-wall tests.

#include "simwire.h"

namespace simtest
{

using ledwall::sim::Frame;
namespace wire = ledwall::sim::wire;

inline Frame armRequest(quint8 operation, quint32 address, quint16 length, quint8 flags,
                        const QByteArray &payload = QByteArray(), quint16 sequence = 1)
{
    Frame frame;
    frame.protocolType = 0;
    frame.command = {operation, 0x00, 0x80, 0, 0, 0, 0};
    frame.address = address;
    frame.length = length;
    frame.flags = flags;
    frame.sequence = sequence;
    frame.payload = payload;
    return frame;
}

inline QByteArray readRequest(quint32 address, quint16 length, quint16 sequence = 1)
{
    return ledwall::sim::encodeFrame(
        armRequest(wire::OperationRead, address, length, wire::FlagReplyExpected, {}, sequence));
}

inline QByteArray writeRequest(quint32 address, const QByteArray &bytes, bool wantAck,
                               quint16 sequence = 1)
{
    return ledwall::sim::encodeFrame(armRequest(0xA5, address, quint16(bytes.size()),
                                                wantAck ? wire::FlagReplyExpected : 0, bytes,
                                                sequence));
}

inline QByteArray discoveryRequest(quint16 sequence = 1)
{
    return ledwall::sim::encodeFrame(
        armRequest(0, 0, 0, wire::FlagDiscovery | wire::FlagReplyExpected, {}, sequence));
}

inline Frame decoded(const QByteArray &datagram)
{
    Frame frame;
    if (ledwall::sim::decodeDatagram(datagram, &frame) != ledwall::sim::RejectReason::None)
        frame.protocolType = -1;
    return frame;
}

} // namespace simtest
