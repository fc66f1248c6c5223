#include "dal_vpu_big.h"

#include "module_vpu_protocol.h"
#include "vpumodules.h"

using namespace ledwall::packet;

bool DAL_VPU_BIG::createData(Module_Base **data, const QVariantMap &map)
{
    BuiltModule built;
    built.data = buildVpuDataObject(map);
    return handOut(std::move(built), data, nullptr);
}

void DAL_VPU_BIG::setFileHead()
{
    m_head = Head::File;
}

bool DAL_VPU_BIG::createData(Module_ProtocolBase **frame, const QVariantMap &map)
{
    if (!headIs(Head::File, "large transfer")) {
        if (frame)
            *frame = nullptr;
        return false;
    }
    BuiltModule built = buildVpuModule(map);
    built.data.reset();
    return handOut(std::move(built), nullptr, frame);
}

void DAL_VPU_BIG::setCmdHead()
{
    m_head = Head::Command;
}

bool DAL_VPU_BIG::createData(Module_VPU_Protocol *frame, int recordLength, int startIndex,
                             int recordCount, int totalCount, int tableKind,
                             const QByteArray &records)
{
    return headIs(Head::Command, "table frame") &&
           fillTableFrame(frame, recordLength, startIndex, recordCount, totalCount, tableKind,
                          records);
}

bool DAL_VPU_BIG::headIs(Head wanted, const char *what) const
{
    if (m_head == wanted)
        return true;
    qCDebug(lcPacket) << what << "refused: its head was not set first";
    return false;
}
