#pragma once
// XML files that hold a parameter map: the display connection file, the
// processor configuration and the gamut files.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <displayConnect version="1">            root: the kind of file; the top map
//     <map key="basicInfo">
//       <int key="display_count">1</int>
//     </map>
//     <list key="displayArr">
//       <map> ... </map>                     list elements carry no key
//     </list>
//     <string key="name">left</string>
//     <double key="gamma">2.2</double>
//     <bool key="lockFlag">true</bool>
//     <bytes key="raw">AQL/</bytes>          base64
//   </displayConnect>
//
// Every value keeps its type through a save and an open.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace variantxml
{

constexpr int version = 1;
constexpr int maxDepth = 64;

QByteArray encode(const QString &rootName, const QVariantMap &data);
// The top map; false (with a log line) for malformed XML, another root
// element or a newer version, an unknown element, a bad number or boolean,
// a map entry without a key, nesting deeper than maxDepth.
bool decode(const QString &rootName, const QByteArray &bytes, QVariantMap *data);

} // namespace variantxml
