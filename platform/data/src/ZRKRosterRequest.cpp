#include "data/ZRKRosterRequest.h"

#include "data/ZRKGameData.h"
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKRosterRequest::queryMyRoster(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRosterRequest", "queryMyRoster", done);
}
long ZRKRosterRequest::queryAddRoster(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKRosterRequest", "queryAddRoster", params, done);
}
long ZRKRosterRequest::queryUptRoster(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKRosterRequest", "queryUptRoster", params, done);
}
long ZRKRosterRequest::queryDelRoster(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKRosterRequest", "queryDelRoster", params, done);
}
ZRKRosterIQ* ZRKRosterRequest::getIQ(bool) { return ZRKGameData::part(&ZRKGameData::roster); }

} // namespace zrk
} // namespace kavri3D
