#pragma once
// The display registers of a sending card as they are read back: 4 KiB register
// pages that arrive in pieces, and the cabinet rectangles computed from the
// image-window pages, the box-position pages and the receiving cards' size
// reports.

#include <QByteArray>
#include <QStringList>
#include <QVariantList>
#include <QtGlobal>

namespace ledwall::readback
{

constexpr quint32 PageShift = 12; // 4 KiB pages

// Adds one piece of a page list read from the register bank at base. The read of
// the bank starts over (a fresh list) at base itself. A piece that starts a page
// opens it when it is the next page (or replaces a page read before); a piece
// inside a page continues it. A piece whose page is not there yet is dropped:
// returns false then.
bool addPagePiece(QVariantList &pages, quint32 regAddr, quint32 base, const QByteArray &bytes);

// One "port:card:x:y:width:height" text per cabinet. imageWindowPages[p] holds the
// port's vertical (bytes 4-5) and horizontal (bytes 6-7) offset, boxPosPages[p]
// per card c its row (bytes 4c, 4c+1) and column (4c+2, 4c+3) in that window;
// boxWH has "port:card:width:height" per card. Pages too short for a field are
// skipped, never read past their end.
QStringList cabinetRectangles(const QVariantList &imageWindowPages, const QVariantList &boxPosPages,
                              const QStringList &boxWH);

} // namespace ledwall::readback
