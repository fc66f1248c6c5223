#include "module_shared_timetableinfo.h"

Module_Shared_TimetableInfo::Module_Shared_TimetableInfo()
{
    m_moduleName = QStringLiteral("Module_Shared_TimetableInfo");
    registerMembers();
}

Module_Shared_TimetableInfo::Module_Shared_TimetableInfo(const Module_Shared_TimetableInfo &other)
    : Module_Base(other), timetableID(other.timetableID), period(other.period),
      repetition(other.repetition), runTime(other.runTime), scene(other.scene),
      strDeviceID(other.strDeviceID), num(other.num)
{
    registerMembers();
}

Module_Shared_TimetableInfo &
Module_Shared_TimetableInfo::operator=(const Module_Shared_TimetableInfo &other)
{
    // The tables keep pointing at this object's own members.
    Module_Base::operator=(other);
    timetableID = other.timetableID;
    period = other.period;
    repetition = other.repetition;
    runTime = other.runTime;
    scene = other.scene;
    strDeviceID = other.strDeviceID;
    num = other.num;
    return *this;
}

Module_Base *Module_Shared_TimetableInfo::clone() const
{
    return new Module_Shared_TimetableInfo(*this);
}

void Module_Shared_TimetableInfo::registerMembers()
{
    const QString text = QStringLiteral("class QString");
    registerMember(QStringLiteral("timetableID"), &timetableID, text);
    registerMember(QStringLiteral("period"), &period, text);
    registerMember(QStringLiteral("repetition"), &repetition, text);
    registerMember(QStringLiteral("runTime"), &runTime, text);
    registerMember(QStringLiteral("scene"), &scene, text);
    registerMember(QStringLiteral("strDeviceID"), &strDeviceID, text);
    registerMember(QStringLiteral("num"), &num, QStringLiteral("int"));
}
