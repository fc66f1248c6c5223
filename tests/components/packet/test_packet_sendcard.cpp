// Sending-card modules: frame layout, reply parsing by address, receiving-card
// answers, the walking point, transfer progress and the U-disk image file.
#include "armframe.h"
#include "dal_sendcard.h"
#include "module_sendcard_protocol.h"
#include "moduledata.h"
#include "sendcardmodules.h"
#include "wireframe.h"

#include <QtTest>

#include <vector>

using namespace ledwall;
using namespace ledwall::packet;

namespace
{

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

class TestPacketSendCard : public QObject
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

        // Slot and port count only together.
        frame = built({{"moduleName", "Module_WriteSendCardRegister"},
                       {"m_regAddr", 0},
                       {"regData", QByteArray(1024, 'x')},
                       {"m_portNum", 3}});
        QVERIFY(frame);
        QCOMPARE(byteAt(frame->m_head, 8), quint8(0));

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
        QTest::newRow("window first") << 0x40000u << "pxImageWindow";
        QTest::newRow("window last") << 0x4FFFFu << "pxImageWindow";
        QTest::newRow("display record") << 0x12EC00u << "displayInfo";
        QTest::newRow("port table first") << 0x10E000u << "displayDeviceInfo";
        QTest::newRow("port table last") << 0x10E120u << "displayDeviceInfo";
        QTest::newRow("past port table") << 0x10E121u << "";
        QTest::newRow("between") << 0x10000u << "";
    }

    void registerReadReplyKeys()
    {
        QFETCH(uint, address);
        QFETCH(QString, key);
        Module_Base *data = nullptr;
        Module_ProtocolBase *frame = nullptr;
        QVERIFY(DAL_SendCard::getInstance()->createData("card", &data, &frame,
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
        auto read = built(
            {{"moduleName", "Module_ReadSendCardRegister"}, {"m_regAddr", 0x80000}, {"readLength", 4}});
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

        Module_SendCard_Protocol shortHead(*read);
        shortHead.m_wireFlags = Module_ProtocolBase::IsReply;
        shortHead.m_head.chop(1);
        QVERIFY(!parseSendCardFrame(shortHead).data);
    }

    void walkingPoint()
    {
        DAL_SendCard::getInstance()->fillWalkPointer("card", 0x100, 0xA0100200u, 7, 64, true, true);
        DAL_SendCard::getInstance()->fillWalkPointer("card", 0x100, 0xA0100200u, 7, 64, false, false);
        QCOMPARE(m_sent.size(), size_t(2));
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
        QCOMPARE(arm::parseInnerFrame(m_sent[1]->cmdData)->data.mid(12, 2),
                 QByteArray::fromHex("0000"));
    }

    void createDataDeliversAndCounts()
    {
        DAL_SendCard *dal = DAL_SendCard::getInstance();
        int plan = -3;
        dal->setPlanSendPack(plan);
        QCOMPARE(plan, 0);
        plan = 4;
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

    void usbImageFile()
    {
        // Two frames as the block routine collects them: header, payload, 0xFF padding.
        auto first =
            built({{"moduleName", "Module_WriteSendCardRegister"}, {"regData", QByteArray(30, 'a')}});
        auto second =
            built({{"moduleName", "Module_WriteSendCardRegister"}, {"regData", QByteArray(8, 'b')}});
        const QByteArray image = first->m_head + first->cmdData + QByteArray(2, char(0xFF)) +
                                 second->m_head + second->cmdData;
        QCOMPARE(usbImageFrameCount(image), 2);
        QCOMPARE(usbImageFrameCount(image.left(image.size() - 1)), -1);
        QCOMPARE(usbImageFrameCount(image.mid(1)), -1);

        QTemporaryDir dir;
        DAL_SendCard *dal = DAL_SendCard::getInstance();
        const QString other = dir.filePath("other.bin");
        QVERIFY(!dal->saveUsbFlashFile({{"usbFlashData", image.left(40)}, {"filePath", other}}));
        QVERIFY(!QFile::exists(other));
    }

private:
    std::vector<std::unique_ptr<Module_SendCard_Protocol>> m_sent;
    QStringList m_sentGuids;
};

QTEST_GUILESS_MAIN(TestPacketSendCard)

#include "test_packet_sendcard.moc"
