#include "modulecommand.h"

#include "mapreaders.h"

using namespace ledwall::maps;

ModuleCommand ModuleCommand::fromMap(const QVariantMap &map)
{
    ModuleCommand cmd;
    cmd.moduleName = stringValue(map, QStringLiteral("moduleName"));
    cmd.guid = stringValue(map, QStringLiteral("guid"));
    cmd.hasSendCardFlag = map.contains(QStringLiteral("sendCardFlag"));
    cmd.sendCardFlag = intValue(map, QStringLiteral("sendCardFlag"), 0);
    cmd.processorFlag = intValue(map, QStringLiteral("processorFlag"), -1);
    cmd.isBig = boolValue(map, QStringLiteral("isBig"));
    cmd.isSave = boolValue(map, QStringLiteral("isSave"));
    cmd.sceneId = stringValue(map, QStringLiteral("sceneId"));
    cmd.sendDataToDevice = stringValue(map, QStringLiteral("sendDataToDevice"));
    const auto bigType = map.constFind(QStringLiteral("bigType"));
    if (bigType != map.constEnd()) {
        bool ok = false;
        const int value = bigType->toInt(&ok);
        if (ok)
            cmd.bigType = value;
    }
    cmd.bAdvance = boolValue(map, QStringLiteral("bAdvance"));
    cmd.pointIndex = unsignedValue(map, QStringLiteral("pointIndex"));
    cmd.ltcpAddr_data = unsignedValue(map, QStringLiteral("ltcpAddr_data"));
    cmd.scanLineLen = unsignedValue(map, QStringLiteral("scanLineLen"));
    cmd.virtualPointCount = unsignedValue(map, QStringLiteral("virtualPointCount"));
    return cmd;
}

ModuleCommand::Branch ModuleCommand::branch() const
{
    if (processorFlag == 1)
        return Branch::Processor;
    if (isBig)
        return Branch::LargeTransfer;
    if (sendCardFlag != 0)
        return Branch::SendCard;
    return Branch::VideoProcessingUnit;
}
