#pragma once
// Builders and parsers of the video-processing-unit and processor modules:
// module data map -> data object and envelope frame, device frame -> data object
// and reply map. Pure functions; DAL_VPU, DAL_VPU_BIG and DAL_Processor are thin
// shells over them.

#include "modulecatalog.h"

#include <QByteArray>

class Module_VPU_Protocol;
class Module_Processor_Protocol;

namespace ledwall::packet
{

// Video-processing-unit module: the fields of the catalogue's request, in order,
// make the payload. The frame carries "guid", "timeout" (when given) and the flag
// "isGrouping". Unknown modules, modules of another protocol type, bad values
// and payloads over 65000 bytes give nothing (and a log line).
BuiltModule buildVpuModule(const QVariantMap &map);

// The data object only (for storing), without building a frame.
std::unique_ptr<Module_Base> buildVpuDataObject(const QVariantMap &map);

// A device frame (wire flag 0x80) -> the module of its code with the reply
// fields. A short or over-long payload, or an unknown code, gives nothing.
ParsedModule parseVpuFrame(const Module_VPU_Protocol &frame);

// The answer a device gives for `moduleName` with the reply fields from
// `values` (used by the virtual wall and by tests); null for unknown modules.
std::unique_ptr<Module_VPU_Protocol> buildVpuReply(const QString &moduleName,
                                                   const QVariantMap &values);

// Fills `frame` with one frame of a per-output table: the table module of
// `tableKind` (0..6), its record length, the numbers of the first and the last
// record in this frame, the total, and the records. Keeps the frame's guid, flag
// and device bytes. False (frame untouched) for a kind without a module, a
// number outside 0..65535 or records that do not fit the envelope.
bool fillTableFrame(Module_VPU_Protocol *frame, int recordLength, int startIndex, int recordCount,
                    int totalCount, int tableKind, const QByteArray &records);

// "Module_ProcessorCommand": "code" is the module code, "data" (bytes or
// hexadecimal text, at most 65000 bytes) the payload.
BuiltModule buildProcessorModule(const QVariantMap &map);
ParsedModule parseProcessorFrame(const Module_Processor_Protocol &frame);

} // namespace ledwall::packet
