#pragma once
// A protocol frame: one command for a device or one reply from it.
//
// The link manager transmits frames and hands received ones back; the packet
// layer builds and parses them. Every frame knows how to put itself on the wire
// (`encode`) with the sequence number the link gives it; `decodeFrame` in
// wireframe.h turns a received datagram back into a frame.

#include <QByteArray>
#include <QString>

class Module_ProtocolBase
{
public:
    enum ProtocolKind { SendCard = 0, VideoProcessingUnit = 1, Processor = 2 };

    // Frame flag bits carried on the wire (see docs/protocol.md).
    enum WireFlag : quint8 {
        ReplyExpected = 0x01, // the sender waits for a reply with the same sequence number
        Discovery = 0x20,     // a discovery request or answer
        Acknowledge = 0x40,   // a reply that only acknowledges a write
        IsReply = 0x80        // sent by a device
    };

    explicit Module_ProtocolBase(int protocolType) : m_protocolType(protocolType) {}
    Module_ProtocolBase(const Module_ProtocolBase &) = default;
    Module_ProtocolBase &operator=(const Module_ProtocolBase &) = default;
    virtual ~Module_ProtocolBase() = default;

    int protocolType() const { return m_protocolType; }

    // A copy of the concrete frame; the caller owns it.
    virtual Module_ProtocolBase *clone() const = 0;
    // The datagram for this frame, stamped with `sequence`.
    virtual QByteArray encode(quint16 sequence) const = 0;

    int m_protocolType;
    QString m_guid;         // the link the frame belongs to
    bool m_flag = false;    // passed unchanged as the flag argument of pushCmdToClient
    int m_timeout = 0;      // reply time-out in ms; 0 = no reply expected
    quint16 m_sequence = 0; // as sent or as received
    quint8 m_wireFlags = 0; // WireFlag bits as received (0 for frames built locally)
    quint16 m_status = 0;   // reply status as received, 0 = ok
};
