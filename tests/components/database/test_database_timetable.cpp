// The timetable store, the timetable record and the database connections.

#include "bll_database_desktop.h"
#include "bll_shared_timetable_desktop.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

namespace
{

Module_Shared_TimetableInfo record(const QString &id, int num, const QString &scene = "s")
{
    Module_Shared_TimetableInfo info;
    info.timetableID = id;
    info.period = "daily";
    info.repetition = "1";
    info.runTime = "08:00";
    info.scene = scene;
    info.strDeviceID = "dev";
    info.num = num;
    return info;
}

QStringList ids(const QVariantList &values)
{
    QStringList list;
    for (const QVariant &value : values)
        list.append(value.toString());
    return list;
}

} // namespace

class TestDatabaseTimetable : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        BLL_DataBase_Desktop::m_strDatabase = m_dir->filePath("ConfigData/ledwall.db");
    }

    void recordReflectionFollowsCopies()
    {
        Module_Shared_TimetableInfo info = record("T", 3);
        // Copies and clones register their own members, not the source's.
        Module_Shared_TimetableInfo copy(info);
        QCOMPARE(copy.m_memberAddress.value("num"), static_cast<void *>(&copy.num));
        Module_Shared_TimetableInfo assigned;
        assigned = info;
        QCOMPARE(assigned.m_memberAddress.value("scene"), static_cast<void *>(&assigned.scene));
        std::unique_ptr<Module_Base> clone(info.clone());
        QCOMPARE(clone->toMap().value("num").toInt(), 3);
    }

    void badFieldsAndEmptyIdsRefused()
    {
        Bll_Shared_Timetable_Desktop store;
        QVERIFY(store.addSharedTimetableInfo(record("T", 0)));
        QVERIFY(store.getDifferentValueForField("nosuch").isEmpty());
        QVERIFY(store.getDifferentValueForField("timetableID FROM timetable; DELETE FROM timetable")
                    .isEmpty());
        QVERIFY(store.getDifferentValueForField("id").isEmpty()); // not a record field
        QVERIFY(!store.addSharedTimetableInfo(record(QString(), 0)));
        QVERIFY(!store.delSharedTimetableInfo(QString())); // would wipe every timetable
        QCOMPARE(store.getSharedTimetableInfoList(QString()).size(), 1);
    }

    void pathChangeAndThreads()
    {
        Bll_Shared_Timetable_Desktop store;
        QVERIFY(store.addSharedTimetableInfo(record("first", 0)));

        // A new path takes effect on the next statement.
        BLL_DataBase_Desktop::setDatabasePath(m_dir->filePath("other.db"));
        QVERIFY(store.getSharedTimetableInfoList(QString()).isEmpty());
        QVERIFY(store.addSharedTimetableInfo(record("second", 0)));

        // Other threads use connections of their own on the same file.
        auto writer = [](const QString &prefix) {
            for (int i = 0; i < 20; ++i)
                Bll_Shared_Timetable_Desktop().addSharedTimetableInfo(record(prefix, i));
        };
        std::thread a(writer, QStringLiteral("ta"));
        std::thread b(writer, QStringLiteral("tb"));
        a.join();
        b.join();
        QCOMPARE(store.getSharedTimetableInfoList("ta").size(), 20);
        QCOMPARE(ids(store.getDifferentValueForField("timetableID")),
                 QStringList({"second", "ta", "tb"}));

        BLL_DataBase_Desktop::setDatabasePath(m_dir->filePath("ConfigData/ledwall.db"));
        QCOMPARE(ids(store.getDifferentValueForField("timetableID")), QStringList({"first"}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestDatabaseTimetable)

#include "test_database_timetable.moc"
