#pragma once
// A stand-in for the packet layer, link manager, data center and facade that
// records every call as one line of text ("push:dev1:Module_X:120:56", ...).

#include "bll_businesslogic_modulethread.h"
#include "module_base.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <vector>

class FakeData : public Module_Base
{
public:
    explicit FakeData(const QString &name) { m_moduleName = name; }
    Module_Base *clone() const override { return new FakeData(*this); }
};

class FakePipelineBackend : public ModuleThreadBackend
{
public:
    // Modules the fake packet layer does not know: no data object, no frame.
    QStringList unknownModules{QStringLiteral("Module_Unknown")};

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
    Device deviceRecord(const QString &guid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_devices.value(guid);
    }

    // A fresh list each time: the recorded strings are never shared with a list
    // that the recording thread grows.
    QStringList events() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QStringList copy;
        for (const QString &event : m_events)
            copy.append(event);
        return copy;
    }
    QStringList eventsStartingWith(const QString &prefix) const
    {
        return events().filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix)));
    }
    QVariantList emitted() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QVariantList copy;
        for (const QVariantMap &map : m_emitted)
            copy.append(map);
        return copy;
    }

    // While closed, pushCmdToClient blocks (after recording "pushing:...").
    void setPushGateOpen(bool open)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_gateOpen = open;
        }
        m_gate.notify_all();
    }

    // ---- packet builders
    void createSendCardData(const QString &guid, Module_Base **data, Module_ProtocolBase **frame,
                            const QVariantMap &map) override
    {
        const QString name = map.value(QStringLiteral("moduleName")).toString();
        record(QStringLiteral("create:sendcard:%1:%2").arg(guid, name));
        if (unknownModules.contains(name))
            return;
        *data = new FakeData(name);
        auto *card = new Module_SendCard_Protocol;
        card->cmdData = name.toUtf8();
        *frame = card; // delivered by the builder itself; the pipeline deletes it
    }
    void createVpuData(Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map) override
    {
        create<Module_VPU_Protocol>(QStringLiteral("vpu"), data, frame, map);
    }
    void createProcessorData(Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map) override
    {
        create<Module_Processor_Protocol>(QStringLiteral("processor"), data, frame, map);
    }
    Module_Base *createBigData(const QVariantMap &map) override
    {
        const QString name = map.value(QStringLiteral("moduleName")).toString();
        record(QStringLiteral("create:bigdata:") + name);
        return unknownModules.contains(name) ? nullptr : new FakeData(name);
    }
    Module_ProtocolBase *createBigFrame(const QVariantMap &map) override
    {
        const QString name = map.value(QStringLiteral("moduleName")).toString();
        record(QStringLiteral("create:bigframe:") + name);
        if (unknownModules.contains(name))
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

    // ---- parsers: the map carries the payload as "moduleName"
    void parseSendCardData(Module_SendCard_Protocol *frame, Module_Base **data, QVariantMap *map) override
    {
        parse(QStringLiteral("sendcard"), frame->m_guid, QString::fromUtf8(frame->cmdData), data, map);
    }
    void parseVpuData(Module_VPU_Protocol *frame, Module_Base **data, QVariantMap *map) override
    {
        const Device device = deviceRecord(frame->m_guid);
        record(QStringLiteral("device-bytes-at-parse:%1:%2").arg(device.vpuByte1).arg(device.vpuByte2));
        parse(QStringLiteral("vpu"), frame->m_guid, QString::fromUtf8(frame->m_data), data, map);
    }
    void parseProcessorData(Module_Processor_Protocol *frame, Module_Base **data, QVariantMap *map) override
    {
        parse(QStringLiteral("processor"), frame->m_guid, QString::fromUtf8(frame->m_data), data, map);
    }

    // ---- link manager
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

    // ---- data center
    Device device(const QString &guid) override { return deviceRecord(guid); }
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

    // ---- facade
    void emitModuleData(const QVariantMap &moduleData) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_emitted.push_back(moduleData);
        m_events.push_back(QStringLiteral("emit:") + moduleData.value(QStringLiteral("moduleName")).toString());
    }

    void resetInit() override { record(QStringLiteral("resetInit")); }
    void saveUsbFlashFile(const QVariantMap &) override { record(QStringLiteral("saveUsbFlashFile")); }
    void setPlanSendPack(int pack) override { record(QStringLiteral("setPlanSendPack:%1").arg(pack)); }
    void setReveUpdateStop(bool stop) override { record(QStringLiteral("setReveUpdateStop:%1").arg(stop)); }
    QVariantMap getactivePack() override { return {{QStringLiteral("active"), 1}}; }

private:
    // A data object and a frame whose payload names the module; the map's
    // "grouping" becomes the frame flag.
    template<typename Frame>
    void create(const QString &kind, Module_Base **data, Module_ProtocolBase **frame, const QVariantMap &map)
    {
        const QString name = map.value(QStringLiteral("moduleName")).toString();
        record(QStringLiteral("create:%1:%2").arg(kind, name));
        if (unknownModules.contains(name))
            return;
        *data = new FakeData(name);
        auto *built = new Frame;
        built->m_data = name.toUtf8();
        built->m_flag = map.value(QStringLiteral("grouping")).toBool();
        *frame = built;
    }
    void record(const QString &event)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    void parse(const QString &kind, const QString &guid, const QString &name, Module_Base **data, QVariantMap *map)
    {
        record(QStringLiteral("parse:%1:%2:%3").arg(kind, guid, name));
        if (unknownModules.contains(name))
            return;
        *data = new FakeData(name);
        map->insert(QStringLiteral("moduleName"), name);
        map->insert(QStringLiteral("guid"), guid);
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_gate;
    bool m_gateOpen = true;
    std::vector<QString> m_events;
    std::vector<QVariantMap> m_emitted;
    QMap<QString, Device> m_devices;
    QMap<QString, QString> m_netIds;
};
