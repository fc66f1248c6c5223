// Wire encoding of the three frame classes.
#include "armframe.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

using namespace ledwall;

namespace
{

quint8 wireFlagsOf(const Module_ProtocolBase &frame)
{
    quint8 flags = frame.m_wireFlags;
    if (frame.m_timeout > 0)
        flags |= Module_ProtocolBase::ReplyExpected;
    return flags;
}

QByteArray encodeEnvelope(const Module_ProtocolBase &frame, quint16 sequence, quint16 command,
                          quint8 byte1, quint8 byte2, quint16 status, const QByteArray &data)
{
    const QByteArray payload = data.left(wire::MaxEnvelopePayload);
    QByteArray head(wire::EnvelopeSize, '\0');
    head[0] = char(wire::EnvelopeMagic0);
    head[1] = char(wire::EnvelopeMagic1);
    head[2] = char(frame.protocolType());
    head[3] = char(wireFlagsOf(frame));
    arm::writeU16(head, 4, sequence);
    arm::writeU16(head, 6, command);
    head[8] = char(byte1);
    head[9] = char(byte2);
    arm::writeU16(head, 10, status);
    arm::writeU32(head, 12, quint32(payload.size()));
    const QByteArray covered = head.left(16) + payload;
    arm::writeU32(head, 16, arm::crc32(covered, 0, covered.size()));
    return head + payload;
}

} // namespace

Module_SendCard_Protocol::Module_SendCard_Protocol()
    : Module_ProtocolBase(SendCard), m_head(arm::emptyHeader())
{
}

quint32 Module_SendCard_Protocol::registerAddress() const
{
    return arm::readU32(m_head, 11);
}

QByteArray Module_SendCard_Protocol::encode(quint16 sequence) const
{
    QByteArray head = m_head.leftJustified(arm::HeaderSize, '\0', true);
    const QByteArray payload = cmdData.left(arm::MaxPayload);
    head[0] = char(arm::Sync0);
    head[1] = char(arm::Sync1);
    arm::writeU16(head, 5, sequence);
    head[17] = char(wireFlagsOf(*this));
    arm::writeU16(head, 20, m_status);
    arm::finishHeader(head, payload);
    return head + payload;
}

QByteArray Module_VPU_Protocol::encode(quint16 sequence) const
{
    return encodeEnvelope(*this, sequence, m_command, m_vpuByte1, m_vpuByte2, m_status, m_data);
}

QByteArray Module_Processor_Protocol::encode(quint16 sequence) const
{
    return encodeEnvelope(*this, sequence, m_command, 0, 0, m_status, m_data);
}
