#pragma once
// The receiving-card firmware image read back from flash, block by block. Each
// reply carries one 1024-byte block between the 15-byte header of its inner frame
// and the frame's 4-byte CRC; its receiving-card address (in 4-byte units) says
// where the block goes.

#include <QByteArray>
#include <QtGlobal>

namespace ledwall::flashimage
{

constexpr int BlockSize = 1024;
constexpr int ReplyDataOffset = 15; // the inner frame's header
constexpr int ReplyCrcSize = 4;
// A reply shorter than this does not hold a whole block and its CRC.
constexpr int MinimumReplySize = ReplyDataOffset + BlockSize + ReplyCrcSize;

// Writes the block of `reply` (a whole inner frame) into `image` at
// 4 * (address - first firmware image address). The image grows as needed, gaps
// read 0xFF like erased flash, and a repeated reply overwrites its block, so the
// image never shifts. False, and `image` untouched, when the address is outside
// the firmware image or the reply is shorter than MinimumReplySize.
bool placeBlock(QByteArray &image, quint32 address, const QByteArray &reply);

// Whether `address` is that of the last block of an image of a known size.
bool isLastBlock(quint32 address);

} // namespace ledwall::flashimage
