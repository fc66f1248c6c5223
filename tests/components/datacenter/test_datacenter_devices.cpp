// Device records, stored data objects, scenes and presets of the data center, its
// database operations, display-file data and the register calculator.

#include "bll_database_desktop.h"
#include "bll_datacenter_desktop.h"
#include "module_base.h"

#include "threadspy.h"
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

// A small data object for the data-center tests.

#include "module_base.h"

class TestModule : public Module_Base
{
public:
    explicit TestModule(const QString &name = QStringLiteral("Module_Test"), int value = 0,
                        int sceneDataType = -1)
        : value(value), sceneDataType(sceneDataType)
    {
        m_moduleName = name;
        registerMembers();
    }
    TestModule(const TestModule &other)
        : Module_Base(other), value(other.value), portNum(other.portNum),
          sceneDataType(other.sceneDataType), itemList(other.itemList)
    {
        registerMembers();
    }
    Module_Base *clone() const override { return new TestModule(*this); }
    QVariantMap toMap() const override
    {
        QVariantMap map = Module_Base::toMap();
        if (sceneDataType >= 0)
            map.insert(QStringLiteral("sceneDataType"), sceneDataType);
        if (!itemList.isEmpty())
            map.insert(QStringLiteral("itemList"), itemList);
        return map;
    }

    int value = 0;
    int portNum = 0;
    int sceneDataType = -1;
    QVariantList itemList;

private:
    void registerMembers()
    {
        registerMember(QStringLiteral("value"), &value, QStringLiteral("int"));
        registerMember(QStringLiteral("portNum"), &portNum, QStringLiteral("int"));
    }
};

class TestDataCenterDevices : public QObject
{
    Q_OBJECT
private slots:

    void secondCreateStartsTheSameRecordOver()
    {
        BLL_DataCenter_Desktop center;
        Bll_DataCenter_DeviceBase *first = center.createDevice("g", 0);
        first->setDeviceName("SEARCHDEVICE");
        TestModule data;
        QCOMPARE(center.saveData("g", &data, "g"), OperateSuccess);

        Bll_DataCenter_DeviceBase *second = center.createDevice("g", 2);
        QCOMPARE(second, first); // a pointer held elsewhere stays valid
        QCOMPARE(second->deviceName(), QString());
        QCOMPARE(second->storedDataCount(), 0);
    }

    void clearDataRemovesRecordsButKeepsPointersValid()
    {
        BLL_DataCenter_Desktop center;
        Bll_DataCenter_DeviceBase *held = center.createDevice("g", 1);
        center.setCurrentGuid("g");
        center.setCardSlotPortNum(0, 16, 1);
        TestModule data;
        center.saveData("g", &data, QString());
        QVERIFY(!center.getSaveFlag());

        center.clearData();
        QVERIFY(center.getDevicesList().isEmpty());
        QVERIFY(center.getCardPortMap().isEmpty());
        QVERIFY(center.getSaveFlag());
        // Another thread may still hold the old pointer: it must stay usable.
        QCOMPARE(held->storedDataCount(), 0);
        held->setDeviceName("late");
    }

    void saveDataKeepsACopy()
    {
        BLL_DataCenter_Desktop center;
        center.createDevice("g", 2);
        auto *original = new TestModule("Module_Test", 7);
        QCOMPARE(center.saveData("g", original, "g"), OperateSuccess);
        original->value = 8; // changes after the save do not reach the copy
        delete original;
        const auto copy = center.getSavedData("g", "Module_Test", "g");
        QVERIFY(copy);
        QCOMPARE(copy->toMap().value("value").toInt(), 7);

        // A later save replaces the copy, not the one handed out earlier. The guid and
        // "" both name the live scene.
        TestModule newer("Module_Test", 9);
        center.saveData("g", &newer, QString());
        QCOMPARE(center.getSavedDataMap("g", "Module_Test", "g").value("value").toInt(), 9);
        QCOMPARE(copy->toMap().value("value").toInt(), 7);
    }

    void saveStateReportsEverySave()
    {
        BLL_DataCenter_Desktop center;
        ThreadSpy spy(&center, &BLL_DataCenter_Desktop::sig_saveState);
        center.createDevice("g", 2);
        TestModule a("Module_A"), b("Module_B");

        QCOMPARE(center.saveData("g", &a, "g"), OperateSuccess);
        QCOMPARE(center.saveData("g", &b, "g"), OperateSuccess);
        QCOMPARE(center.saveData("g", &a, "g"), OperateSuccess); // replaces, count stays
        QCOMPARE(center.saveData("g", nullptr, "g"), OperateNullData);
        QCOMPARE(center.saveData("unknown", &a, QString()), OperateNoDevice);

        const QList<QVariantList> expected = {
            {true, 1, 1}, {true, 2, 1}, {true, 2, 1}, {false, 2, 0}, {false, 0, 0}};
        QCOMPARE(QList<QVariantList>(spy), expected);
    }

    void scenesCollectItemsByTypeAndIdentity()
    {
        BLL_DataCenter_Desktop center;
        Bll_DataCenter_DeviceBase *device = center.createDevice("g", 1);

        TestModule port0("Module_Output", 10, 2);
        TestModule port1("Module_Output", 11, 2);
        port1.portNum = 1;
        center.saveData("g", &port0, QString());
        center.saveData("g", &port1, QString());
        port0.value = 20;
        center.saveData("g", &port0, QString()); // same identity: replaced in place

        QVariantList outputs = device->getDataListFromScene(2, QString());
        QCOMPARE(outputs.size(), 2);
        QCOMPARE(outputs.at(0).toMap().value("value").toInt(), 20);
        QCOMPARE(outputs.at(1).toMap().value("portNum").toInt(), 1);

        // A whole table replaces the list of its type.
        TestModule table("Module_Table", 0, 2);
        table.itemList = {QVariantMap{{"portSwitch", 1}}, QVariantMap{{"portSwitch", 0}},
                          QVariantMap{{"portSwitch", 1}}};
        center.saveData("g", &table, "5");
        outputs = device->getDataListFromScene(2, "5");
        QCOMPARE(outputs.size(), 3);
        QCOMPARE(device->getDataListFromScene(2, QString()).size(), 2); // live scene untouched

        // A module with a registered type needs no type in its map.
        Bll_DataCenter_DeviceBase::registerSceneDataType("Module_TestLayer", 0);
        TestModule layer("Module_TestLayer", 4);
        center.saveData("g", &layer, QString());
        QCOMPARE(device->getDataListFromScene(0, QString()).size(), 1);
    }

    void presetsAreLimitedAndCopied()
    {
        BLL_DataCenter_Desktop center;
        Bll_DataCenter_DeviceBase *device = center.createDevice("g", 1);
        TestModule output("Module_Output", 10, 2);
        center.saveData("g", &output, QString());

        const QString first = device->addPreinstall(QString());
        QCOMPARE(first, QString("1"));
        QCOMPARE(center.getSavedDataMap("g", "Module_Output", first).value("value").toInt(), 10);

        for (int i = 2; i <= Bll_DataCenter_DeviceBase::presetLimit; ++i)
            QCOMPARE(device->addPreinstall(QString()), QString::number(i));
        QCOMPARE(device->addPreinstall(QString()), QString()); // full
        device->setCurrentSceneId("4");
        device->removePreinstall("4");
        QCOMPARE(device->getCurrentSceneId(), QString()); // the removed scene is not current
        QVERIFY(device->getDataListFromScene(2, "4").isEmpty());
        QCOMPARE(device->addPreinstall("1"), QString("4")); // the freed number is reused
        device->removePreinstall(QString());                // the live scene stays
        QCOMPARE(device->getDataListFromScene(2, QString()).size(), 1);
    }

    void cardPortMap()
    {
        BLL_DataCenter_Desktop center;
        center.setCardSlotPortNum(0, 16, 1);
        center.setCardSlotPortNum(2, 8, 3);
        center.setCardSlotPortNum(2, 4, 3); // the slot's card changed
        center.setCardSlotPortNum(-1, 4, 0);
        const QVariantMap map = center.getCardPortMap();
        QCOMPARE(map.size(), 2);
        QCOMPARE(map.value("2").toMap().value("portNum").toInt(), 4);
        QCOMPARE(map.value("0").toMap().value("cardType").toInt(), 1);
    }

    void concurrentCreateGetAndSave()
    {
        BLL_DataCenter_Desktop center;
        center.createDevice("shared", 1);
        std::atomic<int> signalled{0};
        // QSignalSpy is not thread-safe: count in a direct connection instead.
        connect(
            &center, &BLL_DataCenter_Desktop::sig_saveState, &center,
            [&signalled](bool isSave, int, int) {
                if (isSave)
                    ++signalled;
            },
            Qt::DirectConnection);

        std::atomic<int> stored{0};
        auto worker = [&center, &stored](const QString &prefix) {
            for (int i = 0; i < 300; ++i) {
                const QString guid = prefix + QString::number(i % 10);
                if (!center.getDevice(guid))
                    center.createDevice(guid, 2);
                center.setCurrentGuid(guid);
                center.setDeviceNetId(guid, guid);
                TestModule data(QStringLiteral("Module_M%1").arg(i % 7), i, 2);
                data.portNum = i % 5;
                const QString target = i % 3 ? guid : QStringLiteral("shared");
                if (center.saveData(target, &data, i % 2 ? QString() : QStringLiteral("7")) ==
                    OperateSuccess)
                    ++stored;
                center.getDevicesList();
                center.getSavedDataMap(target, data.moduleName(), QString());
                if (Bll_DataCenter_DeviceBase *shared = center.getDevice("shared"))
                    shared->getDataListFromScene(2, QStringLiteral("7"));
            }
        };
        std::thread first(worker, QStringLiteral("a"));
        std::thread second(worker, QStringLiteral("b"));
        first.join();
        second.join();

        QCOMPARE(stored.load(), 600);
        QCOMPARE(signalled.load(), 600);
        QCOMPARE(center.getDevicesList().size(), 21);
        for (const QVariant &entry : center.getDevicesList()) {
            const QVariantMap device = entry.toMap();
            if (device.value("guid") != "shared")
                QCOMPARE(device.value("netId"), device.value("guid"));
        }
    }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
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
        ThreadSpy loaded(&center, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd);
        QVERIFY(center.operateDatabase(1, path));
        QCOMPARE(loaded.first().first().toInt(), 0);
        QCOMPARE(device->getSceneList(), QVariantList({QString(), QString("2")}));
        QCOMPARE(device->getDataListFromScene(2, QString()).first().toMap().value("value").toInt(),
                 1);
        QCOMPARE(device->getDataListFromScene(0, "2").first().toMap().value("value").toInt(), 5);

        // Live scene only: presets made since stay, the live scene comes from the file.
        center.saveData("g", &changed, QString());
        device->addPreinstall(QString());
        ThreadSpy newData(&center, &BLL_DataCenter_Desktop::sig_setNewDatacenterEnd);
        QVERIFY(center.operateDatabase(3, QString()));
        QCOMPARE(device->getSceneList().size(), 3);
        QCOMPARE(device->getDataListFromScene(2, QString()).first().toMap().value("value").toInt(),
                 1);
    }

    void databaseFailuresAreReported()
    {
        BLL_DataCenter_Desktop center;
        ThreadSpy loaded(&center, &BLL_DataCenter_Desktop::sig_loadDatabaseEnd);
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
        QCOMPARE(calc.CaluCHECK_SUM(QString(600, QLatin1Char('f')), 0),
                 qint64((300 * 255) & 0xFFFF));
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

QTEST_GUILESS_MAIN(TestDataCenterDevices)

#include "test_datacenter_devices.moc"
