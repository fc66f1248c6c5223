#include "demo.h"

namespace demo {

const QVector<Group> &demoGroups()
{
    static const QVector<Group> groups = {
        {"registers", &runRegisterDemo},
    };
    return groups;
}

} // namespace demo
