#pragma once
// Receiving-card flash through the library, shared by `ledwall firmware upgrade|read`
// and the demo: an image written with the block write (acknowledgements, flash
// pacing), read back block by block through the command pipeline, and an upgrade
// that writes, reads back and rewrites what differs.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace cli::firmware
{

struct Card {
    int port = 0; // output port of the sending card, 0-15
    int card = 0; // receiving card on that port
};

// "P:C[,P:C...]"; false and why on anything else.
bool parseCards(const QString &text, QVector<Card> *cards, QString *why);

// Address of a receiving card's port in the sending card's register space.
quint32 portAddress(int port);

// Bytes done so far of `total`.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Reads `size` bytes (a multiple of 1 KiB) of the card's flash from `address` (4-byte
// units, inside the firmware image) in 1 KiB reads; blocks without an answer are
// asked again, three rounds at most. Empty, and why, when blocks stay missing.
QByteArray readFlash(const QString &guid, const Card &card, quint32 address, int size,
                     const Progress &progress, QString *why);

// Writes `image` into the card's flash at `address` with acknowledgements and the
// flash's pacing. The write runs on a worker thread while this thread serves the
// replies. False, and why, when the link refused a frame or an acknowledgement
// did not come.
bool writeFlash(const QString &guid, const Card &card, quint32 address, const QByteArray &image,
                const Progress &progress, QString *why);

struct UpgradeResult {
    bool written = false;  // every frame went out and every acknowledgement came
    bool verified = false; // read back equal to the image
    QString error;
};
// Writes `image`, then (when `verify`) reads it back and rewrites the 1 KiB blocks
// that differ, twice at most. A card whose image reads back equal counts as written.
UpgradeResult upgradeCard(const QString &guid, const Card &card, quint32 address,
                          const QByteArray &image, bool verify, const Progress &progress);

} // namespace cli::firmware
