#pragma once
// Checksums of the card frames and files: CRC-32, CRC-16 and byte sums. Plain
// functions, no state.

#include <QByteArray>
#include <QtGlobal>

#include <array>

namespace ledwall::checksums
{

// The 256-entry table of the CRC-16 below (polynomial 0x1021, not reflected).
extern const std::array<quint16, 256> g_CRCTAB;

// Standard CRC-32 (reflected 0xEDB88320, initial 0xFFFFFFFF, final complement) of
// data[start .. end-1]. The range is clipped to the array; an empty range gives 0.
quint32 crc32(const QByteArray &data, qint64 end, qint64 start);

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
quint16 crc16(const void *data, qsizetype length);

// Low 8 bits of the sum of data[3] .. data[length-1]; 0 when length <= 3. The
// range is clipped to the array.
quint8 headerSum8(const QByteArray &data, int length);

// Low 16 bits of the sum of every byte.
quint16 byteSum16(const QByteArray &data);

// One of the sums above over data that arrives in pieces (a file too large to hold
// whole): add() the pieces in order, then value() equals the sum of the whole.
class StreamingChecksum
{
public:
    enum class Kind { Crc32, Crc16, HeaderSum8, ByteSum16 };

    explicit StreamingChecksum(Kind kind) : m_kind(kind) {}
    void add(const char *data, qint64 length);
    quint32 value() const;

private:
    Kind m_kind;
    quint32 m_state = 0;
    qint64 m_offset = 0;
};

} // namespace ledwall::checksums
