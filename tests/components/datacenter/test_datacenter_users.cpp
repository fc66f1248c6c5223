// The user store's credentials, lock-out and permissions.

#include "bll_database_desktop.h"
#include "bll_datacenter_user.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const int kTestIterations = 1000;

struct StoredRow {
    QString salt;
    QString digest;
    int userType = -1;
};

StoredRow storedRow(const QString &userName)
{
    StoredRow row;
    QSqlQuery query(BLL_DataBase_Desktop::getInstance()->database());
    query.prepare("SELECT salt, passwordHash, userType FROM users WHERE userName = ?");
    query.addBindValue(userName);
    if (query.exec() && query.next())
        row = {query.value(0).toString(), query.value(1).toString(), query.value(2).toInt()};
    return row;
}

bool setDigest(const QString &userName, const QString &salt, const QString &digest)
{
    QSqlQuery query(BLL_DataBase_Desktop::getInstance()->database());
    query.prepare("UPDATE users SET salt = ?, passwordHash = ? WHERE userName = ?");
    query.addBindValue(salt);
    query.addBindValue(digest);
    query.addBindValue(userName);
    return query.exec() && query.numRowsAffected() == 1;
}

QString reason(const QVariantMap &result)
{
    return result.value("reason").toString();
}

} // namespace

class TestDataCenterUsers : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=false"));
        m_dir.reset(new QTemporaryDir);
        BLL_DataBase_Desktop::setDatabasePath(m_dir->filePath("ledwall.db"));
        m_users.reset(new BLL_DataCenter_User);
        m_users->setHashIterations(kTestIterations);
        m_users->setClock([this] { return m_now; });
    }

    void digestsAreSaltedPbkdf2()
    {
        QVERIFY(BLL_DataCenter_User().hashIterations() >= 100000);
        // PBKDF2-HMAC-SHA256 of "password" with salt "salt": the published test vectors.
        QCOMPARE(BLL_DataCenter_User::passwordDigest("salt", "password", 1).toHex(),
                 QByteArray("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"));
        // Two users with one password get their own salts, hence different digests.
        m_users->addUser("root", "same password", 0);
        m_users->userLogin("root", "same password", false);
        m_users->addUser("op", "same password", 1);
        const StoredRow root = storedRow("root");
        const StoredRow op = storedRow("op");
        QVERIFY(root.salt != op.salt);
        QVERIFY(root.digest != op.digest);
    }

    void storedRowsHoldNoPassword()
    {
        const QString password = QStringLiteral("Tr0ub4dor&3-unique");
        m_users->addUser("root", password, 0);
        const StoredRow row = storedRow("root");
        QVERIFY2(row.digest.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(kTestIterations)),
                 qPrintable(row.digest));
        const QVariantMap login = m_users->userLogin("root", password, true);
        QVERIFY(login.value("result").toBool());
        QVERIFY(!QJsonDocument::fromVariant(login).toJson().contains(password.toUtf8()));
        QFile file(m_dir->filePath("ledwall.db"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(password.toUtf8()));
    }

    void olderDigestsAreUpgradedAtLogin()
    {
        m_users->addUser("root", "pw", 0);
        const StoredRow before = storedRow("root");

        // A raised iteration count rehashes at the next login, with a fresh salt.
        m_users->setHashIterations(kTestIterations * 2);
        QVERIFY(m_users->userLogin("root", "pw", false).value("result").toBool());
        const StoredRow after = storedRow("root");
        QVERIFY(
            after.digest.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(kTestIterations * 2)));
        QVERIFY(after.salt != before.salt);

        // A row of the older plain salted SHA-256 form still logs in and is upgraded.
        const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        const QByteArray sha =
            QCryptographicHash::hash(salt + QByteArray("old pw"), QCryptographicHash::Sha256);
        QVERIFY(
            setDigest("root", QString::fromLatin1(salt.toHex()), QString::fromLatin1(sha.toHex())));
        QCOMPARE(reason(m_users->userLogin("root", "pw", false)), QString("wrongPassword"));
        QCOMPARE(storedRow("root").digest, QString::fromLatin1(sha.toHex())); // untouched
        QVERIFY(m_users->userLogin("root", "old pw", false).value("result").toBool());
        QVERIFY(storedRow("root").digest.startsWith("pbkdf2-sha256$"));

        // Damaged rows are refused with their own reason, whatever the password.
        for (const QString &damaged :
             {QString("pbkdf2-sha256$0$") + QString(64, 'a'), QString("zz")}) {
            QVERIFY(setDigest("root", before.salt, damaged));
            const QVariantMap login = m_users->userLogin("root", "old pw", false);
            QVERIFY(!login.value("result").toBool());
            QCOMPARE(reason(login), QString("unreadableRecord"));
        }
    }

    void loginResultsAreDistinct()
    {
        m_users->addUser("root", "right", 0);
        QVERIFY(m_users->userLogin("root", "right", false).value("result").toBool());
        QCOMPARE(m_users->currentUser(), QString("root"));

        const QVariantMap wrong = m_users->userLogin("root", "Right", true);
        QCOMPARE(reason(wrong), QString("wrongPassword"));
        QCOMPARE(m_users->currentUser(), QString("root")); // a failed login keeps the acting user

        const QVariantMap unknown = m_users->userLogin("nobody", "right", false);
        QCOMPARE(reason(unknown), QString("unknownUser"));
        QVERIFY(unknown.value("message").toString() != wrong.value("message").toString());
    }

    void lockOutAfterWrongPasswordsAndUnlockLater()
    {
        m_users->addUser("root", "right", 0);
        const int limit = BLL_DataCenter_User::kMaxFailedLogins;

        // A success in between starts the count again.
        for (int i = 0; i < limit - 1; ++i)
            QCOMPARE(reason(m_users->userLogin("root", "wrong", false)), QString("wrongPassword"));
        QVERIFY(m_users->userLogin("root", "right", false).value("result").toBool());

        for (int i = 0; i < limit; ++i) {
            const QVariantMap wrong = m_users->userLogin("root", "wrong", false);
            QCOMPARE(reason(wrong), QString("wrongPassword"));
            QCOMPARE(wrong.value("attemptsLeft").toInt(), limit - 1 - i);
        }
        // Locked: even the right password is refused, and says for how long.
        m_now += 1000;
        QVariantMap locked = m_users->userLogin("root", "right", false);
        QCOMPARE(reason(locked), QString("lockedOut"));
        QCOMPARE(locked.value("retryAfterSeconds").toLongLong(),
                 BLL_DataCenter_User::kLockoutMsecs / 1000 - 1);
        // Guesses while locked neither count nor extend the lock.
        QCOMPARE(reason(m_users->userLogin("root", "wrong", false)), QString("lockedOut"));

        // The lock lives in the database: another store object sees it too.
        BLL_DataCenter_User other;
        other.setHashIterations(kTestIterations);
        other.setClock([this] { return m_now; });
        QCOMPARE(reason(other.userLogin("root", "right", false)), QString("lockedOut"));

        m_now += BLL_DataCenter_User::kLockoutMsecs - 1001;
        QCOMPARE(reason(m_users->userLogin("root", "right", false)), QString("lockedOut"));
        m_now += 1;
        QVERIFY(m_users->userLogin("root", "right", false).value("result").toBool());
        // After the lock a wrong password starts a fresh count.
        QCOMPARE(m_users->userLogin("root", "wrong", false).value("attemptsLeft").toInt(),
                 limit - 1);
    }

    void onlyAdministratorsChangeUsers()
    {
        // Nobody logged in: only the first user gets in, and as an administrator.
        m_users->addUser("first", "pw", BLL_DataCenter_User::Operator);
        QCOMPARE(storedRow("first").userType, 0);
        QCOMPARE(m_users->addUser("second", "pw", 1).size(), 1);
        QCOMPARE(reason(m_users->lastResult()), QString("notLoggedIn"));

        QVERIFY(m_users->userLogin("first", "pw", false).value("result").toBool());
        QCOMPARE(m_users->addUser("op", "op-pw", BLL_DataCenter_User::Operator).size(), 2);
        QCOMPARE(m_users->addUser("viewer", "v-pw", BLL_DataCenter_User::Viewer).size(), 3);
        QCOMPARE(m_users->addUser("op", "again", 1).size(), 3);
        QCOMPARE(reason(m_users->lastResult()), QString("nameInUse"));
        QCOMPARE(m_users->addUser("", "pw", 1).size(), 3);
        QCOMPARE(m_users->addUser("nopass", "", 1).size(), 3);

        // An operator can neither add, remove nor modify users.
        QVERIFY(m_users->userLogin("op", "op-pw", false).value("result").toBool());
        QCOMPARE(m_users->addUser("intruder", "pw", 0).size(), 3);
        QCOMPARE(reason(m_users->lastResult()), QString("notPermitted"));
        QVERIFY(!m_users->modifyUser("op", 0, "all"));
        QCOMPARE(reason(m_users->lastResult()), QString("notPermitted"));
        QCOMPARE(storedRow("op").userType, 1);

        // The administrator can; a level that does not match removes nothing.
        QVERIFY(m_users->userLogin("first", "pw", false).value("result").toBool());
        QCOMPARE(m_users->removeUser("viewer", 1).size(), 3);
        QCOMPARE(reason(m_users->lastResult()), QString("unknownUser"));
        QCOMPARE(m_users->removeUser("viewer", 2).size(), 2);
        QCOMPARE(m_users->removeUser("first", 0).size(), 2);
        QCOMPARE(reason(m_users->lastResult()), QString("lastAdministrator"));

        // Rights are read at each change: a demoted administrator loses them at once.
        QVERIFY(m_users->modifyUser("op", 0, "all"));
        QVERIFY(m_users->modifyUser("first", 1, ""));
        QCOMPARE(m_users->addUser("late", "pw", 2).size(), 2);
        QCOMPARE(reason(m_users->lastResult()), QString("notPermitted"));

        // Removing the logged-in user logs it out.
        QVERIFY(m_users->userLogin("op", "op-pw", false).value("result").toBool());
        QVERIFY(m_users->modifyUser("first", 0, ""));
        QCOMPARE(m_users->removeUser("op", 0).size(), 1);
        QVERIFY(m_users->currentUser().isEmpty());
    }

    void digestComparison()
    {
        const QByteArray digest = BLL_DataCenter_User::passwordDigest("s", "pw", 1);
        QByteArray other = digest;
        other[31] = char(other.at(31) ^ 0x01);
        QVERIFY(BLL_DataCenter_User::digestsEqual(digest, QByteArray(digest)));
        QVERIFY(!BLL_DataCenter_User::digestsEqual(digest, other));
        QVERIFY(!BLL_DataCenter_User::digestsEqual(digest, digest.left(31)));
    }

    void namesAreStoredAsText()
    {
        const QStringList names = {QStringLiteral("x'); DROP TABLE users; --"),
                                   QStringLiteral("' OR '1'='1")};
        m_users->addUser("root", "root-pw", 0);
        QVERIFY(m_users->userLogin("root", "root-pw", false).value("result").toBool());
        for (const QString &name : names) {
            m_users->addUser(name, name, 1);
            QVERIFY2(m_users->lastResult().value("result").toBool(), qPrintable(name));
        }
        for (const QString &name : names) {
            QCOMPARE(m_users->getUserList(0, name).size(), 1);
            QVERIFY(m_users->userLogin(name, name, false).value("result").toBool());
        }
        // A name shaped like a condition matches no one else, nor does such a password.
        QCOMPARE(reason(m_users->userLogin("' OR '1'='1", "root-pw", false)),
                 QString("wrongPassword"));
        QCOMPARE(reason(m_users->userLogin("root", "' OR '1'='1", false)),
                 QString("wrongPassword"));
        QVERIFY(m_users->userLogin("root", "root-pw", false).value("result").toBool());
        QCOMPARE(m_users->removeUser("' OR '1'='1", 1).size(), names.size());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<BLL_DataCenter_User> m_users;
    qint64 m_now = 1700000000000;
};

QTEST_GUILESS_MAIN(TestDataCenterUsers)

#include "test_datacenter_users.moc"
