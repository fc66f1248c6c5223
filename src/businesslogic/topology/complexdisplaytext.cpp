#include "complexdisplaytext.h"

#include "displaytext.h"

#include <QVariantList>

namespace ledwall::displaytext
{

namespace
{

const QString DisplayMarker = QStringLiteral("display_info:");
const QString ItemMarker = QStringLiteral("item:");

enum FieldType { Integer, Text, Boolean };
struct ItemField {
    const char *key;
    FieldType type;
};
const ItemField ItemFields[13] = {
    {"id", Integer},         {"x", Integer},        {"y", Integer},           {"z", Integer},
    {"boxName", Text},       {"sNetPort", Integer}, {"strInfoText", Text},    {"boxId", Text},
    {"width", Integer},      {"height", Integer},   {"connectFlag", Boolean}, {"lockFlag", Boolean},
    {"bGConnectColor", Text}};

int toInt(QStringView field)
{
    return detail::fieldToInt(field);
}

void appendValue(QString &out, const QVariant &value, FieldType type)
{
    if (type == Boolean)
        out += value.toBool() ? QLatin1String("true") : QLatin1String("false");
    else if (value.userType() == QMetaType::Int)
        out += QString::number(value.toInt());
    else
        out += value.toString();
}

} // namespace

QString complexMapToText(const QVariantMap &map)
{
    QString text;
    const QVariantMap basic = map.value(QStringLiteral("basicInfo")).toMap();
    const QVariantList displays = map.value(QStringLiteral("displayArr")).toList();

    text += QLatin1String("basic_info:");
    for (const char *key : {"display_count", "netPortIndex", "connectMode", "paramShow"}) {
        appendValue(text, basic.value(QLatin1String(key)), Text);
        text += QLatin1Char(',');
    }
    text += QString::number(basic.value(QStringLiteral("FreeLine")).toInt());

    for (const QVariant &displayValue : displays) {
        const QVariantMap display = displayValue.toMap();
        text += DisplayMarker;
        appendValue(text, display.value(QStringLiteral("display_idx")), Text);
        text += QLatin1Char(',');
        text += display.value(QStringLiteral("display_name")).toString();
        const QVariantList items = display.value(QStringLiteral("itemArr")).toList();
        for (const QVariant &itemValue : items) {
            const QVariantMap item = itemValue.toMap();
            text += ItemMarker;
            for (int k = 0; k < 13; ++k) {
                if (k)
                    text += QLatin1Char(',');
                appendValue(text, item.value(QLatin1String(ItemFields[k].key)), ItemFields[k].type);
            }
        }
    }
    return text;
}

bool complexTextToMap(const QString &text, QVariantMap *map)
{
    map->clear();
    QList<QStringView> groups;
    if (!detail::splitGroups(text, DisplayMarker, &groups))
        return false;

    QVariantMap basic;
    const QList<QStringView> basicFields = groups.at(0).split(QLatin1Char(','));
    if (basicFields.size() >= 4) {
        basic.insert(QStringLiteral("display_count"), toInt(basicFields.at(0)));
        basic.insert(QStringLiteral("netPortIndex"), toInt(basicFields.at(1)));
        basic.insert(QStringLiteral("connectMode"), toInt(basicFields.at(2)));
        basic.insert(QStringLiteral("paramShow"), basicFields.at(3).toString());
        if (basicFields.size() == 5)
            basic.insert(QStringLiteral("FreeLine"), basicFields.at(4).toString());
    }

    QVariantList displays;
    for (int g = 1; g < groups.size(); ++g) {
        const QList<QStringView> parts = groups.at(g).split(ItemMarker);
        QVariantMap display;
        const QList<QStringView> header = parts.at(0).split(QLatin1Char(','));
        if (header.size() == 2) {
            display.insert(QStringLiteral("display_idx"), toInt(header.at(0)));
            display.insert(QStringLiteral("display_name"), header.at(1).toString());
            display.insert(QStringLiteral("display_flag"), QStringLiteral("readBack"));
        }
        QVariantList items;
        items.reserve(parts.size() - 1);
        for (int p = 1; p < parts.size(); ++p) {
            QStringView fields[13];
            QVariantMap item;
            if (detail::splitFields(parts.at(p), fields, 13) == 13) {
                for (int k = 0; k < 13; ++k) {
                    const QString key = QLatin1String(ItemFields[k].key);
                    const QStringView field = fields[k];
                    switch (ItemFields[k].type) {
                    case Integer:
                        item.insert(key, toInt(field));
                        break;
                    case Text:
                        item.insert(key, field.toString());
                        break;
                    case Boolean:
                        // A connection flag may also come as "1"; the lock only as "true".
                        item.insert(key, field == QLatin1String("true") ||
                                             (k == 10 && field == QLatin1String("1")));
                        break;
                    }
                }
            }
            items.append(item);
        }
        display.insert(QStringLiteral("itemArr"), items);
        displays.append(display);
    }

    map->insert(QStringLiteral("basicInfo"), basic);
    map->insert(QStringLiteral("displayArr"), displays);
    return true;
}

} // namespace ledwall::displaytext
