#pragma once
// The module catalogue: every module the packet layer builds and parses, with its
// protocol type, its module code (video-processing-unit and processor frames) and
// the ordered fields of its request and of its reply. docs/protocol.md is the
// readable form of this table.

#include "module_base.h"
#include "module_protocolbase.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcPacket)

namespace ledwall::packet
{

struct ModuleDefinition {
    QString name;
    int protocolType = 0; // Module_ProtocolBase::ProtocolKind
    quint16 code = 0;     // module code of the envelope; 0 for sending-card modules
    // Request: the fields a video-processing-unit payload carries, in order; for
    // sending-card modules the map keys the builder reads.
    QStringList requestFields;
    // Reply: the fields of the device's answer, in order; for sending-card
    // modules the members the parsed map carries (docs/protocol.md lists the
    // keys added to them).
    QStringList replyFields;
    // The module the device answers with; empty when the answer has this name.
    QString replyModule;
    Module_Base *(*create)() = nullptr;
};

struct FieldInfo {
    QString name;
    QString typeName; // as the reflection tables spell it
};

// What a builder gives: either part may be null.
struct BuiltModule {
    std::unique_ptr<Module_Base> data;
    std::unique_ptr<Module_ProtocolBase> frame;
};

// What a parser gives: no data object means the frame gave nothing.
struct ParsedModule {
    std::unique_ptr<Module_Base> data;
    QVariantMap map;
};

// Module codes of the video-processing-unit envelope.
enum ModuleCode : quint16 {
    WriteBeforeSynCode = 0x0101,
    ReadBeforeSynCode = 0x0102,
    WriteTemplateCode = 0x0103,
    WriteSubtitleBmpCode = 0x0104,
    WriteSubtitleStartOrEndCode = 0x0105,
    LoadBuffToSdkCode = 0x0106,
    SynTableCodeBase = 0x0200, // + table kind 0..6
};
constexpr int TableKindCount = 7;

const QVector<ModuleDefinition> &moduleCatalog();
const ModuleDefinition *findModule(const QString &name);
const ModuleDefinition *findModule(int protocolType, quint16 code);

// The ordered fields of a request or a reply with their type names.
QVector<FieldInfo> moduleFields(const ModuleDefinition &definition, bool reply);

// A fresh data object of the module, filled from `map` (nothing when a value
// cannot be converted; the reason is logged).
std::unique_ptr<Module_Base> createFilledObject(const ModuleDefinition &definition,
                                                const QVariantMap &map);

// The data object of map["moduleName"], which must be a module of the protocol
// type, filled from the map (and its definition in *found); null (and a log line) for
// an unknown module or a value that cannot be converted.
std::unique_ptr<Module_Base> filledModule(const QVariantMap &map, int protocolType,
                                          const ModuleDefinition **found = nullptr);

// A parsed object with its reply map: the reply fields of its module, with
// "moduleName", "guid", "status" and "result" (true when the status is 0).
ParsedModule parsedModule(std::unique_ptr<Module_Base> object, const QString &guid, quint16 status);

// Hand results to the out-pointers of the DAL interfaces: each pointer given
// gets its part (or null); the caller owns what it gets. Parts without a
// pointer are deleted. True when anything was made.
bool handOut(BuiltModule built, Module_Base **data, Module_ProtocolBase **frame);
bool handOut(ParsedModule parsed, Module_Base **data, QVariantMap *map);

} // namespace ledwall::packet
