#include "bll_shared_timetable_desktop.h"

#include "bll_database_desktop.h"
#include "databaselog.h"

#include <QSqlError>
#include <QSqlQuery>

QStringList Bll_Shared_Timetable_Desktop::fieldNames()
{
    return {QStringLiteral("timetableID"), QStringLiteral("period"), QStringLiteral("repetition"),
            QStringLiteral("runTime"),     QStringLiteral("scene"),  QStringLiteral("strDeviceID"),
            QStringLiteral("num")};
}

QList<Module_Shared_TimetableInfo>
Bll_Shared_Timetable_Desktop::getSharedTimetableInfoList(QString timetableID)
{
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen())
        return {};
    QSqlQuery query(db);
    const QString select = QStringLiteral(
        "SELECT timetableID, period, repetition, runTime, scene, strDeviceID, num FROM timetable");
    const QString order = QStringLiteral(" ORDER BY timetableID, num, id");
    if (timetableID.isEmpty()) {
        query.prepare(select + order);
    } else {
        query.prepare(select + QStringLiteral(" WHERE timetableID = ?") + order);
        query.addBindValue(timetableID);
    }
    if (!query.exec()) {
        qCDebug(lcDatabase) << "reading timetable failed:" << query.lastError().text();
        return {};
    }
    QList<Module_Shared_TimetableInfo> records;
    while (query.next()) {
        Module_Shared_TimetableInfo info;
        info.timetableID = query.value(0).toString();
        info.period = query.value(1).toString();
        info.repetition = query.value(2).toString();
        info.runTime = query.value(3).toString();
        info.scene = query.value(4).toString();
        info.strDeviceID = query.value(5).toString();
        info.num = query.value(6).toInt();
        records.append(info);
    }
    return records;
}

bool Bll_Shared_Timetable_Desktop::addSharedTimetableInfo(Module_Shared_TimetableInfo info)
{
    if (info.timetableID.isEmpty()) {
        qCDebug(lcDatabase) << "timetable record without timetableID refused";
        return false;
    }
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO timetable (timetableID, period, repetition, "
                                 "runTime, scene, strDeviceID, num) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(info.timetableID);
    query.addBindValue(info.period);
    query.addBindValue(info.repetition);
    query.addBindValue(info.runTime);
    query.addBindValue(info.scene);
    query.addBindValue(info.strDeviceID);
    query.addBindValue(info.num);
    if (!query.exec()) {
        qCDebug(lcDatabase) << "adding timetable record failed:" << query.lastError().text();
        return false;
    }
    return true;
}

bool Bll_Shared_Timetable_Desktop::delSharedTimetableInfo(QString timetableID)
{
    if (timetableID.isEmpty()) {
        qCDebug(lcDatabase) << "deleting a timetable needs its id";
        return false;
    }
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("DELETE FROM timetable WHERE timetableID = ?"));
    query.addBindValue(timetableID);
    if (!query.exec()) {
        qCDebug(lcDatabase) << "deleting timetable failed:" << query.lastError().text();
        return false;
    }
    return true;
}

QVariantList Bll_Shared_Timetable_Desktop::getDifferentValueForField(QString field)
{
    // The column name cannot be bound: it is taken only from the fixed list.
    const QStringList names = fieldNames();
    const int index = names.indexOf(field);
    if (index < 0) {
        qCDebug(lcDatabase) << "unknown timetable field refused:" << field;
        return {};
    }
    const QString column = names.at(index);
    QSqlDatabase db = BLL_DataBase_Desktop::getInstance()->database();
    if (!db.isOpen())
        return {};
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT DISTINCT %1 FROM timetable ORDER BY %1").arg(column))) {
        qCDebug(lcDatabase) << "reading distinct values failed:" << query.lastError().text();
        return {};
    }
    QVariantList values;
    while (query.next())
        values.append(query.value(0));
    return values;
}
