#include "echodatagram.h"

namespace ledwall::echo
{
namespace
{

constexpr char Magic[4] = {'\xFF', '\x01', '\x00', '\x00'};

QByteArray magic()
{
    return QByteArray::fromRawData(Magic, 4);
}

quint16 bigEndian16(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

} // namespace

QByteArray echoRequestDatagram()
{
    QByteArray request(RequestLength, '\0');
    request.replace(0, 4, magic());
    request[6] = 'h';
    return request;
}

bool parseEchoHeader(const QByteArray &datagram, EchoHeader *header)
{
    if (datagram.size() < HeaderLength || !datagram.startsWith(magic()))
        return false;
    header->carried = quint8(datagram[4]);
    header->channel = quint8(datagram[5]);
    header->type = datagram[6];
    header->packetCount = bigEndian16(datagram, 7);
    header->frameNumber = bigEndian16(datagram, 9);
    header->packetIndex = header->type == TypeFollowing ? bigEndian16(datagram, 13) : 0;
    header->beginValue = header->type == TypeBegin
                             ? quint32(quint8(datagram[11])) | quint32(quint8(datagram[12])) << 8 |
                                   quint32(quint8(datagram[13])) << 16 |
                                   quint32(quint8(datagram[14])) << 24
                             : 0;
    return true;
}

StreamMode streamModeOf(const QByteArray &datagram)
{
    EchoHeader header;
    if (datagram.size() != HeaderLength || !parseEchoHeader(datagram, &header) ||
        header.type != TypeInformation)
        return StreamMode::Unknown;
    return datagram[7] == 1 ? StreamMode::Framed : StreamMode::NotSupported;
}

QByteArray streamInformationDatagram(quint8 channel, bool framed)
{
    QByteArray datagram(HeaderLength, '\0');
    datagram.replace(0, 4, magic());
    datagram[5] = char(channel);
    datagram[6] = TypeInformation;
    datagram[7] = framed ? 1 : 0;
    return datagram;
}

} // namespace ledwall::echo

namespace ledwall::echo
{

QVector<QByteArray> frameDatagrams(quint8 channel, quint16 frameNumber, const QByteArray &frame,
                                   int payloadSize)
{
    QVector<QByteArray> datagrams;
    payloadSize = qMax(1, payloadSize);
    const int count = qMax(1, (frame.size() + payloadSize - 1) / payloadSize);
    if (count > 0xFFFF)
        return datagrams;
    for (int index = 0; index < count; ++index) {
        QByteArray datagram(HeaderLength, '\0');
        datagram.replace(0, 4, magic());
        datagram[5] = char(channel);
        datagram[6] = index == 0 ? TypeBegin : TypeFollowing;
        datagram[7] = char(count >> 8);
        datagram[8] = char(count);
        datagram[9] = char(frameNumber >> 8);
        datagram[10] = char(frameNumber);
        if (index > 0) {
            datagram[13] = char(index >> 8);
            datagram[14] = char(index);
        }
        datagram += frame.mid(index * payloadSize, payloadSize);
        datagrams.append(datagram);
    }
    return datagrams;
}

} // namespace ledwall::echo
