#pragma once
// Card information blocks: how a block of bytes is cut into ARM control frames for
// the sending card or for the receiving cards behind it, and how frames are laid
// into a U-disk image. Plain functions over value types; the sending-card object
// calls them and does the sending, the waiting and the bookkeeping.

#include "flashaccessdescriptor.h"
#include "registermap.h"

#include <QByteArray>
#include <QVector>

#include <array>

namespace ledwall::blocks
{

// Top byte of a receiving-card address: the space it names. Flash, and memory
// written in 16-byte units.
using registers::spaceOf;
constexpr quint8 FlashSpace = spaceOf(registers::ReceivingFlash.first);
constexpr quint8 PaddedSpace = spaceOf(registers::ReceivingMemory.first);
constexpr int PaddedUnit = 16;
constexpr int FlashPageSize = 256;   // writeRecvCardFlashInfo's page
constexpr int FlashGroupSize = 4096; // the flash erases in groups of this size
constexpr int AckEvery = 10;         // frames between acknowledgement requests
constexpr quint8 AckRequest = 0x80;  // header byte 4 of a receiving-card write

struct Chunk {
    int offset = 0;
    int length = 0;
};

// True for the operations whose block always ends with a final frame, even an
// empty one (the card takes it as the end of the block).
bool alwaysSendsFinalFrame(quint8 c0);

// Sending-card write: size / chunkSize full chunks, then the rest; the final frame
// is also sent when the rest is empty for the operations above. Empty for a
// chunk size below 1 or a negative size.
QVector<Chunk> sendCardChunks(int size, int chunkSize, quint8 c0);

// Receiving-card write: the full chunks and the rest, never an empty chunk.
QVector<Chunk> receivingCardChunks(int size, int chunkSize);

// The data padded with zero bytes to a whole number of 16-byte units.
QByteArray padToUnit(const QByteArray &data);

// Header bytes 2..4, 7..16 and 18..27 of a frame with this payload: command bytes,
// address, length, datagram size, payload CRC-32 and header sum.
void fillHeader(QByteArray &head, const std::array<quint8, 7> &c, quint32 address, quint16 length,
                const QByteArray &payload);

// Header byte 4 replaced (the acknowledgement request of a receiving-card write)
// and the header sum brought up to date.
void setFlagsByte(QByteArray &head, quint8 flags);

// The inner frame of one receiving-card chunk (or read request: empty data) with
// the descriptor's command and card words.
QByteArray innerFrame(const FlashAccessDescriptor &descriptor, quint32 receivingAddress,
                      quint16 dataLength, const QByteArray &data);

// Which frames of a receiving-card block ask for an acknowledgement: the first one
// when the caller says so (a calibration transfer just started), every tenth frame
// after the previous request, and the last one.
class AckSchedule
{
public:
    AckSchedule(int frameCount, bool askFirst) : m_frameCount(frameCount), m_askFirst(askFirst) {}
    // Frames are asked about in order, 0 .. frameCount - 1.
    bool asks(int frame);

private:
    int m_frameCount;
    bool m_askFirst;
    int m_sinceLast = 0;
};

// Appends one frame to a U-disk image: the 28 header bytes, the payload, and 0xFF
// bytes up to a multiple of 4.
void appendUsbFrame(QByteArray &image, const QByteArray &head, const QByteArray &payload);

// Appends the frame of one receiving-card chunk to a U-disk image, built in place
// with the bytes appendUsbFrame would lay down for fillHeader + innerFrame: the
// chunk (length bytes) is zero-padded to paddedLength inside its inner frame, and
// the header carries the descriptor's start address and, when flags >= 0, that
// byte 4. `head` is scratch space for the header, kept between calls.
void appendUsbChunkFrame(QByteArray &image, QByteArray &head,
                         const FlashAccessDescriptor &descriptor, quint32 receivingAddress,
                         const char *chunk, int length, int paddedLength, int flags);

} // namespace ledwall::blocks
