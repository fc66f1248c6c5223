#pragma once
// A stand-in for the packet layer, link manager, data center and facade that
// records every call as one line of text ("push:dev1:Module_X:120:56", ...).

#include "bll_businesslogic_modulethread.h"
#include "module_base.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

#include <QMap>
#include <QStringList>

#include <QRegularExpression>

#include <condition_variable>
#include <functional>
#include <mutex>

class FakeData : public Module_Base
{
public:
    explicit FakeData(const QString &name) { m_moduleName = name; }
    Module_Base *clone() const override { return new FakeData(*this); }
};

class FakePipelineBackend : public ModuleThreadBackend
{
public:
    // The packet layer makes no data object and no frame of this module.
    const QString unknownModule = QStringLiteral("Module_Unknown");

    void addDevice(const QString &guid, int kind, quint8 byte1 = 120, quint8 byte2 = 56)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_devices.insert(guid, Device{true, kind, byte1, byte2});
        m_netIds.insert(guid, guid);
    }
    void setCurrentDevice(const QString &guid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_netIds.insert(QString(), guid);
    }
    QStringList events() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    QStringList eventsStartingWith(const QString &prefix) const
    {
        return events().filter(
            QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(prefix)));
    }
    QList<QVariantMap> emitted() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_emitted;
    }
    // While closed, pushCmdToClient blocks (after recording "pushing:..."), and so
    // does parsing (after recording "parse:...").
    void setPushGateOpen(bool open) { setGate(m_gateOpen, open); }
    void setParseGateOpen(bool open) { setGate(m_parseGateOpen, open); }
    // Runs on the receive thread after each reported reply.
    std::function<void()> onEmit;

    void createSendCardData(const QString &guid, Module_Base **data, Module_ProtocolBase **frame,
                            const QVariantMap &map) override
    {
        create<Module_SendCard_Protocol>("sendcard:" + guid, data, frame, map);
    }
    void createVpuData(Module_Base **data, Module_ProtocolBase **frame,
                       const QVariantMap &map) override
    {
        create<Module_VPU_Protocol>("vpu", data, frame, map);
    }
    void createProcessorData(Module_Base **data, Module_ProtocolBase **frame,
                             const QVariantMap &map) override
    {
        create<Module_Processor_Protocol>("processor", data, frame, map);
    }
    Module_Base *createBigData(const QVariantMap &map) override
    {
        const QString name = nameOf(map);
        record(QStringLiteral("create:bigdata:") + name);
        return name == unknownModule ? nullptr : new FakeData(name);
    }
    Module_ProtocolBase *createBigFrame(const QVariantMap &map) override
    {
        const QString name = nameOf(map);
        record(QStringLiteral("create:bigframe:") + name);
        if (name == unknownModule)
            return nullptr;
        auto *vpu = new Module_VPU_Protocol;
        vpu->m_data = name.toUtf8();
        return vpu;
    }
    void fillWalkPointer(const WalkPointDraw &d) override
    {
        record(QStringLiteral("walk:%1:%2:%3:%4")
                   .arg(d.guid)
                   .arg(d.pointIndex, 0, 16)
                   .arg(d.address, 0, 16)
                   .arg(d.on ? QStringLiteral("on") : QStringLiteral("off")));
    }

    // The parsed map carries the payload as "moduleName".
    void parseSendCardData(Module_SendCard_Protocol *frame, Module_Base **data,
                           QVariantMap *map) override
    {
        parse("sendcard", frame, data, map);
    }
    void parseVpuData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map) override
    {
        const Device device = this->device(frame->m_guid);
        record(QStringLiteral("device-bytes-at-parse:%1:%2")
                   .arg(device.vpuByte1)
                   .arg(device.vpuByte2));
        parse("vpu", frame, data, map);
    }
    void parseProcessorData(Module_Processor_Protocol *frame, Module_Base **data,
                            QVariantMap *map) override
    {
        parse("processor", frame, data, map);
    }

    void pushCmdToClient(const QString &guid, Module_ProtocolBase *frame, bool flag) override
    {
        QString name;
        QString bytes;
        if (auto *vpu = dynamic_cast<Module_VPU_Protocol *>(frame)) {
            name = QString::fromUtf8(vpu->m_data);
            bytes = QStringLiteral(":%1:%2").arg(vpu->m_vpuByte1).arg(vpu->m_vpuByte2);
        } else if (auto *processor = dynamic_cast<Module_Processor_Protocol *>(frame)) {
            name = QString::fromUtf8(processor->m_data);
            if (flag)
                bytes = QStringLiteral(":flag");
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_events.push_back(QStringLiteral("pushing:%1:%2").arg(guid, name));
        m_gate.wait(lock, [this] { return m_gateOpen; });
        m_events.push_back(QStringLiteral("push:%1:%2%3").arg(guid, name, bytes));
    }

    Device device(const QString &guid) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_devices.value(guid);
    }
    void setDeviceVpuBytes(const QString &guid, quint8 byte1, quint8 byte2) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_devices[guid].vpuByte1 = byte1;
        m_devices[guid].vpuByte2 = byte2;
    }
    void saveData(const QString &guid, const Module_Base *data, const QString &key) override
    {
        record(QStringLiteral("save:%1:%2:%3").arg(guid, key, data->moduleName()));
    }
    QString deviceNetId(const QString &guid) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_netIds.value(guid);
    }

    void emitModuleData(const QVariantMap &moduleData) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_emitted.push_back(moduleData);
        }
        if (onEmit)
            onEmit();
    }

    void resetInit() override {} // the rest is not used by the pipeline's threads
    void saveUsbFlashFile(const QVariantMap &) override {}
    void setPlanSendPack(int) override {}
    void setReveUpdateStop(bool) override {}
    QVariantMap getactivePack() override { return {}; }

private:
    static QString nameOf(const QVariantMap &map)
    {
        return map.value(QStringLiteral("moduleName")).toString();
    }
    static QByteArray &payload(Module_SendCard_Protocol *frame) { return frame->cmdData; }
    template <typename Frame> static QByteArray &payload(Frame *frame) { return frame->m_data; }

    // The frame's payload names the module; the map's "grouping" becomes its flag.
    template <typename Frame>
    void create(const QString &label, Module_Base **data, Module_ProtocolBase **frame,
                const QVariantMap &map)
    {
        const QString name = nameOf(map);
        record(QStringLiteral("create:%1:%2").arg(label, name));
        if (name == unknownModule)
            return;
        *data = new FakeData(name);
        auto *built = new Frame;
        payload(built) = name.toUtf8();
        built->m_flag = map.value(QStringLiteral("grouping")).toBool();
        *frame = built;
    }
    void setGate(bool &gate, bool open)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            gate = open;
        }
        m_gate.notify_all();
    }
    void record(const QString &event)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    template <typename Frame>
    void parse(const QString &kind, Frame *frame, Module_Base **data, QVariantMap *map)
    {
        const QString name = QString::fromUtf8(payload(frame));
        record(QStringLiteral("parse:%1:%2:%3").arg(kind, frame->m_guid, name));
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_gate.wait(lock, [this] { return m_parseGateOpen; });
        }
        if (name == unknownModule)
            return;
        *data = new FakeData(name);
        map->insert(QStringLiteral("moduleName"), name);
        map->insert(QStringLiteral("guid"), frame->m_guid);
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_gate;
    bool m_gateOpen = true;
    bool m_parseGateOpen = true;
    QStringList m_events;
    QList<QVariantMap> m_emitted;
    QMap<QString, Device> m_devices;
    QMap<QString, QString> m_netIds;
};
