// The facade: the single instance, its members, its small operations and slots.
// Connections live in bll_businesslogic_desktop_connections.cpp, the forwarders in
// bll_businesslogic_desktop_forwarders.cpp.

#include "bll_businesslogic_desktop.h"

#include "bll_businesslogic_server.h"
#include "bll_datacenter_desktop.h"
#include "filepaths.h"
#include "module_base.h"
#include "module_sendcard_protocol.h"
#include "modulefill.h"

#include <QFile>
#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcFacade, "ledwall.facade")

// Header byte `index` of a sending-card frame, 0 when the header is short.
quint8 headerByte(const QByteArray &head, int index)
{
    return index < head.size() ? quint8(head.at(index)) : 0;
}

bool fillByTables(Module_Base *module, const QVariantMap &map, ledwall::FillTypes types)
{
    if (!module)
        return false;
    ledwall::fillMembers(module->m_memberAddress, module->m_memberTypeName, map, types);
    return true;
}
} // namespace

// Built when the library is loaded, before the interface's first call.
BLL_BusinessLogic_Desktop BLL_BusinessLogic_Desktop::m_instance;

BLL_BusinessLogic_Desktop *BLL_BusinessLogic_Desktop::instance()
{
    return &m_instance;
}

BLL_BusinessLogic_Desktop::BLL_BusinessLogic_Desktop(QObject *parent) : QObject(parent) {}

BLL_BusinessLogic_Desktop::~BLL_BusinessLogic_Desktop()
{
    // The server bridge goes first: it reaches the facade's signals.
    delete m_server;
    m_server = nullptr;
    // The pipeline is the first member, so the last destroyed; its threads call the
    // other members (through sig_devicesModuleData) and must end before those do.
    // Normally they have already been joined when the application object went.
    m_moduleThread.closeThread();
}

// ---- small operations ------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::clearData()
{
    m_moduleThread.closeThread();
    m_echoManagement.closeFrameThread(QString());
    BLL_DataCenter_Desktop::instance()->clearData();
}

unsigned char BLL_BusinessLogic_Desktop::getChar(int value, int index)
{
    if (index < 0 || index > 3)
        return 0;
    return static_cast<unsigned char>(quint32(value) >> (8 * (3 - index)));
}

bool BLL_BusinessLogic_Desktop::fillModule(Module_Base *module, const QVariantMap &map)
{
    return fillByTables(module, map, ledwall::FillTypes::Basic);
}

bool BLL_BusinessLogic_Desktop::fillModuleNew(Module_Base *module, const QVariantMap &map)
{
    return fillByTables(module, map, ledwall::FillTypes::Extended);
}

QVariantMap BLL_BusinessLogic_Desktop::parseLsDll(const QVariantMap &map)
{
    Q_UNUSED(map)
    qCDebug(lcFacade) << "parseLsDll is not used";
    return {};
}

void BLL_BusinessLogic_Desktop::sendAdjustFile(QString path)
{
    Q_UNUSED(path)
}

void BLL_BusinessLogic_Desktop::sendCalibData(const QVariantMap &map)
{
    Q_UNUSED(map)
}

int BLL_BusinessLogic_Desktop::updataFileFLS_MSB(QString path)
{
    path = ledwall::normalizeFilePath(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcFacade) << "Cannot open file for reading:" << path;
        return 0;
    }
    // Only the header is needed; a file shorter than it carries no valid word.
    const auto header = ledwall::upgrade::parseHeader(file.read(ledwall::upgrade::HeaderSize));
    if (!header) {
        qCDebug(lcFacade) << "upgrade file too short:" << path;
        return 0;
    }
    return header->flsMsb();
}

// ---- slots ---------------------------------------------------------------------------

void BLL_BusinessLogic_Desktop::slot_talkToUI(QVariantMap pMap)
{
    emit sig_TalkToUI(pMap);
}

QVariantMap BLL_BusinessLogic_Desktop::timeoutCmdMap(const Module_SendCard_Protocol &frame)
{
    const QByteArray &head = frame.m_head;
    // Register address bytes 11..14 of the header, most significant first.
    quint32 reg = 0;
    for (int i = 0; i < 4; ++i)
        reg = (reg << 8) | headerByte(head, 11 + i);
    QVariantMap map;
    map.insert(QStringLiteral("m_con"), uint(headerByte(head, 2)));
    map.insert(QStringLiteral("m_cmd"), uint(headerByte(head, 3)));
    map.insert(QStringLiteral("m_reg"), uint(reg));
    map.insert(QStringLiteral("cmdData"), frame.cmdData);
    return map;
}

void BLL_BusinessLogic_Desktop::slot_timeoutCmd(QString guid, Module_ProtocolBase *cmd)
{
    // The link manager deletes the frame once this call returns: read, never delete.
    if (!cmd || cmd->protocolType() != Module_ProtocolBase::SendCard)
        return;
    const auto *frame = dynamic_cast<const Module_SendCard_Protocol *>(cmd);
    if (!frame)
        return;
    const QVariantMap map = timeoutCmdMap(*frame);
    qCDebug(lcFacade) << "command timed out, guid:" << guid
                      << map.value(QStringLiteral("m_reg")).toUInt();
    emit sig_timeoutCmd(map);
}

void BLL_BusinessLogic_Desktop::slot_sndScreenWh(int width, int height)
{
    if (!m_server) {
        qCDebug(lcFacade) << "screen size" << width << height << "not sent: no server bridge";
        return;
    }
    BLL_CommunicationServer_Desktop &server = m_server->server();
    server.sndData2Client(QStringLiteral("CMD_READ_FLASHDISPLAY#true#%1,%2").arg(width).arg(height),
                          false);
    emit server.sig_getScreenBoxWh(
        {{QStringLiteral("cmd"), QStringLiteral("CMD_FLASHDISPLAY_INFO")},
         {QStringLiteral("error"), true}});
}
