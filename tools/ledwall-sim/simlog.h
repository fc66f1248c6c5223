#pragma once
#include <QLoggingCategory>

namespace ledwall::sim
{
Q_DECLARE_LOGGING_CATEGORY(lcSim)
}
