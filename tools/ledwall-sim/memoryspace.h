#pragma once
// The memory of a simulated card: a sparse byte store over a 32-bit address space.
//
// Layout of a sending card:
//   0x00100000 .. 0x003FFFFF  flash; bytes never written read 0xFF (erased flash)
//   everything else           registers; bytes never written read 0x00
// Writes are stored as they come (the model does not ask for an erase before a
// flash write). Storage is allocated in pages on first write and capped, so a
// peer cannot make the simulator allocate without bound.

#include <QByteArray>
#include <QHash>
#include <mutex>

namespace ledwall::sim
{

// One region of sparse memory with a fill byte for unwritten bytes.
class SparseMemory
{
public:
    static constexpr int PageSize = 4096;

    explicit SparseMemory(quint8 fillByte = 0x00, int maxPages = 4096)
        : m_fill(fillByte), m_maxPages(maxPages)
    {
    }

    // Bytes [address, address + length); unwritten bytes read as the fill byte.
    // A range that runs past 0xFFFFFFFF is cut at the end of the address space.
    QByteArray read(quint32 address, int length) const;
    // False (and nothing written) when the write would need more pages than allowed
    // or runs past the end of the address space.
    bool write(quint32 address, const QByteArray &bytes);
    // Number of pages that would have to be added to store `length` bytes at `address`.
    int pagesNeeded(quint32 address, int length) const;

    int pageCount() const { return m_pages.size(); }
    void clear() { m_pages.clear(); }

private:
    quint8 m_fill;
    int m_maxPages;
    QHash<quint32, QByteArray> m_pages; // page index -> PageSize bytes
};

// The two spaces of a sending card behind one address range; thread-safe.
class CardMemory
{
public:
    static constexpr quint32 FlashBegin = 0x00100000;
    static constexpr quint32 FlashEnd = 0x00400000; // one past the last flash byte
    // Register space may hold up to 16 MiB of written data; flash is 3 MiB anyway.
    static constexpr int MaxRegisterPages = 4096;

    CardMemory();

    static bool isFlash(quint32 address) { return address >= FlashBegin && address < FlashEnd; }

    // `length` bytes (0 for a negative length) starting at `address`; a range that
    // crosses the flash boundary reads each part from its own space.
    QByteArray read(quint32 address, int length) const;
    // Stores the bytes; false and nothing stored when the range runs past the end
    // of the address space or memory is exhausted.
    bool write(quint32 address, const QByteArray &bytes);
    void clear();

private:
    template <typename Visit> static void split(quint32 address, qint64 length, Visit visit);

    mutable std::mutex m_mutex;
    SparseMemory m_registers;
    SparseMemory m_flash;
};

} // namespace ledwall::sim
