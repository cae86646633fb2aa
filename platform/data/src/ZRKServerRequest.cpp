#include "data/ZRKServerRequest.h"

#include "data/ZRKRequestBroker.h"
#include "data/ZRKGameData.h"
#include "data/ZRKSession.h"

namespace kavri3D {
namespace zrk {

long ZRKServerRequest::queryMaster(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryMaster", done);
}
long ZRKServerRequest::queryItemClasses(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryItemClasses", done);
}
long ZRKServerRequest::queryShop(ZRKReply done, bool refresh)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryShop", done, refresh);
}
long ZRKServerRequest::queryShopItem(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryShopItem", done);
}
long ZRKServerRequest::quickMatch(ZRKReply done)
{
    if (ZRKGameData* data = ZRKGameData::getSingletonPtr())
        data->server().clearRoomsFind();
    return ZRKRequestBroker::call("ZRKServerRequest", "quickMatch", done);
}
std::list<core::XmlConfigHelper> ZRKServerRequest::getRoomsFind()
{
    const ZRKServer* server = getServer();
    return server ? server->getRoomsFind() : std::list<core::XmlConfigHelper>();
}
long ZRKServerRequest::queryZones(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryZones", done);
}
long ZRKServerRequest::joinZone(long zoneId, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "joinZone", done, zoneId);
}
long ZRKServerRequest::queryRooms(const std::string& name, int kind, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryRooms", done, name, kind);
}
long ZRKServerRequest::queryArenaState(ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "queryArenaState", done);
}
long ZRKServerRequest::createRoom(const core::XmlConfigHelper& room, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKServerRequest", "createRoom", done, room);
}
long ZRKServerRequest::queryMembers(const yake::Vector<std::string>& uids, ZRKReply done)
{
    Json::Value list(Json::arrayValue);
    for (const std::string& uid : uids)
        list.append(uid);
    return ZRKRequestBroker::call("ZRKServerRequest", "queryMembers", done, list);
}
long ZRKServerRequest::queryRandomAsList(const yake::Vector<std::pair<std::string, std::string>>& filter, ZRKReply done)
{
    Json::Value pairs(Json::objectValue);
    for (const auto& p : filter)
        pairs[p.first] = p.second;
    return ZRKRequestBroker::call("ZRKServerRequest", "queryRandomAsList", done, pairs);
}
ZRKServer* ZRKServerRequest::getServer()
{
    ZRKSession* session = ZRKSession::getSingletonPtr();
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return session && data && session->isOnline() ? &data->server() : nullptr;
}

} // namespace zrk
} // namespace kavri3D
