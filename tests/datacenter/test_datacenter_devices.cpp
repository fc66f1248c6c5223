// Device records, stored data objects, scenes and presets of the data center.

#include "bll_datacenter_desktop.h"
#include "testmodule.h"

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <thread>

class TestDataCenterDevices : public QObject
{
    Q_OBJECT
private slots:
    void recordsKeepKindAndFields();
    void emptyGuidMeansCurrentDevice();
    void secondCreateStartsTheSameRecordOver();
    void clearDataRemovesRecordsButKeepsPointersValid();
    void saveDataKeepsACopy();
    void saveDataKeysNameScenes();
    void saveStateReportsEverySave();
    void scenesCollectItemsByTypeAndIdentity();
    void presetsAreLimitedAndCopied();
    void cardPortMap();
    void concurrentCreateGetAndSave();
};

void TestDataCenterDevices::recordsKeepKindAndFields()
{
    BLL_DataCenter_Desktop center;
    Bll_DataCenter_DeviceBase *search = center.createDevice("g0", 0);
    Bll_DataCenter_DeviceBase *processor = center.createDevice("g1", 1);
    Bll_DataCenter_DeviceBase *card = center.createDevice("g2", 2);
    QCOMPARE(search->kind(), 0);
    QCOMPARE(processor->kind(), 1);
    QCOMPARE(card->kind(), 2);
    QCOMPARE(center.getDevice("g1"), processor);
    QCOMPARE(center.getDevice("missing"), nullptr);

    // Fresh records carry no VPU bytes; connections set them.
    QCOMPARE(processor->getFirstVpuByte(), quint8(0));
    processor->setFirstVpuByte(120);
    processor->setSecondVpuByte(56);
    QCOMPARE(processor->getFirstVpuByte(), quint8(120));
    QCOMPARE(processor->getSecondVpuByte(), quint8(56));

    card->setDeviceName("R2TM");
    card->setIp("127.0.0.1");
    card->setPort(5200);
    center.setDeviceNetId("g2", "g2");

    const QVariantList list = center.getDevicesList();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0).toMap().value("guid").toString(), QString("g0")); // creation order
    const QVariantMap entry = list.at(2).toMap();
    QCOMPARE(entry.value("guid").toString(), QString("g2"));
    QCOMPARE(entry.value("kind").toInt(), 2);
    QCOMPARE(entry.value("name").toString(), QString("R2TM"));
    QCOMPARE(entry.value("ip").toString(), QString("127.0.0.1"));
    QCOMPARE(entry.value("port").toInt(), 5200);
    QCOMPARE(entry.value("netId").toString(), QString("g2"));
}

void TestDataCenterDevices::emptyGuidMeansCurrentDevice()
{
    BLL_DataCenter_Desktop center;
    QCOMPARE(center.getDevice(QString()), nullptr); // no current device yet
    center.setDeviceNetId(QString(), "ignored");     // no crash, nothing to set
    QCOMPARE(center.getDeviceNetId(QString()), QString());

    Bll_DataCenter_DeviceBase *a = center.createDevice("a", 2);
    center.createDevice("b", 1);
    center.setCurrentGuid("a");
    QCOMPARE(center.getCurrentGuid(), QString("a"));
    QCOMPARE(center.getDevice(QString()), a);

    center.setDeviceNetId(QString(), "net-a");
    center.setDeviceNetId("b", "net-b");
    QCOMPARE(center.getDeviceNetId("a"), QString("net-a"));
    QCOMPARE(center.getDeviceNetId(QString()), QString("net-a"));
    QCOMPARE(center.getDeviceNetId("b"), QString("net-b"));
    QCOMPARE(center.getDeviceNetId("missing"), QString());

    center.setCurrentGuid("b");
    QCOMPARE(center.getDeviceNetId(QString()), QString("net-b"));
}

void TestDataCenterDevices::secondCreateStartsTheSameRecordOver()
{
    BLL_DataCenter_Desktop center;
    Bll_DataCenter_DeviceBase *first = center.createDevice("g", 0);
    first->setDeviceName("SEARCHDEVICE");
    first->setFirstVpuByte(120);
    TestModule data;
    QCOMPARE(center.saveData("g", &data, "g"), OperateSuccess);

    Bll_DataCenter_DeviceBase *second = center.createDevice("g", 2);
    QCOMPARE(second, first); // a pointer held elsewhere stays valid
    QCOMPARE(second->kind(), 2);
    QCOMPARE(second->deviceName(), QString());
    QCOMPARE(second->getFirstVpuByte(), quint8(0));
    QCOMPARE(second->storedDataCount(), 0);
    QCOMPARE(center.getDevicesList().size(), 1);
}

void TestDataCenterDevices::clearDataRemovesRecordsButKeepsPointersValid()
{
    BLL_DataCenter_Desktop center;
    Bll_DataCenter_DeviceBase *held = center.createDevice("g", 1);
    center.setCurrentGuid("g");
    center.setCardSlotPortNum(0, 16, 1);
    TestModule data;
    center.saveData("g", &data, QString());
    QVERIFY(!center.getSaveFlag());

    center.clearData();
    QCOMPARE(center.getDevice("g"), nullptr);
    QCOMPARE(center.getDevice(QString()), nullptr);
    QCOMPARE(center.getCurrentGuid(), QString());
    QVERIFY(center.getDevicesList().isEmpty());
    QVERIFY(center.getCardPortMap().isEmpty());
    QVERIFY(center.getSaveFlag());
    // Another thread may still hold the old pointer: it must stay usable.
    QCOMPARE(held->storedDataCount(), 0);
    held->setDeviceName("late");
    QVERIFY(held->getDataListFromScene(0, QString()).isEmpty());
}

void TestDataCenterDevices::saveDataKeepsACopy()
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
    QCOMPARE(center.getSavedDataMap("g", "Module_Test", "g").value("value").toInt(), 7);

    // A later save of the same module replaces the copy.
    TestModule newer("Module_Test", 9);
    center.saveData("g", &newer, "g");
    QCOMPARE(center.getSavedDataMap("g", "Module_Test", "g").value("value").toInt(), 9);
    QCOMPARE(center.getSavedDataList("g", "g").size(), 1);
    // The copy handed out earlier is not changed under its holder.
    QCOMPARE(copy->toMap().value("value").toInt(), 7);
}

void TestDataCenterDevices::saveDataKeysNameScenes()
{
    BLL_DataCenter_Desktop center;
    Bll_DataCenter_DeviceBase *device = center.createDevice("g", 1);
    TestModule live("Module_Test", 1);
    TestModule preset("Module_Test", 3);
    center.saveData("g", &live, QString());
    center.saveData("g", &preset, "3");

    // The guid and "" both name the live scene.
    QCOMPARE(center.getSavedDataMap("g", "Module_Test", "g").value("value").toInt(), 1);
    QCOMPARE(center.getSavedDataMap("g", "Module_Test", QString()).value("value").toInt(), 1);
    QCOMPARE(center.getSavedDataMap("g", "Module_Test", "3").value("value").toInt(), 3);
    QVERIFY(center.getSavedDataMap("g", "Module_Test", "4").isEmpty());
    QCOMPARE(device->getSceneList(), QVariantList({QString(), QString("3")}));

    // An empty guid stores on the current device.
    center.createDevice("h", 2);
    center.setCurrentGuid("h");
    TestModule current("Module_Other", 5);
    QCOMPARE(center.saveData(QString(), &current, QString()), OperateSuccess);
    QCOMPARE(center.getSavedDataMap("h", "Module_Other", QString()).value("value").toInt(), 5);
}

void TestDataCenterDevices::saveStateReportsEverySave()
{
    BLL_DataCenter_Desktop center;
    QSignalSpy spy(&center, &BLL_DataCenter_Desktop::sig_saveState);
    center.createDevice("g", 2);
    TestModule a("Module_A"), b("Module_B");

    QCOMPARE(center.saveData("g", &a, "g"), OperateSuccess);
    QCOMPARE(center.saveData("g", &b, "g"), OperateSuccess);
    QCOMPARE(center.saveData("g", &a, "g"), OperateSuccess); // replaces, count stays
    QCOMPARE(center.saveData("g", nullptr, "g"), OperateNullData);
    QCOMPARE(center.saveData("unknown", &a, QString()), OperateNoDevice);

    QCOMPARE(spy.count(), 5);
    const QList<QVariantList> expected = {
        {true, 1, 1}, {true, 2, 1}, {true, 2, 1}, {false, 2, 0}, {false, 0, 0}};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(spy.at(i), expected.at(i));
}

void TestDataCenterDevices::scenesCollectItemsByTypeAndIdentity()
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
    QCOMPARE(device->getDataFromScene(2, QString(), "Module_Output").value("value").toInt(), 20);
    QVERIFY(device->getDataFromScene(2, QString(), "Module_None").isEmpty());
    QVERIFY(device->getDataListFromScene(0, QString()).isEmpty());

    // A whole table replaces the list of its type.
    TestModule table("Module_Table", 0, 2);
    table.itemList = {QVariantMap{{"portSwitch", 1}}, QVariantMap{{"portSwitch", 0}},
                      QVariantMap{{"portSwitch", 1}}};
    center.saveData("g", &table, "5");
    outputs = device->getDataListFromScene(2, "5");
    QCOMPARE(outputs.size(), 3);
    QCOMPARE(outputs.at(1).toMap().value("portSwitch").toInt(), 0);
    QCOMPARE(device->getDataListFromScene(2, QString()).size(), 2); // live scene untouched

    // A module with a registered type needs no type in its map.
    Bll_DataCenter_DeviceBase::registerSceneDataType("Module_TestLayer", 0);
    TestModule layer("Module_TestLayer", 4);
    center.saveData("g", &layer, QString());
    QCOMPARE(device->getDataListFromScene(0, QString()).size(), 1);

    // Without a type the object is only kept as a data object.
    TestModule plain("Module_Plain", 1);
    center.saveData("g", &plain, QString());
    for (int type = 0; type < 4; ++type) {
        const QVariantList items = device->getDataListFromScene(type, QString());
        for (const QVariant &item : items)
            QVERIFY(item.toMap().value("moduleName").toString() != "Module_Plain");
    }
    QVERIFY(center.getSavedData("g", "Module_Plain", QString()));
}

void TestDataCenterDevices::presetsAreLimitedAndCopied()
{
    BLL_DataCenter_Desktop center;
    Bll_DataCenter_DeviceBase *device = center.createDevice("g", 1);
    TestModule output("Module_Output", 10, 2);
    center.saveData("g", &output, QString());

    const QString first = device->addPreinstall(QString());
    QCOMPARE(first, QString("1"));
    QCOMPARE(device->getDataListFromScene(2, first).size(), 1); // copy of the live scene
    QCOMPARE(center.getSavedDataMap("g", "Module_Output", first).value("value").toInt(), 10);

    for (int i = 2; i <= Bll_DataCenter_DeviceBase::presetLimit; ++i)
        QCOMPARE(device->addPreinstall(QString()), QString::number(i));
    QCOMPARE(device->addPreinstall(QString()), QString()); // full
    QCOMPARE(device->getSceneList().size(), 17);
    QCOMPARE(device->getSceneList().first().toString(), QString());

    device->setCurrentSceneId("4");
    device->removePreinstall("4");
    QCOMPARE(device->getCurrentSceneId(), QString()); // the removed scene is not current
    QVERIFY(device->getDataListFromScene(2, "4").isEmpty());
    QCOMPARE(device->addPreinstall("1"), QString("4")); // the freed number is reused
    device->removePreinstall(QString());                // the live scene stays
    QCOMPARE(device->getDataListFromScene(2, QString()).size(), 1);
}

void TestDataCenterDevices::cardPortMap()
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

void TestDataCenterDevices::concurrentCreateGetAndSave()
{
    BLL_DataCenter_Desktop center;
    center.createDevice("shared", 1);
    std::atomic<int> signalled{0};
    // QSignalSpy is not thread-safe: count in a direct connection instead.
    connect(&center, &BLL_DataCenter_Desktop::sig_saveState, &center,
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
            if (center.saveData(target, &data, i % 2 ? QString() : QStringLiteral("7"))
                == OperateSuccess)
                ++stored;
            center.getDevice(QString());
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
    const QVariantList devices = center.getDevicesList();
    for (const QVariant &entry : devices) {
        const QVariantMap device = entry.toMap();
        if (device.value("guid") != "shared")
            QCOMPARE(device.value("netId"), device.value("guid"));
    }
    Bll_DataCenter_DeviceBase *shared = center.getDevice("shared");
    QVERIFY(shared->storedDataCount() > 0);
    // Both threads' items reached the shared scene: portNum 0..4 of each module at most.
    QVERIFY(!shared->getDataListFromScene(2, QStringLiteral("7")).isEmpty());
}

QTEST_GUILESS_MAIN(TestDataCenterDevices)
#include "test_datacenter_devices.moc"
