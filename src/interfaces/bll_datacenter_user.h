#pragma once
// The user accounts of the application, kept in the database's "users" table.
//
// A user has a name, a level (userType: 0 is the highest, larger numbers rank
// lower) and a permission text. Passwords are never stored: each user has a
// random salt and the SHA-256 of salt + password (UTF-8), both in hex.
// Maps handed out carry "userName", "userType" and "permission", never the
// password, salt or hash.

#include <QString>
#include <QVariantList>
#include <QVariantMap>

class BLL_DataCenter_User
{
public:
    // {"result": bool, "userName", "userType", "permission", "message"}.
    // On success saveAccount remembers the user name for the next start (true)
    // or forgets any remembered one (false). The password is never remembered.
    QVariantMap userLogin(QString userName, QString passWord, bool saveAccount);
    // {"saveAccount": bool, "userName": remembered name or ""}. A false flag
    // also forgets the remembered name.
    QVariantMap getSaveAccount(bool flag);
    // Adds a user; refused (logged, list unchanged) for an empty name or
    // password, a negative level or a name already in use. Returns every user.
    QVariantList addUser(QString userName, QString passWord, int userType);
    // Removes the user with that name and level; the last level-0 user is
    // never removed. Returns every user.
    QVariantList removeUser(QString userName, int userType);
    // Sets a user's level and permission text; false for an unknown user.
    bool modifyUser(QString userName, int userType, QString permission);
    // The users of level userType or lower in rank (userType and above),
    // ordered by level and name; with a non-empty userName, only that user.
    QVariantList getUserList(int userType, QString userName);

    // SHA-256 of salt + password (UTF-8), in hex.
    static QString passwordHash(const QByteArray &salt, const QString &password);
};
