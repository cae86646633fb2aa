#include "data/ZRKServerRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"
#include "data/ZRKSession.h"

namespace kavri3D {
namespace zrk {

long ZRKServerRequest::queryMaster(ZRKReply done) { return ZRKRequestBroker::call("ZRKServerRequest", "queryMaster", done); }
long ZRKServerRequest::queryItemClasses(ZRKReply done) { return ZRKRequestBroker::call("ZRKServerRequest", "queryItemClasses", done); }
ZRKServer* ZRKServerRequest::getServer()
{
    ZRKSession* session = ZRKSession::getSingletonPtr();
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return session && data && session->isOnline() ? &data->server() : nullptr;
}

} // namespace zrk
} // namespace kavri3D
