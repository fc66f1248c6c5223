#pragma once
// Datagram codec shared by the links and the virtual wall: checks a received
// datagram and turns it into the frame object of its protocol type.

#include "module_protocolbase.h"

#include <QString>
#include <memory>

class Module_SendCard_Protocol;

namespace ledwall::wire
{

// Envelope of video-processing-unit and processor frames.
constexpr int EnvelopeSize = 20;
constexpr quint8 EnvelopeMagic0 = 0x4C; // 'L'
constexpr quint8 EnvelopeMagic1 = 0x57; // 'W'
constexpr int MaxEnvelopePayload = 65000;

enum class DecodeError {
    None,
    TooShort,
    TooLong,
    BadSync,
    BadLength,
    BadHeaderSum,
    BadCrc,
    UnknownType
};

struct Decoded {
    std::unique_ptr<Module_ProtocolBase> frame;
    DecodeError error = DecodeError::None;
};

// Never reads past the end of the datagram; the frame is null on error.
Decoded decodeFrame(const QByteArray &datagram);
QString errorText(DecodeError error);

// The discovery request a search link sends: a sending-card frame with the
// discovery flag, operation 0, address 0 and no payload.
std::unique_ptr<Module_SendCard_Protocol> discoveryRequest();
bool isDiscoveryAnswer(const Module_ProtocolBase &frame);

} // namespace ledwall::wire
