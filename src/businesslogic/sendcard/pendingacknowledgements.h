#pragma once
// The frames of a write the card has not acknowledged yet, counted per address
// (a page written twice is acknowledged twice). A write is confirmed once none is
// left; the display record, the window pages and the calibration transfers each
// keep one.

#include <QHash>
#include <QtGlobal>

class PendingAcknowledgements
{
public:
    void expect(quint32 address, int frames = 1)
    {
        if (frames > 0)
            m_pending[address] += frames;
    }
    // True when a frame at `address` was awaited; it then counts as answered.
    bool acknowledge(quint32 address)
    {
        const auto frame = m_pending.find(address);
        if (frame == m_pending.end())
            return false;
        if (--frame.value() == 0)
            m_pending.erase(frame);
        return true;
    }
    bool awaits(quint32 address) const { return m_pending.contains(address); }
    bool isEmpty() const { return m_pending.isEmpty(); }
    int addressCount() const { return int(m_pending.size()); }
    void clear() { m_pending.clear(); }

private:
    QHash<quint32, int> m_pending;
};
