// The calibration file index of the sending-card object: which calibration file
// belongs to which device, in the SQLite file "adjustDB.db" (table adjustTab).
// Each request runs on a worker thread; the object mutex runs them one at a time.
//
// A Qt SQL connection may only be used by the thread that made it, so each
// request opens its own connection and removes it when done. Values are bound,
// never pasted into the statement: a guid or path with a quote is stored as is.

#include "bll_businesslogic_sendcardpackage.h"

#include <QAtomicInt>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace
{
Q_LOGGING_CATEGORY(lcAdjustDb, "ledwall.sendcard.adjustdb")

QAtomicInt s_connectionSerial;

QString key(const char *text)
{
    return QLatin1String(text);
}

// One connection for the length of one request.
class RequestConnection
{
public:
    explicit RequestConnection(const QString &path)
        : m_name(
              QStringLiteral("ledwall.adjustDB.%1").arg(s_connectionSerial.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
    }
    ~RequestConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    RequestConnection(const RequestConnection &) = delete;
    RequestConnection &operator=(const RequestConnection &) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

QVariantMap execute(QSqlDatabase &db, const char *statement, const QVariantList &values)
{
    QSqlQuery query(db);
    if (query.prepare(QLatin1String(statement))) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        query.exec();
    }
    return {{key("result"), query.lastError().text()}};
}

QVariantMap insertAdjustDB(QSqlDatabase &db, const QVariantMap &request)
{
    if (!request.contains(key("guid")) || !request.contains(key("filePath")))
        return {{key("result"), QStringLiteral("No guid")}};
    return execute(
        db, "INSERT INTO adjustTab (guid, filePath) VALUES (?, ?);",
        {request.value(key("guid")).toString(), request.value(key("filePath")).toString()});
}

QVariantMap deleteAdjustDB(QSqlDatabase &db, const QVariantMap &request)
{
    if (!request.contains(key("id")))
        return {{key("result"), QStringLiteral("No id")}};
    return execute(db, "DELETE FROM adjustTab WHERE id = ?;", {request.value(key("id"))});
}

QVariantMap updateAdjustDB(QSqlDatabase &db, const QVariantMap &request)
{
    if (!request.contains(key("id")) || !request.contains(key("guid")) ||
        !request.contains(key("filePath")))
        return {{key("result"), QStringLiteral("No guid")}};
    return execute(db, "UPDATE adjustTab SET guid = ?, filePath = ? WHERE id = ?;",
                   {request.value(key("guid")).toString(),
                    request.value(key("filePath")).toString(), request.value(key("id"))});
}

QVariantMap seleteAdjustDB(QSqlDatabase &db)
{
    QSqlQuery query(db);
    QVariantList rows;
    if (query.exec(QStringLiteral("SELECT * FROM adjustTab;"))) {
        while (query.next()) {
            const QSqlRecord record = query.record();
            QVariantMap row;
            for (int i = 0; i < record.count(); ++i)
                row.insert(record.fieldName(i), record.value(i));
            rows.append(row);
        }
    }
    return {{key("result"), query.lastError().text()}, {key("data"), rows}};
}

} // namespace

void BLL_BusinessLogic_SendCardPackage::operationAdjustDB(QVariantMap request)
{
    m_workers.start([this, request] { td_operationAdjustDB(request); });
}

void BLL_BusinessLogic_SendCardPackage::td_operationAdjustDB(QVariantMap request)
{
    QVariantMap result;
    {
        QMutexLocker locker(&m_mutex);
        result = adjustDatabaseRequest(request);
    }
    emit sig_readDevData(result);
}

QVariantMap BLL_BusinessLogic_SendCardPackage::adjustDatabaseRequest(const QVariantMap &request)
{
    RequestConnection connection(m_adjustDatabasePath);
    QSqlDatabase db = connection.database();
    if (!db.open()) {
        qCDebug(lcAdjustDb) << "adjustDB not opened:" << db.lastError().text();
        return {{key("result"), QStringLiteral("The database is not open")}};
    }
    // A new file gets its table.
    QSqlQuery create(db);
    if (!create.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS adjustTab (id INTEGER PRIMARY "
                                    "KEY AUTOINCREMENT, guid TEXT, filePath TEXT);")))
        qCDebug(lcAdjustDb) << "adjustTab not created:" << create.lastError().text();

    QVariantMap result;
    if (!request.contains(key("operate")))
        return result;
    const QString operate = request.value(key("operate")).toString();
    if (operate == QLatin1String("Insert"))
        result = insertAdjustDB(db, request);
    else if (operate == QLatin1String("Delete"))
        result = deleteAdjustDB(db, request);
    else if (operate == QLatin1String("Update"))
        result = updateAdjustDB(db, request);
    else if (operate == QLatin1String("Selete"))
        result = seleteAdjustDB(db);
    // "Close": every request closes its connection anyway.
    result.insert(key("operate"), request.value(key("operate")));
    return result;
}
