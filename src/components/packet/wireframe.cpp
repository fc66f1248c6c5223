#include "wireframe.h"

#include "armframe.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"

using namespace ledwall;

namespace
{

wire::Decoded failure(wire::DecodeError error)
{
    wire::Decoded decoded;
    decoded.error = error;
    return decoded;
}

wire::Decoded decodeSendCard(const QByteArray &datagram)
{
    if (datagram.size() < arm::HeaderSize)
        return failure(wire::DecodeError::TooShort);
    if (datagram.size() > arm::HeaderSize + arm::MaxPayload)
        return failure(wire::DecodeError::TooLong);
    if (arm::readU16(datagram, 18) != datagram.size())
        return failure(wire::DecodeError::BadLength);
    if (arm::readU16(datagram, 26) != arm::headerSum(datagram))
        return failure(wire::DecodeError::BadHeaderSum);
    const QByteArray payload = datagram.mid(arm::HeaderSize);
    if (arm::readU32(datagram, 22) != arm::crc32(payload, 0, payload.size()))
        return failure(wire::DecodeError::BadCrc);

    auto frame = std::make_unique<Module_SendCard_Protocol>();
    frame->m_head = datagram.left(arm::HeaderSize);
    frame->cmdData = payload;
    frame->m_sequence = arm::readU16(datagram, 5);
    frame->m_wireFlags = quint8(datagram.at(17));
    frame->m_status = arm::readU16(datagram, 20);
    wire::Decoded decoded;
    decoded.frame = std::move(frame);
    return decoded;
}

wire::Decoded decodeEnvelope(const QByteArray &datagram)
{
    if (datagram.size() < wire::EnvelopeSize)
        return failure(wire::DecodeError::TooShort);
    if (datagram.size() > wire::EnvelopeSize + wire::MaxEnvelopePayload)
        return failure(wire::DecodeError::TooLong);
    const quint32 payloadLength = arm::readU32(datagram, 12);
    if (payloadLength != quint32(datagram.size() - wire::EnvelopeSize))
        return failure(wire::DecodeError::BadLength);
    QByteArray covered = datagram.left(16) + datagram.mid(wire::EnvelopeSize);
    if (arm::readU32(datagram, 16) != arm::crc32(covered, 0, covered.size()))
        return failure(wire::DecodeError::BadCrc);

    const quint8 type = quint8(datagram.at(2));
    const QByteArray payload = datagram.mid(wire::EnvelopeSize);
    std::unique_ptr<Module_ProtocolBase> frame;
    if (type == Module_ProtocolBase::VideoProcessingUnit) {
        auto vpu = std::make_unique<Module_VPU_Protocol>();
        vpu->m_command = arm::readU16(datagram, 6);
        vpu->m_vpuByte1 = quint8(datagram.at(8));
        vpu->m_vpuByte2 = quint8(datagram.at(9));
        vpu->m_data = payload;
        frame = std::move(vpu);
    } else if (type == Module_ProtocolBase::Processor) {
        auto processor = std::make_unique<Module_Processor_Protocol>();
        processor->m_command = arm::readU16(datagram, 6);
        processor->m_data = payload;
        frame = std::move(processor);
    } else {
        return failure(wire::DecodeError::UnknownType);
    }
    frame->m_wireFlags = quint8(datagram.at(3));
    frame->m_sequence = arm::readU16(datagram, 4);
    frame->m_status = arm::readU16(datagram, 10);
    wire::Decoded decoded;
    decoded.frame = std::move(frame);
    return decoded;
}

} // namespace

namespace ledwall::wire
{

Decoded decodeFrame(const QByteArray &datagram)
{
    if (datagram.size() < 2)
        return failure(DecodeError::TooShort);
    const quint8 first = quint8(datagram.at(0));
    const quint8 second = quint8(datagram.at(1));
    if (first == arm::Sync0 && second == arm::Sync1)
        return decodeSendCard(datagram);
    if (first == EnvelopeMagic0 && second == EnvelopeMagic1)
        return decodeEnvelope(datagram);
    return failure(DecodeError::BadSync);
}

QString errorText(DecodeError error)
{
    switch (error) {
    case DecodeError::None:
        return QStringLiteral("ok");
    case DecodeError::TooShort:
        return QStringLiteral("too short");
    case DecodeError::TooLong:
        return QStringLiteral("too long");
    case DecodeError::BadSync:
        return QStringLiteral("bad sync");
    case DecodeError::BadLength:
        return QStringLiteral("bad length");
    case DecodeError::BadHeaderSum:
        return QStringLiteral("bad header sum");
    case DecodeError::BadCrc:
        return QStringLiteral("bad CRC");
    case DecodeError::UnknownType:
        return QStringLiteral("unknown type");
    }
    return QStringLiteral("unknown error");
}

std::unique_ptr<Module_SendCard_Protocol> discoveryRequest()
{
    auto frame = std::make_unique<Module_SendCard_Protocol>();
    frame->m_wireFlags = Module_ProtocolBase::Discovery | Module_ProtocolBase::ReplyExpected;
    return frame;
}

bool isDiscoveryAnswer(const Module_ProtocolBase &frame)
{
    const quint8 wanted = Module_ProtocolBase::Discovery | Module_ProtocolBase::IsReply;
    return frame.protocolType() == Module_ProtocolBase::SendCard &&
           (frame.m_wireFlags & wanted) == wanted;
}

} // namespace ledwall::wire
