#include "dal_vpu.h"

#include "module_vpu_protocol.h"
#include "vpumodules.h"

using namespace ledwall::packet;

bool DAL_VPU::createData(Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map)
{
    return handOut(buildVpuModule(map), data, frame);
}

bool DAL_VPU::parseData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map)
{
    if (!frame)
        return handOut(ParsedModule(), data, map);
    return handOut(parseVpuFrame(*frame), data, map);
}
