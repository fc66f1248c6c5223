#pragma once
// The cabinets of a screen sorted onto the sending card's output ports: per port the
// bounding box ("minX", "minY", "maxWidth", "maxHeight"), the cabinets in box order,
// their descriptor strings, and the initial windows the merge passes start from.
//
// A cabinet that cannot be shown (no size, a negative position, a port the card does
// not have, or one that overlaps another cabinet) makes the whole scan fail: windows
// computed around it would show the wrong picture.

#include "windowrect.h"

#include <QHash>
#include <QMap>
#include <QPoint>
#include <QStringList>

namespace ledwall::windows
{

constexpr int PortCount = 16;
constexpr int NotInUse = 99999; // "minX"/"minY" of a port without cabinets

struct PortAggregate {
    int minX = NotInUse;
    int minY = NotInUse;
    int maxWidth = 0;  // right edge
    int maxHeight = 0; // bottom edge

    bool used() const
    {
        return minX != NotInUse && minY != NotInUse && maxWidth != 0 && maxHeight != 0;
    }
    void add(const Window &cabinet);
    // The bounding box; null when the port is not in use.
    Window box() const;
    // Pixels of the bounding box, 0 when the port is not in use.
    qint64 load() const;
    // "minX", "minY", "maxWidth", "maxHeight", and the complex screen's
    // "offsetminX", "offsetminY", "width", "height".
    QHash<QString, QVariant> toHash() const;
    static PortAggregate fromHash(const QHash<QString, QVariant> &hash);
};

struct Cabinet {
    int port = 0;
    int addr = 0; // receiving card on the port
    int row = 0;
    int col = 0;
    Window rect; // canvas pixels
};

// How the cabinets of the screen become initial windows.
enum class InitialWindows {
    PerCabinet, // one window per cabinet
    RowRuns     // one per run of neighbouring cabinets of a row, cut at MaxWindowWidth
};

struct PortLayout {
    QVector<PortAggregate> ports;       // PortCount entries
    QVector<QVector<Cabinet>> cabinets; // per port, in box order
    QVector<WindowList> windows;        // per port, relative to its corner
    QVector<QStringList> descriptors;   // "port:addr:x:y:w:h" per cabinet
    QString error;                      // why the scan failed; empty when it did not

    bool ok() const { return error.isEmpty(); }
    // Overall extent of the used ports: right minus left, bottom minus top.
    QSize screenSize() const;
    // Box positions per port as the box-position writers take them: box index to
    // the cabinet's canvas rectangle.
    QVector<QMap<int, QVariant>> boxPositions() const;
    QVector<QHash<QString, QVariant>> portHashes() const;
};

// The cabinets of one "itemArr" of the plain layout, moved by `shift`. Placeholders
// ("is_as_null" non-zero) are left out, and so are unconfigured cells when
// requireInit is set. A cabinet without "x"/"y" sits at its cell (col × width,
// row × height). Appends what it rejects to *errors.
QVector<Cabinet> plainCabinets(const QVariantList &items, QPoint shift, bool requireInit,
                               QStringList *errors);
// The cabinets of the complex screen ("sNetPort", "x", "y", "width", "height");
// items with "connectFlag" false are not on a chain.
QVector<Cabinet> complexCabinets(const QVariantList &items, QStringList *errors);

// Sorts the cabinets onto their ports and builds the initial windows.
PortLayout layoutPorts(const QVector<Cabinet> &cabinets, InitialWindows initial);

} // namespace ledwall::windows
