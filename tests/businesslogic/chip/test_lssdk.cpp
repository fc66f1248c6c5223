// The chip layer over the emulated chip library: what a fetch shows for each chip
// family, set-then-fetch, refused values, the register image and the data files.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_lssdk.h"
#include "configdll6619.h"
#include "threadspy.h"

#include <QJsonDocument>
#include <QJsonObject>
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

    void registerImage()
    {
        ThreadSpy spy(BLL_BusinessLogic_Desktop::instance(),
                      &BLL_BusinessLogic_Desktop::sig_devicesModuleData);
        QVariantMap load = chip("LS9929");
        load["registerAddr"] = "1234,abcd,";
        {
            BLL_BusinessLogic_LSSDK sdk;
            sdk.init(chip("LS9929"));
            sdk.loadBuffToSDK(load);
        } // joins the load
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toMap().value("moduleName").toString(),
                 QString("Module_loadBuffToSdk"));

        BLL_BusinessLogic_LSSDK sdk;
        sdk.loadBuffToSDKThread(load);
        QCOMPARE(sdk.getSDKToBuff().value("registerAddr").toString(), QString("1234,abcd,"));
        load["registerAddr"] = "1234,zz,";
        sdk.loadBuffToSDKThread(load);
        QCOMPARE(sdk.paramMap().value("loadFlag").toInt(), 7);
        QCOMPARE(sdk.getSDKToBuff().value("registerAddr").toString(), QString("1234,abcd,"));

        // Default files: by chip and decode index, beside the programs; none for LS9918.
        QFile file(m_dir.filePath("pm_9930_9737yin.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("0040,\r\n0008,\r\n") > 0);
        file.close();
        sdk.loadBuffToSDKThread(chip("LS9930", 12));
        QCOMPARE(sdk.getParam(chip("LS9930", 12)).value("ShiftLen").toInt(), 64);
        QFile big(m_dir.filePath("pm_9930.dat"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(2 * 1024 * 1024));
        big.close();
        sdk.clearData();
        sdk.loadBuffToSDKThread(chip("LS9930", 0));
        sdk.loadBuffToSDKThread(chip("LS9918", 0));
        QVERIFY(!sdk.paramMap().contains("loadFlag"));
        QCOMPARE(spy.count(), 3);

        // LS9935 family: a load switches the new 16-to-16 mode and the reduce mode on.
        sdk.init(chip("LS9935"));
        sdk.loadBuffToSDKThread({{"driverChip", "LS9935"}, {"registerAddr", "0080,"}});
        sdk.clearData();
        sdk.parseParam();
        sdk.parseAdvanceModeParam();
        QCOMPARE(sdk.paramMap().value("New16to16").toInt(), 1);
        QCOMPARE(sdk.paramMap().value("reduceMode").toInt(), 1);
        sdk.getDriverChipId("LS9918");
        sdk.clearData();
        sdk.parseParam();
        QCOMPARE(sdk.paramMap().keys(), QStringList{"TestMode"});
    }

    void boxParamFile()
    {
        BLL_BusinessLogic_LSSDK sdk;
        sdk.init(chip("LS9929"));
        sdk.loadBuffToSDKThread({{"driverChip", "LS9929"}, {"registerAddr", "0060,"}});
        QVERIFY(QDir().mkpath(m_dir.filePath("ConfigData/ConfigurationFile")));
        QFile file(m_dir.filePath("ConfigData/ConfigurationFile/boxParam.BCJ"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not json") > 0);
        file.close();
        QCOMPARE(sdk.saveSDKToBuff({{"lowGraySelect", 2}}).value("result").toBool(), false);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not json"));
        file.close();

        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(R"({"boxWidth": 64})") > 0);
        file.close();
        QCOMPARE(sdk.saveSDKToBuff({{"lowGraySelect", 2}}).value("result").toBool(), true);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(saved.value("registerAddr").toString(), QString("0060,"));
        QCOMPARE(saved.value("lowGraySelect").toInt(), 2);
        QCOMPARE(saved.value("boxWidth").toInt(), 64);
    }

    void dataFiles()
    {
        BLL_BusinessLogic_LSSDK sdk;
        sdk.init(chip("LS9935"));
        for (int run = 0; run < 2; ++run) {
            sdk.genDataFile(0);
            QCOMPARE(sdk.paramMap().value("result").toBool(), true);
        }
        const QDir data(m_dir.filePath("ConfigData/LSData"));
        for (const char *name : {"pm.dat", "pm_16_total.dat", "dm2_16.txt", "bit.txt", "oe.dat"})
            QVERIFY2(data.exists(name) && data.exists(QString("LastData_Backup/") + name), name);
        QCOMPARE(sdk.getLSFileData(data.filePath("pm_16.dat"), 1, 0).size(), LS_CONFIG_IMAGE_SIZE);
        QCOMPARE(sdk.getLSFileData(data.filePath("pm.dat"), 2, 8).size(), LS_CONFIG_IMAGE_SIZE);
        QCOMPARE(sdk.getLSFileData(data.filePath("gama.dat"), 1, 0).size(), 3 * 512);
        const QList<QString> gamma = sdk.getLsGamma("LS9935");
        QCOMPARE(gamma.size(), 256);
        QCOMPARE(gamma.last(), QString("3fff"));
        QVERIFY(sdk.getLsGamma("LS6618").isEmpty());
        QVERIFY(sdk.getLSFileData(data.filePath("missing.dat"), 0, 0).isEmpty());

        // A data file that cannot be written fails the generation.
        QVERIFY(QFile::remove(data.filePath("dm0.txt")) && data.mkdir("dm0.txt"));
        sdk.genDataFile(0);
        QCOMPARE(sdk.paramMap().value("result").toBool(), false);
    }
};

QTEST_MAIN(TestLssdk)
#include "test_lssdk.moc"
