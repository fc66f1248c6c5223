#pragma once
// Status maps that the link manager sends through sig_TalkToUI (docs/link.md).

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace ledwall::link::message
{

// Keys common to every status map.
inline const QString Event = QStringLiteral("event");
inline const QString Guid = QStringLiteral("guid");
inline const QString Result = QStringLiteral("result");
inline const QString LinkType = QStringLiteral("linkType");

// Values of "event".
inline const QString LinkOpened = QStringLiteral("linkOpened");
inline const QString LinkClosed = QStringLiteral("linkClosed");
inline const QString LinkError = QStringLiteral("linkError");
inline const QString DeviceFound = QStringLiteral("deviceFound");

// `endpoint` names where the link goes ("address"/"port", "portName"/"baudRate",
// "serialNumber") and is merged into the map.
QVariantMap linkOpened(const QString &guid, int linkType, const QVariantMap &endpoint);
QVariantMap linkClosed(const QString &guid, int linkType, const QString &reason);
QVariantMap linkError(const QString &guid, int linkType, const QString &error);

// The answer to a discovery request: a compact JSON object with "name", "model"
// and "serial". Returns an empty map when the payload is not a JSON object.
QVariantMap deviceFound(const QString &guid, const QByteArray &answerPayload,
                        const QString &address, quint16 port);

} // namespace ledwall::link::message
