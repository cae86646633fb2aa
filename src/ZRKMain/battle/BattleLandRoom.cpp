#include "battle/BattleLandRoom.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cstdlib>
#include <list>
#include <data/ZRKBagLayout.h>
#include <data/ZRKGameData.h>
#include <data/ZRKInventory.h>
#include <data/ZRKServer.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKJson.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <land/LandBotRoom.h>
#include <land/ZRKBattleState.h>
#include "rooms/ZRKRoleRes.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

BattleLandRoom::BattleLandRoom(const std::string& roomName) : mRoomName(roomName)
{
    if (mRoomName.empty())
        if (ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false))
            mRoomName = room->getRoomName(); // the battle keeps following this room
}

boost::shared_ptr<ILandRoom> BattleLandRoom::currentRoom()
{
    boost::shared_ptr<BattleLandRoom> room(new BattleLandRoom);
    if (!room->state())
        return boost::shared_ptr<ILandRoom>();
    return room;
}

ZRKRoomState* BattleLandRoom::state() const
{
    if (mRoomName.empty())
        return nullptr;
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(mRoomName, false, false);
    return room && !room->isDestroyed() ? room : nullptr;
}

int BattleLandRoom::getSlotCount() const { return state() ? state()->getSlotCount() : 0; }

std::string BattleLandRoom::getSeatPlayer(int seat) const
{
    ZRKRoomState* room = state();
    boost::shared_ptr<ZRKPlayerState> p = room ? room->getPlayer(seat) : boost::shared_ptr<ZRKPlayerState>();
    return p ? p->getID() : std::string();
}

core::XmlConfigHelper BattleLandRoom::getPlayerSettings(const std::string& playerId) const
{
    boost::shared_ptr<ZRKPlayerState> p = getPlayerState(playerId);
    if (!p)
        return core::XmlConfigHelper();
    // A copy: the land's "pc_bot" must not end in the player's own settings.
    core::XmlConfigHelper settings = ZRKJson::toView(ZRKJson::fromView(p->getUserSettings()));
    settings.setBoolVal("pc_bot", p->getBattleState().getIntVal("bot", 0) != 0);
    return settings;
}

namespace {
/// Item ids of one inventory bag, in slot order.
std::vector<std::string> bagIds(int bag)
{
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), bag, items);
    items.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    std::vector<std::string> ids;
    for (const core::XmlConfigHelper& item : items) {
        const std::string id = item.getStringVal(ZRKInventory::getItemIdKey(), "");
        if (!id.empty() && id != "0")
            ids.push_back(id);
    }
    return ids;
}
} // namespace

std::vector<std::string> BattleLandRoom::getPlayerWeapons(const std::string& playerId) const
{
    if (!getPlayerState(playerId))
        return std::vector<std::string>();
    if (mAmmoBag >= 1 && mAmmoBag <= 3 && playerId == getMyPlayerId())
        return bagIds(mAmmoBag + 1);
    // The other seats fight with the battle's own arms: cannon, mortar, rifle and blade.
    return std::vector<std::string>{"1", "2", "3", "4"};
}

std::vector<std::string> BattleLandRoom::getPlayerProps(const std::string& playerId) const
{
    if (!getPlayerState(playerId))
        return std::vector<std::string>();
    if (mAmmoBag >= 1 && mAmmoBag <= 3 && playerId == getMyPlayerId()) {
        std::vector<std::string> ids = mLentProps;
        for (const std::string& id : bagIds(ZRKBagLayout::Props))
            ids.push_back(id);
        return ids;
    }
    return std::vector<std::string>{"51", "52", "54"};
}

std::vector<std::pair<std::string, std::string>> BattleLandRoom::getPlayerLook(const std::string& playerId) const
{
    std::vector<std::pair<std::string, std::string>> look;
    boost::shared_ptr<ZRKPlayerState> p = getPlayerState(playerId);
    const ZRKRoleRes* res = ZRKRoleRes::getSingletonPtr();
    if (!p)
        return look;
    // A scripted doll wears what its room dressed it in.
    if (!p->getEquipments().empty()) {
        for (const core::Equipment& e : p->getEquipments())
            look.emplace_back(e.getKind().empty() ? "look" : e.getKind(), e.getItem());
        return look;
    }
    if (!res)
        return look;
    const core::XmlConfigHelper settings = p->getUserSettings();
    const std::string body = ZRKRoleRes::lookOf(settings.getIntVal("c_id", 1));
    const core::XmlConfigHelper def = playerId == getMyPlayerId() ? ZRKUserRequest::getUserDefState() : settings;
    look.emplace_back("body", body);
    const std::vector<std::string> parts = res->getDefaultParts(body, def);
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (!parts[i].empty())
            look.emplace_back(ZRKRoleRes::kPartKinds[i], parts[i]);
    return look;
}

core::XmlConfigHelper BattleLandRoom::getRoomValues() const
{
    ZRKRoomState* room = state();
    if (!room)
        return core::XmlConfigHelper();
    Json::Value values = ZRKJson::fromView(room->getParams());
    if (!values.isObject())
        values = Json::Value(Json::objectValue);
    const Json::Value roomState = ZRKJson::fromView(room->getState());
    if (roomState.isObject())
        for (const std::string& key : roomState.getMemberNames())
            values[key] = roomState[key];
    // The server gives the wind as one strength along x; the land reads a vector.
    const Json::Value& wind = values["wind"];
    const std::string text = wind.isString() ? wind.asString() : std::string();
    char* end = nullptr;
    const long strength = text.empty() || text.size() > 12 ? 0 : std::strtol(text.c_str(), &end, 10);
    if (wind.isInt())
        values["wind"] = std::to_string(wind.asInt()) + " 0 0";
    else if (end && *end == '\0' && end != text.c_str())
        values["wind"] = std::to_string(strength) + " 0 0";
    return ZRKJson::toView(values);
}

Json::Value BattleLandRoom::getMapRecord(const std::string& place) const
{
    if (!mMapsRead) {
        mMapsRead = true;
        mMaps = LandBotRoom::readMaps("res/server/maps.json");
    }
    return mMaps.isObject() && mMaps.isMember(place) ? mMaps[place] : Json::Value();
}

Json::Value BattleLandRoom::getItemRecord(const std::string& itemId) const
{
    static const Json::Value items = LandBotRoom::builtInItems(); // built once, never changed
    if (items.isObject() && items.isMember(itemId))
        return items[itemId];
    // An item the loadout gave: the item library's record, without the zeros and empty texts
    // that only say "not set", so the land keeps its own defaults for them.
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const Json::Value record = server ? ZRKJson::fromView(server->getItemLib()->find(itemId)) : Json::Value();
    if (!record.isObject())
        return Json::Value();
    Json::Value out(Json::objectValue);
    for (const std::string& key : record.getMemberNames()) {
        const Json::Value& v = record[key];
        const bool unset =
            (v.isString() && (v.asString().empty() || v.asString() == "0")) || (v.isNumeric() && v.asDouble() == 0.0);
        if (!unset)
            out[key] = v;
    }
    return out;
}

std::string BattleLandRoom::getMyPlayerId() const
{
    ZRKRoomState* room = state();
    boost::shared_ptr<ZRKPlayerState> self = room ? room->getSelfState() : boost::shared_ptr<ZRKPlayerState>();
    if (self)
        return self->getID();
    ZRKSession* session = ZRKSession::getSingletonPtr();
    return session ? session->getUID() : std::string();
}

boost::shared_ptr<ZRKPlayerState> BattleLandRoom::getPlayerState(const std::string& playerId) const
{
    ZRKRoomState* room = state();
    return room ? room->findPlayer(playerId) : boost::shared_ptr<ZRKPlayerState>();
}

boost::shared_ptr<ZRKBattleState> BattleLandRoom::getBattleState(const std::string& playerId) const
{
    boost::shared_ptr<ZRKPlayerState> p = getPlayerState(playerId);
    if (!p)
        return boost::shared_ptr<ZRKBattleState>();
    const core::XmlConfigHelper& values = p->getBattleState();
    const int kMost = 1000000;
    auto read = [&values, kMost](const char* key) { return std::min(std::max(values.getIntVal(key, 0), 0), kMost); };
    if (read("xhp") <= 0)
        return boost::shared_ptr<ZRKBattleState>();
    boost::shared_ptr<ZRKBattleState> battle = boost::make_shared<ZRKBattleState>();
    battle->xhp = read("xhp");
    battle->hp = values.hasKey("hp") ? read("hp") : battle->xhp;
    battle->xsp = read("xsp");
    battle->sp = values.hasKey("sp") ? read("sp") : battle->xsp;
    battle->fsp = read("fsp");
    battle->clamp();
    return battle;
}

void BattleLandRoom::reportLoaded(const std::string& playerId)
{
    if (!state())
        return;
    const std::string room = mRoomName;
    // The offline lesson loads for nobody but the player: there is nothing to report.
    if (room == ZRKRoomRequest::kLocalRoomName)
        return;
    ZRKRequestBroker::call(
        "ZRKRoomRequest", "reportLoad",
        [room](bool error, const std::string& text) {
            if (error)
                writeLog(kLogWarning, "battle", "the server did not take the load report of " + room + ": " + text);
        },
        room);
}

} // namespace zrk
} // namespace kavri3D
