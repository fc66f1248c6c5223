#pragma once
// Video-processing-unit frame: an envelope (docs/protocol.md) around one module's
// payload, with the two device bytes that the device record keeps.

#include "module_protocolbase.h"

class Module_VPU_Protocol : public Module_ProtocolBase
{
public:
    Module_VPU_Protocol() : Module_ProtocolBase(VideoProcessingUnit) {}
    Module_VPU_Protocol(const Module_VPU_Protocol &) = default;
    Module_VPU_Protocol &operator=(const Module_VPU_Protocol &) = default;
    ~Module_VPU_Protocol() override = default;

    Module_ProtocolBase *clone() const override { return new Module_VPU_Protocol(*this); }
    QByteArray encode(quint16 sequence) const override;

    quint8 m_vpuByte1 = 0; // copied to and from the device record
    quint8 m_vpuByte2 = 0;
    quint16 m_command = 0; // module code (docs/protocol.md)
    QByteArray m_data;     // module payload
};
