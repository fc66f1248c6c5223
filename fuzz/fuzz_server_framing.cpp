// The server's stream of length-prefixed messages as a client sends it, received in
// three chunks at arbitrary cuts and taken apart as the server does after each
// chunk. What must hold: the chunks give the same messages as the whole stream,
// a message is never longer than the limit, and the messages framed again are the
// bytes they were taken from.
#include "fuzzinput.h"

#include "messageframing.h"

#include <QList>

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

using namespace ledwall::server;

constexpr int Limit = 4096;

struct Received {
    QList<QByteArray> messages;
    QByteArray pending;
    bool tooLarge = false;
};

// One chunk as the server's read handler takes it.
void receive(Received *state, const QByteArray &chunk)
{
    if (state->tooLarge)
        return; // the server has closed this client
    QByteArray pending = state->pending + chunk;
    int start = 0;
    for (;;) {
        const FramedMessage framed = takeMessage(pending, start, Limit);
        if (framed.status == FrameStatus::Incomplete)
            break;
        if (framed.status == FrameStatus::TooLarge) {
            if (framed.length <= quint32(Limit))
                std::abort();
            state->tooLarge = true;
            return;
        }
        if (framed.message.size() > Limit || framed.next <= start || framed.next > pending.size())
            std::abort();
        start = framed.next;
        state->messages.append(framed.message);
    }
    state->pending = pending.mid(start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const QByteArray stream = fuzzBytes(data + 4, size - 4);
    const int first = (data[0] << 8 | data[1]) % (stream.size() + 1);
    const int second = first + (data[2] << 8 | data[3]) % (stream.size() - first + 1);

    Received whole;
    receive(&whole, stream);
    Received chunks;
    receive(&chunks, stream.left(first));
    receive(&chunks, stream.mid(first, second - first));
    receive(&chunks, stream.mid(second));
    if (chunks.messages != whole.messages || chunks.tooLarge != whole.tooLarge ||
        (!whole.tooLarge && chunks.pending != whole.pending))
        std::abort();

    QByteArray framedAgain;
    for (const QByteArray &message : std::as_const(whole.messages))
        framedAgain += frameMessage(message);
    if (!stream.startsWith(framedAgain) ||
        (!whole.tooLarge && framedAgain + whole.pending != stream))
        std::abort();
    return 0;
}
