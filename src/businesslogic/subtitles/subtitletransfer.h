#pragma once
// The progress of one subtitle transfer, without threads or timers: which
// command goes next, which acknowledgement moves it on, and when an unanswered
// chunk is given up. Both subtitle senders drive it (under their own lock).
//
//     transfer.start(guid, pixels);
//     while (auto command = transfer.takeCommand()) send(*command);  // one chunk
//     ... transfer.acknowledge(reply) ... takeCommand() gives the next chunk,
//     and after the last one the end command; then finished() holds.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace ledwall::subtitle
{

class SubtitleTransfer
{
public:
    static constexpr int MaxAttempts = 3;

    void start(const QString &guid, const QByteArray &pixels);

    // The command to send now: the chunk at the current position (again after a
    // retry) or, past the last chunk, the end command. Nothing while a chunk
    // waits for its acknowledgement or after the end command.
    std::optional<QVariantMap> takeCommand();
    // A module reply. Only a stored-chunk answer ("subtitleResult" 1) of this
    // transfer's device for the chunk in flight moves it on; true when it did.
    bool acknowledge(const QVariantMap &reply);
    // The chunk in flight waited too long: true when it may be sent again (the
    // next takeCommand gives it), false when it has had MaxAttempts tries.
    bool retry();

    bool waiting() const { return m_inFlight; }
    bool finished() const { return m_finished; }
    int position() const { return m_position; }
    int acknowledged() const { return m_acknowledged; }
    int chunkTotal() const;
    QString guid() const { return m_guid; }

private:
    QString m_guid;
    QByteArray m_pixels;
    int m_position = 0;
    int m_attempts = 0;
    int m_acknowledged = 0;
    bool m_inFlight = false;
    bool m_finished = false;
};

} // namespace ledwall::subtitle
