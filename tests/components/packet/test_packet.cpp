// The packet layer: the datagram codec, the module catalogue, data objects and
// field codec, the video-processing-unit and processor builders, and the
// sending-card modules (frame layout, replies by address, receiving-card
// answers, the walking point and transfer progress).
#include "armframe.h"
#include "dal_processor.h"
#include "dal_sendcard.h"
#include "dal_vpu.h"
#include "dal_vpu_big.h"
#include "fieldcodec.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "modulecatalog.h"
#include "moduledata.h"
#include "sendcardmodules.h"
#include "vpumodules.h"
#include "wireframe.h"

#include <QtTest>

#include <vector>

using namespace ledwall;
using namespace ledwall::packet;

namespace
{

Module_SendCard_Protocol registerWrite()
{
    Module_SendCard_Protocol frame;
    const quint8 c[7] = {0xA1, 0x00, 0x80, 0x00, 0x11, 0x22, 0x33};
    arm::setCommandBytes(frame.m_head, c);
    arm::setAddress(frame.m_head, 0x12345678);
    arm::setLength(frame.m_head, 4);
    frame.cmdData = QByteArray::fromHex("deadbeef");
    frame.m_timeout = 500;
    return frame;
}

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

// What a device sends back for `request`: the same header fields with the
// given payload, flags and status, put through the wire codec.
std::unique_ptr<Module_SendCard_Protocol> deviceAnswer(const Module_SendCard_Protocol &request,
                                                       const QByteArray &payload,
                                                       quint8 flags = Module_ProtocolBase::IsReply,
                                                       quint16 status = 0)
{
    Module_SendCard_Protocol answer(request);
    answer.cmdData = payload;
    answer.m_wireFlags = flags;
    answer.m_status = status;
    answer.m_timeout = 0;
    arm::finishHeader(answer.m_head, payload);
    wire::Decoded decoded = wire::decodeFrame(answer.encode(3));
    if (!decoded.frame)
        return nullptr;
    auto *frame = static_cast<Module_SendCard_Protocol *>(decoded.frame.release());
    frame->m_guid = request.m_guid;
    return std::unique_ptr<Module_SendCard_Protocol>(frame);
}

std::unique_ptr<Module_SendCard_Protocol> built(const QVariantMap &map)
{
    BuiltModule module = buildSendCardModule(map);
    return std::unique_ptr<Module_SendCard_Protocol>(
        static_cast<Module_SendCard_Protocol *>(module.frame.release()));
}

quint8 byteAt(const QByteArray &bytes, int index)
{
    return quint8(bytes.at(index));
}

} // namespace

class TestPacket : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sent.clear();
        m_sentGuids.clear();
        DAL_SendCard::getInstance()->setFrameSink(
            [this](const QString &guid, Module_ProtocolBase *frame, bool) {
                m_sent.emplace_back(static_cast<Module_SendCard_Protocol *>(frame->clone()));
                m_sentGuids << guid;
                return true;
            });
        DAL_SendCard::getInstance()->setAddressResolver([](const QString &guid) {
            return guid == "card" ? QStringLiteral("127.0.0.9") : QString();
        });
        DAL_SendCard::getInstance()->resetInit();
    }

    void cleanup()
    {
        DAL_SendCard::getInstance()->setFrameSink({});
        DAL_SendCard::getInstance()->setAddressResolver({});
    }

    void registerWriteFrame()
    {
        auto frame = built({{"moduleName", "Module_WriteSendCardRegister"},
                            {"guid", "card"},
                            {"m_regAddr", 0x84000},
                            {"regData", "0a0b0c0d"},
                            {"m_cardSlotNum", 2},
                            {"m_portNum", 3}});
        QVERIFY(frame);
        const QByteArray &head = frame->m_head;
        QCOMPARE(frame->m_con(), quint8(0xA5));
        QCOMPARE(byteAt(head, 7), quint8(2)); // slot
        QCOMPARE(byteAt(head, 8), quint8(3)); // port
        QCOMPARE(frame->registerAddress(), 0x84000u);
        QCOMPARE(arm::readU16(head, 15), quint16(4));
        QCOMPARE(frame->cmdData, QByteArray::fromHex("0a0b0c0d"));
        // Size, CRC and sum as a device checks them.
        const wire::Decoded decoded = wire::decodeFrame(frame->encode(1));
        QCOMPARE(decoded.error, wire::DecodeError::None);
        QCOMPARE(arm::readU32(head, 22), arm::crc32(frame->cmdData, 0, 4));

        for (const QVariant &bad :
             {QVariant(QByteArray()), QVariant(QByteArray(1025, 'x')), QVariant("0g")})
            QVERIFY(!built({{"moduleName", "Module_WriteSendCardRegister"}, {"regData", bad}}));
    }

    void registerReadFrame()
    {
        // Whatever command word is given, a read is a read.
        auto frame = built({{"moduleName", "Module_ReadSendCardRegister"},
                            {"m_regAddr", 0x120400},
                            {"readLength", 1024},
                            {"m_commandWord", 0x008000A5u}});
        QVERIFY(frame);
        QCOMPARE(frame->m_con(), arm::ReadOperation);
        QCOMPARE(arm::readU16(frame->m_head, 15), quint16(1024));
        QVERIFY(frame->cmdData.isEmpty());
        QCOMPARE(wire::decodeFrame(frame->encode(1)).error, wire::DecodeError::None);

        for (const int length : {0, 1025, -1})
            QVERIFY(!built({{"moduleName", "Module_SendCardFlashInfo"}, {"readLength", length}}));
    }

    void registerReadReplyKeys_data()
    {
        QTest::addColumn<uint>("address");
        QTest::addColumn<QString>("key");
        QTest::newRow("image control") << 0x80000u << "imageControl";
        QTest::newRow("image area 3") << 0xA8000u << "imageArea3";
        QTest::newRow("window last") << 0x4FFFFu << "pxImageWindow";
        QTest::newRow("display record") << 0x12EC00u << "displayInfo";
        QTest::newRow("port table last") << 0x10E120u << "displayDeviceInfo";
        QTest::newRow("past port table") << 0x10E121u << "";
    }

    void registerReadReplyKeys()
    {
        QFETCH(uint, address);
        QFETCH(QString, key);
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(
            DAL_SendCard::getInstance()->createData("card", &data, &frame,
                                                    {{"moduleName", "Module_ReadSendCardRegister"},
                                                     {"m_regAddr", address},
                                                     {"readLength", 8}}));
        delete data;
        QVERIFY(!frame);
        QCOMPARE(m_sent.size(), size_t(1));

        const QByteArray bytes = QByteArray::fromHex("0102030405060708");
        auto answer = deviceAnswer(*m_sent.front(), bytes);
        QVERIFY(answer);
        QVariantMap map;
        QVERIFY(DAL_SendCard::getInstance()->parseData(answer.get(), &data, &map));
        std::unique_ptr<Module_Base> owner(data);
        QCOMPARE(map.value("ip").toString(), QStringLiteral("127.0.0.9"));
        QCOMPARE(map.value("m_regAddr").toUInt(), address);
        QCOMPARE(map.value("regData").toByteArray(), bytes);
        const QStringList keys{"imageControl", "imageOff",    "imageArea3",       "pxImageWindow",
                               "pxBoxPos",     "displayInfo", "displayDeviceInfo"};
        for (const QString &candidate : keys)
            QCOMPARE(map.contains(candidate), candidate == key);
        if (!key.isEmpty())
            QCOMPARE(map.value(key).toByteArray(), bytes);
    }

    void acknowledgementsAndRefusals()
    {
        auto write = built({{"moduleName", "Module_WriteSendCardRegister"},
                            {"guid", "card"},
                            {"m_regAddr", 0x85000},
                            {"regData", "00010002"}});
        const quint8 ack = Module_ProtocolBase::IsReply | Module_ProtocolBase::Acknowledge;
        ParsedModule parsed = parseSendCardFrame(*deviceAnswer(*write, {}, ack));
        QCOMPARE(parsed.map.value("m_regAddr").toUInt(), 0x85000u);
        parsed = parseSendCardFrame(*deviceAnswer(*write, {}, ack, 2));
        QCOMPARE(parsed.map.value("result").toBool(), false);
        QCOMPARE(parsed.map.value("status").toUInt(), 2u);

        // A refused read reports its status and carries no display key.
        auto read = built({{"moduleName", "Module_ReadSendCardRegister"},
                           {"m_regAddr", 0x80000},
                           {"readLength", 4}});
        parsed = parseSendCardFrame(*deviceAnswer(*read, {}, Module_ProtocolBase::IsReply, 1));
        QCOMPARE(parsed.map.value("result").toBool(), false);
        QVERIFY(!parsed.map.contains("imageControl"));
    }

    void receivingCardAnswers()
    {
        // A flash read asks for its data length inside an inner frame.
        auto flashRead = built({{"moduleName", "Module_ReceivingFlashInfo"},
                                {"m_regAddr", 0x120000},
                                {"ltcpFirstCard", 0},
                                {"ltcpLastCard", 0},
                                {"ltcpAddr_data", 0xAF000100u},
                                {"readLength", 1024}});
        QVERIFY(flashRead);
        QCOMPARE(arm::readU16(flashRead->m_head, 15), quint16(1024 + 19));
        const auto request = arm::parseInnerFrame(flashRead->cmdData);
        QVERIFY(request);
        QCOMPARE(request->command, ReceivingRead);
        QCOMPARE(request->dataLength, quint16(1024));
        QCOMPARE(request->address, 0xAF000100u);

        // The answer parses; with a damaged inner frame it gives nothing.
        QVERIFY(parseSendCardFrame(*deviceAnswer(*flashRead, flashRead->cmdData)).data);
        QByteArray damaged = flashRead->cmdData;
        damaged[16] = char(damaged.at(16) ^ 0x01);
        QVERIFY(!parseSendCardFrame(*deviceAnswer(*flashRead, damaged)).data);
    }

    void framesThatAreNoReplies()
    {
        auto read = built({{"moduleName", "Module_ReadSendCardRegister"}, {"readLength", 4}});
        QVERIFY(!parseSendCardFrame(*read).data); // not sent by a device
        const quint8 discovery = Module_ProtocolBase::IsReply | Module_ProtocolBase::Discovery;
        QVERIFY(!parseSendCardFrame(*deviceAnswer(*read, "{}", discovery)).data);
        auto write = built({{"moduleName", "Module_WriteSendCardRegister"}, {"regData", "01"}});
        QVERIFY(!parseSendCardFrame(*deviceAnswer(*write, "\x01\x02")).data);
    }

    void walkingPoint()
    {
        DAL_SendCard::getInstance()->fillWalkPointer("card", 0x100, 0xA0100200u, 7, 64, true, true);
        QCOMPARE(m_sent.size(), size_t(1));
        const Module_SendCard_Protocol &lit = *m_sent[0];
        QCOMPARE(lit.m_con(), WriteOperation);
        QCOMPARE(byteAt(lit.m_head, 4), quint8(0)); // no acknowledgement
        QCOMPARE(lit.registerAddress(), EveryPort);
        QCOMPARE(wire::decodeFrame(lit.encode(1)).error, wire::DecodeError::None);
        const auto inner = arm::parseInnerFrame(lit.cmdData);
        QVERIFY(inner);
        QCOMPARE(inner->command, ReceivingWrite);
        QCOMPARE(inner->word2, EveryCard);
        QCOMPARE(inner->address, 0xA0100200u);
        QCOMPARE(inner->data, QByteArray::fromHex("00000100 00000040 00000007 ff01 0000"));
    }

    void createDataDeliversAndCounts()
    {
        DAL_SendCard *dal = DAL_SendCard::getInstance();
        int plan = 4;
        dal->setPlanSendPack(plan);

        const QVariantMap read{{"moduleName", "Module_ReadSendCardRegister"}, {"readLength", 4}};
        const QVariantMap receiving{{"moduleName", "Module_ReceivingSDRAMInfo"}, {"readLength", 4}};
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = reinterpret_cast<Module_ProtocolBase *>(1);
        QVERIFY(dal->createData("card", &data, &frame, read));
        delete data;
        QVERIFY(!frame);
        QCOMPARE(m_sentGuids, QStringList{"card"});
        QVariantMap pack = dal->getactivePack();
        QCOMPARE(pack.value("remainPack").toInt(), 3);
        QCOMPARE(pack.value("progress").toInt(), 25);

        // While an update is stopped only receiving-card frames are held back.
        dal->setReveUpdateStop(true);
        QVERIFY(dal->createData("card", nullptr, nullptr, receiving));
        QVERIFY(dal->createData("card", nullptr, nullptr, read));
        QCOMPARE(m_sent.size(), size_t(2));
        QVERIFY(!arm::looksLikeInnerFrame(m_sent.back()->cmdData));
        dal->setReveUpdateStop(false);
        QVERIFY(dal->createData("card", nullptr, nullptr, receiving));
        QCOMPARE(m_sent.size(), size_t(3));
    }

    void crc32MatchesTheStandardCheckValue()
    {
        const QByteArray text("123456789");
        QCOMPARE(arm::crc32(text, 0, 9), 0xCBF43926u);
    }

    void damagedDatagramsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("error");
        const QByteArray good = registerWrite().encode(1);
        Module_VPU_Protocol vpu;
        vpu.m_data = "abc";
        const QByteArray goodVpu = vpu.encode(1);

        auto flipped = [](QByteArray bytes, int index) {
            bytes[index] = char(bytes.at(index) ^ 0x01);
            return bytes;
        };
        QTest::newRow("empty") << QByteArray() << int(wire::DecodeError::TooShort);
        QTest::newRow("payload cut")
            << good.left(good.size() - 1) << int(wire::DecodeError::BadLength);
        QTest::newRow("address changed")
            << flipped(good, 12) << int(wire::DecodeError::BadHeaderSum);
        QTest::newRow("payload changed") << flipped(good, 29) << int(wire::DecodeError::BadCrc);
        QTest::newRow("oversized")
            << QByteArray(good.left(2) + QByteArray(70000, 0)) << int(wire::DecodeError::TooLong);
        QByteArray unknownType = goodVpu;
        unknownType[2] = char(9);
        const QByteArray covered = unknownType.left(16) + unknownType.mid(20);
        arm::writeU32(unknownType, 16, arm::crc32(covered, 0, covered.size()));
        QTest::newRow("unknown type") << unknownType << int(wire::DecodeError::UnknownType);
    }

    void damagedDatagramsAreRefused()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, error);
        const wire::Decoded decoded = wire::decodeFrame(datagram);
        QCOMPARE(int(decoded.error), error);
        QVERIFY(!decoded.frame);
        QVERIFY(!wire::errorText(decoded.error).isEmpty());
    }

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

    void fillFromMapConvertsText()
    {
        Module_WriteSendCardRegister object;
        QVERIFY(fillFromMap(
            &object,
            {{"m_regAddr", "0x80000"}, {"regData", "0a 0B"}, {"m_portNum", 0xFF}, {"unknown", 1}}));
        QCOMPARE(object.m_regAddr, 0x80000u);
        QCOMPARE(object.regData, QByteArray::fromHex("0a0b"));
        QCOMPARE(object.m_portNum, quint8(0xFF));

        // A value its field cannot hold is refused, never cut.
        QString error;
        QVERIFY(!fillFromMap(&object, {{"m_portNum", 0x1FF}}, &error));
        QVERIFY(error.contains("m_portNum = 511"));
        QVERIFY(fillFromMap(&object, {{"m_regAddr", -1}}));
        QCOMPARE(object.m_regAddr, 0xFFFFFFFFu);
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

    void processorRoundTrip()
    {
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(DAL_Processor().createData(
            &data, &frame,
            {{"moduleName", "Module_ProcessorCommand"}, {"code", 0x0310}, {"data", "01020304"}}));
        std::unique_ptr<Module_Base> dataOwner(data);
        std::unique_ptr<Module_ProtocolBase> frameOwner(frame);
        auto *processor = dynamic_cast<Module_Processor_Protocol *>(frame);
        QVERIFY(processor);
        QVERIFY(!DAL_Processor().createData(
            &data, &frame,
            {{"moduleName", "Module_ProcessorCommand"}, {"data", QByteArray(65001, 'x')}}));

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
    }

private:
    std::vector<std::unique_ptr<Module_SendCard_Protocol>> m_sent;
    QStringList m_sentGuids;
};

QTEST_GUILESS_MAIN(TestPacket)

#include "test_packet.moc"
