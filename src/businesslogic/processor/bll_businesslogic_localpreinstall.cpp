#include "bll_businesslogic_localpreinstall.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcPreinstall, "ledwall.preinstall")
}

BLL_BusinessLogic_LocalPreinstall::BLL_BusinessLogic_LocalPreinstall(QObject *parent)
    : QObject(parent)
{
}

BLL_BusinessLogic_LocalPreinstall::~BLL_BusinessLogic_LocalPreinstall() = default;

void BLL_BusinessLogic_LocalPreinstall::dealPreinstallData(int synType)
{
    qCDebug(lcPreinstall) << "not available yet" << synType;
}

void BLL_BusinessLogic_LocalPreinstall::slot_sendDataToDevice(int flag)
{
    qCDebug(lcPreinstall) << "not available yet" << flag;
}

void BLL_BusinessLogic_LocalPreinstall::slot_sendNewDataToDevice()
{
    qCDebug(lcPreinstall) << "not available yet";
}
