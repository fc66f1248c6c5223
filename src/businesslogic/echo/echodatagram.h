#pragma once
// Echo datagrams of a processor that sends the video of its channels back as
// H.264 frames over UDP. Every datagram starts with a 15-byte header:
//
//     0..3   FF 01 00 00        magic; anything else is not an echo datagram
//     4      (carried)
//     5      channel number
//     6      packet type: 'i' stream information, 'b' first packet of a frame,
//            'q' following packet of a frame
//     7..8   packet count of the frame, big-endian ('i': byte 7 = 1 framed stream)
//     9..10  frame number, big-endian
//     11..14 'b': a 32-bit value, little-endian (carried)
//            'q': bytes 13..14 the packet index, big-endian
//     15..   payload
//
// The desktop asks for the stream with one 14-byte request datagram.

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

namespace ledwall::echo
{

constexpr int HeaderLength = 15;
constexpr int RequestLength = 14;
constexpr char TypeInformation = 'i';
constexpr char TypeBegin = 'b';
constexpr char TypeFollowing = 'q';

struct EchoHeader {
    quint8 carried = 0; // byte 4
    quint8 channel = 0;
    char type = 0;
    quint16 packetCount = 0;
    quint16 frameNumber = 0;
    quint16 packetIndex = 0; // 'q' packets; 0 for 'b'
    quint32 beginValue = 0;  // 'b' packets
};

// The request that starts the echo stream: FF 01 00 00 00 00 'h' and seven zeros.
QByteArray echoRequestDatagram();

// True for a datagram of at least the header's length with the magic; fills header.
bool parseEchoHeader(const QByteArray &datagram, EchoHeader *header);

// Whether the processor streams framed echo video. Unknown until the stream
// information datagram has been seen.
enum class StreamMode { Unknown = -1, NotSupported = 0, Framed = 1 };

// The mode a stream information datagram announces (exactly a header, type 'i');
// Unknown for every other datagram.
StreamMode streamModeOf(const QByteArray &datagram);

// The stream information datagram a processor sends first.
QByteArray streamInformationDatagram(quint8 channel, bool framed);

} // namespace ledwall::echo

namespace ledwall::echo
{

// The datagrams that carry one frame: a 'b' packet and count - 1 'q' packets of at
// most payloadSize bytes each (the sender's side of the format, for tools and tests).
QVector<QByteArray> frameDatagrams(quint8 channel, quint16 frameNumber, const QByteArray &frame,
                                   int payloadSize);

} // namespace ledwall::echo
