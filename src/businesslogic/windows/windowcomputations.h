#pragma once
// The four window computations of a sending card, without the card: from the
// layout and the request to the per-port windows that the card writes.
//
//   Multi   one display ("currDisplayIdx") of equal cabinets; a window per run of
//           neighbouring cabinets of a row, cut at 2048
//   DiffWH  one display of free sizes; "isFreeLine": stacking, otherwise merges
//           within the port's slice width and then within 2048
//   All     every display, moved by its "x_offset"/"y_offset", configured cells
//           only; strips of the port's slice width
//   Complex the complex screen; the bounding box or the complex merges chosen by
//           "isFreeLine" and "bMerged"

#include "portwindows.h"

#include <optional>

namespace ledwall::windows
{

enum class WindowOperation { Multi, DiffWH, All, Complex };

// "multi", "diffwh", "all", "complex"; nothing for another name.
std::optional<WindowOperation> operationFromName(const QString &name);

struct ComputedWindows {
    PortLayout layout; // aggregates, cabinets, and the final windows
    Dialect dialect = Dialect::Plain;
    QString error; // why nothing was computed; empty on success

    bool ok() const { return error.isEmpty(); }
    // [{"port", "offset": {"x","y","width","height"}, "windows": [window maps]}]
    // for every port with windows.
    QVariantList portWindows() const;
    // Per port (maxWidth - minX) * (maxHeight - minY), 0 for a port not in use.
    QVariantList loads() const;
};

// displays: the layout's "displayArr". The request keys a computation cannot do
// without (for Multi: "currDisplayIdx", "scType", "dviWorkMode", "offsetX",
// "offsetY", "leftEmpObj") fail it when missing, as do a display index out of range,
// a display without "itemArr" and a cabinet that cannot be shown.
ComputedWindows computeWindows(WindowOperation operation, const QVariantList &displays,
                               const QVariantMap &request);

} // namespace ledwall::windows
