#pragma once
// Packet builder and parser of the video-processing-unit modules; constructed
// fresh for each use, holds no state. Module catalogue: docs/protocol.md.

#include <QVariantMap>

class Module_Base;
class Module_ProtocolBase;
class Module_VPU_Protocol;

class DAL_VPU
{
public:
    // Builds the data object and the frame of map["moduleName"]; both owned by
    // the caller, either may come back null (both for an unknown module).
    bool createData(Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map);
    // A device frame -> *data (owned by the caller) and *map; false and *data
    // null when the frame gives nothing.
    bool parseData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map);
};
