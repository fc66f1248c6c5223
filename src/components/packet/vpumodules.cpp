#include "vpumodules.h"

#include "fieldcodec.h"
#include "module_processor_protocol.h"
#include "module_vpu_protocol.h"
#include "moduledata.h"
#include "wireframe.h"

namespace ledwall::packet
{

namespace
{

bool payloadFits(const QString &module, const QByteArray &payload)
{
    if (payload.size() <= wire::MaxEnvelopePayload)
        return true;
    qCDebug(lcPacket) << module << "refused: payload of" << payload.size() << "bytes exceeds"
                      << wire::MaxEnvelopePayload;
    return false;
}

// Guid, time-out and grouping flag of a frame built from `map`.
void setFrameOptions(Module_ProtocolBase *frame, const QVariantMap &map)
{
    frame->m_guid = map.value(QStringLiteral("guid")).toString();
    if (map.contains(QStringLiteral("timeout")))
        frame->m_timeout = qMax(0, map.value(QStringLiteral("timeout")).toInt());
    frame->m_flag = map.value(QStringLiteral("isGrouping")).toBool();
}

// An envelope frame of the module code and payload, with the data object.
template <class Frame>
BuiltModule envelopeModule(std::unique_ptr<Module_Base> data, quint16 code,
                           const QByteArray &payload, const QVariantMap &map)
{
    auto frame = std::make_unique<Frame>();
    frame->m_command = code;
    frame->m_data = payload;
    setFrameOptions(frame.get(), map);
    BuiltModule built;
    built.data = std::move(data);
    built.frame = std::move(frame);
    return built;
}

bool isDeviceFrame(const Module_ProtocolBase &frame)
{
    if (frame.m_wireFlags & Module_ProtocolBase::IsReply)
        return true;
    qCDebug(lcPacket) << "frame of type" << frame.protocolType() << "not sent by a device ignored";
    return false;
}

} // namespace

std::unique_ptr<Module_Base> buildVpuDataObject(const QVariantMap &map)
{
    return filledModule(map, Module_ProtocolBase::VideoProcessingUnit);
}

BuiltModule buildVpuModule(const QVariantMap &map)
{
    const ModuleDefinition *definition = nullptr;
    std::unique_ptr<Module_Base> data =
        filledModule(map, Module_ProtocolBase::VideoProcessingUnit, &definition);
    if (!data)
        return {};
    QByteArray payload;
    QString error;
    if (!encodeFields(*data, definition->requestFields, &payload, &error)) {
        qCDebug(lcPacket) << definition->name << "refused:" << error;
        return {};
    }
    if (!payloadFits(definition->name, payload))
        return {};
    return envelopeModule<Module_VPU_Protocol>(std::move(data), definition->code, payload, map);
}

ParsedModule parseVpuFrame(const Module_VPU_Protocol &frame)
{
    if (!isDeviceFrame(frame))
        return {};
    const ModuleDefinition *definition =
        findModule(Module_ProtocolBase::VideoProcessingUnit, frame.m_command);
    if (!definition) {
        qCDebug(lcPacket) << "video-processing-unit frame with unknown module code" << Qt::hex
                          << frame.m_command << "dropped";
        return {};
    }
    std::unique_ptr<Module_Base> object(definition->create());
    // A refusal carries no fields: only its status is reported.
    QString error;
    if (frame.m_status == 0 &&
        !decodeFields(object.get(), definition->replyFields, frame.m_data, &error)) {
        qCDebug(lcPacket) << definition->name << "answer dropped:" << error;
        return {};
    }
    return parsedModule(std::move(object), frame.m_guid, frame.m_status);
}

std::unique_ptr<Module_VPU_Protocol> buildVpuReply(const QString &moduleName,
                                                   const QVariantMap &values)
{
    const ModuleDefinition *definition = findModule(moduleName);
    if (!definition || definition->protocolType != Module_ProtocolBase::VideoProcessingUnit)
        return nullptr;
    std::unique_ptr<Module_Base> object = createFilledObject(*definition, values);
    QByteArray payload;
    if (!object || !encodeFields(*object, definition->replyFields, &payload) ||
        !payloadFits(moduleName, payload))
        return nullptr;
    auto frame = std::make_unique<Module_VPU_Protocol>();
    frame->m_command = definition->code;
    frame->m_data = payload;
    frame->m_wireFlags = Module_ProtocolBase::IsReply;
    return frame;
}

bool fillTableFrame(Module_VPU_Protocol *frame, int recordLength, int startIndex, int recordCount,
                    int totalCount, int tableKind, const QByteArray &records)
{
    if (!frame)
        return false;
    const ModuleDefinition *definition = tableKind >= 0 && tableKind < TableKindCount
                                             ? findModule(Module_ProtocolBase::VideoProcessingUnit,
                                                          quint16(SynTableCodeBase + tableKind))
                                             : nullptr;
    if (!definition) {
        qCDebug(lcPacket) << "table frame refused: no table of kind" << tableKind;
        return false;
    }
    for (const int number : {recordLength, startIndex, recordCount, totalCount}) {
        if (number < 0 || number > 0xFFFF) {
            qCDebug(lcPacket) << definition->name << "refused: number" << number << "out of range";
            return false;
        }
    }
    std::unique_ptr<Module_Base> object(definition->create());
    auto *table = static_cast<Module_SynTableInfo *>(object.get());
    table->recordLength = quint16(recordLength);
    table->startIndex = quint16(startIndex);
    table->recordCount = quint16(recordCount);
    table->totalCount = quint16(totalCount);
    table->tableKind = quint8(tableKind);
    table->records = records;
    QByteArray payload;
    QString error;
    if (!encodeFields(*table, definition->requestFields, &payload, &error)) {
        qCDebug(lcPacket) << definition->name << "refused:" << error;
        return false;
    }
    if (!payloadFits(definition->name, payload))
        return false;
    frame->m_command = definition->code;
    frame->m_data = payload;
    return true;
}

BuiltModule buildProcessorModule(const QVariantMap &map)
{
    const ModuleDefinition *definition = nullptr;
    std::unique_ptr<Module_Base> data =
        filledModule(map, Module_ProtocolBase::Processor, &definition);
    if (!data)
        return {};
    const auto *command = static_cast<const Module_ProcessorCommand *>(data.get());
    if (!payloadFits(definition->name, command->data))
        return {};
    const quint16 code = command->code;
    const QByteArray payload = command->data;
    return envelopeModule<Module_Processor_Protocol>(std::move(data), code, payload, map);
}

ParsedModule parseProcessorFrame(const Module_Processor_Protocol &frame)
{
    if (!isDeviceFrame(frame))
        return {};
    if (!payloadFits(QStringLiteral("Module_ProcessorCommand"), frame.m_data))
        return {};
    auto object = std::make_unique<Module_ProcessorCommand>();
    object->code = frame.m_command;
    object->data = frame.m_data;
    return parsedModule(std::move(object), frame.m_guid, frame.m_status);
}

} // namespace ledwall::packet
