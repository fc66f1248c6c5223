#include "processortables.h"

#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "dal_vpu_big.h"
#include "module_vpu_protocol.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcTables, "ledwall.processor.tables")
}

namespace ledwall::processor
{

int sendSceneTable(const RecordLayout &layout, const QVariantList &items, const QString &guid)
{
    const bool grouping = anyGrouping(items);
    Module_VPU_Protocol frame;
    frame.m_guid = guid;
    frame.m_flag = grouping;
    if (Bll_DataCenter_DeviceBase *device = BLL_DataCenter_Desktop::instance()->getDevice(guid)) {
        frame.m_vpuByte1 = device->getFirstVpuByte();
        frame.m_vpuByte2 = device->getSecondVpuByte();
    }
    int sent = 0;
    const QVector<TableFrame> frames = planTableFrames(layout, items);
    for (const TableFrame &table : frames) {
        DAL_VPU_BIG builder;
        builder.setCmdHead();
        if (!builder.createData(&frame, layout.recordSize, table.startIndex, table.recordCount,
                                table.totalCount, layout.tableKind, table.records)) {
            qCDebug(lcTables) << "table frame not built:" << layout.name << table.startIndex;
            continue;
        }
        if (BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient(guid, &frame, grouping))
            ++sent;
        else
            qCDebug(lcTables) << "table frame not taken by the link:" << layout.name << guid;
    }
    qCDebug(lcTables) << "sent" << layout.name << "table:" << sent << "of" << frames.size()
                      << "frames to" << guid;
    return sent;
}

} // namespace ledwall::processor
