#include "dal_processor.h"

#include "module_processor_protocol.h"
#include "vpumodules.h"

using namespace ledwall::packet;

bool DAL_Processor::createData(Module_Base **data, Module_ProtocolBase **frame,
                               const QVariantMap &map)
{
    return handOut(buildProcessorModule(map), data, frame);
}

bool DAL_Processor::parseData(Module_Processor_Protocol *frame, Module_Base **data,
                              QVariantMap *map)
{
    if (!frame)
        return handOut(ParsedModule(), data, map);
    return handOut(parseProcessorFrame(*frame), data, map);
}
