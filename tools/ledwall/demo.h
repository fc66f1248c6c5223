#pragma once
// The demo walks the library through the virtual wall, one group of steps per
// capability. Each group lives in its own demo_*.cpp file and is listed in
// demoGroups() (demo_groups.cpp); groups run in that order over one wall and one
// link.

#include "facadesession.h"
#include "virtualwall.h"

#include <QString>
#include <QVector>

namespace demo
{

struct Context {
    ledwall::sim::VirtualWall &wall;
    cli::FacadeSession &session;
    QString guid; // the link to the wall, opened by the first group
};

// Prints "demo: <step> ... ok (<detail>)".
void stepOk(const QString &step, const QString &detail = QString());
// Prints the failing step and returns false, so a group can `return fail(...)`.
bool fail(const QString &step, const QString &why);

constexpr int StepTimeoutMs = 3000;

struct Group {
    const char *name;
    bool (*run)(Context &context); // false after a failed step (already printed)
};

const QVector<Group> &demoGroups();

// Receiving cards to work on: a port with cabinets, the first and last card on it;
// a wall without any gets two on port 0.
struct Cards {
    int port = 0;
    int first = 0;
    int last = 0;
};
Cards receivingCards(ledwall::sim::VirtualWall &wall);

// Groups.
bool runRegisterDemo(Context &context);
bool runDevicesDemo(Context &context);
bool runFirmwareDemo(Context &context);
bool runLayoutDemo(Context &context);
bool runWindowsDemo(Context &context);
bool runChipDemo(Context &context);
bool runEchoDemo(Context &context);
bool runCalibrationDemo(Context &context);
bool runProcessorDemo(Context &context);

} // namespace demo
