#pragma once
// Byte layout of the sending card's ARM control frame and of the receiving-card
// inner frame it may carry. Pure functions over byte arrays; all multi-byte
// fields are big-endian.
//
// ARM header (28 bytes): 0-1 sync, 2-3 c0 c1, 4 c2 (or the acknowledgement
// request of a receiving-card write), 5-6 sequence, 7-8 c5 c6, 9-10 c4 c3,
// 11-14 address, 15-16 length, 17 wire flags, 18-19 datagram size, 20-21 status,
// 22-25 payload CRC-32, 26-27 header sum.

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>

namespace ledwall::arm
{

constexpr int HeaderSize = 28;
constexpr quint8 Sync0 = 0xA5;
constexpr quint8 Sync1 = 0x5A;
constexpr quint8 ReadOperation = 0xA4;
// The largest payload a frame may carry: the size field is 16 bits wide.
constexpr int MaxPayload = 0xFFFF - HeaderSize;

constexpr int InnerHeaderSize = 15; // sync 3, command, word 1, word 2, length, address, sum
constexpr int InnerOverhead = InnerHeaderSize + 4; // header and trailing CRC-32

quint16 readU16(const QByteArray &bytes, int offset);
quint32 readU32(const QByteArray &bytes, int offset);
void writeU16(QByteArray &bytes, int offset, quint16 value);
void writeU32(QByteArray &bytes, int offset, quint32 value);

// Standard CRC-32 of bytes [start, end); 0 when start >= end.
quint32 crc32(const QByteArray &bytes, int start, int end);

// A zeroed header with the sync bytes set.
QByteArray emptyHeader();

// Command bytes c0..c6 into their header positions.
void setCommandBytes(QByteArray &head, const quint8 (&c)[7]);
void setCommandBytes(QByteArray &head, const std::array<quint8, 7> &c);
void setAddress(QByteArray &head, quint32 address);
void setLength(QByteArray &head, quint16 length);

// 16-bit sum of the unsigned bytes 2..4, 7..16 and 22..25.
quint16 headerSum(const QByteArray &head);

// Fills the datagram size (18-19), the payload CRC-32 (22-25, 0 for an empty
// payload) and the header sum (26-27).
void finishHeader(QByteArray &head, const QByteArray &payload);
// The same for a payload of payloadSize bytes whose CRC-32 is already known.
void finishHeader(QByteArray &head, int payloadSize, quint32 payloadCrc);

struct InnerFrame {
    quint8 command = 0;
    quint16 word1 = 0;
    quint16 word2 = 0;
    quint16 dataLength = 0; // the data length field (a read request's length)
    quint32 address = 0;    // receiving-card address in 4-byte units
    QByteArray data;        // empty for read requests
};

// Sync, fields, header sum, data and the CRC-32 over bytes 3 to the end of data.
QByteArray buildInnerFrame(const InnerFrame &frame);
// Lays an inner frame into out (InnerOverhead + paddedLength bytes) in place: the
// header of `fields` (data ignored), `length` bytes of data, zeros up to
// paddedLength, the trailing CRC-32. Returns the CRC-32 of all the bytes written,
// the payload CRC of an ARM frame that carries exactly this inner frame.
quint32 writeInnerFrame(char *out, const InnerFrame &fields, const char *data, int length,
                        int paddedLength);
// True when bytes start with the inner frame's sync.
bool looksLikeInnerFrame(const QByteArray &bytes);
// Checks sync, header sum, the data length against the bytes present and the
// CRC-32; nothing is read past the end.
std::optional<InnerFrame> parseInnerFrame(const QByteArray &bytes);

} // namespace ledwall::arm
