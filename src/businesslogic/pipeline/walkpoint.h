#pragma once
// The walking-point test pattern of the sending card: a command places the point,
// idle rounds of the send thread make it blink.

#include "modulecommand.h"
#include "registermap.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

// One call of DAL_SendCard::fillWalkPointer.
struct WalkPointDraw {
    QString guid;
    quint32 pointIndex = 0;
    quint32 address = 0;
    quint32 virtualPointCount = 0;
    quint32 scanLineLen = 0;
    bool advance = false;
    bool on = false;

    bool operator==(const WalkPointDraw &o) const
    {
        return guid == o.guid && pointIndex == o.pointIndex && address == o.address &&
               virtualPointCount == o.virtualPointCount && scanLineLen == o.scanLineLen &&
               advance == o.advance && on == o.on;
    }
};

// The walking-point test pattern: a command places the point, idle ticks make it
// blink. Pure state; the caller performs the draws it returns.
class WalkPointState
{
public:
    static constexpr quint32 FirstAddress = ledwall::registers::StoredPicture;
    static constexpr int TicksPerPhase = 26;

    // A "Module_PixelWalkPointMap" command; returns the draws in calling order.
    QVector<WalkPointDraw> command(const ModuleCommand &cmd);
    // One idle round of the send thread: every TicksPerPhase rounds the point is
    // redrawn, lit and dark in turn.
    std::optional<WalkPointDraw> tick();
    void stop() { m_active = false; }

    bool active() const { return m_active; }
    bool phase() const { return m_phase; }
    int tickCount() const { return m_tick; }

private:
    WalkPointDraw draw(quint32 pointIndex, quint32 address, bool on) const;

    bool m_active = false;
    int m_tick = 0;
    bool m_phase = false;
    QString m_guid;
    quint32 m_pointIndex = 1;
    quint32 m_address = 0;
    quint32 m_scanLineLen = 0;
    quint32 m_virtualPointCount = 0;
    bool m_advance = false;
};
