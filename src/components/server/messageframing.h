#pragma once
// The framing of the remote tools' messages on the TCP stream: each message is its
// length (4 bytes, big-endian) followed by the message.

#include <QByteArray>
#include <QtGlobal>

namespace ledwall::server
{

enum class FrameStatus { Complete, Incomplete, TooLarge };

struct FramedMessage {
    FrameStatus status = FrameStatus::Incomplete;
    quint32 length = 0; // the length field, when it was read
    QByteArray message; // Complete: the message
    int next = 0;       // Complete: where the following message starts
};

// The message that starts at `start` of the bytes received so far: Complete, or
// Incomplete until its length field and all its bytes are there, or TooLarge when
// the length field exceeds maxSize (nothing is read past the end).
FramedMessage takeMessage(const QByteArray &received, int start, int maxSize);

// The message with its length field in front.
QByteArray frameMessage(const QByteArray &message);

} // namespace ledwall::server
