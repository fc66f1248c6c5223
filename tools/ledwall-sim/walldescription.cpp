#include "walldescription.h"

#include <cmath>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace ledwall::sim
{

namespace
{

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

bool readInt(const QJsonObject &object, const QString &key, int minimum, int maximum, int *value,
             QString *message)
{
    const std::optional<int> number = wallInteger(object.value(key), minimum, maximum);
    if (!number) {
        *message = QStringLiteral("\"%1\" must be an integer from %2 to %3")
                       .arg(key)
                       .arg(minimum)
                       .arg(maximum);
        return false;
    }
    *value = *number;
    return true;
}

bool readText(const QJsonObject &object, const QString &key, QString *value, QString *message)
{
    if (!object.contains(key))
        return true;
    const QJsonValue json = object.value(key);
    if (!json.isString()) {
        *message = QStringLiteral("\"%1\" must be a string").arg(key);
        return false;
    }
    *value = json.toString();
    return true;
}

} // namespace

bool WallDescription::fromJson(const QByteArray &json, WallDescription *wall, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("not valid JSON at offset %1: %2")
                               .arg(parseError.offset)
                               .arg(parseError.errorString()));
    if (!document.isObject())
        return fail(error, QStringLiteral("the wall file must hold a JSON object"));

    const QJsonObject root = document.object();
    WallDescription result;
    QString message;
    if (!readText(root, QStringLiteral("name"), &result.name, &message) ||
        !readText(root, QStringLiteral("model"), &result.model, &message) ||
        !readText(root, QStringLiteral("serial"), &result.serial, &message))
        return fail(error, message);

    const QJsonValue portsValue = root.value(QStringLiteral("ports"));
    if (!portsValue.isUndefined() && !portsValue.isArray())
        return fail(error, QStringLiteral("\"ports\" must be an array"));
    const QJsonArray ports = portsValue.toArray();
    if (ports.size() > MaxPorts)
        return fail(error, QStringLiteral("at most %1 ports are supported").arg(MaxPorts));

    QSet<int> seenPorts;
    for (int p = 0; p < ports.size(); ++p) {
        const QString where = QStringLiteral("ports[%1]").arg(p);
        if (!ports.at(p).isObject())
            return fail(error, where + QStringLiteral(" must be an object"));
        const QJsonObject portObject = ports.at(p).toObject();
        WallPort port;
        if (!readInt(portObject, QStringLiteral("port"), 0, 255, &port.port, &message))
            return fail(error, where + QStringLiteral(": ") + message);
        if (seenPorts.contains(port.port))
            return fail(error, where + QStringLiteral(": port %1 is listed twice").arg(port.port));
        seenPorts.insert(port.port);

        const QJsonValue cabinetsValue = portObject.value(QStringLiteral("cabinets"));
        if (!cabinetsValue.isUndefined() && !cabinetsValue.isArray())
            return fail(error, where + QStringLiteral(": \"cabinets\" must be an array"));
        const QJsonArray cabinets = cabinetsValue.toArray();
        if (cabinets.size() > MaxCabinetsPerPort)
            return fail(
                error,
                where + QStringLiteral(": at most %1 cabinets per port").arg(MaxCabinetsPerPort));
        QSet<int> seenCards;
        for (int c = 0; c < cabinets.size(); ++c) {
            const QString cabinetWhere = where + QStringLiteral(".cabinets[%1]").arg(c);
            if (!cabinets.at(c).isObject())
                return fail(error, cabinetWhere + QStringLiteral(" must be an object"));
            const QJsonObject cabinetObject = cabinets.at(c).toObject();
            WallCabinet cabinet;
            if (!readInt(cabinetObject, QStringLiteral("card"), 0, MaxCabinetsPerPort - 1,
                         &cabinet.card, &message) ||
                !readInt(cabinetObject, QStringLiteral("width"), 1, MaxCabinetSide, &cabinet.width,
                         &message) ||
                !readInt(cabinetObject, QStringLiteral("height"), 1, MaxCabinetSide,
                         &cabinet.height, &message))
                return fail(error, cabinetWhere + QStringLiteral(": ") + message);
            if (seenCards.contains(cabinet.card))
                return fail(error,
                            cabinetWhere +
                                QStringLiteral(": card %1 is listed twice").arg(cabinet.card));
            seenCards.insert(cabinet.card);
            port.cabinets.append(cabinet);
        }
        const WallCabinet first = port.cabinets.value(0, WallCabinet{0, 0, 0});
        if (!readPortLayout(portObject, first.width, first.height, &port.layout, &message))
            return fail(error, where + QStringLiteral(": ") + message);
        result.ports.append(port);
    }

    if (wall)
        *wall = result;
    return true;
}

bool WallDescription::fromFile(const QString &path, WallDescription *wall, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() > MaxFileSize)
        return fail(error, QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(MaxFileSize));
    const QByteArray contents = file.read(MaxFileSize + 1);
    if (contents.size() > MaxFileSize)
        return fail(error, QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(MaxFileSize));
    QString message;
    if (!fromJson(contents, wall, &message))
        return fail(error, path + QStringLiteral(": ") + message);
    return true;
}

std::optional<int> wallInteger(const QJsonValue &json, int minimum, int maximum)
{
    const double number = json.toDouble(-1.0);
    // The range first: converting a huge or non-finite double to an integer is
    // undefined.
    if (!json.isDouble() || !(number >= minimum && number <= maximum) ||
        number != std::floor(number))
        return std::nullopt;
    return int(number);
}

} // namespace ledwall::sim
