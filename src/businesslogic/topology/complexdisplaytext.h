#pragma once
// The complex display data (freely placed, named cabinets) in its two forms.
//
// Device text:
//   basic_info:<display_count>,<netPortIndex>,<connectMode>,<paramShow>,<FreeLine>
//   display_info:<idx>,<name>                                     once per display
//   item:<id>,<x>,<y>,<z>,<boxName>,<sNetPort>,<strInfoText>,<boxId>,<width>,
//        <height>,<connectFlag>,<lockFlag>,<bGConnectColor>        once per cabinet
// Booleans are written "true" or "false". Text fields must not hold a comma or a
// marker.

#include <QString>
#include <QVariantMap>

namespace ledwall::displaytext
{

QString complexMapToText(const QVariantMap &map);

// False (and `map` cleared) without exactly one "basic_info:" marker or beyond
// the limits of displaytext.h (MaxTextLength, MaxItemCount). Every
// display read from the text is flagged "display_flag" = "readBack".
bool complexTextToMap(const QString &text, QVariantMap *map);

} // namespace ledwall::displaytext
