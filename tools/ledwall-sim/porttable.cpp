#include "porttable.h"

#include "walldescription.h"

#include <QJsonValue>

namespace ledwall::sim
{

namespace
{

bool readLayoutInt(const QJsonObject &object, const char *key, int minimum, int maximum, int *value,
                   QString *message)
{
    const QJsonValue json = object.value(QLatin1String(key));
    if (json.isUndefined())
        return true;
    const std::optional<int> number = wallInteger(json, minimum, maximum);
    if (!number) {
        *message = QStringLiteral("\"layout.%1\" must be an integer from %2 to %3")
                       .arg(QLatin1String(key))
                       .arg(minimum)
                       .arg(maximum);
        return false;
    }
    *value = *number;
    return true;
}

void appendLittle16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

} // namespace

bool readPortLayout(const QJsonObject &portObject, int firstCabinetWidth, int firstCabinetHeight,
                    PortLayout *layout, QString *message)
{
    const QJsonValue value = portObject.value(QStringLiteral("layout"));
    if (value.isUndefined())
        return true;
    if (!value.isObject()) {
        *message = QStringLiteral("\"layout\" must be an object");
        return false;
    }
    const QJsonObject object = value.toObject();
    PortLayout result;
    result.present = true;
    result.width = firstCabinetWidth;
    result.height = firstCabinetHeight;
    result.across = result.down = -1;
    if (!readLayoutInt(object, "order", 0, 7, &result.order, message) ||
        !readLayoutInt(object, "across", 1, 255, &result.across, message) ||
        !readLayoutInt(object, "down", 1, 255, &result.down, message) ||
        !readLayoutInt(object, "x", 0, 65535, &result.x, message) ||
        !readLayoutInt(object, "y", 0, 65535, &result.y, message) ||
        !readLayoutInt(object, "width", 1, 65535, &result.width, message) ||
        !readLayoutInt(object, "height", 1, 65535, &result.height, message))
        return false;
    if (result.across < 0 || result.down < 0) {
        *message = QStringLiteral("\"layout\" needs \"across\" and \"down\"");
        return false;
    }
    if (result.width == 0 || result.height == 0) {
        *message = QStringLiteral(
            "\"layout\" needs \"width\" and \"height\" when the port lists no cabinets");
        return false;
    }
    const QJsonValue enable = object.value(QStringLiteral("enable"));
    if (!enable.isUndefined() && !enable.isBool()) {
        *message = QStringLiteral("\"layout.enable\" must be true or false");
        return false;
    }
    result.enable = enable.toBool(true);
    *layout = result;
    return true;
}

QByteArray portTableBytes(const WallDescription &wall)
{
    int highest = -1;
    for (const WallPort &port : wall.ports)
        if (port.layout.present)
            highest = qMax(highest, port.port);
    if (highest < 0)
        return QByteArray();
    QByteArray table(PortRecordSize * (highest + 1), '\0');
    for (int p = 0; p <= highest; ++p)
        table[p * PortRecordSize] = char(p);
    for (const WallPort &port : wall.ports) {
        if (!port.layout.present)
            continue;
        const PortLayout &l = port.layout;
        QByteArray record;
        record.append(char(port.port))
            .append(char(l.order))
            .append(char(l.across))
            .append(char(l.down));
        appendLittle16(record, l.x);
        appendLittle16(record, l.y);
        appendLittle16(record, l.width);
        appendLittle16(record, l.height);
        record.append(char(l.enable ? 1 : 0));
        table.replace(port.port * PortRecordSize, PortRecordSize, record);
    }
    return table;
}

} // namespace ledwall::sim
