#pragma once
// The window flows that `ledwall windows`, `ledwall redundancy`, `ledwall
// screen-size` and the demo share: every card write of the sending-card object
// captured on its way to the link and confirmed by the card's acknowledgements, and
// the display registers read back into the object.

#include "bll_communicationmain_desktop.h"
#include "layoutflow.h"
#include "module_sendcard_protocol.h"

#include <QVariantList>

namespace cli::windows
{

// While alive, records every card write of the sending-card object as {"op",
// "address", "data"} (hex texts) and hands the frame to the link as usual.
class WriteCapture
{
public:
    WriteCapture()
    {
        layout::card().setBlockFrameSink(
            [this](const QString &guid, const Module_SendCard_Protocol &frame, quint8 route) {
                const QByteArray &head = frame.m_head;
                const quint32 address = quint32(quint8(head.at(11))) << 24 |
                                        quint32(quint8(head.at(12))) << 16 |
                                        quint32(quint8(head.at(13))) << 8 | quint8(head.at(14));
                writes.append(QVariantMap{
                    {QStringLiteral("op"), QStringLiteral("0x%1").arg(quint8(head.at(2)), 0, 16)},
                    {QStringLiteral("address"), QStringLiteral("0x%1").arg(address, 0, 16)},
                    {QStringLiteral("data"), QString::fromLatin1(frame.cmdData.toHex())}});
                addresses.append(address);
                Module_SendCard_Protocol copy = frame;
                return BLL_CommunicationMain_Desktop::getInstance()->pushCmdToClient(guid, &copy,
                                                                                     route != 0);
            });
    }
    ~WriteCapture() { layout::card().setBlockFrameSink({}); }
    WriteCapture(const WriteCapture &) = delete;
    WriteCapture &operator=(const WriteCapture &) = delete;

    // Waits until the card has acknowledged every write (each address once per
    // write) among the replies from `firstReply` on; the addresses still open.
    QStringList unacknowledged(const FacadeSession &session, int firstReply, int timeoutMs) const
    {
        QList<quint32> open;
        waitUntil(
            [&] {
                open = addresses;
                for (int i = firstReply; i < session.replies.size(); ++i) {
                    const QVariantMap &reply = session.replies.at(i);
                    if (reply.value(QStringLiteral("moduleName")).toString() ==
                            QLatin1String("Module_WriteSendCardRegister") &&
                        reply.value(QStringLiteral("result"), true).toBool())
                        open.removeOne(reply.value(QStringLiteral("m_regAddr")).toUInt());
                }
                return open.isEmpty();
            },
            timeoutMs);
        QStringList texts;
        for (quint32 address : qAsConst(open))
            texts.append(QStringLiteral("0x%1").arg(address, 0, 16));
        return texts;
    }

    QVariantList writes;
    QList<quint32> addresses;
};

// Reads the display registers of the card at `guid` back into the sending-card
// object: the size report of every port's cards, the DVI registers, then the
// image-window and box-position pages of bank B. The last box-position piece ends
// the read (the object parses the cabinets, keeps the pages under the card's
// address and reports the size when asked to). False when it did not end in time.
inline bool readDisplayBack(FacadeSession &session, const QString &guid, int timeoutMs,
                            QString *why)
{
    layout::card().clearBoxXYWHList();
    const auto read = [&](const char *module, quint32 address, int length) {
        QVariantMap map{{QStringLiteral("moduleName"), QLatin1String(module)},
                        {QStringLiteral("sendCardFlag"), 1},
                        {QStringLiteral("guid"), guid},
                        {QStringLiteral("m_regAddr"), address},
                        {QStringLiteral("readLength"), length},
                        {QStringLiteral("timeout"), 1000}};
        if (QLatin1String(module) == QLatin1String("Module_ReceivingSDRAMInfo"))
            map.insert(QStringLiteral("ltcpAddr_data"), ledwall::registers::SizeReport);
        session.append(map);
    };
    for (int port = 0; port < 16; ++port)
        read("Module_ReceivingSDRAMInfo", quint32(port | 0x10) << 16, 4);
    for (const ledwall::registers::NamedRegister &reg : ledwall::registers::DisplayRegisters)
        read("Module_SendCardFlashInfo", reg.address, 4);
    for (quint32 piece = 0; piece < 0x10000; piece += 1024)
        read("Module_SendCardFlashInfo", ledwall::registers::ImageWindow.first + piece, 1024);
    const QVariantMap report = layout::waitForReport(
        [&] {
            for (quint32 piece = 0; piece < 0x10000; piece += 1024)
                read("Module_SendCardFlashInfo", ledwall::registers::BoxPos.first + piece, 1024);
        },
        [](const QVariantMap &r) {
            return r.value(QStringLiteral("addr")).toUInt() == ledwall::registers::LastBoxPosPiece;
        },
        timeoutMs);
    if (report.isEmpty()) {
        *why = QStringLiteral("the display registers were not read back in time");
        return false;
    }
    return true;
}

} // namespace cli::windows
