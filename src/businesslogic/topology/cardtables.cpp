#include "cardtables.h"

#include "applicationdirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace
{
Q_LOGGING_CATEGORY(lcCardTables, "ledwall.topology.cardtables")

// Runs sql on the default connection and files every row's column values under
// the key that keyOf gives for the row. The connection is added for "rcFun.db"
// beside the programs when there is none; an existing one is used as it is. It is
// closed again afterwards unless it was open already (then it belongs to someone
// else who still needs it).
template <typename KeyOf> QVariantMap readCardTable(const QString &sql, KeyOf keyOf)
{
    const QString connection = QLatin1String(QSqlDatabase::defaultConnection);
    QSqlDatabase db;
    if (QSqlDatabase::contains(connection)) {
        db = QSqlDatabase::database(connection, false);
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(
            QDir(ledwall::applicationDirectory()).filePath(QStringLiteral("rcFun.db")));
    }
    const bool wasOpen = db.isOpen();
    if (!wasOpen) {
        // Opening a missing SQLite file would leave an empty database behind.
        const QString name = db.databaseName();
        if (db.driverName() == QLatin1String("QSQLITE") && name != QLatin1String(":memory:") &&
            !name.startsWith(QLatin1String("file:")) && !QFileInfo::exists(name)) {
            qCDebug(lcCardTables) << "card function database not found:" << name;
            return {};
        }
        if (!db.open()) {
            qCDebug(lcCardTables) << "cannot open the card function database" << db.databaseName()
                                  << db.lastError().text();
            return {};
        }
    }

    QVariantMap result;
    {
        QSqlQueryModel model;
        model.setQuery(QSqlQuery(sql, db));
        if (model.lastError().isValid()) {
            qCDebug(lcCardTables) << sql << model.lastError().text();
        } else {
            // The model fetches in batches; read every row, not just the first batch.
            while (model.canFetchMore())
                model.fetchMore();
            QString key = QStringLiteral("1");
            for (int row = 0; row < model.rowCount(); ++row) {
                const QSqlRecord record = model.record(row);
                QVariantList values;
                values.reserve(record.count());
                for (int column = 0; column < record.count(); ++column)
                    values.append(record.value(column));
                key = keyOf(record, key);
                result.insert(key, values);
            }
        }
        model.clear();
    }
    if (!wasOpen)
        db.close();
    return result;
}

} // namespace

namespace ledwall::cardtables
{

QVariantMap readReceivingCardModels()
{
    return readCardTable(QStringLiteral("select * from recvCardTab"),
                         [](const QSqlRecord &record, const QString &previous) {
                             const int column = record.indexOf(QStringLiteral("HexCode"));
                             return column < 0 ? previous : record.value(column).toString();
                         });
}

QVariantMap readCardFunctions()
{
    return readCardTable(QStringLiteral("select * from rcFunTab"),
                         [](const QSqlRecord &record, const QString &previous) {
                             return record.count() > 0 ? record.value(0).toString() : previous;
                         });
}

} // namespace ledwall::cardtables
