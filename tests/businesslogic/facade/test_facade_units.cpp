// The facade's own small operations: byte picking, filling data objects by
// reflection, the time-out report of a sending-card frame.

#include "bll_businesslogic_desktop.h"
#include "module_base.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

#include "threadspy.h"
#include <QtTest>

namespace
{

// A data object with one member of every type name the fill knows.
class AllTypesModule : public Module_Base
{
public:
    AllTypesModule()
    {
        m_moduleName = QStringLiteral("AllTypesModule");
        registerMember(QStringLiteral("text"), &text, QStringLiteral("class QString"));
        registerMember(QStringLiteral("u8"), &u8, QStringLiteral("unsigned char"));
        registerMember(QStringLiteral("s8"), &s8, QStringLiteral("signed char"));
        registerMember(QStringLiteral("u32"), &u32, QStringLiteral("unsigned int"));
        registerMember(QStringLiteral("u64"), &u64, QStringLiteral("unsigned __int64"));
        registerMember(QStringLiteral("d"), &d, QStringLiteral("double"));
        registerMember(QStringLiteral("b"), &b, QStringLiteral("bool"));
        registerMember(QStringLiteral("ul"), &ul, QStringLiteral("unsigned long"));
        registerMember(QStringLiteral("l"), &l, QStringLiteral("long"));
        registerMember(QStringLiteral("bytes"), &bytes, QStringLiteral("class QByteArray"));
        registerMember(QStringLiteral("list"), &list,
                       QStringLiteral("class QList<class QVariant>"));
        registerMember(QStringLiteral("map"), &map,
                       QStringLiteral("class QMap<class QString,class QVariant>"));
        registerMember(QStringLiteral("other"), &other, QStringLiteral("struct Unknown"));
    }
    Module_Base *clone() const override { return new AllTypesModule; }

    QString text = QStringLiteral("unchanged");
    quint8 u8 = 1;
    qint8 s8 = 1;
    quint32 u32 = 1;
    quint64 u64 = 1;
    double d = 1;
    bool b = false;
    unsigned long ul = 1;
    long l = 1;
    QByteArray bytes = "unchanged";
    QVariantList list;
    QVariantMap map;
    int other = 7; // registered under a type name the fill does not know
};

Module_SendCard_Protocol sendCardFrame(const QByteArray &registerBytes)
{
    Module_SendCard_Protocol frame;
    frame.m_head = QByteArray(Module_SendCard_Protocol::HeaderSize, '\0');
    frame.m_head[2] = char(0xA4);
    frame.m_head[3] = char(0x01);
    for (int i = 0; i < 4; ++i)
        frame.m_head[11 + i] = registerBytes.at(i);
    frame.cmdData = QByteArray::fromHex("cafe");
    return frame;
}

} // namespace

class TestFacadeUnits : public QObject
{
    Q_OBJECT

private slots:
    void getCharPicksBytesMostSignificantFirst_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << 0x11223344 << 0 << 0x11;
        QTest::newRow("4 is out of range") << 0x11223344 << 4 << 0;
        QTest::newRow("negative value, low byte") << int(0xFEDCBA98) << 3 << 0x98;
    }

    void getCharPicksBytesMostSignificantFirst()
    {
        QFETCH(int, value);
        QFETCH(int, index);
        QFETCH(int, expected);
        QCOMPARE(int(BLL_BusinessLogic_Desktop::getChar(value, index)), expected);
    }

    void fillModuleCutsToMemberWidth()
    {
        AllTypesModule m;
        const QVariantMap values{
            {QStringLiteral("text"), QStringLiteral("hello")},
            {QStringLiteral("u8"), QStringLiteral("300")}, // 300 & 0xFF
            {QStringLiteral("s8"), 200},                   // 0xC8 as signed
            {QStringLiteral("u32"), -1},
            {QStringLiteral("u64"), qint64(-2)},
            {QStringLiteral("d"), QStringLiteral("2.5")},
            {QStringLiteral("b"), true},
        };
        QVERIFY(BLL_BusinessLogic_Desktop::instance()->fillModule(&m, values));
        QCOMPARE(m.text, QStringLiteral("hello"));
        QCOMPARE(int(m.u8), 44);
        QCOMPARE(int(m.s8), -56);
        QCOMPARE(m.u32, 0xFFFFFFFFu);
        QCOMPARE(m.u64, quint64(0xFFFFFFFFFFFFFFFEull));
        QCOMPARE(m.d, 2.5);
        QCOMPARE(m.b, true);
    }

    void onlyFillModuleNewKnowsTheExtraTypes()
    {
        const QVariantMap values{{QStringLiteral("ul"), qint64(0x1FFFFFFFF)},
                                 {QStringLiteral("l"), -5},
                                 {QStringLiteral("bytes"), QByteArray::fromHex("00ff10")},
                                 {QStringLiteral("list"), QVariantList{1, QStringLiteral("a")}},
                                 {QStringLiteral("map"), QVariantMap{{QStringLiteral("k"), 1}}},
                                 {QStringLiteral("u8"), 256 + 7},
                                 {QStringLiteral("other"), 9},
                                 {QStringLiteral("noSuchMember"), 9}};
        AllTypesModule m;
        QVERIFY(BLL_BusinessLogic_Desktop::instance()->fillModuleNew(&m, values));
        // "long" is a 32-bit value in the device formats, whatever the platform's long.
        QCOMPARE(m.ul, 0xFFFFFFFFul);
        QCOMPARE(m.l, -5l);
        QCOMPARE(m.bytes, QByteArray::fromHex("00ff10"));
        QCOMPARE(m.list, (QVariantList{1, QStringLiteral("a")}));
        QCOMPARE(m.map.value(QStringLiteral("k")).toInt(), 1);
        QCOMPARE(int(m.u8), 7);
        QCOMPARE(m.other, 7);
    }

    void timeoutOfSendCardFrameReportsRegisterBigEndian()
    {
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        ThreadSpy spy(facade, &BLL_BusinessLogic_Desktop::sig_timeoutCmd);
        // The frame stays ours: the slot must read it and leave it alone.
        auto frame = std::make_unique<Module_SendCard_Protocol>(
            sendCardFrame(QByteArray::fromHex("12345678")));
        facade->slot_timeoutCmd(QStringLiteral("guid-1"), frame.get());
        QCOMPARE(spy.count(), 1);
        const QVariantMap map = spy.at(0).at(0).toMap();
        QCOMPARE(map.value(QStringLiteral("m_reg")).toUInt(), 0x12345678u);
        QCOMPARE(map.value(QStringLiteral("m_con")).toUInt(), 0xA4u);
        QCOMPARE(map.value(QStringLiteral("cmdData")).toByteArray(), QByteArray::fromHex("cafe"));
        QCOMPARE(frame->cmdData, QByteArray::fromHex("cafe"));

        // Other frames are no sending-card time-out.
        Module_VPU_Protocol vpu;
        facade->slot_timeoutCmd(QStringLiteral("guid-1"), &vpu);
        facade->slot_timeoutCmd(QStringLiteral("guid-1"), nullptr);
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFacadeUnits)
#include "test_facade_units.moc"
