#include "subtitletransfer.h"

#include "subtitlebitmap.h"

namespace ledwall::subtitle
{

void SubtitleTransfer::start(const QString &guid, const QByteArray &pixels)
{
    *this = SubtitleTransfer();
    m_guid = guid;
    m_pixels = pixels;
}

std::optional<QVariantMap> SubtitleTransfer::takeCommand()
{
    if (m_inFlight || m_finished)
        return std::nullopt;
    if (m_position >= m_pixels.size()) {
        m_finished = true;
        return endCommand(m_guid);
    }
    m_inFlight = true;
    ++m_attempts;
    return chunkCommand(m_guid, m_pixels, m_position);
}

bool SubtitleTransfer::acknowledge(const QVariantMap &reply)
{
    if (!m_inFlight || reply.value(QStringLiteral("guid")).toString() != m_guid ||
        reply.value(QStringLiteral("subtitleResult")).toInt() != 1 ||
        !reply.contains(QStringLiteral("subtitleAddress")) ||
        reply.value(QStringLiteral("subtitleAddress")).toLongLong() != m_position)
        return false;
    m_position += ChunkSize;
    m_inFlight = false;
    m_attempts = 0;
    ++m_acknowledged;
    return true;
}

bool SubtitleTransfer::retry()
{
    if (!m_inFlight || m_attempts >= MaxAttempts)
        return false;
    m_inFlight = false;
    return true;
}

int SubtitleTransfer::chunkTotal() const
{
    return chunkCount(m_pixels.size());
}

} // namespace ledwall::subtitle
