#include "windowpages.h"

#include <QtEndian>

namespace ledwall::windows
{

namespace
{
void appendBigEndian16(QByteArray &bytes, int value)
{
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

void putBigEndian16(QByteArray &bytes, int offset, int value)
{
    bytes[offset] = char((value >> 8) & 0xFF);
    bytes[offset + 1] = char(value & 0xFF);
}
} // namespace

PageTarget imageWindowTarget(Bank bank, int port)
{
    return bank == Bank::A ? PageTarget{0xA1, 0x800000u + quint32(port) * 0x10000u}
                           : PageTarget{0xA5, 0x40000u + quint32(port) * 0x1000u};
}

PageTarget boxPositionTarget(Bank bank, int port)
{
    return bank == Bank::A ? PageTarget{0xA1, 0x900000u + quint32(port) * 0x10000u}
                           : PageTarget{0xA5, quint32(port) * 0x1000u};
}

std::optional<DviTarget> dviTarget(Bank bank, int input)
{
    static const quint32 BankA[DviInputs] = {0xF10000, 0xF10028, 0xF10030, 0xF10038};
    static const quint32 Offsets[DviInputs] = {0x84000, 0xA3000, 0xA5000, 0xA7000};
    static const quint32 Areas[DviInputs] = {0x85000, 0xA4000, 0xA6000, 0xA8000};
    if (input < 0 || input >= DviInputs)
        return std::nullopt;
    if (bank == Bank::A)
        return DviTarget{{0xA1, BankA[input]}, {}};
    return DviTarget{{0xA5, Offsets[input]}, {0xA5, Areas[input]}};
}

PageTarget roleWordTarget(Bank bank, int oneBasedPort)
{
    return bank == Bank::A ? PageTarget{0xA1, 0xF1007Cu + 4u * quint32(oneBasedPort)}
                           : PageTarget{0xA5, (quint32(oneBasedPort) + 0x8Bu) * 0x1000u};
}

std::optional<int> emptyColumnWidth(const QVariantMap &empMap, int netNum)
{
    if (!empMap.value(QStringLiteral("empResult")).toBool())
        return std::nullopt;
    const QStringList ports = empMap.value(QStringLiteral("empPortStrList")).toStringList();
    if (!ports.contains(QString::number(netNum)))
        return std::nullopt;
    return empMap.value(QStringLiteral("empWidth")).toInt();
}

QByteArray imageWindowPage(QPoint offset, const WindowList &windows, std::optional<int> emptyColumn,
                           bool addOffset)
{
    if (windows.size() > MaxPageWindows)
        return {};
    QByteArray page(PageHeaderSize, '\0');
    page[3] = char(windows.size());
    putBigEndian16(page, 4, offset.y());
    putBigEndian16(page, 6, offset.x());
    if (emptyColumn)
        putBigEndian16(page, 10, *emptyColumn);
    const QPoint added = addOffset ? offset : QPoint();
    for (const Window &w : windows) {
        appendBigEndian16(page, w.y + added.y());
        appendBigEndian16(page, w.x + added.x());
        appendBigEndian16(page, w.h);
        appendBigEndian16(page, w.w);
    }
    page.append(PageSize - page.size(), char(0xFF));
    return page;
}

QByteArray boxPositionPage(const QVector<QPoint> &positions)
{
    if (positions.size() > MaxPageBoxes)
        return {};
    QByteArray page;
    page.reserve(PageSize);
    for (const QPoint &p : positions) {
        appendBigEndian16(page, p.y());
        appendBigEndian16(page, p.x());
    }
    page.append(PageSize - 4 - page.size(), '\0');
    page.append(bigEndian32(quint32(positions.size())));
    return page;
}

quint32 boxPageCount(const QByteArray &page)
{
    if (page.size() < PageSize)
        return 0;
    return qFromBigEndian<quint32>(page.constData() + PageSize - 4);
}

QByteArray boxSummaryRecord(const QVector<int> &counts)
{
    QByteArray record;
    record.append(char(counts.size()));
    int sum = counts.size();
    for (int count : counts) {
        appendBigEndian16(record, count);
        sum += count & 0xFF;
    }
    record.append(char(sum & 0xFF));
    return record;
}

QByteArray dviRecord(int offsetY, int offsetX, int areaHeight, int areaWidth)
{
    QByteArray record;
    for (int value : {offsetY, offsetX, areaHeight, areaWidth})
        appendBigEndian16(record, value);
    return record;
}

quint32 portRoleWord(int ports, int oneBasedPort, bool primary)
{
    const quint32 word = (quint32(ports - oneBasedPort) << 8) | quint32(oneBasedPort - 1);
    return primary ? (word | 0x8000u) : word;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray mirrorBoxPage(QByteArray page, int boxes)
{
    // Never into the count at the page's end.
    const int used = qBound(0, boxes, qMin(MaxPageBoxes, page.size() / 4));
    QByteArray reversed;
    reversed.reserve(used * 4);
    for (int k = used - 1; k >= 0; --k)
        reversed.append(page.constData() + k * 4, 4);
    page.replace(0, reversed.size(), reversed);
    return page;
}

QByteArray hexDumpByEntry(const QByteArray &data)
{
    QByteArray text;
    for (int i = 0; i < data.size(); ++i) {
        if (i != 0 && i % 4 == 0)
            text.append('\n');
        text.append(data.mid(i, 1).toHex());
    }
    return text;
}

} // namespace ledwall::windows
