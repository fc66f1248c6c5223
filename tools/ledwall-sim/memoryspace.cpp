#include "memoryspace.h"

#include <mutex>

#include <algorithm>

namespace ledwall::sim
{

namespace
{
constexpr qint64 AddressSpaceEnd = qint64(1) << 32;
}

QByteArray SparseMemory::read(quint32 address, int length) const
{
    if (length <= 0)
        return QByteArray();
    const qint64 end = std::min<qint64>(qint64(address) + length, AddressSpaceEnd);
    QByteArray out(int(end - address), char(m_fill));
    qint64 position = address;
    while (position < end) {
        const quint32 page = quint32(position / PageSize);
        const int offset = int(position % PageSize);
        const int count = int(std::min<qint64>(PageSize - offset, end - position));
        const auto it = m_pages.constFind(page);
        if (it != m_pages.constEnd())
            std::copy_n(it->constData() + offset, count, out.data() + (position - address));
        position += count;
    }
    return out;
}

int SparseMemory::pagesNeeded(quint32 address, int length) const
{
    if (length <= 0)
        return 0;
    const quint32 first = address / PageSize;
    const quint32 last = quint32((qint64(address) + length - 1) / PageSize);
    int needed = 0;
    for (quint64 page = first; page <= last; ++page)
        needed += m_pages.contains(quint32(page)) ? 0 : 1;
    return needed;
}

bool SparseMemory::write(quint32 address, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return true;
    if (qint64(address) + bytes.size() > AddressSpaceEnd)
        return false;
    if (m_pages.size() + pagesNeeded(address, bytes.size()) > m_maxPages)
        return false;
    qint64 position = address;
    const qint64 end = qint64(address) + bytes.size();
    while (position < end) {
        const quint32 page = quint32(position / PageSize);
        const int offset = int(position % PageSize);
        const int count = int(std::min<qint64>(PageSize - offset, end - position));
        auto it = m_pages.find(page);
        if (it == m_pages.end())
            it = m_pages.insert(page, QByteArray(PageSize, char(m_fill)));
        std::copy_n(bytes.constData() + (position - address), count, it->data() + offset);
        position += count;
    }
    return true;
}

CardMemory::CardMemory()
    : m_registers(0x00, MaxRegisterPages),
      m_flash(0xFF, int((FlashEnd - FlashBegin) / SparseMemory::PageSize))
{
}

template <typename Visit> void CardMemory::split(quint32 address, qint64 length, Visit visit)
{
    qint64 position = address;
    const qint64 end = std::min<qint64>(qint64(address) + length, AddressSpaceEnd);
    while (position < end) {
        const bool flash = isFlash(quint32(position));
        qint64 boundary = end;
        if (position < FlashBegin)
            boundary = std::min<qint64>(end, FlashBegin);
        else if (flash)
            boundary = std::min<qint64>(end, FlashEnd);
        visit(flash, quint32(position), int(position - address), int(boundary - position));
        position = boundary;
    }
}

QByteArray CardMemory::read(quint32 address, int length) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray out;
    if (length <= 0)
        return out;
    split(address, length, [&](bool flash, quint32 from, int, int count) {
        out.append(flash ? m_flash.read(from, count) : m_registers.read(from, count));
    });
    return out;
}

bool CardMemory::write(quint32 address, const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (qint64(address) + bytes.size() > AddressSpaceEnd)
        return false;
    // Check both spaces first so that a refused write leaves nothing behind.
    int registerPages = 0;
    split(address, bytes.size(), [&](bool flash, quint32 from, int, int count) {
        if (!flash)
            registerPages += m_registers.pagesNeeded(from, count);
    });
    if (m_registers.pageCount() + registerPages > MaxRegisterPages)
        return false;
    bool ok = true;
    split(address, bytes.size(), [&](bool flash, quint32 from, int offset, int count) {
        ok = (flash ? m_flash : m_registers).write(from, bytes.mid(offset, count)) && ok;
    });
    return ok;
}

void CardMemory::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registers.clear();
    m_flash.clear();
}

} // namespace ledwall::sim
