// Database operations of the data center, display-file data and the register
// calculator.

#include "bll_database_desktop.h"
#include "bll_datacenter_desktop.h"
#include "testmodule.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestDataCenterStore : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        BLL_DataBase_Desktop::setDatabasePath(m_dir->filePath("ledwall.db"));
    }

    void databaseSaveAndLoadScenes()
    {
        BLL_DataCenter_Desktop center;
        Bll_DataCenter_DeviceBase *device = center.createDevice("g", 1);
        center.setCurrentGuid("g");
        const QString path = m_dir->filePath("scenes/show.db");
        QVERIFY(center.operateDatabase(0, "file://" + path));
        QVERIFY(QFile::exists(path));

        TestModule live("Module_Output", 1, 2);
        center.saveData("g", &live, QString());
        TestModule layer("Module_Layer", 5, 0);
        center.saveData("g", &layer, "2");
        QVERIFY(!center.getSaveFlag());
        QVERIFY(center.operateDatabase(2, QString()));
        QVERIFY(center.getSaveFlag());

        TestModule changed("Module_Output", 99, 2);
        center.saveData("g", &changed, QString());
        device->removePreinstall("2");
        QSignalSpy loaded(&center, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd);
        QVERIFY(center.operateDatabase(1, path));
        QCOMPARE(loaded.first().first().toInt(), 0);
        QCOMPARE(device->getSceneList(), QVariantList({QString(), QString("2")}));
        QCOMPARE(device->getDataListFromScene(2, QString()).first().toMap().value("value").toInt(), 1);
        QCOMPARE(device->getDataListFromScene(0, "2").first().toMap().value("value").toInt(), 5);

        // Live scene only: presets made since stay, the live scene comes from the file.
        center.saveData("g", &changed, QString());
        device->addPreinstall(QString());
        QSignalSpy newData(&center, &BLL_DataCenter_Desktop::sig_setNewDatacenterEnd);
        QVERIFY(center.operateDatabase(3, QString()));
        QCOMPARE(device->getSceneList().size(), 3);
        QCOMPARE(device->getDataListFromScene(2, QString()).first().toMap().value("value").toInt(), 1);
    }

    void databaseFailuresAreReported()
    {
        BLL_DataCenter_Desktop center;
        QSignalSpy loaded(&center, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd);
        QVERIFY(!center.operateDatabase(1, QString())); // no current device
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(loaded.first().first().toInt(), 255);
        QVERIFY(!center.operateDatabase(9, QString()));

        // A path that cannot be a database file.
        QFile blocker(m_dir->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("not a folder");
        blocker.close();
        QVERIFY(!center.operateDatabase(0, m_dir->filePath("blocker/x.db")));
    }

    void displayFileData()
    {
        BLL_DataCenter_DisplayBoxFile file;
        QVERIFY(file.operateDisplayData(true, {{"displayIndex", 2}, {"name", "right"}}));
        QCOMPARE(file.getOneDisplayData(2).value("name").toString(), QString("right"));
        QVERIFY(file.operateDisplayData(false, {{"displayIndex", 2}}));
        QVERIFY(file.getOneDisplayData(2).isEmpty());
        QVERIFY(!file.operateDisplayData(true, {{"name", "no index"}}));

        file.setConnectBoxConfig("boxA", {{"boxId", 7}});
        file.setConnectBoxConfig("boxB", {});
        const QVariantList boxes = file.getAllBoxNameId();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(1).toMap().value("boxName").toString(), QString("boxB"));
    }

    void receivedMapsAreFilteredAndCapped()
    {
        BLL_DataCenter_DisplayBoxFile file;
        file.slot_dealData({{"moduleName", "Module_ReceivingFlashInfo"}, {"n", 0}});
        file.slot_dealData({{"moduleName", "Module_LayerInfo"}});
        file.slot_dealData({});
        QCOMPARE(file.getRecvMapList().size(), 1);

        for (int i = 1; i <= BLL_DataCenter_DisplayBoxFile::recvMapLimit; ++i)
            file.slot_dealData({{"moduleName", "Module_ReceivingSDRAMInfo"}, {"n", i}});
        const QVariantList maps = file.getRecvMapList();
        QCOMPARE(maps.size(), BLL_DataCenter_DisplayBoxFile::recvMapLimit);
        QCOMPARE(maps.first().toMap().value("n").toInt(), 1); // the oldest went first
    }

    void registerCalculator()
    {
        BLL_DataCenter_CaluInterface calc;
        QCOMPARE(calc.CaluCHECK_SUM("01 02 ff", 0), qint64(0x102));
        QCOMPARE(calc.CaluCHECK_SUM("0x10,0x20", 99), qint64(0x30));
        QCOMPARE(calc.CaluCHECK_SUM(QString(600, QLatin1Char('f')), 0), qint64((300 * 255) & 0xFFFF));
        QCOMPARE(calc.CaluCHECK_SUM("0g", 0), qint64(-1));
        QCOMPARE(calc.CaluREGValue("7:4", 0x1234, 0xA, 16), qint64(0x12A4));
        QCOMPARE(calc.CaluREGValue("[3]", 0x0, 1, 0), qint64(0x8));
        QCOMPARE(calc.CaluREGValue("3:0", 0xFF, 0x1F, 8), qint64(0xFF)); // value cut to 4 bits
        QCOMPARE(calc.CaluREGValue("15:8", 0xFF, 1, 8), qint64(-1));     // outside the register
        QCOMPARE(calc.getParamValue("7:4", 0x12A4, 16), qint64(0xA));
        QCOMPARE(calc.getParamValue("62:0", Q_INT64_C(0x7FFFFFFFFFFFFFFF), 63),
                 Q_INT64_C(0x7FFFFFFFFFFFFFFF));
        QCOMPARE(calc.getParamValue("32", 0x80000000, 0), qint64(-1));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestDataCenterStore)

#include "test_datacenter_store.moc"
