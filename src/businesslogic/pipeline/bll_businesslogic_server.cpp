#include "bll_businesslogic_server.h"

#include "bll_businesslogic_desktop.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcBridge, "ledwall.server.bridge")
}

BLL_BusinessLogic_Server::BLL_BusinessLogic_Server(QObject *parent) : QObject(parent)
{
    connect(&m_server, &BLL_CommunicationServer_Desktop::recvXmlData, this,
            &BLL_BusinessLogic_Server::slotRecvXmlData);
    connect(&m_server, &BLL_CommunicationServer_Desktop::sig_recvCalibData, this,
            &BLL_BusinessLogic_Server::slotRecvCalibData);
    connect(&m_xml, &BLL_CommunicationXml_Desktop::recvCmdData, this,
            &BLL_BusinessLogic_Server::slotRecvCmdData);
    connect(&m_server, &BLL_CommunicationServer_Desktop::sig_getScreenBoxWh, this,
            &BLL_BusinessLogic_Server::slotGetScreenBoxWh);
}

BLL_BusinessLogic_Server::~BLL_BusinessLogic_Server() = default;

void BLL_BusinessLogic_Server::slotRecvXmlData(QByteArray data)
{
    m_xml.parseXml(data);
}

void BLL_BusinessLogic_Server::slotRecvCmdData(int type, QVariantMap vMap)
{
    qCDebug(lcBridge) << "client command of type" << type << vMap;
    if (type == BLL_CommunicationXml_Desktop::AdjustCommand)
        m_server.sendXmlData(
            BLL_CommunicationServer_Desktop::ReplyToSender,
            BLL_CommunicationXml_Desktop::getResponseXml(QStringLiteral("SendAdjustData"), 1));
    emit BLL_BusinessLogic_Desktop::instance()->sig_serverRecv(vMap);
}

void BLL_BusinessLogic_Server::slotRecvCalibData(QVariantMap vMap)
{
    emit BLL_BusinessLogic_Desktop::instance()->sig_recvCalibData(vMap);
}

void BLL_BusinessLogic_Server::slotGetScreenBoxWh(QVariantMap vMap)
{
    emit BLL_BusinessLogic_Desktop::instance()->sig_getScreenBoxWh(vMap);
}
