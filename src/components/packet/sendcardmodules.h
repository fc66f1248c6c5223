#pragma once
// Builders and parsers of the sending-card modules: module data map -> data
// object and ARM control frame, device frame -> data object and reply map.
// Pure functions; DAL_SendCard delivers what they build.

#include "modulecatalog.h"

#include <QByteArray>
#include <QString>
#include <memory>

class Module_SendCard_Protocol;

namespace ledwall::packet
{

// Largest block a register write carries and a read asks for.
constexpr int MaxRegisterBlock = 1024;
// Operation bytes (c0) of the ARM control header.
constexpr quint8 WriteOperation = 0xA5;
// Receiving-card commands (inner frame byte 3).
constexpr quint8 ReceivingWrite = 0x01;
constexpr quint8 ReceivingRead = 0x02;
// Port address of every port, and the card index of every card.
constexpr quint32 EveryPort = 0xFF0000;
constexpr quint16 EveryCard = 0xFFFF;
// Size of the walking-point block a fillWalkPointer frame writes.
constexpr int WalkPointBlockSize = 16;

// Builds the data object and the frame of a sending-card module. The frame
// carries the map's "guid" and, when the map gives "timeout", that time-out.
// Unknown modules and bad values give nothing (and a log line);
// "Module_PixelWalkPointMap" gives only the data object.
BuiltModule buildSendCardModule(const QVariantMap &map);

// Parses a frame sent by a device (wire flag 0x80). `ip` goes into the
// "Module_SendCardFlashInfo" map. Anything else gives an empty result.
ParsedModule parseSendCardFrame(const Module_SendCard_Protocol &frame, const QString &ip = {});

// The display key that the sending-card object reads for a register read at
// `address` ("imageControl", "pxBoxPos", ...), empty when there is none.
QString displayKeyForAddress(quint32 address);

// The walking-point frame: a receiving-card write (no acknowledgement) to every
// port and card of the 16-byte walking-point block at `address`.
std::unique_ptr<Module_SendCard_Protocol> walkPointFrame(quint32 pointIndex, quint32 address,
                                                         quint32 virtualPointCount,
                                                         quint32 scanLineLen, bool advance,
                                                         bool on);

// Number of frames in a U-disk image (28-byte header, payload, 0xFF padding to
// 4 bytes, repeated); -1 when the bytes are not such an image.
int usbImageFrameCount(const QByteArray &image);

} // namespace ledwall::packet
