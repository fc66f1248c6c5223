#pragma once
// The application's SQLite database (QtSql "QSQLITE").
//
// One database file, m_strDatabase; empty means the default
// "<application directory>/ConfigData/ledwall.db" (the current directory stands
// in when no application object exists). getInstance() fills m_strDatabase with
// that default when it is still empty, so the path can always be shown.
//
// Every thread gets its own connection (QtSql connections may only be used by the
// thread that made them); it is opened on first use, reopened when the path
// changes, and removed when the thread ends. Opening creates the folder of the
// file and every missing table:
//
//   timetable   (id, timetableID, period, repetition, runTime, scene, strDeviceID, num)
//   users       (userName, salt, passwordHash, userType, permission)
//   settings    (name, value)
//   scenes      (sceneId, position)
//   scene_items (sceneId, dataType, position, item)   item = one parameter map as JSON
//
// All statements bind their values.

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <mutex>

class BLL_DataBase_Desktop
{
public:
    static BLL_DataBase_Desktop *getInstance();

    // The database file. Set it before use (tests point it into a temporary
    // folder) or through setDatabasePath() while other threads may be using it.
    static QString m_strDatabase;

    static QString defaultDatabasePath();
    static QString databasePath();
    static void setDatabasePath(const QString &path);
    // Read-only use (a listing tool): connections opened from now on neither create
    // the file, its folder nor any table, and SQLite refuses every write.
    static void setReadOnly(bool readOnly);
    static bool isReadOnly();

    // This thread's connection, open and with its tables; a closed, invalid
    // database when the file cannot be opened (logged).
    QSqlDatabase database();
    // Opens (creating when missing) the file at the current path.
    bool open();

    // Scenes of one device: each entry a map {"sceneId": QString,
    // "dataLists": {"<dataType>": QVariantList of parameter maps}}, in order.
    // writeScenes replaces what the file held, all or nothing.
    bool writeScenes(const QVariantList &scenes);
    // The stored scenes; *ok (when given) tells a read failure from an empty file.
    QVariantList readScenes(bool *ok = nullptr);

    // A value of the settings table ("" when absent) and its writer.
    QString setting(const QString &name);
    bool setSetting(const QString &name, const QString &value);

    BLL_DataBase_Desktop(const BLL_DataBase_Desktop &) = delete;
    BLL_DataBase_Desktop &operator=(const BLL_DataBase_Desktop &) = delete;

private:
    BLL_DataBase_Desktop() = default;
    static std::mutex s_pathMutex;
    static bool s_readOnly;
};
