// Calibration work of the sending-card object: the index database and the
// transfers of calibration data to the receiving cards. The worker bodies only
// log for now; the calibration features fill them in this file.

#include "bll_businesslogic_sendcardpackage.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcCalibration, "ledwall.sendcard.calibration")
const char NotAvailable[] = "not available yet";
} // namespace

void BLL_BusinessLogic_SendCardPackage::td_operationAdjustDB(QVariantMap request)
{
    qCDebug(lcCalibration) << NotAvailable << request;
}

void BLL_BusinessLogic_SendCardPackage::sendPointAdjustData(QByteArray &data, QVariantMap params)
{
    qCDebug(lcCalibration) << NotAvailable << data.size() << params.keys();
}

void BLL_BusinessLogic_SendCardPackage::sendAdjustData(QVariantMap params)
{
    qCDebug(lcCalibration) << NotAvailable << params.keys();
}
