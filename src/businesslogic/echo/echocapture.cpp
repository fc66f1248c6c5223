#include "echocapture.h"

namespace ledwall::echo
{

bool splitCapture(const QByteArray &capture, QVector<QByteArray> *datagrams, QString *error)
{
    qint64 offset = 0;
    while (offset < capture.size()) {
        if (capture.size() - offset < 4) {
            *error = QStringLiteral("truncated length at offset %1").arg(offset);
            return false;
        }
        const auto *at = reinterpret_cast<const uchar *>(capture.constData() + offset);
        const quint32 length =
            quint32(at[0]) << 24 | quint32(at[1]) << 16 | quint32(at[2]) << 8 | quint32(at[3]);
        if (length > quint32(MaxCapturedDatagram)) {
            *error = QStringLiteral("datagram length %1 at offset %2 is past the largest UDP "
                                    "datagram")
                         .arg(length)
                         .arg(offset);
            return false;
        }
        if (capture.size() - offset - 4 < qint64(length)) {
            *error = QStringLiteral("truncated datagram at offset %1").arg(offset);
            return false;
        }
        datagrams->append(capture.mid(int(offset + 4), int(length)));
        offset += 4 + qint64(length);
    }
    return true;
}

void appendCaptureRecord(QByteArray *capture, const QByteArray &datagram)
{
    const quint32 length = quint32(datagram.size());
    const char prefix[4] = {char(length >> 24), char(length >> 16), char(length >> 8),
                            char(length)};
    capture->append(prefix, 4);
    capture->append(datagram);
}

} // namespace ledwall::echo
