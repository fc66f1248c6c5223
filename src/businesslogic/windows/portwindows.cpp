#include "portwindows.h"

#include "windowdrivers.h"

#include <QSize>

#include <algorithm>

namespace ledwall::windows
{

namespace
{
int intOf(const QVariantMap &item, const char *key, bool *ok)
{
    bool converted = false;
    const int value = item.value(QLatin1String(key)).toInt(&converted);
    *ok = *ok && converted;
    return value;
}

QString describe(const Cabinet &c)
{
    return QStringLiteral("%1:%2:%3:%4:%5:%6")
        .arg(c.port)
        .arg(c.addr)
        .arg(c.rect.x)
        .arg(c.rect.y)
        .arg(c.rect.w)
        .arg(c.rect.h);
}

// Appends the reason when the cabinet cannot be shown; true when it can.
bool checkCabinet(const Cabinet &c, bool numbers, int index, QStringList *errors)
{
    QString why;
    if (!numbers)
        why = QStringLiteral("a field is not a number");
    else if (c.rect.w <= 0 || c.rect.h <= 0)
        why = QStringLiteral("its size is not positive");
    else if (c.rect.x < 0 || c.rect.y < 0)
        why = QStringLiteral("its position is negative");
    else if (c.port < 0 || c.port >= PortCount)
        why = QStringLiteral("port %1 is not one of the card's %2").arg(c.port).arg(PortCount);
    if (why.isEmpty())
        return true;
    errors->append(QStringLiteral("cabinet %1 (%2): %3").arg(index).arg(describe(c), why));
    return false;
}

// The first pair of overlapping cabinets, as a text; empty when none overlap. The
// cabinets go into a grid of cells as large as the largest cabinet side, so each
// covers at most four cells and is compared with its neighbours only.
QString findOverlap(const QVector<Cabinet> &cabinets)
{
    int cell = 64;
    for (const Cabinet &c : cabinets)
        cell = std::max({cell, c.rect.w, c.rect.h});
    QHash<QPair<int, int>, QVector<int>> grid;
    for (int i = 0; i < cabinets.size(); ++i) {
        const Window &r = cabinets.at(i).rect;
        for (int cx = r.x / cell; cx <= (r.right() - 1) / cell; ++cx) {
            for (int cy = r.y / cell; cy <= (r.bottom() - 1) / cell; ++cy) {
                QVector<int> &inCell = grid[{cx, cy}];
                for (int j : qAsConst(inCell)) {
                    if (r.rect().intersects(cabinets.at(j).rect.rect()))
                        return QStringLiteral("cabinets %1 and %2 overlap")
                            .arg(describe(cabinets.at(j)), describe(cabinets.at(i)));
                }
                inCell.append(i);
            }
        }
    }
    return {};
}

WindowList rowRunWindows(const QVector<Cabinet> &cabinets, const PortAggregate &port)
{
    WindowList windows;
    int i = 0;
    while (i < cabinets.size()) {
        int end = i + 1;
        while (end < cabinets.size() && cabinets.at(end).row == cabinets.at(i).row &&
               cabinets.at(end).col == cabinets.at(end - 1).col + 1)
            ++end;
        Window run = cabinets.at(i).rect;
        for (int k = i + 1; k < end; ++k)
            run = unite(run, cabinets.at(k).rect);
        for (const auto &slice : splitRun(run.x - port.minX, run.w))
            windows.append({slice.first, run.y - port.minY, slice.second, run.h});
        i = end;
    }
    return windows;
}
} // namespace

void PortAggregate::add(const Window &cabinet)
{
    minX = std::min(minX, cabinet.x);
    minY = std::min(minY, cabinet.y);
    maxWidth = std::max(maxWidth, cabinet.right());
    maxHeight = std::max(maxHeight, cabinet.bottom());
}

Window PortAggregate::box() const
{
    if (!used())
        return {};
    return {minX, minY, maxWidth - minX, maxHeight - minY};
}

qint64 PortAggregate::load() const
{
    return used() ? qint64(maxWidth - minX) * (maxHeight - minY) : 0;
}

QHash<QString, QVariant> PortAggregate::toHash() const
{
    return {{QStringLiteral("minX"), minX},
            {QStringLiteral("minY"), minY},
            {QStringLiteral("maxWidth"), maxWidth},
            {QStringLiteral("maxHeight"), maxHeight},
            {QStringLiteral("offsetminX"), minX},
            {QStringLiteral("offsetminY"), minY},
            {QStringLiteral("width"), used() ? maxWidth - minX : 0},
            {QStringLiteral("height"), used() ? maxHeight - minY : 0}};
}

PortAggregate PortAggregate::fromHash(const QHash<QString, QVariant> &hash)
{
    PortAggregate port;
    port.minX = hash.value(QStringLiteral("minX"), NotInUse).toInt();
    port.minY = hash.value(QStringLiteral("minY"), NotInUse).toInt();
    port.maxWidth = hash.value(QStringLiteral("maxWidth")).toInt();
    port.maxHeight = hash.value(QStringLiteral("maxHeight")).toInt();
    return port;
}

QSize PortLayout::screenSize() const
{
    PortAggregate all;
    for (const PortAggregate &port : ports) {
        if (port.used())
            all.add(port.box());
    }
    return all.used() ? QSize(all.maxWidth - all.minX, all.maxHeight - all.minY) : QSize(0, 0);
}

QVector<QMap<int, QVariant>> PortLayout::boxPositions() const
{
    QVector<QMap<int, QVariant>> positions(cabinets.size());
    for (int port = 0; port < cabinets.size(); ++port) {
        for (int k = 0; k < cabinets.at(port).size(); ++k)
            positions[port].insert(k, cabinets.at(port).at(k).rect.rect());
    }
    return positions;
}

QVector<QHash<QString, QVariant>> PortLayout::portHashes() const
{
    QVector<QHash<QString, QVariant>> hashes;
    for (const PortAggregate &port : ports)
        hashes.append(port.toHash());
    return hashes;
}

QVector<Cabinet> plainCabinets(const QVariantList &items, QPoint shift, bool requireInit,
                               QStringList *errors)
{
    QVector<Cabinet> cabinets;
    for (int index = 0; index < items.size(); ++index) {
        const QVariantMap item = items.at(index).toMap();
        if (item.value(QStringLiteral("is_as_null")).toInt() != 0)
            continue;
        if (requireInit && item.value(QStringLiteral("init")).toInt() != 1)
            continue;
        bool numbers = true;
        Cabinet c;
        c.port = intOf(item, "sender_port", &numbers);
        c.addr = item.value(QStringLiteral("sender_addr")).toInt();
        c.row = item.value(QStringLiteral("row")).toInt();
        c.col = item.value(QStringLiteral("col")).toInt();
        c.rect.w = intOf(item, "vcs_width", &numbers);
        c.rect.h = intOf(item, "vcs_height", &numbers);
        c.rect.x =
            item.contains(QStringLiteral("x")) ? intOf(item, "x", &numbers) : c.col * c.rect.w;
        c.rect.y =
            item.contains(QStringLiteral("y")) ? intOf(item, "y", &numbers) : c.row * c.rect.h;
        c.rect.x += shift.x();
        c.rect.y += shift.y();
        if (checkCabinet(c, numbers, index, errors))
            cabinets.append(c);
    }
    return cabinets;
}

QVector<Cabinet> complexCabinets(const QVariantList &items, QStringList *errors)
{
    QVector<Cabinet> cabinets;
    for (int index = 0; index < items.size(); ++index) {
        const QVariantMap item = items.at(index).toMap();
        if (!item.value(QStringLiteral("connectFlag"), true).toBool())
            continue;
        bool numbers = true;
        Cabinet c;
        c.port = intOf(item, "sNetPort", &numbers);
        c.rect = {intOf(item, "x", &numbers), intOf(item, "y", &numbers),
                  intOf(item, "width", &numbers), intOf(item, "height", &numbers)};
        c.addr = index;
        if (checkCabinet(c, numbers, index, errors))
            cabinets.append(c);
    }
    return cabinets;
}

PortLayout layoutPorts(const QVector<Cabinet> &cabinets, InitialWindows initial)
{
    PortLayout layout;
    layout.ports.resize(PortCount);
    layout.cabinets.resize(PortCount);
    layout.windows.resize(PortCount);
    layout.descriptors.resize(PortCount);
    layout.error = findOverlap(cabinets);
    if (!layout.ok())
        return layout;
    for (const Cabinet &c : cabinets) {
        layout.ports[c.port].add(c.rect);
        layout.cabinets[c.port].append(c);
        layout.descriptors[c.port].append(describe(c));
    }
    for (int port = 0; port < PortCount; ++port) {
        QVector<Cabinet> &onPort = layout.cabinets[port];
        const PortAggregate &aggregate = layout.ports.at(port);
        if (initial == InitialWindows::RowRuns) {
            layout.windows[port] = rowRunWindows(onPort, aggregate);
        } else {
            for (const Cabinet &c : qAsConst(onPort))
                layout.windows[port].append(
                    {c.rect.x - aggregate.minX, c.rect.y - aggregate.minY, c.rect.w, c.rect.h});
        }
        // Box order: along the chain, by receiving-card index.
        std::stable_sort(onPort.begin(), onPort.end(),
                         [](const Cabinet &a, const Cabinet &b) { return a.addr < b.addr; });
    }
    return layout;
}

} // namespace ledwall::windows
