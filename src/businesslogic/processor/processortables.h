#pragma once
// Sending one scene table to a processor: the items' records packed by their
// layout, grouped into frames by the large-package builder and pushed straight to
// the link manager (not through the pipeline's queue), each with the grouping flag
// when any item is grouped.

#include "processorrecords.h"

#include <QString>
#include <QVariantList>

namespace ledwall::processor
{

// Frames handed to the link; fewer than planned when the link refused some
// (logged).
int sendSceneTable(const RecordLayout &layout, const QVariantList &items, const QString &guid);

} // namespace ledwall::processor
