#include "simlog.h"

namespace ledwall::sim
{
Q_LOGGING_CATEGORY(lcSim, "ledwall.sim")
}
