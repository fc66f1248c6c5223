#include "processorrole.h"

namespace ledwall::sim
{

RoleReply ProcessorRole::handle(const Frame &request)
{
    RoleReply result;
    if (request.flags & wire::FlagFromDevice) {
        result.status = wire::StatusMalformed;
        return result;
    }
    result.notModelled = true;
    if (request.replyExpected()) {
        Frame reply = request;
        reply.flags = wire::FlagFromDevice | wire::FlagAcknowledge;
        reply.status = wire::StatusOk;
        reply.payload.clear();
        result.datagram = encodeFrame(reply);
    }
    return result;
}

} // namespace ledwall::sim
