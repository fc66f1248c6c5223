#pragma once
// Processor frame: the same envelope as the VPU frame, protocol type 2, without
// device bytes.

#include "module_protocolbase.h"

class Module_Processor_Protocol : public Module_ProtocolBase
{
public:
    Module_Processor_Protocol() : Module_ProtocolBase(Processor) {}
    Module_Processor_Protocol(const Module_Processor_Protocol &) = default;
    Module_Processor_Protocol &operator=(const Module_Processor_Protocol &) = default;
    ~Module_Processor_Protocol() override = default;

    Module_ProtocolBase *clone() const override { return new Module_Processor_Protocol(*this); }
    QByteArray encode(quint16 sequence) const override;

    quint16 m_command = 0;
    QByteArray m_data;
};
