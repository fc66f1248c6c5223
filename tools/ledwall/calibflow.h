#pragma once
// The calibration transfer that `ledwall calib send` and the demo share: the
// cabinets and the file handed to the facade's sending-card object, its progress
// followed and its last-address report awaited.

#include "facadesession.h"
#include "layoutflow.h"

#include <QObject>
#include <QVariantMap>

#include <functional>

namespace cli::calib
{

// Sends `path` to every cabinet of `boxes` ("port:card:x:y:w:h") in layout
// `type`; `progress` gets the bytes sent and the total. True when the report came
// and says every cabinet was written, and the cards acknowledged every frame;
// *report holds the last-address map.
inline bool send(const QString &path, const QVariantList &boxes, int type, bool fast, int timeoutMs,
                 const std::function<void(quint64, quint64)> &progress, QVariantMap *report,
                 QString *why)
{
    BLL_BusinessLogic_SendCardPackage &card = layout::card();
    card.setAdjustParaMap(
        {{QStringLiteral("adjen_type"), type},
         {QStringLiteral("sendBoxMap"), QVariantMap{{QStringLiteral("255,65535"), true}}}});
    card.setBoxXYWHList(boxes);
    QObject context;
    bool packed = true;
    QVariantMap confirmation; // may come before the report when a frame is lost
    QObject::connect(
        &card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData, &context, [&](QVariantMap map) {
            if (map.contains(QStringLiteral("getDisplayAdjustDataByteArr")))
                packed = map.value(QStringLiteral("getDisplayAdjustDataByteArr")).toBool();
            if (map.contains(QStringLiteral("adjustArrSize")) && progress)
                progress(map.value(QStringLiteral("adjustArrSize")).toULongLong(),
                         map.value(QStringLiteral("adjustTotalSize")).toULongLong());
            if (map.contains(QStringLiteral("last_m_regAddr")))
                *report = map;
            if (map.contains(QStringLiteral("calibrationWritten")))
                confirmation = map;
        });
    card.setAdjustPath(path, {{QStringLiteral("bFastMode"), fast}});
    if (!waitUntil([&] { return !report->isEmpty(); }, timeoutMs)) {
        *why = QStringLiteral("the transfer did not end within %1 ms").arg(timeoutMs);
        return false;
    }
    if (!packed) {
        *why = QStringLiteral("%1 holds no calibration data for these cabinets").arg(path);
        return false;
    }
    if (!report->value(QStringLiteral("result")).toBool()) {
        *why = QStringLiteral("not every cabinet was written");
        return false;
    }
    if (!waitUntil([&] { return !confirmation.isEmpty(); }, timeoutMs)) {
        *why =
            QStringLiteral("the cards did not acknowledge every frame within %1 ms").arg(timeoutMs);
        return false;
    }
    if (!confirmation.value(QStringLiteral("calibrationWritten")).toBool()) {
        *why = QStringLiteral("a frame to port address 0x%1 was not taken: %2")
                   .arg(confirmation.value(QStringLiteral("m_regAddr")).toUInt(), 0, 16)
                   .arg(confirmation.value(QStringLiteral("error")).toString());
        return false;
    }
    return true;
}

} // namespace cli::calib
