// The chip layer over the emulated chip library: what a fetch shows for each chip
// family, set-then-fetch, refused values, the register image and the data files.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_lssdk.h"
#include "configdll6619.h"

#include <QtTest>

namespace
{
QVariantMap chip(const QString &name, int decode = 0)
{
    return {{"driverChip", name}, {"decodedMode", decode}};
}
} // namespace

class TestLssdk : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QVariantMap fetched(BLL_BusinessLogic_LSSDK &sdk, const QString &name, int decode = 0)
    {
        sdk.clearData();
        sdk.init(chip(name, decode));
        return sdk.getParam(chip(name, decode));
    }

private slots:
    void initTestCase() { ledwall::setApplicationDirectory(m_dir.path()); }

    void fetchByFamily()
    {
        BLL_BusinessLogic_LSSDK sdk;
        QVERIFY(QDir(m_dir.filePath("ConfigData/LSData/LastData_Backup")).exists());

        const QVariantMap ls6618 = fetched(sdk, "LS6618");
        QCOMPARE(ls6618.value("initFlag").toInt(), 0);
        for (const QString &key : ls6618.keys())
            QVERIFY2(key == "initFlag" || key.endsWith("_Min") || key.endsWith("_Max"),
                     qPrintable(key));

        const QVariantMap ls9961 = fetched(sdk, "LS9961");
        for (const char *key : {"ShiftLen", "MaxShiftLen", "Version6619", "IPVersion", "LibVerion"})
            QVERIFY(!ls9961.contains(key));

        const QVariantMap ls9929 = fetched(sdk, "LYD6188");
        QCOMPARE(ls9929.value("ShiftLen").toInt(), 128);
        QCOMPARE(ls9929.value("LibVerion").toString(), QString("1.0_FIX0"));
        QCOMPARE(ls9929.value("OEHiLevel_Min"), ls9929.value("OELoLevel_Min"));
        QCOMPARE(ls9929.value("StartColor3_Max"), ls9929.value("StartColor1_Max"));
        QCOMPARE(ls9929.value("ShiftClockList").toString(),
                 QString("6.25:8.33:10:12.5:15.625:20:25:"));
        QVERIFY(!ls9929.contains("PrePullSwitch"));

        const QVariantMap ls9930 = fetched(sdk, "LS9930");
        QCOMPARE(ls9930.value("HighBitsNum").toString(), QString("a"));
        QCOMPARE(ls9930.value("HighBitsNumList").toString(), QString("6:7:8:9:a:b:c:d:"));

        QVERIFY(fetched(sdk, "LS9937").contains("ledranger"));
        QVERIFY(fetched(sdk, "LS9935").contains("PrePullValue"));
    }

    void addBrightModeFollowsDecodeMode()
    {
        BLL_BusinessLogic_LSSDK sdk;
        QVERIFY(!fetched(sdk, "LS9931", 20).contains("AddBrightMode"));
        sdk.setSmartSetFirstStep({{"moduleWidth", 64}, {"intervalRow", 8}, {"rgbSeq", 1}});
        sdk.clearData();
        const QVariantMap map = sdk.getParam(chip("LS9931", 20));
        QVERIFY(map.contains("AddBrightMode"));
        QCOMPARE(map.value("FieldFreq").toInt(), 30);
        QCOMPARE(map.value("scanNum").toInt(), 8);
    }

    void setThenFetch_data()
    {
        QTest::addColumn<QString>("chipName");
        QTest::addColumn<QVariantMap>("set");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        const QVariantMap width{{"configFlag", 0}, {"configIndex", 3}, {"moduleWidth", "96"}};
        QTest::newRow("shift length") << "LS9929" << width << 0 << "ShiftLen" << QVariant(96);
        QVariantMap wide = width;
        wide["moduleWidth"] = "5000";
        QTest::newRow("shift length refused")
            << "LS9929" << wide << 7 << "ShiftLen" << QVariant(128);
        const QVariantMap truncated{{"configFlag", 5}, {"configIndex", 0}, {"configParam", "12.7"}};
        QTest::newRow("truncated") << "LS9929" << truncated << 0 << "ShiftLen" << QVariant(12);
        QVariantMap huge = truncated;
        huge["configParam"] = "1e300";
        QTest::newRow("huge refused") << "LS9929" << huge << 7 << "ShiftLen" << QVariant(128);
        const QVariantMap current{
            {"configFlag", 1}, {"configIndex", 9}, {"configParam1", "1"}, {"configParam2", "77"}};
        QTest::newRow("current of green")
            << "LS9929" << current << 0 << "Current6619G" << QVariant(77);
        const QVariantMap slot{
            {"configFlag", 2}, {"configIndex", 15}, {"configParam", "9"}, {"configParam3", "2"}};
        QTest::newRow("start colour slot") << "LS9930" << slot << 0 << "StartColor3" << QVariant(9);
        const QVariantMap clock{{"configFlag", 0}, {"configIndex", 0}, {"configParam", "12.5"}};
        QTest::newRow("shift clock") << "LS9935" << clock << 0 << "ShiftClock" << QVariant(12.5);
        const QVariantMap refresh{{"configFlag", 5}, {"configIndex", 20}, {"configParam", "1920"}};
        QTest::newRow("refresh rate")
            << "LS9936" << refresh << 0 << "RefreshRate" << QVariant(1920);
        const QVariantMap below{{"configFlag", 2}, {"configIndex", 11}, {"configParam", "3"}};
        QTest::newRow("below the table") << "LS9929" << below << 0 << "ShiftLen" << QVariant(128);
        const QVariantMap grey{
            {"configFlag", 5}, {"configIndex", 10}, {"colorFlag", 2}, {"LowGrayCompen", 1.5}};
        QTest::newRow("grey of blue")
            << "LS9935B" << grey << 0 << "LowGrayCompenB" << QVariant(1.5);
    }
    void setThenFetch()
    {
        QFETCH(QString, chipName);
        QFETCH(QVariantMap, set);
        QFETCH(int, result);
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        BLL_BusinessLogic_LSSDK sdk;
        fetched(sdk, chipName);
        QCOMPARE(sdk.configureParam(set).value("result").toInt(), result);
        sdk.clearData();
        QCOMPARE(sdk.getParam(chip(chipName)).value(key), value);
    }

    void flagsWithoutWork()
    {
        BLL_BusinessLogic_LSSDK sdk;
        const QVariantMap before = fetched(sdk, "LS9929");
        QCOMPARE(sdk.configureParam({{"configFlag", 3}, {"configIndex", 0}}), before);
        sdk.clearData();
        const QVariantMap defaults =
            sdk.getParam({{"driverChip", "LS9929"}, {"paramFlag", 3}, {"configIndex", 0}});
        QCOMPARE(defaults.keys(), QStringList({"defaultGammaStart", "defaultGammaStep"}));
        // LS9961 sets its shift length as a unit number.
        fetched(sdk, "LS9961");
        sdk.configureParam({{"configFlag", 5}, {"configIndex", 0}, {"configParam", "40"}});
        int length = 0;
        QCOMPARE(GetShiftLen6619(&length), 0);
        QCOMPARE(length, 40);
    }
};

QTEST_MAIN(TestLssdk)
#include "test_lssdk.moc"
