#pragma once
// The receiving cards of the virtual wall: one per cabinet of the wall file, chained
// on the sending card's output ports. They take the sending-card frames whose
// payload is a receiving-card inner frame (docs/protocol.md):
//
// - the frame's address is the port address (port OR 0x10) << 16, 0xFF0000 = every
//   port; inner words 1 and 2 pick the first and last card, 0xFFFF every card;
// - the inner address counts 4-byte units; its top byte names the space: 0xAF the
//   flash (erased bytes read 0xFF, the first bytes hold the card's firmware image),
//   0xA0 memory written in whole 16-byte units, any other top byte plain memory;
//   each space of a card holds at most 8 MiB and the whole wall at most
//   MaxWrittenPages pages of written data (the firmware images aside); a write
//   beyond either is refused with status 2 and stored in no card;
// - a write (command 0x01, or 0xCD for tables: calibration, seams, pictures) is stored in every
// addressed card and acknowledged when
//   the request asks (reply flag and header byte 4 = 0x80);
// - a read (command 0x02) is answered by every addressed card with its own frame;
//   a read of 0xA0000000 starts with the cabinet's width and height.
// Inner frames are checked (sync, header sum, length, CRC-32) independently of the
// packet layer. Thread-safe.

#include "devicerole.h"
#include "memoryspace.h"
#include "walldescription.h"

#include <QHash>
#include <QVector>

#include <map>
#include <memory>
#include <mutex>

namespace ledwall::sim
{

class ReceivingCards : public DeviceRole
{
public:
    static constexpr quint32 FirmwareAddress = 0xAF000000; // in 4-byte units
    static constexpr int DefaultFirmwareSize = 64 * 1024;
    static constexpr int MaxFirmwareSize = 4 * 1024 * 1024;
    static constexpr quint32 SizeReportAddress = 0xA0000000;
    static constexpr quint32 EveryPort = 0xFF0000;
    static constexpr quint16 EveryCard = 0xFFFF;
    static constexpr int MaxReadLength = 1024;
    // Written data of the whole wall, every card and space together: 64 MiB.
    static constexpr int MaxWrittenPages = 16384;

    struct Stats {
        quint64 frames = 0;   // well-formed inner frames handled
        quint64 rejected = 0; // inner frames refused (malformed, unknown port or card)
        quint64 writes = 0;   // card writes stored (a broadcast counts once per card)
        quint64 reads = 0;    // card answers sent
        quint64 acknowledged = 0;
    };

    ReceivingCards() = default;

    // The cards of the wall; every card starts with fresh memory.
    void setWall(const WallDescription &wall);
    // Size of the firmware image of every card; the cards start afresh.
    void setFirmwareSize(int bytes);
    int firmwareSize() const;
    // The firmware image that card `card` on port `port` holds at FirmwareAddress.
    static QByteArray firmwareImage(int port, int card, int size);

    bool hasCard(int port, int card) const;
    int cardCount() const;
    // `length` bytes of a card at a receiving-card address (4-byte units); empty
    // when there is no such card.
    QByteArray read(int port, int card, quint32 address, int length) const;
    bool write(int port, int card, quint32 address, const QByteArray &bytes);
    // Pages of written data held by the whole wall (at most MaxWrittenPages).
    int writtenPages() const;

    Stats stats() const;
    void resetStats();

    QString roleName() const override { return QStringLiteral("receiving-cards"); }
    bool accepts(const Frame &frame) const override;
    RoleReply handle(const Frame &frame) override;

private:
    struct Card {
        int port = 0;
        int index = 0;
        int width = 0;
        int height = 0;
        std::map<quint8, std::unique_ptr<SparseMemory>> spaces; // by top byte
    };
    using Key = QPair<int, int>;

    Card *cardLocked(int port, int card) const;
    SparseMemory &spaceLocked(Card &card, quint8 space) const;
    QVector<Card *> addressedLocked(quint32 portAddress, quint16 first, quint16 last) const;
    void rebuildLocked();
    // Writes to every card or, when a space or the wall would overflow, to none.
    bool writeLocked(const QVector<Card *> &cards, quint32 address, const QByteArray &bytes);

    mutable std::mutex m_mutex;
    WallDescription m_wall;
    int m_firmwareSize = DefaultFirmwareSize;
    QHash<Key, std::shared_ptr<Card>> m_cards;
    Stats m_stats;
    qint64 m_writtenPages = 0;
};

} // namespace ledwall::sim
