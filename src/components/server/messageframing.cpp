#include "messageframing.h"

#include <QtEndian>

namespace ledwall::server
{

FramedMessage takeMessage(const QByteArray &received, int start, int maxSize)
{
    FramedMessage framed;
    if (start < 0 || received.size() - start < 4)
        return framed;
    framed.length = qFromBigEndian<quint32>(received.constData() + start);
    if (framed.length > quint32(qMax(0, maxSize))) {
        framed.status = FrameStatus::TooLarge;
        return framed;
    }
    if (qint64(received.size()) - start - 4 < qint64(framed.length))
        return framed;
    framed.status = FrameStatus::Complete;
    framed.message = received.mid(start + 4, int(framed.length));
    framed.next = start + 4 + int(framed.length);
    return framed;
}

QByteArray frameMessage(const QByteArray &message)
{
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(quint32(message.size()), framed.data());
    return framed + message;
}

} // namespace ledwall::server
