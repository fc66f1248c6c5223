#pragma once
// What a wall file says about the simulated wall: the identity the sending card
// reports and the cabinets chained on each of its output ports.
//
// Wall file (JSON, unknown keys ignored so that later fields can be added):
//   {"name": "...", "model": "...", "serial": "...",
//    "ports": [{"port": 0, "cabinets": [{"card": 0, "width": 128, "height": 128}, ...]}, ...]}

#include "porttable.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QVector>

#include <optional>

namespace ledwall::sim
{

struct WallCabinet {
    int card = 0;   // receiving-card index on its port
    int width = 0;  // pixels
    int height = 0; // pixels
};

struct WallPort {
    int port = 0; // sending-card output port
    QVector<WallCabinet> cabinets;
    PortLayout layout; // its record in the hardware port table (porttable.h)
};

struct WallDescription {
    static constexpr int MaxPorts = 64;
    static constexpr int MaxCabinetsPerPort = 1024;
    static constexpr int MaxCabinetSide = 8192;
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    QString name = QStringLiteral("ledwall-sim");
    QString model = QStringLiteral("LW-SC1");
    QString serial = QStringLiteral("SIM0001");
    QVector<WallPort> ports;

    // Parses a wall file's contents; on failure returns false, leaves `wall`
    // untouched and says why in `error`.
    static bool fromJson(const QByteArray &json, WallDescription *wall, QString *error);
    static bool fromFile(const QString &path, WallDescription *wall, QString *error);
};

// A JSON number that is a whole number in [minimum, maximum]; nothing otherwise
// (text, fractions, values out of range, however large).
std::optional<int> wallInteger(const QJsonValue &json, int minimum, int maximum);

} // namespace ledwall::sim
