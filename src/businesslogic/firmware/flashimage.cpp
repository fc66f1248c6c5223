#include "flashimage.h"

#include "registermap.h"

#include <algorithm>
#include <iterator>

namespace ledwall::flashimage
{

bool placeBlock(QByteArray &image, quint32 address, const QByteArray &reply)
{
    if (!registers::FirmwareImage.contains(address) || reply.size() < MinimumReplySize)
        return false;
    const int position = int(4 * (address - registers::FirmwareImage.first));
    const int blockEnd = position + BlockSize;
    if (image.size() < blockEnd)
        image.append(QByteArray(blockEnd - image.size(), char(0xFF)));
    image.replace(position, BlockSize, reply.constData() + ReplyDataOffset, BlockSize);
    return true;
}

bool isLastBlock(quint32 address)
{
    const auto &last = registers::FirmwareImageLastBlocks;
    return std::find(std::begin(last), std::end(last), address) != std::end(last);
}

} // namespace ledwall::flashimage
