#pragma once
// The receiving-card tables of the card function database "rcFun.db" beside the
// programs: card models by their hex code, and the functions of each model. Each
// row becomes a list of its column values under its key.
//
// The default SQL connection is used when the application has one; otherwise one
// is added for the database beside the programs. A missing database gives an empty
// map and is never created.

#include <QVariantMap>

namespace ledwall::cardtables
{

// "recvCardTab", keyed by the "HexCode" column.
QVariantMap readReceivingCardModels();
// "rcFunTab", keyed by the first column.
QVariantMap readCardFunctions();

} // namespace ledwall::cardtables
