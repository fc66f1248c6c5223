#include "bll_businesslogic_sendbmpfilethread.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcSubtitle, "ledwall.subtitle")
}

BLL_BusinessLogic_SendBMPFileThread::BLL_BusinessLogic_SendBMPFileThread(QObject *parent)
    : QObject(parent)
{
}

BLL_BusinessLogic_SendBMPFileThread::~BLL_BusinessLogic_SendBMPFileThread() = default;

QVariantMap BLL_BusinessLogic_SendBMPFileThread::getBMPFileInformation(QVariantMap map)
{
    qCDebug(lcSubtitle) << "not available yet" << map.value(QStringLiteral("fileName")).toString();
    return {};
}

void BLL_BusinessLogic_SendBMPFileThread::sendBMPFileName(QVariantMap map)
{
    qCDebug(lcSubtitle) << "not available yet" << map.value(QStringLiteral("fileName")).toString();
}

void BLL_BusinessLogic_SendBMPFileThread::sendBMPFileByteArray(int position)
{
    qCDebug(lcSubtitle) << "not available yet" << position;
}

void BLL_BusinessLogic_SendBMPFileThread::slot_nextSendBMPFile(QVariantMap map)
{
    Q_UNUSED(map)
}

void BLL_BusinessLogic_SendBMPFileThread::slot_closeThread(QString message)
{
    qCDebug(lcSubtitle) << "close thread" << message;
}
