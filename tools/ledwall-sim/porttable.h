#pragma once
// The sending card's hardware port table as the wall file describes it.
//
// A port of the wall file may carry a "layout" object that says which block of
// cabinets the port drives:
//   "layout": {"order": 0, "across": 2, "down": 2, "x": 0, "y": 0,
//              "width": 128, "height": 128, "enable": true}
// order: chaining order 0..7; across/down: cabinets (1..255); x/y: top left of the
// port's block in pixels (default 0); width/height: cabinet size in pixels
// (default: the size of the port's first cabinet); enable: default true.
//
// When any port has a layout, the card's flash holds at 0x10E000 one 13-byte
// record per port number from 0 to the highest port (ports without a layout get
// a disabled, zero record):
//   0 ethId  1 order  2 across  3 down  4..5 x  6..7 y  8..9 width  10..11 height
//   (little-endian)  12 enable (1 or 0)

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace ledwall::sim
{

struct WallDescription;

struct PortLayout {
    bool present = false;
    int order = 0;
    int across = 0;
    int down = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool enable = true;
};

constexpr quint32 PortTableAddress = 0x10E000;
constexpr int PortRecordSize = 13;

// Reads the optional "layout" of a port object; `firstCabinetWidth/Height` (0 when
// the port lists no cabinets) give the default cabinet size. False with a message
// naming the key when a value is out of range.
bool readPortLayout(const QJsonObject &portObject, int firstCabinetWidth, int firstCabinetHeight,
                    PortLayout *layout, QString *message);

// The table bytes of the wall; empty when no port has a layout.
QByteArray portTableBytes(const WallDescription &wall);

} // namespace ledwall::sim
