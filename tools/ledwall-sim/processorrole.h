#pragma once
// The video processor / VPU side of the virtual wall. For now it checks the
// envelope (done before it is called) and acknowledges frames that ask for it;
// the processor's modules are modelled later.

#include "devicerole.h"

namespace ledwall::sim {

class ProcessorRole : public DeviceRole
{
public:
    QString roleName() const override { return QStringLiteral("processor"); }
    bool accepts(const Frame &frame) const override
    {
        return frame.protocolType == 1 || frame.protocolType == 2;
    }
    RoleReply handle(const Frame &frame) override;
};

} // namespace ledwall::sim
