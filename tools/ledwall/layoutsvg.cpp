#include "layoutsvg.h"

#include <QMap>
#include <QPointF>
#include <QRectF>
#include <QVector>

#include <algorithm>

namespace cli
{

namespace
{

// Sixteen distinct hues, one per output port.
const char *const PortColours[16] = {
    "#4e79a7", "#f28e2b", "#e15759", "#76b7b2", "#59a14f", "#edc948", "#b07aa1", "#ff9da7",
    "#9c755f", "#bab0ac", "#1f77b4", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#17becf"};

struct Cabinet {
    QRectF rect;
    int port = 0;
    int card = 0;
    bool used = false;
};

int intOf(const QVariantMap &map, const char *key)
{
    return map.value(QLatin1String(key)).toInt();
}

QString number(double value)
{
    return QString::number(value, 'f', 1);
}

// The cabinets of one display: a column is as wide as its widest cabinet and a
// row as high as its highest, so that cabinets of different sizes line up.
QVector<Cabinet> placeCabinets(const QVariantMap &display)
{
    const QVariantList items = display.value(QStringLiteral("itemArr")).toList();
    QMap<int, int> columnWidth;
    QMap<int, int> rowHeight;
    for (const QVariant &value : items) {
        const QVariantMap item = value.toMap();
        const int col = intOf(item, "col");
        const int row = intOf(item, "row");
        columnWidth[col] = std::max(columnWidth.value(col), intOf(item, "vcs_width"));
        rowHeight[row] = std::max(rowHeight.value(row), intOf(item, "vcs_height"));
    }
    auto offsetOf = [](const QMap<int, int> &sizes, int index) {
        int offset = 0;
        for (auto it = sizes.cbegin(); it != sizes.cend() && it.key() < index; ++it)
            offset += it.value();
        return offset;
    };
    const double x0 = intOf(display, "x_offset");
    const double y0 = intOf(display, "y_offset");
    QVector<Cabinet> cabinets;
    for (const QVariant &value : items) {
        const QVariantMap item = value.toMap();
        const int col = intOf(item, "col");
        const int row = intOf(item, "row");
        Cabinet cabinet;
        const int width = std::max(1, columnWidth.value(col));
        const int height = std::max(1, rowHeight.value(row));
        cabinet.rect =
            QRectF(x0 + offsetOf(columnWidth, col), y0 + offsetOf(rowHeight, row), width, height);
        cabinet.port = intOf(item, "sender_port");
        cabinet.card = intOf(item, "sender_addr");
        cabinet.used = intOf(item, "init") != 0 && intOf(item, "vcs_width") > 0 &&
                       intOf(item, "vcs_height") > 0;
        cabinets.append(cabinet);
    }
    return cabinets;
}

} // namespace

LayoutPicture renderLayoutSvg(const QVariantMap &editorMap)
{
    LayoutPicture picture;
    QVector<Cabinet> all;
    QStringList body;
    const QVariantList displays = editorMap.value(QStringLiteral("displayArr")).toList();
    for (const QVariant &value : displays) {
        const QVariantMap display = value.toMap();
        const QVector<Cabinet> cabinets = placeCabinets(display);
        QRectF frame;
        for (const Cabinet &cabinet : cabinets)
            frame = frame.united(cabinet.rect);
        body << QStringLiteral("<g class=\"display\"><rect x=\"%1\" y=\"%2\" width=\"%3\" "
                               "height=\"%4\" fill=\"none\" stroke=\"#333\" stroke-width=\"4\"/>"
                               "<text x=\"%1\" y=\"%5\" font-size=\"14\">%6</text></g>")
                    .arg(number(frame.x()), number(frame.y()), number(frame.width()),
                         number(frame.height()), number(frame.y() - 6),
                         display.value(QStringLiteral("display_name")).toString().toHtmlEscaped());
        all += cabinets;
        ++picture.displays;
    }
    QRectF bounds(0, 0, 1, 1);
    QMap<int, QVector<const Cabinet *>> chains; // port -> cabinets in chaining order
    for (const Cabinet &cabinet : qAsConst(all)) {
        bounds = bounds.united(cabinet.rect);
        if (!cabinet.used) {
            body << QStringLiteral(
                        "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" "
                        "stroke=\"#999\" stroke-dasharray=\"6 4\"/>")
                        .arg(number(cabinet.rect.x()), number(cabinet.rect.y()),
                             number(cabinet.rect.width()), number(cabinet.rect.height()));
            continue;
        }
        ++picture.cabinets;
        chains[cabinet.port].append(&cabinet);
        const QPointF centre = cabinet.rect.center();
        body << QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" "
                               "fill-opacity=\"0.35\" stroke=\"%5\"/><text x=\"%6\" y=\"%7\" "
                               "font-size=\"16\" text-anchor=\"middle\">%8:%9</text>")
                    .arg(number(cabinet.rect.x()), number(cabinet.rect.y()),
                         number(cabinet.rect.width()), number(cabinet.rect.height()),
                         QLatin1String(PortColours[cabinet.port & 15]), number(centre.x()),
                         number(centre.y() + 5))
                    .arg(cabinet.port)
                    .arg(cabinet.card);
    }
    for (auto it = chains.begin(); it != chains.end(); ++it) {
        QVector<const Cabinet *> &chain = it.value();
        std::stable_sort(chain.begin(), chain.end(),
                         [](const Cabinet *a, const Cabinet *b) { return a->card < b->card; });
        for (int i = 1; i < chain.size(); ++i) {
            const QPointF from = chain.at(i - 1)->rect.center();
            const QPointF to = chain.at(i)->rect.center();
            body << QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" "
                                   "stroke-width=\"3\" marker-end=\"url(#arrow)\"/>")
                        .arg(number(from.x()), number(from.y()), number(to.x()), number(to.y()),
                             QLatin1String(PortColours[it.key() & 15]));
        }
    }
    const QRectF view = bounds.adjusted(-20, -30, 20, 20);
    picture.svg =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"%1 %2 %3 %4\" "
                       "width=\"%3\" height=\"%4\" font-family=\"sans-serif\">\n"
                       "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"10\" refY=\"5\" "
                       "markerWidth=\"6\" markerHeight=\"6\" orient=\"auto\"><path d=\"M0,0 L10,5 "
                       "L0,10 z\"/></marker></defs>\n")
            .arg(number(view.x()), number(view.y()), number(view.width()), number(view.height())) +
        body.join(QLatin1Char('\n')) + QStringLiteral("\n</svg>\n");
    return picture;
}

} // namespace cli
