#pragma once
// The connection display data in its two forms: the editor map that the user
// interface edits and the flat device text that the sending card stores.
//
// Device text, all numbers decimal, fields separated by a single comma and no
// separator after the last field of a group:
//   basic_info:<master>,<display_count>,<port_backup>,<FreeLine>
//   display:<idx>,<rows>,<cols>,<x_offset>,<y_offset>,<name>      once per display
//   item:<13 values>                                             once per cell
// A display name or any other text field must not hold a comma or a marker.

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariantMap>

namespace ledwall::displaytext
{

// The thirteen item keys in the order of the device text.
extern const char *const ConnectItemKeys[13];

// Limits of a device text that is decoded (either layout model): its length in
// characters and the number of "item:" groups it may declare. A real layout of
// 4096 cabinets is about 172 KB with 4096 items; a text beyond either limit is
// refused before anything is built from it, since each item becomes a map.
constexpr int MaxTextLength = 1024 * 1024;
constexpr int MaxItemCount = 32768;

// Why `text` is refused by the decoders (a text for the log), or an empty string
// when it is within the limits above.
QString textLimitError(QStringView text);

// Editor map to device text.
QString connectMapToText(const QVariantMap &map);

// Device text to editor map. False (and `map` cleared) when the text does not
// hold exactly one "basic_info:" marker or is beyond the limits above; malformed groups are kept as
// empty maps so that the display and item counts stay the same.
bool connectTextToMap(const QString &text, QVariantMap *map);

// One cabinet item given by its cell; "init" is 1 when height is non-zero.
QVariantMap connectItemForCell(int port, int col, int row, int width, int height, int addr);

// One cabinet item given by its pixel rectangle; width and height must be
// non-zero (a zero side gives row or column 0 instead of dividing by it).
QVariantMap connectItemForRect(uint height, uint y, uint width, uint x, uint addr, int port,
                               int rowOffset, int colOffset);

// Pieces that both layout codecs share.
namespace detail
{
// The groups behind the single "basic_info:" marker, split at `displayMarker`
// (group 0 is the basic group); false without exactly one "basic_info:" or
// beyond the limits (textLimitError).
bool splitGroups(const QString &text, const QString &displayMarker, QList<QStringView> *groups);
// A decimal field as an integer; 0 when it is not one.
int fieldToInt(QStringView field);
// Splits at commas into at most `max` views; returns the field count, or max + 1
// when there are more.
int splitFields(QStringView text, QStringView *fields, int max);
} // namespace detail

} // namespace ledwall::displaytext
