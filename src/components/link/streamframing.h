#pragma once
// Byte-stream framing for serial and USB links: datagrams are sent back to back,
// each wrapped in a small record so that the receiver can find the boundaries
// again after lost or corrupted bytes.
//
//   bytes 0-1   magic 0x7E 0xE7
//   bytes 2-3   datagram length n, big-endian, 1..65535
//   byte  4     header check: 0xFF minus the byte sum of bytes 0-3 (mod 256)
//   bytes 5..   the datagram (n bytes)
//   last 4      CRC-32 (zlib) of the datagram, big-endian
//
// A record whose header check or CRC fails is not trusted: the reader skips one
// byte and looks for the next magic.

#include <QByteArray>
#include <QList>

namespace ledwall::link
{

class StreamDeframer
{
public:
    static constexpr int HeaderSize = 5;
    static constexpr int TrailerSize = 4;
    static constexpr int MaxDatagram = 0xFFFF;

    // The record for `datagram`; empty when the datagram is empty or too large.
    static QByteArray wrap(const QByteArray &datagram);

    // Appends received bytes and returns the datagrams completed by them.
    QList<QByteArray> feed(const QByteArray &bytes);

    // Bytes thrown away while resynchronising, and records that failed their checks.
    qint64 skippedBytes() const { return m_skippedBytes; }
    qint64 badRecords() const { return m_badRecords; }
    int bufferedBytes() const { return m_buffer.size(); }
    void reset() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    qint64 m_skippedBytes = 0;
    qint64 m_badRecords = 0;
};

} // namespace ledwall::link
