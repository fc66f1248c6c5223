#pragma once
// The wire formats as the virtual wall sees them: a checking decoder for every
// datagram it receives and encoders for the replies it sends.
//
// This is the reference check of the frames that the library puts on the wire, so
// it is written independently of the packet layer: it never trusts a length before
// comparing it with the datagram and never reads past the end.

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <array>

namespace ledwall::sim
{

// Why a datagram was refused. `None` means it is a well-formed frame.
enum class RejectReason {
    None = 0,
    TooShort,     // shorter than its header
    BadSync,      // neither the sending-card sync bytes nor the envelope magic
    BadLength,    // the length fields disagree with the datagram size
    BadHeaderSum, // the sending-card header sum does not match
    BadCrc,       // the CRC-32 does not match
    UnknownType,  // an envelope with a protocol type the wall does not know
    TooLong       // larger than any frame of its kind may be
};
constexpr int RejectReasonCount = 8; // including None

// A short, stable name ("too-short", "bad-sync", ...) for logs and JSON.
QString rejectReasonName(RejectReason reason);

namespace wire
{
constexpr quint8 ArmSync0 = 0xA5;
constexpr quint8 ArmSync1 = 0x5A;
constexpr int ArmHeaderSize = 28;
// Largest sending-card payload: the datagram size field is 16 bits wide.
constexpr int MaxArmPayload = 0xFFFF - ArmHeaderSize;
constexpr int MaxReadLength = 1024;

constexpr int EnvelopeHeaderSize = 20;
constexpr int MaxEnvelopePayload = 65000;

// Wire flag bits (header byte 17 / envelope byte 3).
constexpr quint8 FlagReplyExpected = 0x01;
constexpr quint8 FlagDiscovery = 0x20;
constexpr quint8 FlagAcknowledge = 0x40;
constexpr quint8 FlagFromDevice = 0x80;

// Operation byte c0 of a read request.
constexpr quint8 OperationRead = 0xA4;

// Reply status codes.
constexpr quint16 StatusOk = 0;
constexpr quint16 StatusMalformed = 1;
constexpr quint16 StatusOutOfRange = 2;

// First bytes of a receiving-card inner frame.
bool isReceivingCardFrame(const QByteArray &payload);

// Standard CRC-32 (zlib).
quint32 crc32(const QByteArray &bytes);
// 16-bit sum of the unsigned header bytes 2..4, 7..16 and 22..25.
// `head` must hold at least ArmHeaderSize bytes; returns 0 otherwise.
quint16 armHeaderSum(const QByteArray &head);
} // namespace wire

// One decoded frame of any kind. Fields that a kind does not carry stay zero.
struct Frame {
    int protocolType = 0; // 0 sending card, 1 VPU, 2 processor
    quint16 sequence = 0;
    quint8 flags = 0;
    quint16 status = 0;
    QByteArray payload;

    // Sending-card header (type 0).
    std::array<quint8, 7> command{}; // c0..c6
    quint32 address = 0;
    quint16 length = 0;

    // Envelope (types 1 and 2).
    quint16 module = 0;
    quint8 vpuByte1 = 0;
    quint8 vpuByte2 = 0;

    quint8 operation() const { return command[0]; }
    bool replyExpected() const { return flags & wire::FlagReplyExpected; }
    bool isDiscovery() const { return flags & wire::FlagDiscovery; }
    bool isReceivingCardFrame() const
    {
        return protocolType == 0 && wire::isReceivingCardFrame(payload);
    }
};

// Checks a datagram and, when it is well formed and `frame` is given, decodes it.
RejectReason decodeDatagram(const QByteArray &datagram, Frame *frame);
inline RejectReason validateDatagram(const QByteArray &datagram)
{
    return decodeDatagram(datagram, nullptr);
}

// The datagram for `frame`: sizes, CRC and header sum are computed here; the
// payload must respect the size limits above (it is not truncated).
QByteArray encodeFrame(const Frame &frame);

} // namespace ledwall::sim

Q_DECLARE_METATYPE(ledwall::sim::Frame)
