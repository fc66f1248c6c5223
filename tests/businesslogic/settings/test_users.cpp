// Users, timetables, scenes and the desktop geometry through the facade, over a
// database in a temporary folder.

#include "bll_businesslogic_desktop.h"
#include "bll_database_desktop.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// True when the password, or any "pass..." key, appears anywhere in the value.
bool exposes(const QVariant &value, const QString &password)
{
    const QByteArray text =
        QJsonDocument::fromVariant(QVariantList{value}).toJson(QJsonDocument::Compact);
    return text.contains(password.toUtf8()) || text.toLower().contains("\"pass");
}

QVariantMap timetableEntry(const QString &id, int num, const QString &scene)
{
    return {{"timetableID", id},  {"num", num},     {"period", "daily"},     {"repetition", "1"},
            {"runTime", "08:00"}, {"scene", scene}, {"strDeviceID", "dev-1"}};
}

QJsonObject desktop(BLL_BusinessLogic_Desktop *facade, double x, double y)
{
    return QJsonDocument::fromJson(facade->getCurrentDesktopInfo(x, y).toUtf8()).object();
}

} // namespace

class TestFacadeOpsUsers : public QObject
{
    Q_OBJECT

private:
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
        QVERIFY(m_dir.isValid());
        BLL_DataBase_Desktop::setDatabasePath(m_dir.filePath(QStringLiteral("ledwall.db")));
        QVERIFY(BLL_DataBase_Desktop::getInstance()->open());
    }

    void cleanupTestCase()
    {
        m_facade->setScreenProvider({});
        m_facade->clearData();
    }

    void loginAndRememberedAccount()
    {
        const QString secret = QStringLiteral("s3cret-Pa55");
        const QVariantMap added = m_facade->userOperation(
            {{"type", "add"}, {"userName", "admin"}, {"passWord", secret}, {"userType", 0}});
        QCOMPARE(added.value("userList").toList().size(), 1);
        QVERIFY(!exposes(added, secret));

        QVariantMap login = m_facade->userOperation({{"type", "login"},
                                                     {"userName", "admin"},
                                                     {"passWord", "wrong"},
                                                     {"saveAccount", true}});
        QVERIFY(!login.value("result").toBool());
        // A failed login remembers nothing.
        QCOMPARE(m_facade->userOperation({{"type", "account"}, {"flag", true}})
                     .value("userName")
                     .toString(),
                 QString());

        login = m_facade->userOperation({{"type", "login"},
                                         {"userName", "admin"},
                                         {"passWord", secret},
                                         {"saveAccount", true}});
        QVERIFY(login.value("result").toBool());
        QVERIFY(!exposes(login, secret));

        const QVariantMap account = m_facade->userOperation({{"type", "account"}, {"flag", true}});
        QCOMPARE(account.value("userName").toString(), QStringLiteral("admin"));
        QVERIFY(!exposes(account, secret));
        QVERIFY(
            !exposes(BLL_DataBase_Desktop::getInstance()->setting(QStringLiteral("rememberedUser")),
                     secret));

        // Forgetting it.
        m_facade->userOperation({{"type", "account"}, {"flag", false}});
        QCOMPARE(m_facade->userOperation({{"type", "account"}, {"flag", true}})
                     .value("userName")
                     .toString(),
                 QString());
    }

    void userListsAndUnknownRequests()
    {
        m_facade->userOperation(
            {{"type", "add"}, {"userName", "op"}, {"passWord", "pw-op"}, {"userType", 2}});
        QVERIFY(m_facade
                    ->userOperation({{"type", "modify"},
                                     {"userName", "op"},
                                     {"userType", 1},
                                     {"permission", "screen,files"}})
                    .isEmpty());
        const QVariantList ops =
            m_facade->userOperation({{"type", "get"}, {"userType", 0}, {"userName", "op"}})
                .value("userList")
                .toList();
        QCOMPARE(ops.size(), 1);
        QCOMPARE(ops.first().toMap().value("permission").toString(),
                 QStringLiteral("screen,files"));
        QVERIFY(!exposes(ops, QStringLiteral("pw-op")));
        QVERIFY(m_facade->userOperation({{"type", "drop"}, {"userName", "admin"}}).isEmpty());
    }

    void replaceReadAndDeleteTimetables()
    {
        const QString t = QStringLiteral("T");
        m_facade->timeTableOperation(0, {{"0", timetableEntry(t, 0, "old-a")},
                                         {"1", timetableEntry(t, 1, "old-b")},
                                         {"2", timetableEntry(t, 2, "old-c")}});
        m_facade->timeTableOperation(0, {{"0", timetableEntry("U", 0, "u")}});

        // Replacing T with two records deletes the three stored ones first.
        const QVariantList ids = m_facade->timeTableOperation(
            0, {{"0", timetableEntry(t, 0, "new-a")}, {"1", timetableEntry(t, 1, "new-b")}});
        QCOMPARE(ids, QVariantList({"T", "U"}));
        const QVariantList records = m_facade->timeTableOperation(1, {{"timetableID", t}});
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.first().toMap(), timetableEntry(t, 0, "new-a"));

        QCOMPARE(m_facade->timeTableOperation(2, {}), QVariantList({"T", "U"}));
        QCOMPARE(m_facade->timeTableOperation(3, {{"timetableID", "U"}}), QVariantList({"T"}));
        QVERIFY(m_facade->timeTableOperation(9, {{"timetableID", "T"}}).isEmpty());
        // A read names its timetable; without one it reads none, not all.
        QVERIFY(m_facade->timeTableOperation(1, {}).isEmpty());
        m_facade->timeTableOperation(3, {{"timetableID", t}});
    }

    void timetableIdsAreStoredAsText()
    {
        const QStringList ids = {QStringLiteral("it's \"quoted\""),
                                 QStringLiteral("x'); DROP TABLE timetable; --"),
                                 QStringLiteral("' OR '1'='1")};
        for (const QString &id : ids)
            m_facade->timeTableOperation(0, {{"0", timetableEntry(id, 0, id)}});
        const QVariantList stored = m_facade->timeTableOperation(2, {});
        QCOMPARE(stored.size(), ids.size());
        for (const QString &id : ids) {
            QVERIFY(stored.contains(id));
            const QVariantList records = m_facade->timeTableOperation(1, {{"timetableID", id}});
            QCOMPARE(records.size(), 1);
            QCOMPARE(records.first().toMap().value("scene").toString(), id);
        }
        // Deleting one named like a condition deletes only that one.
        QCOMPARE(m_facade->timeTableOperation(3, {{"timetableID", ids.at(2)}}).size(), 2);
    }

    void desktopGeometryUnderAPoint()
    {
        // Without a QGuiApplication there are no screens to ask, and nothing crashes.
        QCOMPARE(m_facade->getCurrentDesktopInfo(10, 10), QStringLiteral("{\"ret\":false}"));

        ledwall::ScreenAreaList screens = {
            {QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)},       // task bar at the bottom
            {QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024)}, // no task bar
        };
        m_facade->setScreenProvider([&] { return screens; });

        QJsonObject info = desktop(m_facade, 100, 100);
        QCOMPARE(info.value("ret").toBool(), true);
        QCOMPARE(info.value("h").toInt(), 1040);

        // The right edge belongs to the next screen; it has no task bar: one line less.
        info = desktop(m_facade, 1920, 0);
        QCOMPARE(info.value("x").toInt(), 1920);
        QCOMPARE(info.value("h").toInt(), 1023);
        QCOMPARE(desktop(m_facade, 1919.5, 1079.5).value("x").toInt(), 0);

        for (const auto &p : {QPointF(3200, 10), QPointF(-1, 10), QPointF(2000, 1024)})
            QCOMPARE(m_facade->getCurrentDesktopInfo(p.x(), p.y()),
                     QStringLiteral("{\"ret\":false}"));
    }
};

QTEST_GUILESS_MAIN(TestFacadeOpsUsers)
#include "test_users.moc"
