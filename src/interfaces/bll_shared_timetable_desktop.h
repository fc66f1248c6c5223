#pragma once
// The store of shared timetables, over the database's "timetable" table.
//
// A light object: construct one per operation. Every statement binds its values,
// so texts with quotes or semicolons are stored as they are.

#include "module_shared_timetableinfo.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Bll_Shared_Timetable_Desktop
{
public:
    Bll_Shared_Timetable_Desktop() = default;

    // The records of one timetable (an empty id: every record), ordered by
    // timetableID, then num, then insertion. Empty on a database failure.
    QList<Module_Shared_TimetableInfo> getSharedTimetableInfoList(QString timetableID);
    // Appends one record; false on a database failure or an empty timetableID.
    bool addSharedTimetableInfo(Module_Shared_TimetableInfo info);
    // Deletes every record of the timetable. An empty id deletes nothing and
    // gives false (it would otherwise wipe every timetable).
    bool delSharedTimetableInfo(QString timetableID);
    // The distinct values of one column, ascending. The field must be one of
    // fieldNames(); any other name gives an empty list and a log line.
    QVariantList getDifferentValueForField(QString field);

    static QStringList fieldNames();
};
