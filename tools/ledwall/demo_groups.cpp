#include "demo.h"

namespace demo
{

const QVector<Group> &demoGroups()
{
    static const QVector<Group> groups = {
        {"registers", &runRegisterDemo},  {"devices", &runDevicesDemo},
        {"firmware", &runFirmwareDemo},   {"layout", &runLayoutDemo},
        {"windows", &runWindowsDemo},     {"calibration", &runCalibrationDemo},
        {"chip", &runChipDemo},           {"echo", &runEchoDemo},
        {"processor", &runProcessorDemo},
    };
    return groups;
}

} // namespace demo
