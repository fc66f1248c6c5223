#include "bll_datacenter_user.h"

#include "bll_database_desktop.h"
#include "datacenterlog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

const QString BLL_DataCenter_User::kWrongPassword = QStringLiteral("wrongPassword");
const QString BLL_DataCenter_User::kUnknownUser = QStringLiteral("unknownUser");
const QString BLL_DataCenter_User::kLockedOut = QStringLiteral("lockedOut");
const QString BLL_DataCenter_User::kUnreadableRecord = QStringLiteral("unreadableRecord");
const QString BLL_DataCenter_User::kNotLoggedIn = QStringLiteral("notLoggedIn");
const QString BLL_DataCenter_User::kNotPermitted = QStringLiteral("notPermitted");
const QString BLL_DataCenter_User::kInvalidInput = QStringLiteral("invalidInput");
const QString BLL_DataCenter_User::kNameInUse = QStringLiteral("nameInUse");
const QString BLL_DataCenter_User::kLastAdministrator = QStringLiteral("lastAdministrator");
const QString BLL_DataCenter_User::kDatabaseError = QStringLiteral("databaseError");

namespace
{

const char kRememberedUser[] = "rememberedUser";
const char kDigestScheme[] = "pbkdf2-sha256";
const int kSaltBytes = 16;
const int kDigestBytes = 32;
// A stored count above this is treated as damage rather than spent on a login.
const int kMaxStoredIterations = 10000000;

QByteArray newSalt()
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()),
                                          kSaltBytes / int(sizeof(quint32)));
    return salt;
}

// The digest column: "pbkdf2-sha256$<iterations>$<hex digest>".
QString encodeDigest(int iterations, const QByteArray &digest)
{
    return QStringLiteral("%1$%2$%3")
        .arg(QLatin1String(kDigestScheme))
        .arg(iterations)
        .arg(QString::fromLatin1(digest.toHex()));
}

struct StoredDigest {
    enum Kind { Unreadable, Legacy, Pbkdf2 } kind = Unreadable;
    int iterations = 0;
    QByteArray digest;
};

StoredDigest decodeDigest(const QString &text)
{
    StoredDigest stored;
    const QStringList parts = text.split(QLatin1Char('$'));
    const auto isHexDigest = [](const QString &hex) {
        if (hex.size() != 2 * kDigestBytes)
            return false;
        for (const QChar c : hex) {
            if (!c.isDigit() && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) &&
                !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
                return false;
        }
        return true;
    };
    if (parts.size() == 1 && isHexDigest(parts.at(0))) {
        // Older versions kept SHA-256(salt + password) in hex.
        stored.kind = StoredDigest::Legacy;
        stored.digest = QByteArray::fromHex(parts.at(0).toLatin1());
        return stored;
    }
    if (parts.size() != 3 || parts.at(0) != QLatin1String(kDigestScheme) ||
        !isHexDigest(parts.at(2)))
        return stored;
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    if (!ok || iterations < 1 || iterations > kMaxStoredIterations)
        return stored;
    stored.kind = StoredDigest::Pbkdf2;
    stored.iterations = iterations;
    stored.digest = QByteArray::fromHex(parts.at(2).toLatin1());
    return stored;
}

QByteArray legacyDigest(const QByteArray &salt, const QString &password)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(password.toUtf8());
    return hash.result();
}

QVariantMap userEntry(const QSqlQuery &query)
{
    QVariantMap entry;
    entry.insert(QStringLiteral("userName"), query.value(0).toString());
    entry.insert(QStringLiteral("userType"), query.value(1).toInt());
    entry.insert(QStringLiteral("permission"), query.value(2).toString());
    return entry;
}

// Stores of older versions lack the lock-out columns; add them in place.
bool ensureLockoutColumns(QSqlDatabase &db)
{
    const QSqlRecord columns = db.record(QStringLiteral("users"));
    const struct {
        const char *name;
        const char *statement;
    } wanted[] = {
        {"failedLogins", "ALTER TABLE users ADD COLUMN failedLogins INTEGER NOT NULL DEFAULT 0"},
        {"lockedUntil", "ALTER TABLE users ADD COLUMN lockedUntil INTEGER NOT NULL DEFAULT 0"},
    };
    for (const auto &column : wanted) {
        if (columns.indexOf(QLatin1String(column.name)) >= 0)
            continue;
        QSqlQuery query(db);
        if (!query.exec(QLatin1String(column.statement))
            // Another connection may have added it meanwhile.
            && db.record(QStringLiteral("users")).indexOf(QLatin1String(column.name)) < 0) {
            qCDebug(lcDataCenter) << "adding user column failed:" << column.name
                                  << query.lastError().text();
            return false;
        }
    }
    return true;
}

// This thread's connection with the columns the store needs; closed when the
// database is unavailable.
QSqlDatabase userDatabase()
{
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    // A read-only store is read as it is; the columns are added by the next writer.
    if (db.isOpen() && !BLL_DataBase_Desktop::isReadOnly() && !ensureLockoutColumns(db))
        return QSqlDatabase();
    return db;
}

// The level of a user, -1 when there is none.
int userLevel(QSqlDatabase &db, const QString &userName)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT userType FROM users WHERE userName = ?"));
    query.addBindValue(userName);
    if (!query.exec() || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool storeDigest(QSqlDatabase &db, const QString &userName, const QByteArray &salt,
                 const QString &digest)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE users SET salt = ?, passwordHash = ? WHERE userName = ?"));
    query.addBindValue(QString::fromLatin1(salt.toHex()));
    query.addBindValue(digest);
    query.addBindValue(userName);
    return query.exec();
}

QVariantMap outcome(const QString &reason, const QString &message)
{
    return {{QStringLiteral("result"), reason.isEmpty()},
            {QStringLiteral("reason"), reason},
            {QStringLiteral("message"), message}};
}

// The users of level userType and above (one by name when given); *ok is false
// when the store cannot be read, which an empty list alone would hide.
QVariantList readUsers(int userType, const QString &userName, bool *ok)
{
    QSqlDatabase db = userDatabase();
    *ok = false;
    if (!db.isOpen())
        return {};
    QSqlQuery query(db);
    const QString select =
        QStringLiteral("SELECT userName, userType, permission FROM users WHERE userType >= ?");
    if (userName.isEmpty()) {
        query.prepare(select + QStringLiteral(" ORDER BY userType, userName"));
        query.addBindValue(userType);
    } else {
        query.prepare(select + QStringLiteral(" AND userName = ?"));
        query.addBindValue(userType);
        query.addBindValue(userName);
    }
    if (!query.exec()) {
        qCDebug(lcDataCenter) << "reading users failed:" << query.lastError().text();
        return {};
    }
    QVariantList users;
    while (query.next())
        users.append(userEntry(query));
    *ok = true;
    return users;
}

// Every user, for the answers of the changing operations (which keep their own
// lastResult).
QVariantList allUsers()
{
    bool ok = false;
    return readUsers(0, QString(), &ok);
}

} // namespace

BLL_DataCenter_User::BLL_DataCenter_User() = default;

QByteArray BLL_DataCenter_User::passwordDigest(const QByteArray &salt, const QString &password,
                                               int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              qMax(1, iterations), kDigestBytes);
}

bool BLL_DataCenter_User::digestsEqual(const QByteArray &a, const QByteArray &b)
{
    // Digest lengths are no secret; the contents are compared without stopping
    // at the first difference.
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (int i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return difference == 0;
}

void BLL_DataCenter_User::setHashIterations(int iterations)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_iterations = qBound(1, iterations, kMaxStoredIterations);
}

int BLL_DataCenter_User::hashIterations() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_iterations;
}

void BLL_DataCenter_User::setClock(std::function<qint64()> msecsSinceEpoch)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(msecsSinceEpoch);
}

qint64 BLL_DataCenter_User::now() const
{
    std::function<qint64()> clock;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        clock = m_clock;
    }
    return clock ? clock() : QDateTime::currentMSecsSinceEpoch();
}

QString BLL_DataCenter_User::currentUser() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_currentUser;
}

void BLL_DataCenter_User::logout()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_currentUser.clear();
}

QVariantMap BLL_DataCenter_User::lastResult() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastResult;
}

void BLL_DataCenter_User::setLastResult(const QString &reason, const QString &message)
{
    if (!reason.isEmpty())
        qCDebug(lcDataCenter) << "user change refused:" << reason << message;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastResult = outcome(reason, message);
}

QVariantMap BLL_DataCenter_User::login(const QString &userName, const QString &passWord)
{
    QVariantMap result = outcome(kUnknownUser, QString());
    result.insert(QStringLiteral("userName"), userName);
    const auto refuse = [&result](const QString &reason, const QString &message) {
        result.insert(QStringLiteral("result"), false);
        result.insert(QStringLiteral("reason"), reason);
        result.insert(QStringLiteral("message"), message);
        qCDebug(lcDataCenter) << "login refused:" << reason;
        return result;
    };

    QSqlDatabase db = userDatabase();
    if (!db.isOpen())
        return refuse(kDatabaseError, QStringLiteral("the user database is unavailable"));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT salt, passwordHash, userType, permission, failedLogins, "
                                 "lockedUntil FROM users WHERE userName = ?"));
    query.addBindValue(userName);
    if (!query.exec())
        return refuse(kDatabaseError, QStringLiteral("the user database cannot be read"));
    if (!query.next())
        return refuse(kUnknownUser, QStringLiteral("there is no user %1").arg(userName));
    const QByteArray salt = QByteArray::fromHex(query.value(0).toString().toLatin1());
    const StoredDigest stored = decodeDigest(query.value(1).toString());
    const int userType = query.value(2).toInt();
    const QString permission = query.value(3).toString();
    const qint64 lockedUntil = query.value(5).toLongLong();
    query.finish();

    const qint64 time = now();
    if (lockedUntil > time) {
        result.insert(QStringLiteral("retryAfterSeconds"), (lockedUntil - time + 999) / 1000);
        return refuse(kLockedOut,
                      QStringLiteral("%1 is locked after too many wrong passwords; try again "
                                     "in %2 s")
                          .arg(userName)
                          .arg((lockedUntil - time + 999) / 1000));
    }
    if (stored.kind == StoredDigest::Unreadable)
        return refuse(kUnreadableRecord,
                      QStringLiteral("the stored credentials of %1 are unreadable; an "
                                     "administrator must remove the user and add it again")
                          .arg(userName));

    const int iterations = hashIterations();
    const QByteArray given = stored.kind == StoredDigest::Legacy
                                 ? legacyDigest(salt, passWord)
                                 : passwordDigest(salt, passWord, stored.iterations);
    if (!digestsEqual(given, stored.digest)) {
        // Count atomically, so that parallel attempts cannot undercount.
        QSqlQuery count(db);
        count.prepare(
            QStringLiteral("UPDATE users SET failedLogins = failedLogins + 1 WHERE userName = ?"));
        count.addBindValue(userName);
        count.exec();
        count.prepare(QStringLiteral("SELECT failedLogins FROM users WHERE userName = ?"));
        count.addBindValue(userName);
        const int failures = count.exec() && count.next() ? count.value(0).toInt() : 0;
        count.finish();
        if (failures >= kMaxFailedLogins) {
            QSqlQuery lockQuery(db);
            lockQuery.prepare(QStringLiteral(
                "UPDATE users SET failedLogins = 0, lockedUntil = ? WHERE userName = ?"));
            lockQuery.addBindValue(time + kLockoutMsecs);
            lockQuery.addBindValue(userName);
            lockQuery.exec();
            result.insert(QStringLiteral("attemptsLeft"), 0);
            return refuse(kWrongPassword,
                          QStringLiteral("wrong password; %1 is now locked for %2 minutes")
                              .arg(userName)
                              .arg(kLockoutMsecs / 60000));
        }
        result.insert(QStringLiteral("attemptsLeft"), kMaxFailedLogins - failures);
        return refuse(kWrongPassword, QStringLiteral("wrong password for %1").arg(userName));
    }

    QSqlQuery reset(db);
    reset.prepare(
        QStringLiteral("UPDATE users SET failedLogins = 0, lockedUntil = 0 WHERE userName = ?"));
    reset.addBindValue(userName);
    reset.exec();
    if (stored.kind == StoredDigest::Legacy || stored.iterations < iterations) {
        // The password is at hand only now: bring the digest up to date.
        const QByteArray freshSalt = newSalt();
        if (storeDigest(db, userName, freshSalt,
                        encodeDigest(iterations, passwordDigest(freshSalt, passWord, iterations))))
            qCDebug(lcDataCenter) << "credentials of" << userName << "rehashed";
        else
            qCDebug(lcDataCenter) << "rehashing credentials of" << userName << "failed";
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_currentUser = userName;
    }
    result.insert(QStringLiteral("result"), true);
    result.insert(QStringLiteral("reason"), QString());
    result.insert(QStringLiteral("message"), QString());
    result.insert(QStringLiteral("userType"), userType);
    result.insert(QStringLiteral("permission"), permission);
    return result;
}

QVariantMap BLL_DataCenter_User::authenticate(const QString &userName, const QString &passWord)
{
    return login(userName, passWord);
}

QVariantMap BLL_DataCenter_User::userLogin(QString userName, QString passWord, bool saveAccount)
{
    const QVariantMap result = login(userName, passWord);
    // A failed login changes nothing about the remembered account.
    if (result.value(QStringLiteral("result")).toBool())
        BLL_DataBase_Desktop::getInstance()->setSetting(QString::fromLatin1(kRememberedUser),
                                                        saveAccount ? userName : QString());
    return result;
}

QVariantMap BLL_DataCenter_User::getSaveAccount(bool flag)
{
    BLL_DataBase_Desktop *database = BLL_DataBase_Desktop::getInstance();
    if (!flag)
        database->setSetting(QString::fromLatin1(kRememberedUser), QString());
    const QString name = flag ? database->setting(QString::fromLatin1(kRememberedUser)) : QString();
    QVariantMap result;
    result.insert(QStringLiteral("saveAccount"), !name.isEmpty());
    result.insert(QStringLiteral("userName"), name);
    return result;
}

bool BLL_DataCenter_User::requireAdministrator(const QString &action)
{
    const QString acting = currentUser();
    QSqlDatabase db = userDatabase();
    if (!db.isOpen()) {
        setLastResult(kDatabaseError, QStringLiteral("the user database is unavailable"));
        return false;
    }
    // The level is read afresh: the acting user may have been demoted or removed
    // since the login.
    const int level = acting.isEmpty() ? -1 : userLevel(db, acting);
    if (level < 0) {
        logout();
        setLastResult(kNotLoggedIn,
                      QStringLiteral("log in as an administrator to %1 users").arg(action));
        return false;
    }
    if (level != Administrator) {
        setLastResult(kNotPermitted, QStringLiteral("%1 is not an administrator and may not %2 "
                                                    "users")
                                         .arg(acting, action));
        return false;
    }
    return true;
}

QVariantList BLL_DataCenter_User::addUser(QString userName, QString passWord, int userType)
{
    if (userName.isEmpty() || passWord.isEmpty() || userType < 0) {
        setLastResult(kInvalidInput,
                      QStringLiteral("a user needs a name, a password and a level of 0 or more"));
        return allUsers();
    }
    QSqlDatabase db = userDatabase();
    if (!db.isOpen()) {
        setLastResult(kDatabaseError, QStringLiteral("the user database is unavailable"));
        return {};
    }
    QSqlQuery count(db);
    const bool empty = count.exec(QStringLiteral("SELECT COUNT(*) FROM users")) && count.next() &&
                       count.value(0).toInt() == 0;
    count.finish();
    // Refuse before spending time on the digest.
    if (!empty && !requireAdministrator(QStringLiteral("add")))
        return allUsers();

    const int iterations = hashIterations();
    const QByteArray salt = newSalt();
    const QString digest = encodeDigest(iterations, passwordDigest(salt, passWord, iterations));
    const auto bindUser = [&](QSqlQuery &query) {
        query.addBindValue(userName);
        query.addBindValue(QString::fromLatin1(salt.toHex()));
        query.addBindValue(digest);
    };

    if (empty) {
        // The first user needs no login and becomes the administrator; one
        // statement decides, so two first users cannot both get in.
        QSqlQuery first(db);
        first.prepare(
            QStringLiteral("INSERT INTO users (userName, salt, passwordHash, userType, permission) "
                           "SELECT ?, ?, ?, 0, '' WHERE NOT EXISTS (SELECT 1 FROM users)"));
        bindUser(first);
        if (first.exec() && first.numRowsAffected() > 0) {
            setLastResult(QString(), userType == Administrator
                                         ? QString()
                                         : QStringLiteral("the first user is an administrator"));
            return allUsers();
        }
        // Someone else was first after all.
        if (!requireAdministrator(QStringLiteral("add")))
            return allUsers();
    }

    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO users (userName, salt, passwordHash, userType, "
                                 "permission) VALUES (?, ?, ?, ?, '')"));
    bindUser(query);
    query.addBindValue(userType);
    if (query.exec())
        setLastResult(QString(), QString());
    else if (userLevel(db, userName) >= 0) // the primary key refuses a name in use
        setLastResult(kNameInUse, QStringLiteral("the name %1 is already in use").arg(userName));
    else
        setLastResult(
            kDatabaseError,
            QStringLiteral("adding %1 failed: %2").arg(userName, query.lastError().text()));
    return allUsers();
}

QVariantList BLL_DataCenter_User::removeUser(QString userName, int userType)
{
    if (!requireAdministrator(QStringLiteral("remove")))
        return allUsers();
    QSqlDatabase db = userDatabase();
    QSqlQuery query(db);
    // The last level-0 user stays, or nobody could administer the users.
    query.prepare(
        QStringLiteral("DELETE FROM users WHERE userName = ? AND userType = ? AND "
                       "(userType <> 0 OR (SELECT COUNT(*) FROM users WHERE userType = 0) > 1)"));
    query.addBindValue(userName);
    query.addBindValue(userType);
    if (!query.exec()) {
        setLastResult(
            kDatabaseError,
            QStringLiteral("removing %1 failed: %2").arg(userName, query.lastError().text()));
    } else if (query.numRowsAffected() > 0) {
        setLastResult(QString(), QString());
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_currentUser == userName)
            m_currentUser.clear();
    } else {
        const int level = userLevel(db, userName);
        if (level < 0)
            setLastResult(kUnknownUser, QStringLiteral("there is no user %1").arg(userName));
        else if (level != userType)
            setLastResult(kUnknownUser, QStringLiteral("%1 is not of level %2, but of level %3")
                                            .arg(userName)
                                            .arg(userType)
                                            .arg(level));
        else
            setLastResult(kLastAdministrator,
                          QStringLiteral("%1 is the last administrator").arg(userName));
    }
    return allUsers();
}

bool BLL_DataCenter_User::modifyUser(QString userName, int userType, QString permission)
{
    if (userType < 0) {
        setLastResult(kInvalidInput, QStringLiteral("a level is 0 or more"));
        return false;
    }
    if (!requireAdministrator(QStringLiteral("modify")))
        return false;
    QSqlDatabase db = userDatabase();
    QSqlQuery query(db);
    // Demoting the last level-0 user is refused like removing it.
    query.prepare(QStringLiteral(
        "UPDATE users SET userType = ?, permission = ? WHERE userName = ? AND "
        "(? = 0 OR userType <> 0 OR (SELECT COUNT(*) FROM users WHERE userType = 0) > 1)"));
    query.addBindValue(userType);
    query.addBindValue(permission);
    query.addBindValue(userName);
    query.addBindValue(userType);
    if (!query.exec()) {
        setLastResult(
            kDatabaseError,
            QStringLiteral("modifying %1 failed: %2").arg(userName, query.lastError().text()));
        return false;
    }
    if (query.numRowsAffected() > 0) {
        setLastResult(QString(), QString());
        return true;
    }
    if (userLevel(db, userName) >= 0)
        setLastResult(kLastAdministrator,
                      QStringLiteral("%1 is the last administrator").arg(userName));
    else
        setLastResult(kUnknownUser, QStringLiteral("there is no user %1").arg(userName));
    return false;
}

QVariantList BLL_DataCenter_User::getUserList(int userType, QString userName)
{
    bool ok = false;
    const QVariantList users = readUsers(userType, userName, &ok);
    if (ok)
        setLastResult(QString(), QString());
    else
        setLastResult(kDatabaseError, QStringLiteral("the user database cannot be read"));
    return users;
}
