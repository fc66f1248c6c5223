#include "displaytext.h"

#include <QVariantList>

namespace ledwall::displaytext
{

const char *const ConnectItemKeys[13] = {
    "index",     "init",       "sender_addr", "sender_port", "vcs_addr",
    "vcs_width", "vcs_height", "is_as_null",  "is_use_hub",  "hub_serial_addr",
    "hub_port",  "col",        "row"};

namespace
{

const QString BasicMarker = QStringLiteral("basic_info:");
const QString DisplayMarker = QStringLiteral("display:");
const QString ItemMarker = QStringLiteral("item:");

const char *const DisplayIntKeys[5] = {"display_idx", "row_count", "col_count", "x_offset",
                                       "y_offset"};

// Integers go out without a detour through QVariant::toString, which is the
// costly part of encoding a large wall; other values keep their string form.
void appendValue(QString &out, const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Int:
        out += QString::number(value.toInt());
        break;
    case QMetaType::UInt:
        out += QString::number(value.toUInt());
        break;
    case QMetaType::LongLong:
        out += QString::number(value.toLongLong());
        break;
    default:
        out += value.toString();
    }
}

// An item with the thirteen keys, and for each of its nodes (in key order) the
// position of the value in the device text. Items are copies of it.
struct ItemTemplate {
    QVariantMap map;
    int fieldOf[13];
    ItemTemplate()
    {
        for (int k = 0; k < 13; ++k)
            map.insert(QLatin1String(ConnectItemKeys[k]), 0);
        int node = 0;
        for (auto it = map.cbegin(); it != map.cend(); ++it, ++node)
            for (int k = 0; k < 13; ++k)
                if (it.key() == QLatin1String(ConnectItemKeys[k]))
                    fieldOf[node] = k;
    }
};

int toInt(QStringView field)
{
    return detail::fieldToInt(field);
}

} // namespace

namespace detail
{

int fieldToInt(QStringView field)
{
    // Plain decimal numbers, by far the common case, without the locale-aware
    // conversion; anything else goes the general way.
    const int size = int(field.size());
    int i = size > 0 && field.at(0) == QLatin1Char('-') ? 1 : 0;
    if (size > i && size - i <= 9) {
        int value = 0;
        for (int k = i; k < size; ++k) {
            const ushort c = field.at(k).unicode();
            if (c < '0' || c > '9') {
                value = -1;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (value >= 0)
            return i ? -value : value;
    }
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    return ok ? value : 0;
}

int splitFields(QStringView text, QStringView *fields, int max)
{
    int count = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char(',')) {
            if (count == max)
                return max + 1;
            fields[count++] = text.mid(start, i - start);
            start = i + 1;
        }
    }
    return count;
}

bool splitGroups(const QString &text, const QString &displayMarker, QList<QStringView> *groups)
{
    if (!textLimitError(text).isEmpty())
        return false;
    const QList<QStringView> halves = QStringView(text).split(BasicMarker);
    if (halves.size() != 2)
        return false;
    *groups = halves.at(1).split(displayMarker);
    return true;
}

} // namespace detail

QString textLimitError(QStringView text)
{
    if (text.size() > MaxTextLength)
        return QStringLiteral("display text of %1 characters, more than %2")
            .arg(text.size())
            .arg(MaxTextLength);
    const qsizetype items = text.count(ItemMarker);
    if (items > MaxItemCount)
        return QStringLiteral("display text declares %1 items, more than %2")
            .arg(items)
            .arg(MaxItemCount);
    return QString();
}

QString connectMapToText(const QVariantMap &map)
{
    QString text;
    const QVariantMap basic = map.value(QStringLiteral("basicInfo")).toMap();
    const QVariantList displays = map.value(QStringLiteral("displayArr")).toList();
    int itemCount = 0;
    for (const QVariant &display : displays)
        itemCount += display.toMap().value(QStringLiteral("itemArr")).toList().size();
    text.reserve(64 + displays.size() * 64 + itemCount * 56);

    text += BasicMarker;
    for (const char *key : {"enable_as_master_card", "display_count", "enable_port_auto_bakup"}) {
        appendValue(text, basic.value(QLatin1String(key)));
        text += QLatin1Char(',');
    }
    text += QString::number(basic.value(QStringLiteral("FreeLine")).toInt());

    for (const QVariant &displayValue : displays) {
        const QVariantMap display = displayValue.toMap();
        text += DisplayMarker;
        for (const char *key : DisplayIntKeys) {
            appendValue(text, display.value(QLatin1String(key)));
            text += QLatin1Char(',');
        }
        text += display.value(QStringLiteral("display_name")).toString();
        const QVariantList items = display.value(QStringLiteral("itemArr")).toList();
        for (const QVariant &itemValue : items) {
            const QVariantMap item = itemValue.toMap();
            text += ItemMarker;
            for (int k = 0; k < 13; ++k) {
                if (k)
                    text += QLatin1Char(',');
                appendValue(text, item.value(QLatin1String(ConnectItemKeys[k])));
            }
        }
    }
    return text;
}

bool connectTextToMap(const QString &text, QVariantMap *map)
{
    map->clear();
    QList<QStringView> groups;
    if (!detail::splitGroups(text, DisplayMarker, &groups))
        return false;

    QVariantMap basic;
    const QList<QStringView> basicFields = groups.at(0).split(QLatin1Char(','));
    if (basicFields.size() >= 3) {
        basic.insert(QStringLiteral("enable_as_master_card"), toInt(basicFields.at(0)));
        basic.insert(QStringLiteral("display_count"), toInt(basicFields.at(1)));
        basic.insert(QStringLiteral("enable_port_auto_bakup"), toInt(basicFields.at(2)));
        if (basicFields.size() >= 4)
            basic.insert(QStringLiteral("FreeLine"), toInt(basicFields.at(3)));
    }

    QVariantList displays;
    displays.reserve(groups.size() - 1);
    for (int g = 1; g < groups.size(); ++g) {
        const QList<QStringView> parts = groups.at(g).split(ItemMarker);
        QVariantMap display;
        const QList<QStringView> header = parts.at(0).split(QLatin1Char(','));
        if (header.size() == 5 || header.size() == 6) {
            for (int k = 0; k < 5; ++k)
                display.insert(QLatin1String(DisplayIntKeys[k]), toInt(header.at(k)));
            display.insert(QStringLiteral("display_name"),
                           header.size() == 6
                               ? header.at(5).toString()
                               : QStringLiteral("display%1").arg(toInt(header.at(0)) + 1));
        }
        QVariantList items;
        items.reserve(parts.size() - 1);
        static const ItemTemplate itemTemplate;
        QStringView fields[13];
        for (int p = 1; p < parts.size(); ++p) {
            if (detail::splitFields(parts.at(p), fields, 13) != 13) {
                items.append(QVariantMap());
                continue;
            }
            QVariantMap item = itemTemplate.map;
            int node = 0;
            for (auto it = item.begin(); it != item.end(); ++it, ++node)
                it.value() = toInt(fields[itemTemplate.fieldOf[node]]);
            items.append(item);
        }
        display.insert(QStringLiteral("itemArr"), items);
        displays.append(display);
    }

    map->insert(QStringLiteral("basicInfo"), basic);
    map->insert(QStringLiteral("displayArr"), displays);
    return true;
}

QVariantMap connectItemForCell(int port, int col, int row, int width, int height, int addr)
{
    QVariantMap item;
    item.insert(QStringLiteral("index"), 0);
    item.insert(QStringLiteral("init"), height != 0 ? 1 : 0);
    item.insert(QStringLiteral("sender_addr"), addr);
    item.insert(QStringLiteral("sender_port"), port);
    item.insert(QStringLiteral("vcs_addr"), addr);
    item.insert(QStringLiteral("vcs_width"), width);
    item.insert(QStringLiteral("vcs_height"), height);
    item.insert(QStringLiteral("is_as_null"), 0);
    item.insert(QStringLiteral("is_use_hub"), 0);
    item.insert(QStringLiteral("hub_serial_addr"), 0);
    item.insert(QStringLiteral("hub_port"), 0);
    item.insert(QStringLiteral("col"), col);
    item.insert(QStringLiteral("row"), row);
    return item;
}

QVariantMap connectItemForRect(uint height, uint y, uint width, uint x, uint addr, int port,
                               int rowOffset, int colOffset)
{
    QVariantMap item = connectItemForCell(port, int(width ? x / width : 0) + colOffset,
                                          int(height ? y / height : 0) + rowOffset, int(width),
                                          int(height), int(addr));
    item.insert(QStringLiteral("init"), 1);
    return item;
}

} // namespace ledwall::displaytext
