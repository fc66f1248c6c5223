// The sending-card object's display data operations that the wall round trip
// cannot reach: overlapping conversions on their worker threads, the complex
// record read back out of order, and damaged or missing flash blocks. Requests
// are caught at the block routines' frame sink; replies are fed to slot_dealData.

#include "bll_businesslogic_sendcardpackage.h"
#include "bll_datacenter_desktop.h"
#include "displayrecord.h"
#include "displaytext.h"
#include "module_sendcard_protocol.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

QVariantMap layout(int ports, int cabinetsPerPort)
{
    QVariantList items;
    for (int p = 0; p < ports; ++p)
        for (int c = 0; c < cabinetsPerPort; ++c)
            items << ledwall::displaytext::connectItemForCell(p, c, p, 128, 128, c);
    return {{"basicInfo", QVariantMap{{"enable_as_master_card", 0}, {"display_count", 1},
                                      {"enable_port_auto_bakup", 1}, {"FreeLine", 0}}},
            {"displayArr", QVariantList{QVariantMap{{"display_idx", 0}, {"row_count", ports},
                                                    {"col_count", cabinetsPerPort},
                                                    {"x_offset", 0}, {"y_offset", 0},
                                                    {"display_name", "Hall"}, {"itemArr", items}}}}};
}

QVariantMap complexLayout()
{
    return {{"basicInfo", QVariantMap{{"display_count", 1}, {"netPortIndex", 0},
                                      {"connectMode", 2}, {"paramShow", "ü"}, {"FreeLine", "0"}}},
            {"displayArr",
             QVariantList{QVariantMap{
                 {"display_idx", 0}, {"display_name", "Bühne"}, {"display_flag", "readBack"},
                 {"itemArr", QVariantList{QVariantMap{
                                 {"id", 7}, {"x", 10}, {"y", 20}, {"z", 1}, {"boxName", "B1"},
                                 {"sNetPort", 2}, {"strInfoText", "t"}, {"boxId", "id"},
                                 {"width", 64}, {"height", 64}, {"connectFlag", true},
                                 {"lockFlag", false}, {"bGConnectColor", "blue"}}}}}}}};
}

QVariantMap flashReply(quint32 address, const QString &key, const QByteArray &bytes)
{
    return {{"moduleName", "Module_SendCardFlashInfo"}, {"m_regAddr", address}, {key, bytes}};
}

} // namespace

class TestTopologyTransfer : public QObject
{
    Q_OBJECT

private:

    std::unique_ptr<BLL_BusinessLogic_SendCardPackage> m_card;
    QList<FlashAccessDescriptor> m_frames; // the read requests sent

    bool convert(bool complex, int mode)
    {
        QSignalSpy done(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_displayOperation);
        const bool started = complex ? m_card->complexDisplayDataFormatConv(mode)
                                     : m_card->connectDisplayDataFormatConv(mode);
        // The signal comes from the worker thread, possibly before we start waiting.
        return started && QTest::qWaitFor([&] { return !done.isEmpty(); }, 5000)
            && done.first().first().toInt() == mode;
    }

    void feed(const QVariantMap &reply)
    {
        QVERIFY(QMetaObject::invokeMethod(m_card.get(), "slot_dealData", Qt::DirectConnection,
                                          Q_ARG(QVariantMap, reply)));
    }

private slots:
    void init()
    {
        BLL_DataCenter_Desktop::instance()->setCurrentGuid(QStringLiteral("test-guid"));
        m_frames.clear();
        m_card = std::make_unique<BLL_BusinessLogic_SendCardPackage>();
        m_card->setBlockFrameSink([this](const QString &, const Module_SendCard_Protocol &, quint8) {
            m_frames.append(m_card->flashAccessDescriptor());
            return true;
        });
    }

    void conversionsSignalAndRefuseOverlap()
    {
        QVERIFY(m_card->saveConnectDisplayData(layout(16, 256)));
        QVERIFY(!m_card->saveConnectDisplayData({}));

        // A second conversion of the same model while one runs is refused.
        QSignalSpy done(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_displayOperation);
        QVERIFY(m_card->connectDisplayDataFormatConv(1));
        QVERIFY(!m_card->connectDisplayDataFormatConv(1));
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);

        QVERIFY(m_card->saveComplexConnectDisplayData(complexLayout()));
        QVERIFY(convert(true, 1));
        QVERIFY(convert(true, 2));
        QCOMPARE(m_card->getComplexConnectDisplayData(), complexLayout());

        const int announced = done.size();
        QVERIFY(m_card->connectDisplayDataFormatConv(3)); // does nothing
        QTest::qWait(20);
        QCOMPARE(done.size(), announced);
    }

    void readRequestsEveryBlockAndReassembles()
    {
        m_card->readConnectDisplayDataToDevice({{"isComplex", 1}});
        QCOMPARE(m_frames.size(), 64);
        QCOMPARE(m_frames.last().startAddress, 0x12FC00u);
        QCOMPARE(m_frames.last().readLength, quint16(0x400));

        // The flash holds a complex record; its blocks come back last first, one twice.
        QByteArray record;
        const QString text =
            QStringLiteral("basic_info:1,0,2,ü,0display_info:0,Bühneitem:7,10,20,1,B1,2,t,id,64,64,"
                           "true,false,blue");
        QCOMPARE(ledwall::displayrecord::pack(text.toUtf8(), 65531, &record),
                 ledwall::displayrecord::PackResult::Ok);
        record.append(QByteArray(64 * 1024 - record.size(), '\xff'));
        QSignalSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        for (int b = 63; b >= 0; --b) {
            feed(flashReply(0x120000 + b * 0x400, "displayInfo", record.mid(b * 0x400, 0x400)));
            if (b == 63)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", record.mid(b * 0x400, 0x400)));
            QCOMPARE(report.size(), b == 0 ? 1 : 0);
        }
        QCOMPARE(report.first().first().toMap(), (QVariantMap{{"addr", 0x12FC00u}}));
        QVERIFY(m_card->parseConnectDisplayDataFromDevice(true));
        QVERIFY(convert(true, 2));
        QCOMPARE(m_card->getComplexConnectDisplayData(), complexLayout());
        // The same record is no connection text.
        QVERIFY(!m_card->parseConnectDisplayDataFromDevice(false));
    }

    void readBackOfBadFlashFails()
    {
        const QVariantMap original = layout(2, 3);
        QVERIFY(m_card->saveConnectDisplayData(original));
        QVERIFY(convert(false, 1));

        for (const QByteArray &flash :
             {QByteArray(60 * 1024, '\xff'), QByteArray::fromHex("00001000") + QByteArray(60 * 1024 - 4, 'z')}) {
            m_card->readConnectDisplayDataToDevice({});
            QSignalSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
            for (int b = 0; b < 60; ++b)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", flash.mid(b * 0x400, 0x400)));
            QCOMPARE(report.size(), 1);
            QVERIFY(!m_card->parseConnectDisplayDataFromDevice(false));
            // The device text is still the one converted before.
            QVERIFY(convert(false, 2));
            QCOMPARE(m_card->openConnectDisplayData(false), QVariantList{original});
        }

        // A block that does not come back holds the completion back.
        m_card->readConnectDisplayDataToDevice({});
        QSignalSpy report(m_card.get(), &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        for (int b = 0; b < 60; ++b)
            if (b != 30)
                feed(flashReply(0x120000 + b * 0x400, "displayInfo", QByteArray(0x400, '\xff')));
        QCOMPARE(report.size(), 0);
    }
};

QTEST_MAIN(TestTopologyTransfer)
#include "test_topology_transfer.moc"
