#include "bll_database_desktop.h"

#include "databaselog.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>

Q_LOGGING_CATEGORY(lcDatabase, "ledwall.database")

QString BLL_DataBase_Desktop::m_strDatabase;
std::mutex BLL_DataBase_Desktop::s_pathMutex;
bool BLL_DataBase_Desktop::s_readOnly = false;

namespace
{

const char *const kCreateStatements[] = {
    "CREATE TABLE IF NOT EXISTS timetable (id INTEGER PRIMARY KEY AUTOINCREMENT, "
    "timetableID TEXT NOT NULL, period TEXT, repetition TEXT, runTime TEXT, scene TEXT, "
    "strDeviceID TEXT, num INTEGER)",
    "CREATE TABLE IF NOT EXISTS users (userName TEXT PRIMARY KEY, salt TEXT NOT NULL, "
    "passwordHash TEXT NOT NULL, userType INTEGER NOT NULL, permission TEXT)",
    "CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value TEXT)",
    "CREATE TABLE IF NOT EXISTS scenes (sceneId TEXT PRIMARY KEY, position INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS scene_items (sceneId TEXT NOT NULL, dataType INTEGER NOT NULL, "
    "position INTEGER NOT NULL, item TEXT NOT NULL)",
};

QAtomicInt s_connectionSerial;

// The connection of one thread; removed when the thread ends.
struct ThreadConnection {
    QString name;
    QString path; // the file the connection has open, empty when closed

    ~ThreadConnection()
    {
        if (name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
};

thread_local ThreadConnection t_connection;

bool createTables(QSqlDatabase &db)
{
    for (const char *statement : kCreateStatements) {
        QSqlQuery query(db);
        if (!query.exec(QString::fromLatin1(statement))) {
            qCDebug(lcDatabase) << "cannot create table:" << query.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

BLL_DataBase_Desktop *BLL_DataBase_Desktop::getInstance()
{
    static BLL_DataBase_Desktop instance;
    std::lock_guard<std::mutex> locker(s_pathMutex);
    if (m_strDatabase.isEmpty())
        m_strDatabase = defaultDatabasePath();
    return &instance;
}

QString BLL_DataBase_Desktop::defaultDatabasePath()
{
    const QString base =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return base + QStringLiteral("/ConfigData/ledwall.db");
}

QString BLL_DataBase_Desktop::databasePath()
{
    std::lock_guard<std::mutex> locker(s_pathMutex);
    return m_strDatabase.isEmpty() ? defaultDatabasePath() : m_strDatabase;
}

void BLL_DataBase_Desktop::setReadOnly(bool readOnly)
{
    std::lock_guard<std::mutex> locker(s_pathMutex);
    s_readOnly = readOnly;
}

bool BLL_DataBase_Desktop::isReadOnly()
{
    std::lock_guard<std::mutex> locker(s_pathMutex);
    return s_readOnly;
}

void BLL_DataBase_Desktop::setDatabasePath(const QString &path)
{
    std::lock_guard<std::mutex> locker(s_pathMutex);
    m_strDatabase = path;
}

QSqlDatabase BLL_DataBase_Desktop::database()
{
    const QString path = databasePath();
    const bool readOnly = isReadOnly();
    // The connection is reused only for the same file in the same mode.
    const QString key = (readOnly ? QStringLiteral("ro:") : QStringLiteral("rw:")) + path;
    ThreadConnection &connection = t_connection;
    if (connection.name.isEmpty()) {
        connection.name =
            QStringLiteral("ledwall.database.%1").arg(s_connectionSerial.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    QSqlDatabase db = QSqlDatabase::database(connection.name, false);
    if (db.isOpen() && connection.path == key)
        return db;

    db.close();
    connection.path.clear();
    if (readOnly) {
        if (!QFileInfo(path).isFile()) {
            qCDebug(lcDatabase) << "no database to read at" << path;
            return db;
        }
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
    } else {
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    db.setDatabaseName(path);
    if (!db.open()) {
        qCDebug(lcDatabase) << "cannot open database" << path << db.lastError().text();
        return db;
    }
    if (!readOnly && !createTables(db)) {
        db.close();
        return db;
    }
    connection.path = key;
    return db;
}

bool BLL_DataBase_Desktop::open()
{
    return database().isOpen();
}

bool BLL_DataBase_Desktop::writeScenes(const QVariantList &scenes)
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        return false;
    if (!db.transaction()) {
        qCDebug(lcDatabase) << "cannot start a transaction:" << db.lastError().text();
        return false;
    }
    auto fail = [&db](const QSqlQuery &query) {
        qCDebug(lcDatabase) << "writing scenes failed:" << query.lastError().text();
        db.rollback();
        return false;
    };

    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("DELETE FROM scene_items")))
        return fail(query);
    if (!query.exec(QStringLiteral("DELETE FROM scenes")))
        return fail(query);

    QSqlQuery sceneInsert(db);
    sceneInsert.prepare(QStringLiteral("INSERT INTO scenes (sceneId, position) VALUES (?, ?)"));
    QSqlQuery itemInsert(db);
    itemInsert.prepare(QStringLiteral(
        "INSERT INTO scene_items (sceneId, dataType, position, item) VALUES (?, ?, ?, ?)"));
    int scenePosition = 0;
    for (const QVariant &sceneValue : scenes) {
        const QVariantMap scene = sceneValue.toMap();
        // A null text would be bound as NULL; the live scene's id is "".
        QString sceneId = scene.value(QStringLiteral("sceneId")).toString();
        if (sceneId.isNull())
            sceneId = QLatin1String("");
        sceneInsert.addBindValue(sceneId);
        sceneInsert.addBindValue(scenePosition++);
        if (!sceneInsert.exec())
            return fail(sceneInsert);
        const QVariantMap lists = scene.value(QStringLiteral("dataLists")).toMap();
        for (auto it = lists.cbegin(); it != lists.cend(); ++it) {
            bool typeOk = false;
            const int dataType = it.key().toInt(&typeOk);
            if (!typeOk)
                continue;
            int itemPosition = 0;
            const QVariantList items = it.value().toList();
            for (const QVariant &item : items) {
                const QByteArray json = QJsonDocument(QJsonObject::fromVariantMap(item.toMap()))
                                            .toJson(QJsonDocument::Compact);
                itemInsert.addBindValue(sceneId);
                itemInsert.addBindValue(dataType);
                itemInsert.addBindValue(itemPosition++);
                itemInsert.addBindValue(QString::fromUtf8(json));
                if (!itemInsert.exec())
                    return fail(itemInsert);
            }
        }
    }
    if (!db.commit()) {
        qCDebug(lcDatabase) << "cannot commit scenes:" << db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

QVariantList BLL_DataBase_Desktop::readScenes(bool *ok)
{
    if (ok)
        *ok = false;
    QSqlDatabase db = database();
    if (!db.isOpen())
        return {};

    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT sceneId FROM scenes ORDER BY position"))) {
        qCDebug(lcDatabase) << "reading scenes failed:" << query.lastError().text();
        return {};
    }
    QStringList order;
    QMap<QString, QVariantMap> lists; // scene id -> data type -> items
    while (query.next()) {
        const QString sceneId = query.value(0).toString();
        if (!lists.contains(sceneId)) {
            order.append(sceneId);
            lists.insert(sceneId, QVariantMap());
        }
    }

    if (!query.exec(QStringLiteral("SELECT sceneId, dataType, item FROM scene_items "
                                   "ORDER BY sceneId, dataType, position"))) {
        qCDebug(lcDatabase) << "reading scene items failed:" << query.lastError().text();
        return {};
    }
    while (query.next()) {
        const QString sceneId = query.value(0).toString();
        if (!lists.contains(sceneId))
            continue; // an item of no listed scene
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(query.value(2).toByteArray(), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            qCDebug(lcDatabase) << "skipping a malformed scene item of scene" << sceneId;
            continue;
        }
        QVariantMap &sceneLists = lists[sceneId];
        const QString type = QString::number(query.value(1).toInt());
        QVariantList items = sceneLists.value(type).toList();
        items.append(doc.object().toVariantMap());
        sceneLists.insert(type, items);
    }

    QVariantList scenes;
    for (const QString &sceneId : qAsConst(order)) {
        QVariantMap scene;
        scene.insert(QStringLiteral("sceneId"), sceneId);
        scene.insert(QStringLiteral("dataLists"), lists.value(sceneId));
        scenes.append(scene);
    }
    if (ok)
        *ok = true;
    return scenes;
}

QString BLL_DataBase_Desktop::setting(const QString &name)
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        return QString();
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT value FROM settings WHERE name = ?"));
    query.addBindValue(name);
    if (!query.exec()) {
        qCDebug(lcDatabase) << "reading setting failed:" << query.lastError().text();
        return QString();
    }
    return query.next() ? query.value(0).toString() : QString();
}

bool BLL_DataBase_Desktop::setSetting(const QString &name, const QString &value)
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO settings (name, value) VALUES (?, ?)"));
    query.addBindValue(name);
    query.addBindValue(value);
    if (!query.exec()) {
        qCDebug(lcDatabase) << "writing setting failed:" << query.lastError().text();
        return false;
    }
    return true;
}
