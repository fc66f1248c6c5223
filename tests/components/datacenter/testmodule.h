#pragma once
// A small data object for the data-center tests.

#include "module_base.h"

class TestModule : public Module_Base
{
public:
    explicit TestModule(const QString &name = QStringLiteral("Module_Test"), int value = 0,
                        int sceneDataType = -1)
        : value(value), sceneDataType(sceneDataType)
    {
        m_moduleName = name;
        registerMembers();
    }
    TestModule(const TestModule &other)
        : Module_Base(other), value(other.value), portNum(other.portNum),
          sceneDataType(other.sceneDataType), itemList(other.itemList)
    {
        registerMembers();
    }
    Module_Base *clone() const override { return new TestModule(*this); }
    QVariantMap toMap() const override
    {
        QVariantMap map = Module_Base::toMap();
        if (sceneDataType >= 0)
            map.insert(QStringLiteral("sceneDataType"), sceneDataType);
        if (!itemList.isEmpty())
            map.insert(QStringLiteral("itemList"), itemList);
        return map;
    }

    int value = 0;
    int portNum = 0;
    int sceneDataType = -1;
    QVariantList itemList;

private:
    void registerMembers()
    {
        registerMember(QStringLiteral("value"), &value, QStringLiteral("int"));
        registerMember(QStringLiteral("portNum"), &portNum, QStringLiteral("int"));
    }
};
