#include "bll_businesslogic_bigpackage.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcBigPackage, "ledwall.bigpackage")
}

BLL_BusinessLogic_BigPackage::BLL_BusinessLogic_BigPackage(QObject *parent) : QObject(parent) {}

BLL_BusinessLogic_BigPackage::~BLL_BusinessLogic_BigPackage() = default;

void BLL_BusinessLogic_BigPackage::slot_dealBigData(int flag)
{
    qCDebug(lcBigPackage) << "not available yet" << flag;
}

void BLL_BusinessLogic_BigPackage::slot_recvData(QVariantMap moduleData)
{
    if (moduleData.value(QStringLiteral("moduleName")).toString() ==
        QLatin1String("Module_ReadBeforeSynInfo"))
        qCDebug(lcBigPackage) << "not available yet" << moduleData;
}
