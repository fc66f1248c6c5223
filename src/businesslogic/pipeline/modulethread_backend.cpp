// The command pipeline's collaborators as the application has them: the packet
// builders, the link manager, the data center and the facade.

#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_modulethread.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "dal_processor.h"
#include "dal_sendcard.h"
#include "dal_vpu.h"
#include "dal_vpu_big.h"

namespace
{

class ComponentBackend final : public ModuleThreadBackend
{
public:
    // The sending-card builder is a function-local static: built here, with the
    // facade, it is destroyed after the pipeline whose threads use it.
    ComponentBackend() { DAL_SendCard::getInstance(); }

    void createSendCardData(const QString &guid, Module_Base **data, Module_ProtocolBase **frame,
                            const QVariantMap &map) override
    {
        DAL_SendCard::getInstance()->createData(guid, data, frame, map);
    }
    void createVpuData(Module_Base **data, Module_ProtocolBase **frame,
                       const QVariantMap &map) override
    {
        DAL_VPU().createData(data, frame, map);
    }
    void createProcessorData(Module_Base **data, Module_ProtocolBase **frame,
                             const QVariantMap &map) override
    {
        DAL_Processor().createData(data, frame, map);
    }
    Module_Base *createBigData(const QVariantMap &map) override
    {
        Module_Base *data = nullptr;
        DAL_VPU_BIG().createData(&data, map);
        return data;
    }
    Module_ProtocolBase *createBigFrame(const QVariantMap &map) override
    {
        Module_ProtocolBase *frame = nullptr;
        DAL_VPU_BIG builder;
        builder.setFileHead();
        builder.createData(&frame, map);
        return frame;
    }
    void fillWalkPointer(const WalkPointDraw &d) override
    {
        DAL_SendCard::getInstance()->fillWalkPointer(
            d.guid, d.pointIndex, d.address, d.virtualPointCount, d.scanLineLen, d.advance, d.on);
    }

    void parseSendCardData(Module_SendCard_Protocol *frame, Module_Base **data,
                           QVariantMap *map) override
    {
        DAL_SendCard::getInstance()->parseData(frame, data, map);
    }
    void parseVpuData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map) override
    {
        DAL_VPU().parseData(frame, data, map);
    }
    void parseProcessorData(Module_Processor_Protocol *frame, Module_Base **data,
                            QVariantMap *map) override
    {
        DAL_Processor().parseData(frame, data, map);
    }

    void pushCmdToClient(const QString &guid, Module_ProtocolBase *frame, bool flag) override
    {
        BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient(guid, frame, flag);
    }

    Device device(const QString &guid) override
    {
        Device device;
        // Records are never freed while the data center lives, so the pointer
        // stays good even if the record is cleared meanwhile.
        Bll_DataCenter_DeviceBase *record = BLL_DataCenter_Desktop::instance()->getDevice(guid);
        if (!record)
            return device;
        device.known = true;
        device.kind = record->kind();
        device.vpuByte1 = record->getFirstVpuByte();
        device.vpuByte2 = record->getSecondVpuByte();
        return device;
    }
    void setDeviceVpuBytes(const QString &guid, quint8 byte1, quint8 byte2) override
    {
        if (Bll_DataCenter_DeviceBase *record =
                BLL_DataCenter_Desktop::instance()->getDevice(guid)) {
            record->setFirstVpuByte(byte1);
            record->setSecondVpuByte(byte2);
        }
    }
    void saveData(const QString &guid, const Module_Base *data, const QString &key) override
    {
        BLL_DataCenter_Desktop::instance()->saveData(guid, data, key);
    }
    QString deviceNetId(const QString &guid) override
    {
        return BLL_DataCenter_Desktop::instance()->getDeviceNetId(guid);
    }

    void emitModuleData(const QVariantMap &moduleData) override
    {
        emit BLL_BusinessLogic_Desktop::instance()->sig_devicesModuleData(moduleData);
    }

    void resetInit() override { DAL_SendCard::getInstance()->resetInit(); }
    void saveUsbFlashFile(const QVariantMap &map) override
    {
        DAL_SendCard::getInstance()->saveUsbFlashFile(map);
    }
    void setPlanSendPack(int pack) override { DAL_SendCard::getInstance()->setPlanSendPack(pack); }
    void setReveUpdateStop(bool stop) override
    {
        DAL_SendCard::getInstance()->setReveUpdateStop(stop);
    }
    QVariantMap getactivePack() override { return DAL_SendCard::getInstance()->getactivePack(); }
};

} // namespace

std::shared_ptr<ModuleThreadBackend> defaultModuleThreadBackend()
{
    return std::make_shared<ComponentBackend>();
}

BLL_BusinessLogic_ModuleThread::BLL_BusinessLogic_ModuleThread(QObject *parent)
    : BLL_BusinessLogic_ModuleThread(defaultModuleThreadBackend(), parent)
{
}
