#pragma once
// The server bridge: owns the remote-tool server and its XML codec and turns what
// they report into the facade's signals (sig_serverRecv, sig_recvCalibData,
// sig_getScreenBoxWh). An adjust command (type 1) is answered at once; other
// commands only reach the interface. Created by the facade's startListenServer
// and owned by the facade; lives in the interface thread.

#include "bll_communicationserver_desktop.h"
#include "bll_communicationxml_desktop.h"

#include <QObject>
#include <QVariantMap>

class BLL_BusinessLogic_Server : public QObject
{
    Q_OBJECT
public:
    explicit BLL_BusinessLogic_Server(QObject *parent = nullptr);
    ~BLL_BusinessLogic_Server() override;

    BLL_CommunicationServer_Desktop &server() { return m_server; }

signals:
    // Declared for the interface; the bridge reports calibration data through the
    // facade's signal of that name.
    void sig_recvCalibData(QVariantMap vMap);

public slots:
    void slotRecvXmlData(QByteArray data);
    void slotRecvCmdData(int type, QVariantMap vMap);
    void slotRecvCalibData(QVariantMap vMap);
    void slotGetScreenBoxWh(QVariantMap vMap);

private:
    BLL_CommunicationServer_Desktop m_server;
    BLL_CommunicationXml_Desktop m_xml;
};
