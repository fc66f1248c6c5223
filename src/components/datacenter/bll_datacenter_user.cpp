#include "bll_datacenter_user.h"

#include "bll_database_desktop.h"
#include "datacenterlog.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const char kRememberedUser[] = "rememberedUser";

QByteArray newSalt()
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator *random = QRandomGenerator::system();
    for (char &byte : salt)
        byte = static_cast<char>(random->bounded(256));
    return salt;
}

// Compares without stopping at the first difference.
bool sameText(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (int i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return difference == 0;
}

QVariantMap userEntry(const QSqlQuery &query)
{
    QVariantMap entry;
    entry.insert(QStringLiteral("userName"), query.value(0).toString());
    entry.insert(QStringLiteral("userType"), query.value(1).toInt());
    entry.insert(QStringLiteral("permission"), query.value(2).toString());
    return entry;
}

} // namespace

QString BLL_DataCenter_User::passwordHash(const QByteArray &salt, const QString &password)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(password.toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

QVariantMap BLL_DataCenter_User::userLogin(QString userName, QString passWord, bool saveAccount)
{
    QVariantMap result;
    result.insert(QStringLiteral("result"), false);
    result.insert(QStringLiteral("userName"), userName);
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen()) {
        result.insert(QStringLiteral("message"), QStringLiteral("database unavailable"));
        return result;
    }
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT salt, passwordHash, userType, permission FROM users WHERE userName = ?"));
    query.addBindValue(userName);
    if (!query.exec() || !query.next()) {
        // Same message as a wrong password: do not tell which names exist.
        result.insert(QStringLiteral("message"), QStringLiteral("wrong user name or password"));
        return result;
    }
    const QByteArray salt = QByteArray::fromHex(query.value(0).toString().toLatin1());
    const QByteArray stored = query.value(1).toString().toLatin1();
    if (!sameText(passwordHash(salt, passWord).toLatin1(), stored)) {
        result.insert(QStringLiteral("message"), QStringLiteral("wrong user name or password"));
        return result;
    }
    result.insert(QStringLiteral("result"), true);
    result.insert(QStringLiteral("userType"), query.value(2).toInt());
    result.insert(QStringLiteral("permission"), query.value(3).toString());
    result.insert(QStringLiteral("message"), QString());
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

QVariantList BLL_DataCenter_User::addUser(QString userName, QString passWord, int userType)
{
    if (userName.isEmpty() || passWord.isEmpty() || userType < 0) {
        qCDebug(lcDataCenter) << "user refused: empty name or password, or negative level";
        return getUserList(0, QString());
    }
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (db.isOpen()) {
        const QByteArray salt = newSalt();
        QSqlQuery query(db);
        // The primary key refuses a name already in use.
        query.prepare(QStringLiteral("INSERT INTO users (userName, salt, passwordHash, userType, "
                                     "permission) VALUES (?, ?, ?, ?, ?)"));
        query.addBindValue(userName);
        query.addBindValue(QString::fromLatin1(salt.toHex()));
        query.addBindValue(passwordHash(salt, passWord));
        query.addBindValue(userType);
        query.addBindValue(QString());
        if (!query.exec())
            qCDebug(lcDataCenter) << "adding user failed:" << userName
                                  << query.lastError().text();
    }
    return getUserList(0, QString());
}

QVariantList BLL_DataCenter_User::removeUser(QString userName, int userType)
{
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (db.isOpen()) {
        QSqlQuery query(db);
        // The last level-0 user stays, or nobody could administer the users.
        query.prepare(QStringLiteral(
            "DELETE FROM users WHERE userName = ? AND userType = ? AND "
            "(userType <> 0 OR (SELECT COUNT(*) FROM users WHERE userType = 0) > 1)"));
        query.addBindValue(userName);
        query.addBindValue(userType);
        if (!query.exec())
            qCDebug(lcDataCenter) << "removing user failed:" << query.lastError().text();
        else if (query.numRowsAffected() == 0)
            qCDebug(lcDataCenter) << "user not removed:" << userName << userType;
    }
    return getUserList(0, QString());
}

bool BLL_DataCenter_User::modifyUser(QString userName, int userType, QString permission)
{
    if (userType < 0)
        return false;
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen())
        return false;
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
        qCDebug(lcDataCenter) << "modifying user failed:" << query.lastError().text();
        return false;
    }
    return query.numRowsAffected() > 0;
}

QVariantList BLL_DataCenter_User::getUserList(int userType, QString userName)
{
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
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
    return users;
}
