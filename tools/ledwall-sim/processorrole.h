#pragma once
// The video processor / VPU side of the virtual wall: it acknowledges the frames
// that ask for it, once the wall model has checked their envelope.

#include "devicerole.h"

namespace ledwall::sim
{

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
