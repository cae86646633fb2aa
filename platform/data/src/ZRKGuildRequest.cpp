#include "data/ZRKGuildRequest.h"

#include "data/ZRKGameData.h"
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

long ZRKGuildRequest::queryPlayerGuild(const ZRKParams& params, ZRKReply done)
{
    return ZRKRequestBroker::post("ZRKGuildRequest", "queryPlayerGuild", params, done);
}
long ZRKGuildRequest::queryWant(const ZRKParams& params, ZRKReply done)
{
    // An earlier answer must never stand for this one (a request lost on its way brings none).
    if (ZRKGameData* data = ZRKGameData::getSingletonPtr()) {
        Json::Value none(Json::objectValue);
        none[ZRKGuildIQ::errorView()] = Json::Value();
        data->applyViews(std::move(none));
    }
    return ZRKRequestBroker::post("ZRKGuildRequest", "queryWant", params, done);
}
ZRKGuildIQ* ZRKGuildRequest::getIQ(bool) { return ZRKGameData::part(&ZRKGameData::guild); }

} // namespace zrk
} // namespace kavri3D
