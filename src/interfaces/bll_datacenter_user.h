#pragma once
// The user accounts of the application, kept in the database's "users" table.
//
// A user has a name, a level (userType) and a permission text. Levels rank from
// 0 down: 0 administrator, 1 operator, 2 and above lower-ranked users such as
// viewers. Only an administrator adds, removes or modifies users; the acting user
// is the one logged in through this object. The first user added to an empty store
// needs no login and always becomes an administrator.
//
// Passwords are never stored: each user has a random 16-byte salt and a
// PBKDF2-HMAC-SHA256 digest of the UTF-8 password, kept as
// "pbkdf2-sha256$<iterations>$<hex digest>" so that the cost can be raised later.
// Rows written by older versions (plain salted SHA-256) and rows hashed with fewer
// iterations than this object uses are rehashed at the user's next successful
// login. After kMaxFailedLogins consecutive wrong passwords a user is locked out
// for kLockoutMsecs; the lock lives in the database, so every process sees it.
//
// Maps handed out carry "userName", "userType" and "permission", never the
// password, salt or hash. Results of login and of the changes carry "result"
// (bool), "reason" (empty on success, otherwise one of the reason texts below) and
// a readable "message".

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <mutex>

class BLL_DataCenter_User
{
public:
    enum Level { Administrator = 0, Operator = 1, Viewer = 2 };

    static constexpr int kDefaultIterations = 120000;
    static constexpr int kMaxFailedLogins = 5;
    static constexpr qint64 kLockoutMsecs = 5 * 60 * 1000;

    // Values of "reason".
    static const QString kWrongPassword;     // the name exists, the password does not match
    static const QString kUnknownUser;       // no user of that name (and level)
    static const QString kLockedOut;         // too many wrong passwords; see "retryAfterSeconds"
    static const QString kUnreadableRecord;  // the stored digest cannot be read
    static const QString kNotLoggedIn;       // a change needs a logged-in administrator
    static const QString kNotPermitted;      // the logged-in user is not an administrator
    static const QString kInvalidInput;      // empty name or password, negative level
    static const QString kNameInUse;         // addUser with a name already taken
    static const QString kLastAdministrator; // would leave no administrator
    static const QString kDatabaseError;     // the database cannot be opened or written

    BLL_DataCenter_User();

    // {"result", "reason", "message", "userName", "userType", "permission"};
    // a wrong password adds "attemptsLeft", a lock-out "retryAfterSeconds".
    // On success the user becomes the acting one, and saveAccount remembers the
    // user name for the next start (true) or forgets any remembered one (false).
    // The password is never remembered.
    QVariantMap userLogin(QString userName, QString passWord, bool saveAccount);
    // {"saveAccount": bool, "userName": remembered name or ""}. A false flag
    // also forgets the remembered name.
    QVariantMap getSaveAccount(bool flag);
    // Adds a user as the logged-in administrator (or as the first user); refused
    // for an empty name or password, a negative level or a name already in use.
    // Returns every user; lastResult() tells what happened.
    QVariantList addUser(QString userName, QString passWord, int userType);
    // Removes the user with that name and level as the logged-in administrator; the
    // last level-0 user is never removed. Returns every user; see lastResult().
    QVariantList removeUser(QString userName, int userType);
    // Sets a user's level and permission text as the logged-in administrator; false
    // for an unknown user or when refused (see lastResult()). The last level-0 user
    // is never demoted.
    bool modifyUser(QString userName, int userType, QString permission);
    // The users of level userType or lower in rank (userType and above),
    // ordered by level and name; with a non-empty userName, only that user.
    QVariantList getUserList(int userType, QString userName);

    // Checks a password and makes the user the acting one, like userLogin, but
    // leaves the remembered account alone (for tools that act on the store).
    QVariantMap authenticate(const QString &userName, const QString &passWord);
    // Nobody acts until the next successful login.
    void logout();
    // The logged-in user's name, "" when nobody is logged in.
    QString currentUser() const;
    // {"result", "reason", "message"} of the last addUser, removeUser or modifyUser.
    QVariantMap lastResult() const;

    // PBKDF2 iterations for new digests (at least 1). Raising it rehashes each
    // user at the next login; tests lower it to stay fast.
    void setHashIterations(int iterations);
    int hashIterations() const;
    // The clock for lock-outs, in milliseconds since the epoch; empty restores the
    // system clock.
    void setClock(std::function<qint64()> msecsSinceEpoch);

    // PBKDF2-HMAC-SHA256 of the UTF-8 password, 32 bytes.
    static QByteArray passwordDigest(const QByteArray &salt, const QString &password,
                                     int iterations);
    // Equality of two digests in time that depends only on their length.
    static bool digestsEqual(const QByteArray &a, const QByteArray &b);

    BLL_DataCenter_User(const BLL_DataCenter_User &) = delete;
    BLL_DataCenter_User &operator=(const BLL_DataCenter_User &) = delete;

private:
    QVariantMap login(const QString &userName, const QString &passWord);
    // True when the acting user is an administrator; otherwise records the
    // refusal of `action` ("add", "remove", ...) in lastResult().
    bool requireAdministrator(const QString &action);
    void setLastResult(const QString &reason, const QString &message);
    qint64 now() const;

    mutable std::mutex m_mutex;
    QString m_currentUser;
    QVariantMap m_lastResult;
    int m_iterations = kDefaultIterations;
    std::function<qint64()> m_clock;
};
