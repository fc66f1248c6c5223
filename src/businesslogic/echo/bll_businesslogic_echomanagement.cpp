#include "bll_businesslogic_echomanagement.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcEcho, "ledwall.echo")
}

BLL_BusinessLogic_EchoManagement::BLL_BusinessLogic_EchoManagement(QObject *parent)
    : QObject(parent)
{
}

BLL_BusinessLogic_EchoManagement::~BLL_BusinessLogic_EchoManagement() = default;

void BLL_BusinessLogic_EchoManagement::openFrameThread(QString slot, QString address,
                                                       unsigned short port)
{
    qCDebug(lcEcho) << "not available yet" << slot << address << port;
}

void BLL_BusinessLogic_EchoManagement::closeFrameThread(QString slot)
{
    // Nothing is open yet, so closing is always complete.
    qCDebug(lcEcho) << "close frame thread" << slot;
}

void BLL_BusinessLogic_EchoManagement::setEchoChannel(QString slotKey, QString first,
                                                      QString second, QString channelKey)
{
    qCDebug(lcEcho) << "not available yet" << slotKey << first << second << channelKey;
}

AVPlayer *BLL_BusinessLogic_EchoManagement::getAVPlayer(QString first, QString second)
{
    qCDebug(lcEcho) << "not available yet" << first << second;
    return nullptr;
}

void BLL_BusinessLogic_EchoManagement::slot_recvData(QString slotNum, QString channelId,
                                                     QByteArray frameData)
{
    qCDebug(lcEcho) << "not available yet" << slotNum << channelId << frameData.size();
}
