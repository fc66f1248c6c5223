#pragma once
// One record of a shared timetable: a scheduled scene change.
//
// Records with the same timetableID form one timetable; num orders the records
// inside it. The members are registered in the reflection tables under their
// own names ("class QString" for the texts, "int" for num), so a record can be
// filled from a parameter map.

#include "module_base.h"

class Module_Shared_TimetableInfo : public Module_Base
{
public:
    Module_Shared_TimetableInfo();
    Module_Shared_TimetableInfo(const Module_Shared_TimetableInfo &other);
    Module_Shared_TimetableInfo &operator=(const Module_Shared_TimetableInfo &other);
    ~Module_Shared_TimetableInfo() override = default;

    Module_Base *clone() const override;

    QString timetableID;
    QString period;
    QString repetition;
    QString runTime;
    QString scene;
    QString strDeviceID;
    int num = 0;

private:
    void registerMembers();
};
