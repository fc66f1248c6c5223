#pragma once
// Recorded echo traffic: a file of datagrams, each written as its length (4 bytes,
// big-endian) followed by the datagram.

#include <QByteArray>
#include <QString>
#include <QVector>

namespace ledwall::echo
{

// The largest datagram a record may hold: the most a UDP datagram carries.
constexpr int MaxCapturedDatagram = 65535;

// Splits a capture into its datagrams. False, with the offset of the bad record in
// `error`, for a truncated record or a length past MaxCapturedDatagram; the
// datagrams before it are kept.
bool splitCapture(const QByteArray &capture, QVector<QByteArray> *datagrams, QString *error);

// Appends one record to a capture.
void appendCaptureRecord(QByteArray *capture, const QByteArray &datagram);

} // namespace ledwall::echo
