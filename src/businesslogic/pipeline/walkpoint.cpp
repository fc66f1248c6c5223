#include "walkpoint.h"

WalkPointDraw WalkPointState::draw(quint32 pointIndex, quint32 address, bool on) const
{
    WalkPointDraw d;
    d.guid = m_guid;
    d.pointIndex = pointIndex;
    d.address = address;
    d.virtualPointCount = m_virtualPointCount;
    d.scanLineLen = m_scanLineLen;
    d.advance = m_advance;
    d.on = on;
    return d;
}

QVector<WalkPointDraw> WalkPointState::command(const ModuleCommand &cmd)
{
    QVector<WalkPointDraw> draws;
    m_guid = cmd.guid;
    m_advance = cmd.bAdvance;

    if (m_advance) {
        const quint32 p = cmd.pointIndex;
        const quint32 a = cmd.ltcpAddr_data;
        // Distance of a above the first point address (modulo 2^32), in whole
        // 256-point rows.
        const quint32 limit = (a - FirstAddress) & ~0xFFu;
        if (p > limit && a >= FirstAddress && p != 0 && p % 256 == 0) {
            WalkPointDraw d = draw(p, a, true);
            d.virtualPointCount = cmd.virtualPointCount;
            d.scanLineLen = cmd.scanLineLen;
            draws.append(d);
            return draws; // a one-off point: the blinking point stays as it was
        }
    }

    m_pointIndex = cmd.pointIndex;
    m_address = cmd.ltcpAddr_data;
    m_virtualPointCount = cmd.virtualPointCount;
    m_scanLineLen = cmd.scanLineLen;
    if (m_address > FirstAddress && m_phase)
        draws.append(draw(m_pointIndex, m_address - 0x100u, false)); // the previous, still lit
    if (m_address >= FirstAddress && m_pointIndex == 0x100)
        draws.append(draw(0x100, m_address + 0x100u, true));
    m_phase = false;
    m_tick = 0;
    m_active = true;
    draws.append(draw(m_pointIndex, m_address, false));
    return draws;
}

std::optional<WalkPointDraw> WalkPointState::tick()
{
    if (!m_active)
        return std::nullopt;
    if (m_tick++ != TicksPerPhase - 1)
        return std::nullopt;
    m_tick = 0;
    m_phase = !m_phase;
    return draw(m_pointIndex, m_address, m_phase);
}
