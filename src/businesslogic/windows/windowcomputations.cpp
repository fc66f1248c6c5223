#include "windowcomputations.h"

#include "windowdrivers.h"

#include <QLoggingCategory>

namespace ledwall::windows
{

namespace
{
Q_LOGGING_CATEGORY(lcCompute, "ledwall.windows.compute")

const QString ItemArr = QStringLiteral("itemArr");

// The items of the display the request names; an error text when there is none.
QString selectDisplay(const QVariantList &displays, const QVariantMap &request, QVariantList *items)
{
    bool ok = true;
    const QVariant index = request.value(QStringLiteral("currDisplayIdx"), 0);
    const int idx = index.toInt(&ok);
    if (!ok || idx < 0 || idx >= displays.size())
        return QStringLiteral("currDisplayIdx %1 is not one of the %2 displays")
            .arg(index.toString())
            .arg(displays.size());
    const QVariantMap display = displays.at(idx).toMap();
    if (!display.contains(ItemArr))
        return QStringLiteral("display %1 has no \"itemArr\"").arg(idx);
    *items = display.value(ItemArr).toList();
    return {};
}

QString missingKey(const QVariantMap &request)
{
    for (const char *key :
         {"currDisplayIdx", "scType", "dviWorkMode", "offsetX", "offsetY", "leftEmpObj"}) {
        if (!request.contains(QLatin1String(key)))
            return QStringLiteral("the request has no \"%1\"").arg(QLatin1String(key));
    }
    return {};
}

bool flag(const QVariantMap &request, const char *key)
{
    return request.value(QLatin1String(key)).toBool();
}

// The cabinets the operation reads; an error text when the layout cannot give them.
QString readCabinets(WindowOperation operation, const QVariantList &displays,
                     const QVariantMap &request, QVector<Cabinet> *cabinets)
{
    QStringList errors;
    if (operation == WindowOperation::Multi || operation == WindowOperation::DiffWH) {
        if (operation == WindowOperation::Multi) {
            const QString missing = missingKey(request);
            if (!missing.isEmpty())
                return missing;
        }
        QVariantList items;
        const QString error = selectDisplay(displays, request, &items);
        if (!error.isEmpty())
            return error;
        *cabinets = plainCabinets(items, {}, false, &errors);
    } else {
        for (int d = 0; d < displays.size(); ++d) {
            const QVariantMap display = displays.at(d).toMap();
            if (!display.contains(ItemArr))
                return QStringLiteral("display %1 has no \"itemArr\"").arg(d);
            const QVariantList items = display.value(ItemArr).toList();
            if (operation == WindowOperation::Complex) {
                *cabinets += complexCabinets(items, &errors);
                continue;
            }
            const QPoint shift(display.value(QStringLiteral("x_offset")).toInt(),
                               display.value(QStringLiteral("y_offset")).toInt());
            *cabinets += plainCabinets(items, shift, true, &errors);
        }
    }
    return errors.join(QStringLiteral("; "));
}
} // namespace

std::optional<WindowOperation> operationFromName(const QString &name)
{
    static const QPair<const char *, WindowOperation> Names[] = {
        {"multi", WindowOperation::Multi},
        {"diffwh", WindowOperation::DiffWH},
        {"all", WindowOperation::All},
        {"complex", WindowOperation::Complex}};
    for (const auto &entry : Names) {
        if (name == QLatin1String(entry.first))
            return entry.second;
    }
    return std::nullopt;
}

QVariantList ComputedWindows::portWindows() const
{
    QVariantList ports;
    for (int port = 0; port < layout.windows.size(); ++port) {
        if (layout.windows.at(port).isEmpty())
            continue;
        const Window box = layout.ports.at(port).box();
        ports.append(QVariantMap{
            {QStringLiteral("port"), port},
            {QStringLiteral("offset"), windowToMap(box, Dialect::Complex)},
            {QStringLiteral("windows"), windowsToList(layout.windows.at(port), dialect)}});
    }
    return ports;
}

QVariantList ComputedWindows::loads() const
{
    QVariantList loads;
    for (const PortAggregate &port : layout.ports)
        loads.append(port.load());
    return loads;
}

ComputedWindows computeWindows(WindowOperation operation, const QVariantList &displays,
                               const QVariantMap &request)
{
    ComputedWindows computed;
    computed.dialect = operation == WindowOperation::Complex ? Dialect::Complex : Dialect::Plain;
    QVector<Cabinet> cabinets;
    computed.error = readCabinets(operation, displays, request, &cabinets);
    if (!computed.ok()) {
        qCDebug(lcCompute) << "windows not computed:" << computed.error;
        return computed;
    }
    computed.layout =
        layoutPorts(cabinets, operation == WindowOperation::Multi ? InitialWindows::RowRuns
                                                                  : InitialWindows::PerCabinet);
    if (!computed.layout.ok()) {
        computed.error = computed.layout.error;
        qCDebug(lcCompute) << "windows not computed:" << computed.error;
        return computed;
    }
    const bool isFreeLine = flag(request, "isFreeLine");
    const bool bMerged = flag(request, "bMerged");
    QVector<WindowList> &windows = computed.layout.windows;
    qCDebug(lcCompute) << "mergeWindow before  ------- winNewNetVector:" << windows.size();
    for (int port = 0; port < windows.size(); ++port) {
        const PortSplit split = portSplit(computed.layout.ports.at(port).box().w);
        switch (operation) {
        case WindowOperation::Multi:
            break; // the runs are already cut
        case WindowOperation::DiffWH:
            windows[port] = diffWHWindows(windows.at(port), isFreeLine, split.splitWidth);
            break;
        case WindowOperation::All:
            windows[port] = packStrips(windows.at(port), split.splitWidth);
            break;
        case WindowOperation::Complex:
            windows[port] = complexWindows(windows.at(port), isFreeLine, bMerged);
            break;
        }
        qCDebug(lcCompute) << "winNewNetVector:" << port << "splitWidth---" << split.splitWidth
                           << "wCount" << split.wCount << "windows" << windows.at(port).size();
    }
    qCDebug(lcCompute) << "winNewNetVector:----end";
    return computed;
}

} // namespace ledwall::windows
