#include "displayreadback.h"

#include "armframe.h"

#include <QMap>

namespace ledwall::readback
{

using arm::readU16;

namespace
{
struct CardSize {
    int width = 0;
    int height = 0;
};
} // namespace

bool addPagePiece(QVariantList &pages, quint32 regAddr, quint32 base, const QByteArray &bytes)
{
    if (regAddr < base)
        return false;
    if (regAddr == base)
        pages.clear();
    const quint32 page = (regAddr - base) >> PageShift;
    const bool pageStart = (regAddr & ((1u << PageShift) - 1)) == 0;
    if (pageStart && page == quint32(pages.size())) {
        pages.append(bytes);
        return true;
    }
    if (page >= quint32(pages.size()))
        return false;
    if (pageStart)
        pages[int(page)] = bytes;
    else
        pages[int(page)] = pages.at(int(page)).toByteArray() + bytes;
    return true;
}

QStringList cabinetRectangles(const QVariantList &imageWindowPages, const QVariantList &boxPosPages,
                              const QStringList &boxWH)
{
    QMap<int, int> cardsPerPort;
    QMap<QPair<int, int>, CardSize> sizes;
    for (const QString &entry : boxWH) {
        const QStringList fields = entry.split(QLatin1Char(':'));
        if (fields.size() < 4)
            continue;
        const int port = fields.at(0).toInt();
        ++cardsPerPort[port];
        const QPair<int, int> key(port, fields.at(1).toInt());
        if (!sizes.contains(key))
            sizes.insert(key, {fields.at(2).toInt(), fields.at(3).toInt()});
    }

    QStringList rectangles;
    for (int port = 0; port < imageWindowPages.size(); ++port) {
        const int count = cardsPerPort.value(port);
        if (count == 0 || port >= boxPosPages.size())
            continue;
        const QByteArray window = imageWindowPages.at(port).toByteArray();
        const QByteArray boxPos = boxPosPages.at(port).toByteArray();
        if (window.size() < 8)
            continue;
        const int offsetY = readU16(window, 4);
        const int offsetX = readU16(window, 6);
        for (int card = 0; card < count && 4 * card + 3 < boxPos.size(); ++card) {
            const int row = readU16(boxPos, 4 * card);
            const int column = readU16(boxPos, 4 * card + 2);
            const CardSize size = sizes.value(QPair<int, int>(port, card));
            rectangles.append(QStringLiteral("%1:%2:%3:%4:%5:%6")
                                  .arg(port)
                                  .arg(card)
                                  .arg(column + offsetX)
                                  .arg(row + offsetY)
                                  .arg(size.width)
                                  .arg(size.height));
        }
    }
    return rectangles;
}

} // namespace ledwall::readback
