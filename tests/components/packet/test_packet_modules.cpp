// Module catalogue, data objects, field codec, and the video-processing-unit and
// processor builders.
#include "dal_processor.h"
#include "dal_vpu.h"
#include "dal_vpu_big.h"
#include "fieldcodec.h"
#include "module_processor_protocol.h"
#include "module_vpu_protocol.h"
#include "modulecatalog.h"
#include "moduledata.h"
#include "vpumodules.h"
#include "wireframe.h"

#include <QtTest>

using namespace ledwall;
using namespace ledwall::packet;

namespace
{

// A sample value for a field, by its type name and position.
QVariant sampleValue(const QString &typeName, int index)
{
    if (typeName == QLatin1String("bool"))
        return true;
    if (typeName == QLatin1String("unsigned char"))
        return uint(0xF0 + index);
    if (typeName == QLatin1String("unsigned short"))
        return uint(0xBEE0 + index);
    if (typeName == QLatin1String("unsigned int"))
        return uint(0xA0B0C000u + uint(index));
    if (typeName == QLatin1String("int"))
        return -1000 - index;
    if (typeName == QLatin1String("class QString"))
        return QStringLiteral("wall-%1").arg(index);
    if (typeName == QLatin1String("class QByteArray"))
        return QByteArray(5 + index, char(0x30 + index));
    return {};
}

QVariantMap sampleMap(const ModuleDefinition &definition, bool reply)
{
    QVariantMap map;
    int index = 0;
    for (const FieldInfo &field : moduleFields(definition, reply))
        map.insert(field.name, sampleValue(field.typeName, index++));
    return map;
}

// Puts a frame through the wire codec, as a device would send it.
std::unique_ptr<Module_ProtocolBase> overTheWire(const Module_ProtocolBase &frame)
{
    wire::Decoded decoded = wire::decodeFrame(frame.encode(7));
    return std::move(decoded.frame);
}

} // namespace

class TestPacketModules : public QObject
{
    Q_OBJECT

private slots:
    void catalogueIsConsistent()
    {
        QSet<QString> names;
        QSet<int> codes;
        for (const ModuleDefinition &definition : moduleCatalog()) {
            QVERIFY2(!names.contains(definition.name), qPrintable(definition.name));
            names.insert(definition.name);
            const std::unique_ptr<Module_Base> object(definition.create());
            QCOMPARE(object->moduleName(), definition.name);
            if (definition.protocolType == Module_ProtocolBase::VideoProcessingUnit) {
                QVERIFY2(!codes.contains(definition.code), qPrintable(definition.name));
                codes.insert(definition.code);
            }
            for (const bool reply : {false, true}) {
                for (const FieldInfo &field : moduleFields(definition, reply))
                    QVERIFY2(sampleValue(field.typeName, 0).isValid(),
                             qPrintable(definition.name + QLatin1Char('.') + field.name));
            }
            if (!definition.replyModule.isEmpty())
                QVERIFY(findModule(definition.replyModule));
        }
    }

    void copiesRegisterTheirOwnMembers()
    {
        Module_WriteSubtitleBMPFileInfo original;
        original.subtitleBMPPos = 1344;
        Module_WriteSubtitleBMPFileInfo copy(original);
        QCOMPARE(copy.toMap(), original.toMap());
        // Writing through the copy's table changes the copy only.
        *static_cast<quint32 *>(copy.m_memberAddress.value("subtitleBMPPos")) = 7;
        QCOMPARE(copy.subtitleBMPPos, 7u);
        QCOMPARE(original.subtitleBMPPos, 1344u);

    }

    void fillFromMapConvertsText()
    {
        Module_WriteSendCardRegister object;
        QVERIFY(fillFromMap(&object, {{"m_regAddr", "0x80000"},
                                      {"regData", "0a 0B"},
                                      {"m_portNum", 0x1FF},
                                      {"unknown", 1}}));
        QCOMPARE(object.m_regAddr, 0x80000u);
        QCOMPARE(object.regData, QByteArray::fromHex("0a0b"));
        QCOMPARE(object.m_portNum, quint8(0xFF)); // cut to the width

        QString error;
        QVERIFY(!fillFromMap(&object, {{"regData", "0a0"}}, &error));
        QVERIFY(error.contains("regData"));
    }

    void vpuRequestCarriesFieldsInOrder_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("template") << "Module_WriteTemplateInfo"
                                  << QVariantMap{{"operateFlag", 1}, {"templateNum", 15}}
                                  << QByteArray::fromHex("010f");
        QTest::newRow("subtitle chunk") << "Module_WriteSubtitleBMPFileInfo"
                                        << QVariantMap{{"subtitleBMPPos", 1344},
                                                       {"subtitleBMPLen", 3},
                                                       {"subtitleBMPFile", QByteArray("xyz")}}
                                        << QByteArray::fromHex("00000540 0003 0003") + "xyz";
    }

    void vpuRequestCarriesFieldsInOrder()
    {
        QFETCH(QString, module);
        QFETCH(QVariantMap, values);
        QFETCH(QByteArray, payload);
        values.insert("moduleName", module);
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(DAL_VPU().createData(&data, &frame, values));
        std::unique_ptr<Module_Base> dataOwner(data);
        std::unique_ptr<Module_ProtocolBase> frameOwner(frame);
        auto *vpu = dynamic_cast<Module_VPU_Protocol *>(frame);
        QVERIFY(vpu);
        QCOMPARE(vpu->m_command, findModule(module)->code);
        QCOMPARE(vpu->m_data, payload);
    }

    void vpuReplyRoundTrip_data()
    {
        QTest::addColumn<QString>("module");
        for (const ModuleDefinition &definition : moduleCatalog()) {
            if (definition.protocolType == Module_ProtocolBase::VideoProcessingUnit)
                QTest::newRow(qPrintable(definition.name)) << definition.name;
        }
    }

    void vpuReplyRoundTrip()
    {
        QFETCH(QString, module);
        const ModuleDefinition &definition = *findModule(module);

        // Request: built from a map, decoded back to the same values.
        QVariantMap request = sampleMap(definition, false);
        request.insert("moduleName", module);
        const BuiltModule built = buildVpuModule(request);
        QVERIFY(built.frame && built.data);
        const auto &requestFrame = static_cast<const Module_VPU_Protocol &>(*built.frame);
        const std::unique_ptr<Module_Base> decoded(definition.create());
        QVERIFY(decodeFields(decoded.get(), definition.requestFields, requestFrame.m_data));
        QCOMPARE(fieldsToMap(*decoded, definition.requestFields),
                 fieldsToMap(*built.data, definition.requestFields));

        // Reply: what a device sends parses to the values it was given.
        const QVariantMap replyValues = sampleMap(definition, true);
        const auto reply = buildVpuReply(module, replyValues);
        QVERIFY(reply);
        const auto received = overTheWire(*reply);
        QVERIFY(received);
        auto *receivedVpu = static_cast<Module_VPU_Protocol *>(received.get());

        Module_Base *data = nullptr;
        QVariantMap map;
        QVERIFY(DAL_VPU().parseData(receivedVpu, &data, &map));
        std::unique_ptr<Module_Base> owner(data);
        QCOMPARE(map.value("moduleName").toString(), module);
        for (auto it = replyValues.cbegin(); it != replyValues.cend(); ++it)
            QCOMPARE(map.value(it.key()), it.value());
    }

    void vpuRefusesBadFramesAndModules()
    {
        auto reply = buildVpuReply("Module_ReadBeforeSynInfo", {{"cmdFlag", 7}, {"synType", 255}});
        QVERIFY(reply);
        Module_Base *data = nullptr;
        QVariantMap map{{"kept", 1}};

        Module_VPU_Protocol truncated(*reply);
        truncated.m_data.chop(1);
        QVERIFY(!DAL_VPU().parseData(&truncated, &data, &map));
        QVERIFY(!data);
        QCOMPARE(map, QVariantMap({{"kept", 1}}));

        Module_VPU_Protocol notFromDevice(*reply);
        notFromDevice.m_wireFlags = 0;
        QVERIFY(!DAL_VPU().parseData(&notFromDevice, &data, &map));

        // Unknown modules, modules of another protocol and unconvertible values build nothing.
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(!DAL_VPU().createData(&data, &frame, {{"moduleName", "Module_NoSuchThing"}}));
        QVERIFY(!DAL_Processor().createData(&data, &frame, {{"moduleName", "Module_LayerInfo"}}));
        QVERIFY(!DAL_VPU().createData(
            &data, &frame, {{"moduleName", "Module_WriteBeforeSynInfo"}, {"cmdFlag", "seven"}}));
        QVERIFY(!data && !frame);

        // A refusal reports its status without fields.
        Module_VPU_Protocol refused(*reply);
        refused.m_status = 2;
        refused.m_data.clear();
        QVERIFY(DAL_VPU().parseData(&refused, &data, &map));
        delete data;
        QCOMPARE(map.value("result").toBool(), false);
        QCOMPARE(map.value("status").toUInt(), 2u);
    }

    void vpuEnvelopeLimit()
    {
        // The envelope's limit is 65000 payload bytes.
        QVariantMap big{{"moduleName", "Module_WriteSubtitleBMPFileInfo"},
                        {"subtitleBMPFile", QByteArray(65000 - 8, 'x')}};
        QVERIFY(buildVpuModule(big).frame);
        big.insert("subtitleBMPFile", QByteArray(65000 - 7, 'x'));
        QVERIFY(!buildVpuModule(big).frame);
    }

    void vpuBigTableFrames()
    {
        Module_VPU_Protocol frame;
        const QByteArray records(6 * 54, char(0x11));
        DAL_VPU_BIG big;
        big.setCmdHead();
        QVERIFY(big.createData(&frame, 54, 25, 30, 30, 5, records));
        QCOMPARE(frame.m_command, quint16(SynTableCodeBase + 5));
        QCOMPARE(frame.m_data.left(11), QByteArray::fromHex("0036 0019 001e 001e 05 0144"));
        QCOMPARE(frame.m_data.mid(11), records);

        // Bad values leave the frame untouched.
        const QByteArray before = frame.m_data;
        QVERIFY(!big.createData(&frame, 38, 1, 0, 0, TableKindCount, {}));
        QVERIFY(!big.createData(&frame, 38, -1, 0, 0, 0, {}));
        QVERIFY(!big.createData(&frame, 38, 1, 1, 1, 0, QByteArray(65000, 'x')));
        QCOMPARE(frame.m_data, before);
    }

    void vpuBigHeadsGuardTheCalls()
    {
        const QVariantMap chunk{{"moduleName", "Module_WriteSubtitleBMPFileInfo"},
                                {"isBig", true},
                                {"subtitleBMPPos", 0},
                                {"subtitleBMPLen", 1344},
                                {"subtitleBMPFile", QByteArray(1344, 'p')}};
        Module_ProtocolBase *frame = nullptr;
        Module_VPU_Protocol table;
        {
            DAL_VPU_BIG big;
            QVERIFY(!big.createData(&frame, chunk)); // no head yet
            big.setCmdHead();
            QVERIFY(!big.createData(&frame, chunk));
            big.setFileHead();
            QVERIFY(!big.createData(&table, 38, 1, 0, 0, 0, {}));
            QVERIFY(big.createData(&frame, chunk));
        }
        std::unique_ptr<Module_ProtocolBase> owner(frame);
        QCOMPARE(static_cast<Module_VPU_Protocol *>(frame)->m_data.size(), 4 + 2 + 2 + 1344);
    }

    void processorRoundTrip()
    {
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(DAL_Processor().createData(&data, &frame,
                                           {{"moduleName", "Module_ProcessorCommand"},
                                            {"code", 0x0310},
                                            {"data", "01020304"}}));
        std::unique_ptr<Module_Base> dataOwner(data);
        std::unique_ptr<Module_ProtocolBase> frameOwner(frame);
        auto *processor = dynamic_cast<Module_Processor_Protocol *>(frame);
        QVERIFY(processor);

        processor->m_wireFlags = Module_ProtocolBase::IsReply;
        auto received = overTheWire(*processor);
        QVERIFY(received);
        Module_Base *parsed = nullptr;
        QVariantMap map;
        QVERIFY(DAL_Processor().parseData(static_cast<Module_Processor_Protocol *>(received.get()),
                                          &parsed, &map));
        delete parsed;
        QCOMPARE(map.value("code").toUInt(), 0x0310u);
        QCOMPARE(map.value("data").toByteArray(), QByteArray::fromHex("01020304"));

        QVERIFY(!DAL_Processor().createData(
            &data, &frame,
            {{"moduleName", "Module_ProcessorCommand"}, {"data", QByteArray(65001, 'x')}}));
        QVERIFY(!data && !frame);
    }
};

QTEST_GUILESS_MAIN(TestPacketModules)

#include "test_packet_modules.moc"
