#include "porttable.h"

#include "displaytext.h"

#include <QLoggingCategory>

#include <algorithm>

namespace ledwall::porttable
{

namespace
{
Q_LOGGING_CATEGORY(lcPortTable, "ledwall.sendcard.porttable")

quint16 little16(const uchar *p)
{
    return quint16(p[0] | p[1] << 8);
}
} // namespace

bool PortRecord::inUse() const
{
    return enable == 1 && ledCabinetHNum != 0 && ledCabinetVNum != 0 && ledCabinetHPixel != 0 &&
           ledCabinetVPixel != 0 && pxCardTraceMethod <= 7;
}

QVector<PortRecord> parseRecords(const QByteArray &bytes)
{
    QVector<PortRecord> records;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (int offset = 0; offset + RecordSize <= bytes.size(); offset += RecordSize) {
        const uchar *p = data + offset;
        PortRecord record;
        record.ethId = qint8(p[0]);
        record.pxCardTraceMethod = p[1];
        record.ledCabinetHNum = p[2];
        record.ledCabinetVNum = p[3];
        record.ethImageCropPosiH = little16(p + 4);
        record.ethImageCropPosiV = little16(p + 6);
        record.ledCabinetHPixel = little16(p + 8);
        record.ledCabinetVPixel = little16(p + 10);
        record.enable = p[12];
        records.append(record);
    }
    return records;
}

QVector<Cell> chainingOrder(int method, int hNum, int vNum)
{
    QVector<Cell> cells;
    if (method < 0 || method > 7 || hNum <= 0 || vNum <= 0)
        return cells;
    cells.reserve(hNum * vNum);
    const bool byRows = method < 4;
    const int lines = byRows ? vNum : hNum;
    const int length = byRows ? hNum : vNum;
    for (int l = 0; l < lines; ++l) {
        const bool odd = l % 2 == 1;
        int line = l;
        bool increasing = !odd; // along the line: left to right, or top to bottom
        switch (method) {
        case 0:
            line = vNum - 1 - l;
            break;
        case 1:
            line = vNum - 1 - l;
            increasing = odd;
            break;
        case 2:
            break;
        case 3:
            increasing = odd;
            break;
        case 4:
            increasing = odd;
            break;
        case 5:
            line = hNum - 1 - l;
            increasing = odd;
            break;
        case 6:
            break;
        case 7:
            line = hNum - 1 - l;
            break;
        }
        for (int s = 0; s < length; ++s) {
            const int position = increasing ? s : length - 1 - s;
            cells.append(byRows ? Cell{position, line} : Cell{line, position});
        }
    }
    return cells;
}

Rebuild rebuildTopology(const QByteArray &bytes)
{
    Rebuild out;
    qCDebug(lcPortTable) << "byteArr.size()" << bytes.size();
    const QVector<PortRecord> records = parseRecords(bytes);

    QVector<PortRecord> ports;
    qint64 cabinetCount = 0;
    for (const PortRecord &record : records) {
        if (record.inUse()) {
            ports.append(record);
            cabinetCount += record.ledCabinetNum();
        } else if (record.enable != 0) {
            qCDebug(lcPortTable) << "port record skipped, ethId" << record.ethId << "enable"
                                 << record.enable << "order" << record.pxCardTraceMethod
                                 << "cabinets" << record.ledCabinetHNum << record.ledCabinetVNum
                                 << "pixels" << record.ledCabinetHPixel << record.ledCabinetVPixel;
        }
    }
    if (cabinetCount > MaxCells) {
        out.error = QStringLiteral("the port table places %1 cabinets, more than %2")
                        .arg(cabinetCount)
                        .arg(MaxCells);
        qCDebug(lcPortTable) << out.error;
        return out;
    }

    // Size pass: grid of the largest cabinet, with the running maxima.
    int maxW = 0, maxH = 0, cols = 0, rows = 0;
    for (const PortRecord &p : ports) {
        maxW = std::max(maxW, int(p.ledCabinetHPixel));
        maxH = std::max(maxH, int(p.ledCabinetVPixel));
        cols = std::max(cols, (p.ethImageCropPosiH + p.ethImageCropSizeH()) / maxW);
        rows = std::max(rows, (p.ethImageCropPosiV + p.ethImageCropSizeV()) / maxH);
    }

    // Cabinet pass: every cabinet at its cell, in chaining order.
    struct Placed {
        int col, row;
        QVariantMap item;
    };
    QVector<Placed> placed;
    placed.reserve(int(cabinetCount));
    for (const PortRecord &p : ports) {
        qCDebug(lcPortTable).noquote() << QString::asprintf(
            "ethId:%d,maxLedCabinetHPixel:%d,maxLedCabinetVPixel:%d,maxEthImageCropSizeH:%d,"
            "maxEthImageCropSizeV:%d,displayLedCabinetHNum:%d,displayLedCabinetVNum:%d,"
            "pxCardTraceMethod:%d,ledCabinetHNum:%d,ledCabinetVNum:%d,ethImageCropPosiH:%d,"
            "ethImageCropPosiV:%d,ledCabinetHPixel:%d, ledCabinetVPixel:%d,"
            "ethImageCropSizeH:%d,ethImageCropSizeV:%d,ledCabinetNum:%d",
            p.ethId, maxW, maxH, 0, 0, cols, rows, p.pxCardTraceMethod, p.ledCabinetHNum,
            p.ledCabinetVNum, p.ethImageCropPosiH, p.ethImageCropPosiV, p.ledCabinetHPixel,
            p.ledCabinetVPixel, p.ethImageCropSizeH(), p.ethImageCropSizeV(), p.ledCabinetNum());
        const int colBase = p.ethImageCropPosiH / maxW;
        const int rowBase = p.ethImageCropPosiV / maxH;
        const QVector<Cell> order =
            chainingOrder(p.pxCardTraceMethod, p.ledCabinetHNum, p.ledCabinetVNum);
        for (int k = 0; k < order.size(); ++k) {
            const int col = colBase + order.at(k).col;
            const int row = rowBase + order.at(k).row;
            placed.append({col, row,
                           displaytext::connectItemForCell(p.ethId, col, row, p.ledCabinetHPixel,
                                                           p.ledCabinetVPixel, k)});
        }
    }

    // Mixed cabinet sizes can put cells beyond the sized grid: widen the grid so
    // that no cabinet wraps into the next row or gets lost.
    for (const Placed &p : qAsConst(placed)) {
        cols = std::max(cols, p.col + 1);
        rows = std::max(rows, p.row + 1);
    }
    out.result = placed.isEmpty();
    if (out.result)
        cols = rows = 1;
    if (qint64(cols) * rows > MaxCells) {
        out.error = QStringLiteral("the port table spans %1 x %2 cells, more than %3")
                        .arg(cols)
                        .arg(rows)
                        .arg(MaxCells);
        qCDebug(lcPortTable) << out.error;
        out.result = false;
        return out;
    }

    // Grid pass.
    const int cellCount = cols * rows;
    QVector<QVector<int>> filed(cellCount);
    for (int i = 0; i < placed.size(); ++i)
        filed[placed.at(i).row * cols + placed.at(i).col].append(i);
    QVariantList cells;
    cells.reserve(cellCount);
    for (int i = 0; i < cellCount; ++i) {
        const QVector<int> &here = filed.at(i);
        QVariantMap item;
        if (here.isEmpty()) {
            item = displaytext::connectItemForCell(0, i % cols, i / cols, 0, 0, 0);
        } else {
            if (here.size() > 1) {
                QVariantList overlapping;
                for (int index : here) {
                    const QVariantMap &other = placed.at(index).item;
                    overlapping.append(other);
                    const int port = other.value(QStringLiteral("sender_port")).toInt() + 1;
                    if (!out.overlappingEthPort.contains(port))
                        out.overlappingEthPort.append(port);
                }
                qCDebug(lcPortTable) << "overlap box netport:" << overlapping;
                out.overLape = true;
            }
            item = placed.at(here.last()).item;
        }
        item.insert(QStringLiteral("index"), i);
        qCDebug(lcPortTable) << "item" << item;
        cells.append(item);
    }

    const QVariantMap basic{{QStringLiteral("display_count"), 1},
                            {QStringLiteral("enable_port_auto_bakup"), 0},
                            {QStringLiteral("enable_as_master_card"), 0},
                            {QStringLiteral("FreeLine"), 0}};
    const QVariantMap display{{QStringLiteral("col_count"), cols},
                              {QStringLiteral("display_idx"), 0},
                              {QStringLiteral("y_offset"), 0},
                              {QStringLiteral("x_offset"), 0},
                              {QStringLiteral("row_count"), rows},
                              {QStringLiteral("display_name"), QStringLiteral("display1")},
                              {QStringLiteral("itemArr"), cells}};
    out.displayMap.insert(QStringLiteral("basicInfo"), basic);
    out.displayMap.insert(QStringLiteral("displayArr"), QVariantList{display});
    qCDebug(lcPortTable) << "overlappingItem" << out.overlappingEthPort;
    out.ok = true;
    return out;
}

} // namespace ledwall::porttable
