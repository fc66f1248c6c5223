// Demo group: connect to the wall, write a block of sending-card registers, read
// it back, compare, and provoke one time-out.
#include "demo.h"

namespace demo
{
namespace
{

constexpr quint32 BlockAddress = 0x80000;
constexpr int BlockSize = 64;
constexpr quint32 SilentAddress = 0x90000;

// A recognisable block: neighbouring bytes differ and none is zero.
QByteArray demoBlock()
{
    QByteArray block(BlockSize, '\0');
    for (int i = 0; i < BlockSize; ++i)
        block[i] = char(0x11 + i * 3);
    return block;
}

QVariantMap registerCommand(const QString &moduleName, const QString &guid, quint32 address,
                            int timeoutMs)
{
    return {{QStringLiteral("moduleName"), moduleName},
            {QStringLiteral("sendCardFlag"), 1},
            {QStringLiteral("guid"), guid},
            {QStringLiteral("m_regAddr"), address},
            {QStringLiteral("timeout"), timeoutMs}};
}

} // namespace

bool runRegisterDemo(Context &context)
{
    cli::FacadeSession &session = context.session;
    context.guid =
        session.open(QStringLiteral("127.0.0.1"), context.wall.port(), QStringLiteral("demo"));
    if (context.guid.isEmpty())
        return fail(QStringLiteral("connect"), QStringLiteral("no device announced"));
    stepOk(QStringLiteral("connect"), QStringLiteral("guid %1").arg(context.guid));

    const QByteArray block = demoBlock();
    QVariantMap write = registerCommand(QStringLiteral("Module_WriteSendCardRegister"),
                                        context.guid, BlockAddress, 1000);
    write.insert(QStringLiteral("regData"), block);
    session.append(write);
    const QVariantMap ack = session.waitForReply(QStringLiteral("Module_WriteSendCardRegister"),
                                                 BlockAddress, StepTimeoutMs);
    if (ack.isEmpty())
        return fail(QStringLiteral("write"), QStringLiteral("no acknowledgement"));
    if (!ack.value(QStringLiteral("result")).toBool())
        return fail(QStringLiteral("write"), QStringLiteral("refused by the card"));
    stepOk(QStringLiteral("write"),
           QStringLiteral("%1 bytes at 0x%2").arg(BlockSize).arg(BlockAddress, 0, 16));

    QVariantMap read = registerCommand(QStringLiteral("Module_ReadSendCardRegister"), context.guid,
                                       BlockAddress, 1000);
    read.insert(QStringLiteral("readLength"), BlockSize);
    session.append(read);
    const QVariantMap reply = session.waitForReply(QStringLiteral("Module_SendCardFlashInfo"),
                                                   BlockAddress, StepTimeoutMs);
    if (reply.isEmpty())
        return fail(QStringLiteral("read-back"), QStringLiteral("no reply"));
    stepOk(QStringLiteral("read-back"));

    const QByteArray readBack = reply.value(QStringLiteral("regData")).toByteArray();
    if (readBack != block)
        return fail(QStringLiteral("compare"), QStringLiteral("read %1 differs from written %2")
                                                   .arg(QString::fromLatin1(readBack.toHex()),
                                                        QString::fromLatin1(block.toHex())));
    stepOk(QStringLiteral("compare"), QStringLiteral("%1 bytes equal").arg(BlockSize));

    context.wall.setSilentAddresses({SilentAddress});
    QVariantMap silentRead = registerCommand(QStringLiteral("Module_ReadSendCardRegister"),
                                             context.guid, SilentAddress, 300);
    silentRead.insert(QStringLiteral("readLength"), 4);
    session.append(silentRead);
    const QVariantMap timeout = session.waitForTimeout(SilentAddress, StepTimeoutMs);
    context.wall.clearFaults();
    if (timeout.isEmpty())
        return fail(QStringLiteral("timeout"),
                    QStringLiteral("no sig_timeoutCmd for the silent address"));
    stepOk(QStringLiteral("timeout"),
           QStringLiteral("sig_timeoutCmd m_reg 0x%1").arg(SilentAddress, 0, 16));
    return true;
}

} // namespace demo
