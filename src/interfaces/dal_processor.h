#pragma once
// Packet builder and parser of processor commands ("Module_ProcessorCommand":
// a module code and a raw payload); constructed fresh for each use.

#include <QVariantMap>

class Module_Base;
class Module_ProtocolBase;
class Module_Processor_Protocol;

class DAL_Processor
{
public:
    // As DAL_VPU::createData, for processor modules.
    bool createData(Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map);
    bool parseData(Module_Processor_Protocol *frame, Module_Base **data, QVariantMap *map);
};
