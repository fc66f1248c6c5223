// The window computations of the sending-card object, captured at its frame sink:
// which pages go where, their bytes, the result maps, redundancy and bad requests.

#include "armframe.h"
#include "bll_businesslogic_sendcardpackage.h"
#include "module_sendcard_protocol.h"
#include "windowpages.h"

#include <QtTest>

using namespace ledwall;

namespace
{
struct Write {
    quint8 op;
    quint32 address;
    QByteArray data;
};

QVariantMap cabinet(int port, int addr, int x, int y, int w = 256, int h = 128)
{
    return {{"sender_port", port}, {"sender_addr", addr}, {"x", x},    {"y", y},
            {"vcs_width", w},      {"vcs_height", h},     {"init", 1}, {"is_as_null", 0},
            {"row", y / 128},      {"col", x / 256}};
}

QVariantMap layout(const QVariantList &items)
{
    return {{"displayArr", QVariantList{QVariantMap{{"itemArr", items}}}}};
}

const QVariantMap Request{{"currDisplayIdx", 0},
                          {"scType", ""},
                          {"dviWorkMode", 0},
                          {"offsetX", 0},
                          {"offsetY", 0},
                          {"isSend", true},
                          {"leftEmpObj", QVariantMap{{"empResult", false}}}};
} // namespace

class TestWindowWrites : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_SendCardPackage *package = nullptr;
    QVector<Write> writes;

    QVector<quint32> addresses() const
    {
        QVector<quint32> list;
        for (const Write &w : writes)
            list.append(w.address);
        return list;
    }

private slots:
    void init()
    {
        package = new BLL_BusinessLogic_SendCardPackage;
        writes.clear();
        package->setBlockFrameSink(
            [this](const QString &, const Module_SendCard_Protocol &frame, quint8) {
                writes.append(
                    {quint8(frame.m_head.at(2)), arm::readU32(frame.m_head, 11), frame.cmdData});
                return true;
            });
    }
    void cleanup() { delete package; }

    void banksAndSkippedPorts_data()
    {
        QTest::addColumn<QString>("scType");
        QTest::addColumn<int>("op");
        QTest::addColumn<QVector<quint32>>("expected");
        QTest::newRow("bank A") << "" << 0xA1 << QVector<quint32>{0x800000, 0x820000};
        QTest::newRow("bank B") << "4k" << 0xA5 << QVector<quint32>{0x40000, 0x42000};
    }
    void banksAndSkippedPorts()
    {
        QFETCH(QString, scType);
        QFETCH(int, op);
        QFETCH(QVector<quint32>, expected);
        package->saveConnectDisplayData(layout({cabinet(0, 0, 0, 0), cabinet(2, 0, 256, 0)}));
        QVariantMap request = Request;
        request.insert("scType", scType);
        QVERIFY(package->setDiffWHMultiwindow(request));
        QCOMPARE(addresses(), expected);
        QCOMPARE(int(writes.first().op), op);
        // Port 2's page: its corner in the header, its window at (0, 0).
        QCOMPARE(writes.last().data.mid(3, 5), QByteArray::fromHex("0100000100"));
        QCOMPARE(writes.last().data.mid(64, 8), QByteArray::fromHex("0000000000800100"));
    }

    void imageWindowPageBytes()
    {
        const QVariantList windows{QVariantMap{{"x", 0}, {"y", 0}, {"w", 512}, {"h", 256}},
                                   QVariantMap{{"x", "512"}, {"y", 0}, {"w", 512}, {"h", 256}}};
        QByteArray page = package->fillPxImageMemory(0, 0, {}, windows, 0, {}, false);
        QCOMPARE(page.size(), 1024);
        QCOMPARE(page.left(72 + 8), QByteArray::fromHex("0000000200000000") + QByteArray(56, '\0') +
                                        QByteArray::fromHex("0000000001000200"
                                                            "0000020001000200"));
        QCOMPARE(page.mid(80), QByteArray(1024 - 80, char(0xFF)));
        const QVariantMap empty{{"empResult", true}, {"empWidth", 48}, {"empPortStrList", {"0"}}};
        page = package->fillPxImageMemory(0, 0, {}, windows, 0, empty, false);
        QCOMPARE(page.mid(8, 4), QByteArray::fromHex("00000030"));
        QCOMPARE(windows::hexDumpByEntry(QByteArray::fromHex("0001020304050607")),
                 QByteArray("00010203\n04050607"));
    }

    void allMultiWindowResultAndBoxPages()
    {
        package->saveConnectDisplayData(
            layout({cabinet(0, 1, 256, 0), cabinet(0, 0, 0, 0), cabinet(0, 2, 0, 128)}));
        QVariantMap request = Request;
        request.insert("scType", "4k");
        const QVariantMap result = package->setAllMultiWindow(request);
        QVERIFY(result.value("result").toBool());
        QCOMPARE(result.value("ethProtLoadValueList").toList().first().toInt(), 512 * 256);
        QCOMPARE(result.value("screenWidth").toInt(), 512);
        const Write box = writes.at(writes.size() - 2);
        QCOMPARE(box.address, quint32(0));
        // Box order along the chain: (0,0), (0,256), (128,0); the count at the end.
        QCOMPARE(box.data.left(12), QByteArray::fromHex("000000000000010000800000"));
        QCOMPARE(box.data.right(4), QByteArray::fromHex("00000003"));
        QCOMPARE(result.value("last_m_regAddr").toUInt(), quint32(0));
        QCOMPARE(writes.last().address, quint32(0x12FFD0));
        QCOMPARE(writes.last().data.left(3), QByteArray::fromHex("100003"));
        QCOMPARE(quint8(writes.last().data.at(33)), quint8(16 + 3));

        writes.clear();
        request.insert("isSend", false);
        QVERIFY(package->setAllMultiWindow(request).value("result").toBool());
        QVERIFY(writes.isEmpty());
    }

    void badRequestsWriteNothing_data()
    {
        QTest::addColumn<QVariantMap>("layout");
        QTest::addColumn<QVariantMap>("request");
        QVariantMap noOffset = Request;
        noOffset.remove("offsetX");
        QVariantMap farDisplay = Request;
        farDisplay.insert("currDisplayIdx", 3);
        QTest::newRow("missing key") << layout({cabinet(0, 0, 0, 0)}) << noOffset;
        QTest::newRow("display out of range") << layout({cabinet(0, 0, 0, 0)}) << farDisplay;
        QTest::newRow("no itemArr")
            << QVariantMap{{"displayArr", QVariantList{QVariantMap{}}}} << Request;
        QTest::newRow("overlap") << layout({cabinet(0, 0, 0, 0), cabinet(1, 0, 128, 64)})
                                 << Request;
        QTest::newRow("zero size") << layout({cabinet(0, 0, 0, 0, 0)}) << Request;
    }
    void badRequestsWriteNothing()
    {
        QFETCH(QVariantMap, layout);
        QFETCH(QVariantMap, request);
        package->saveConnectDisplayData(layout);
        QVERIFY(!package->setMultiwindow(request));
        // The whole-screen computation reads neither the display index nor the offsets.
        const bool layoutFault = !QByteArray(QTest::currentDataTag()).contains("key") &&
                                 !QByteArray(QTest::currentDataTag()).contains("range");
        QCOMPARE(!package->setAllMultiWindow(request).value("result").toBool(), layoutFault);
        if (layoutFault)
            QVERIFY(writes.isEmpty());
    }

    void tooManyBoxesAreRefused()
    {
        QVariantList items;
        for (int i = 0; i < 256; ++i)
            items.append(cabinet(0, i, (i % 16) * 256, (i / 16) * 128));
        package->saveConnectDisplayData(layout(items));
        const QVariantMap result = package->setAllMultiWindow(Request);
        QVERIFY(!result.value("result").toBool());
        QVERIFY(result.value("error").toString().contains("256 boxes"));
        for (const Write &w : qAsConst(writes))
            QVERIFY(w.data.size() <= 1024);
    }

    void uDiskModeCollectsAndEnds()
    {
        package->saveConnectDisplayData(layout({cabinet(0, 0, 0, 0)}));
        QVariantMap request = Request;
        request.insert("isSaveUDisk", true); // no path: prepared, not saved
        QVERIFY(package->setMultiwindow(request));
        QVERIFY(writes.isEmpty());
        QCOMPARE(package->usbFlashDataNum(), 1);
        QVERIFY(package->setMultiwindow(Request)); // the card again
        QCOMPARE(writes.size(), 1);
    }

    void redundancyCopiesMirroredPages()
    {
        const QByteArray boxes = windows::boxPositionPage({{0, 0}, {256, 0}, {512, 0}, {768, 0}});
        const QByteArray image(1024, char(0x5A));
        // The primary card's read-back, as its replies fill it.
        const QVariantList replies{
            QVariantMap{{"m_regAddr", 0x40000}, {"pxImageWindow", image}},
            QVariantMap{{"m_regAddr", 0}, {"pxBoxPos", boxes}},
            QVariantMap{{"m_regAddr", 0x84000}, {"imageOff", QByteArray::fromHex("00010002")}},
            QVariantMap{{"m_regAddr", 0x85000}, {"imageArea", QByteArray::fromHex("00800100")}}};
        for (QVariant reply : replies) {
            QVariantMap map = reply.toMap();
            map.insert("moduleName", "Module_SendCardFlashInfo");
            QMetaObject::invokeMethod(package, "slot_dealData", Q_ARG(QVariantMap, map));
        }
        package->setAllSCDisplayMap("ip");
        package->setIpBoxNumMap("ip", {QByteArray("3")});
        QVariantMap entry{{"primaryIP", "ip"},       {"primaryPort", 1},
                          {"backupPort", 2},         {"primaryType", "4k-AB_B_3D"},
                          {"backupType", "4k-AB_B"}, {"primaryGuid", "p"},
                          {"backupGuid", "b"}};
        QVERIFY(package->sendRedundancyData({{"redundancyArr", QVariantList{entry}}}));
        QCOMPARE(addresses(),
                 (QVector<quint32>{0xF10000, 0x84000, 0x85000, 0x810000, 0x41000, 0x910000, 0x1000,
                                   0xF10080, 0xF10084, 0x8C000, 0x8D000}));
        QCOMPARE(writes.first().data, QByteArray::fromHex("0001000200800100"));
        // Boxes A B C D with three in use: C B A D, the count kept.
        const QByteArray mirrored = writes.at(5).data;
        QCOMPARE(mirrored.left(16),
                 boxes.mid(8, 4) + boxes.mid(4, 4) + boxes.left(4) + boxes.mid(12, 4));
        QCOMPARE(mirrored.right(4), boxes.right(4));
        QCOMPARE(writes.at(7).data, QByteArray::fromHex("00008f00"));
        QCOMPARE(writes.at(8).data, QByteArray::fromHex("00000e01"));

        writes.clear();
        entry.insert("primaryPort", 9); // no stored page for it
        QVERIFY(!package->sendRedundancyData({{"redundancyArr", QVariantList{entry}}}));
        for (const Write &w : qAsConst(writes))
            QVERIFY(w.address >= 0xF10000 || w.address >= 0x84000);
    }
};

QTEST_GUILESS_MAIN(TestWindowWrites)
#include "test_window_writes.moc"
