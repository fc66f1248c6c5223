#include "modulecatalog.h"

#include "fieldcodec.h"
#include "module_protocolbase.h"
#include "moduledata.h"

Q_LOGGING_CATEGORY(lcPacket, "ledwall.packet")

namespace ledwall::packet
{

namespace
{

template <class T> Module_Base *make()
{
    return new T;
}

QVector<ModuleDefinition> buildCatalog()
{
    const int sendCard = Module_ProtocolBase::SendCard;
    const int vpu = Module_ProtocolBase::VideoProcessingUnit;
    const int processor = Module_ProtocolBase::Processor;

    const QStringList registerRead{"m_regAddr",     "readLength", "timeout",
                                   "m_cardSlotNum", "m_portNum",  "m_commandWord"};
    const QStringList registerReadReply{"m_regAddr", "readLength", "regData", "ip"};
    const QStringList receivingRead{"m_regAddr",     "ltcpFirstCard", "ltcpLastCard",
                                    "ltcpAddr_data", "readLength",    "timeout"};
    const QStringList receivingReply{"m_regAddr",    "ltcpCommand",   "ltcpFirstCard",
                                     "ltcpLastCard", "ltcpAddr_data", "readLength"};
    const QStringList table{"recordLength", "startIndex", "recordCount",
                            "totalCount",   "tableKind",  "records"};
    const QStringList tableReply{"tableKind", "startIndex", "recordCount", "totalCount"};

    // clang-format off
    QVector<ModuleDefinition> catalog{
        {"Module_WriteSendCardRegister", sendCard, 0,
         {"m_regAddr", "regData", "timeout", "m_cardSlotNum", "m_portNum", "m_commandWord"},
         {"m_regAddr", "result"}, {}, make<Module_WriteSendCardRegister>},
        {"Module_ReadSendCardRegister", sendCard, 0, registerRead, registerReadReply,
         "Module_SendCardFlashInfo", make<Module_ReadSendCardRegister>},
        {"Module_SendCardFlashInfo", sendCard, 0, registerRead, registerReadReply, {},
         make<Module_SendCardFlashInfo>},
        {"Module_ReceivingFlashInfo", sendCard, 0, receivingRead,
         receivingReply + QStringList{"recvUpdateData"}, {}, make<Module_ReceivingFlashInfo>},
        {"Module_ReceivingSDRAMInfo", sendCard, 0, receivingRead,
         receivingReply + QStringList{"recvData", "boxWHStr"}, {}, make<Module_ReceivingSDRAMInfo>},
        {"Module_PixelWalkPointMap", sendCard, 0,
         {"bAdvance", "pointIndex", "ltcpAddr_data", "scanLineLen", "virtualPointCount",
          "pointBright"},
         {}, {}, make<Module_PixelWalkPointMap>},

        {"Module_WriteBeforeSynInfo", vpu, WriteBeforeSynCode, {"cmdFlag"}, {"cmdFlag"},
         "Module_ReadBeforeSynInfo", make<Module_WriteBeforeSynInfo>},
        {"Module_ReadBeforeSynInfo", vpu, ReadBeforeSynCode, {"cmdFlag", "synType"},
         {"cmdFlag", "synType"}, {}, make<Module_ReadBeforeSynInfo>},
        {"Module_WriteTemplateInfo", vpu, WriteTemplateCode, {"operateFlag", "templateNum"},
         {"operateFlag", "templateNum"}, {}, make<Module_WriteTemplateInfo>},
        {"Module_WriteSubtitleBMPFileInfo", vpu, WriteSubtitleBmpCode,
         {"subtitleBMPPos", "subtitleBMPLen", "subtitleBMPFile"},
         {"subtitleResult", "subtitleAddress"}, {}, make<Module_WriteSubtitleBMPFileInfo>},
        {"Module_WriteSubtitleStartOrEndInfo", vpu, WriteSubtitleStartOrEndCode,
         {"topOrButtomSubtitle", "startOrEndSubtitle", "isSubtitle"},
         {"topOrButtomSubtitle", "startOrEndSubtitle", "isSubtitle"}, {},
         make<Module_WriteSubtitleStartOrEndInfo>},
        {"Module_loadBuffToSdk", vpu, LoadBuffToSdkCode, {"funcFlag", "loadFlag"},
         {"funcFlag", "loadFlag"}, {}, make<Module_loadBuffToSdk>},
        {"Module_SynOutputSetupInfo", vpu, SynTableCodeBase + 0, table, tableReply, {},
         make<Module_SynOutputSetupInfo>},
        {"Module_SynChannelInfo", vpu, SynTableCodeBase + 1, table, tableReply, {},
         make<Module_SynChannelInfo>},
        {"Module_LayerInfo", vpu, SynTableCodeBase + 2, table, tableReply, {},
         make<Module_LayerInfo>},
        {"Module_SynImageAdjustInfo", vpu, SynTableCodeBase + 3, table, tableReply, {},
         make<Module_SynImageAdjustInfo>},
        {"Module_SynGroupInfo", vpu, SynTableCodeBase + 4, table, tableReply, {},
         make<Module_SynGroupInfo>},
        {"Module_SynEdgeFusionInfo", vpu, SynTableCodeBase + 5, table, tableReply, {},
         make<Module_SynEdgeFusionInfo>},
        {"Module_SynInputBlockInfo", vpu, SynTableCodeBase + 6, table, tableReply, {},
         make<Module_SynInputBlockInfo>},

        {"Module_ProcessorCommand", processor, 0, {"code", "data"}, {"code", "data"}, {},
         make<Module_ProcessorCommand>},
    };
    // clang-format on
    return catalog;
}

} // namespace

const QVector<ModuleDefinition> &moduleCatalog()
{
    static const QVector<ModuleDefinition> catalog = buildCatalog();
    return catalog;
}

const ModuleDefinition *findModule(const QString &name)
{
    for (const ModuleDefinition &definition : moduleCatalog()) {
        if (definition.name == name)
            return &definition;
    }
    return nullptr;
}

const ModuleDefinition *findModule(int protocolType, quint16 code)
{
    for (const ModuleDefinition &definition : moduleCatalog()) {
        if (definition.protocolType == protocolType && definition.code == code)
            return &definition;
    }
    return nullptr;
}

QVector<FieldInfo> moduleFields(const ModuleDefinition &definition, bool reply)
{
    const std::unique_ptr<Module_Base> prototype(definition.create());
    QVector<FieldInfo> fields;
    for (const QString &name : reply ? definition.replyFields : definition.requestFields)
        fields.append({name, prototype->m_memberTypeName.value(name)});
    return fields;
}

std::unique_ptr<Module_Base> createFilledObject(const ModuleDefinition &definition,
                                                const QVariantMap &map)
{
    std::unique_ptr<Module_Base> object(definition.create());
    QString error;
    if (!fillFromMap(object.get(), map, &error)) {
        qCDebug(lcPacket) << definition.name << "refused:" << error;
        return nullptr;
    }
    return object;
}

std::unique_ptr<Module_Base> filledModule(const QVariantMap &map, int protocolType,
                                          const ModuleDefinition **found)
{
    const QString name = map.value(QStringLiteral("moduleName")).toString();
    const ModuleDefinition *definition = findModule(name);
    if (!definition || definition->protocolType != protocolType) {
        qCDebug(lcPacket) << "unknown module" << name << "for protocol type" << protocolType;
        return nullptr;
    }
    if (found)
        *found = definition;
    return createFilledObject(*definition, map);
}

ParsedModule parsedModule(std::unique_ptr<Module_Base> object, const QString &guid, quint16 status)
{
    const ModuleDefinition *definition = findModule(object->moduleName());
    ParsedModule result;
    result.map = fieldsToMap(*object, definition->replyFields);
    result.map.insert(QStringLiteral("moduleName"), definition->name);
    result.map.insert(QStringLiteral("guid"), guid);
    result.map.insert(QStringLiteral("status"), uint(status));
    result.map.insert(QStringLiteral("result"), status == 0);
    result.data = std::move(object);
    return result;
}

bool handOut(BuiltModule built, Module_Base **data, Module_ProtocolBase **frame)
{
    const bool made = built.data || built.frame;
    if (data)
        *data = built.data.release();
    if (frame)
        *frame = built.frame.release();
    return made;
}

bool handOut(ParsedModule parsed, Module_Base **data, QVariantMap *map)
{
    const bool made = parsed.data != nullptr;
    if (data)
        *data = parsed.data.release();
    if (made && map)
        *map = parsed.map;
    return made;
}

} // namespace ledwall::packet
