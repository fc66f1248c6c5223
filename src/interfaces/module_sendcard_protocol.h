#pragma once
// Sending-card frame: the 28-byte ARM control header followed by the payload.
//
// The header is kept as bytes: the block routines and the packet builders fill
// bytes 2..4, 7..16, 18..19 and 22..27 (see armframe.h). The bytes that belong to
// the frame itself (0-1 sync, 5-6 sequence, 17 flags, 20-21 status) are stamped
// by `encode`.

#include "module_protocolbase.h"

class Module_SendCard_Protocol : public Module_ProtocolBase
{
public:
    static constexpr int HeaderSize = 28;

    Module_SendCard_Protocol();
    Module_SendCard_Protocol(const Module_SendCard_Protocol &) = default;
    Module_SendCard_Protocol &operator=(const Module_SendCard_Protocol &) = default;
    ~Module_SendCard_Protocol() override = default;

    Module_ProtocolBase *clone() const override { return new Module_SendCard_Protocol(*this); }
    QByteArray encode(quint16 sequence) const override;

    // The connection byte (header byte 2, the operation byte c0), the command byte
    // (header byte 3, c1), the register address (header bytes 11..14, most
    // significant first) and the command data (the payload).
    quint8 m_con() const { return quint8(m_head.at(2)); }
    quint8 m_cmd() const { return quint8(m_head.at(3)); }
    quint8 m_reg(int index) const { return quint8(m_head.at(11 + index)); }
    quint32 registerAddress() const;

    QByteArray m_head;      // always HeaderSize bytes
    QByteArray cmdData;     // payload
    quint8 m_routeByte = 0; // routing byte of the flash access descriptor
};
