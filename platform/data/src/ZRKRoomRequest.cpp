#include "data/ZRKRoomRequest.h"

#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"
#include "data/ZRKRequestBroker.h"
#include "data/ZRKSession.h"

namespace kavri3D {
namespace zrk {

ZRKRoomState* ZRKRoomRequest::getRoomState(const std::string& name, bool local, bool make)
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    if (!data)
        return nullptr;
    if (local && make) {
        // The offline tutorial's room: written by the game, current until it is dropped.
        ZRKSession* session = ZRKSession::getSingletonPtr();
        return data->makeLocalRoomState(name.empty() ? kLocalRoomName : name,
                                        session ? session->getUID() : std::string());
    }
    if (ZRKRoomState* local = name.empty() ? data->localRoomState() : nullptr)
        return local;
    if (!name.empty())
        return data->roomState(name);
    ZRKSession* session = ZRKSession::getSingletonPtr();
    ZRKRoomState* current = session ? data->roomState(session->getCurrentRoom()) : nullptr;
    return current ? current : data->latestRoomState();
}

const char* const ZRKRoomRequest::kLocalRoomName = "__local";

long ZRKRoomRequest::changeTeam(ZRKReply done) { return ZRKRequestBroker::call("ZRKRoomRequest", "changeTeam", done); }
long ZRKRoomRequest::kick(int seat, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "kick", done, seat);
}
long ZRKRoomRequest::changeReadyState(bool ready, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "changeReadyState", done, ready);
}
long ZRKRoomRequest::beginGame(ZRKReply done) { return ZRKRequestBroker::call("ZRKRoomRequest", "beginGame", done); }
long ZRKRoomRequest::backFromBattle(const std::string& room, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "backFromBattle", done, room);
}
long ZRKRoomRequest::reportBattleLeft(const std::string& room, const Json::Value& propsUsed, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleLeft", done, room, propsUsed);
}
long ZRKRoomRequest::changeSlotFlag(int seat, bool open, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "changeSlotFlag", done, seat, open);
}
long ZRKRoomRequest::changeMap(int mapId, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "changeMap", done, mapId);
}
long ZRKRoomRequest::changeMapPVE(int mapId, unsigned index, ZRKReply done)
{
    return ZRKRequestBroker::call("ZRKRoomRequest", "changeMapPVE", done, mapId, static_cast<int>(index));
}
long ZRKRoomRequest::openBox(const std::vector<std::pair<std::string, std::string>>& pairs, ZRKReply done)
{
    Json::Value args(Json::objectValue);
    for (const auto& pair : pairs)
        args[pair.first] = pair.second;
    return ZRKRequestBroker::post("ZRKRoomRequest", "openBox", ZRKParams::of(args), done);
}
long ZRKRoomRequest::notifyAvatar(const std::string& text, int kind)
{
    Json::Value own(Json::objectValue);
    ZRKRoomState* room = getRoomState(std::string(), false, false);
    // The offline lesson's room is the game's own: no server seats anyone in it.
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    if (room && data && room == data->localRoomState())
        return 0;
    if (boost::shared_ptr<ZRKPlayerState> self = room ? room->getSelfState() : boost::shared_ptr<ZRKPlayerState>()) {
        core::XmlConfigHelper& battle = self->getBattleState();
        own["ca_id"] = battle.getIntVal("ca_id", 0);
        Json::Value x(Json::objectValue);
        x["busy"] = battle.getIntVal("x/busy", 0);
        x["demo"] = battle.getStringVal("x/demo", "");
        own["x"] = x;
    }
    return ZRKRequestBroker::call("ZRKRoomRequest", "notifyAvatar", ZRKReply(), text, kind, own);
}

ZRKRoomState* getZRKRoomState() { return ZRKRoomRequest::getRoomState(std::string(), false, false); }

} // namespace zrk
} // namespace kavri3D
