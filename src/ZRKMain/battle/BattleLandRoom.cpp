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
#include <land/DollConstants.h>
#include <land/LandBotRoom.h>
#include <land/LandRecord.h>
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
/// The items of one inventory bag that are items (an id not 0), in slot order: id and count.
std::vector<std::pair<std::string, int>> bagItems(int bag)
{
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), bag, items);
    items.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    std::vector<std::pair<std::string, int>> out;
    for (const core::XmlConfigHelper& item : items) {
        const std::string id = item.getStringVal(ZRKInventory::getItemIdKey(), "");
        if (!id.empty() && id != "0")
            out.emplace_back(id, std::max(1, item.getIntVal("pci_num", 1)));
    }
    return out;
}

/// A whole number of an item record (the library's are texts), 0 to 100000; 0 for none.
int wholeOf(const Json::Value& v)
{
    double d = 0.0;
    if (!LandRecord::toReal(v, d))
        d = 0.0;
    return static_cast<int>(std::min(std::max(d, 0.0), 100000.0));
}

/// The battle's own arms: cannon, mortar, rifle and blade; and its props.
const std::vector<std::string> kBattleArms = {"1", "2", "3", "4"};
const std::vector<std::string> kBattleProps = {"51", "52", "54"};
} // namespace

bool BattleLandRoom::ownBags(const std::string& playerId) const
{
    return mAmmoBag >= 1 && mAmmoBag <= 3 && playerId == getMyPlayerId();
}

std::vector<std::string> BattleLandRoom::getPlayerWeapons(const std::string& playerId) const
{
    if (!getPlayerState(playerId))
        return std::vector<std::string>();
    if (!ownBags(playerId))
        return kBattleArms;
    std::vector<std::string> ids;
    for (const auto& item : bagItems(mAmmoBag + 1))
        ids.push_back(item.first);
    // An ammo bag without a weapon: the battle's own arms, so a rookie still fights.
    return ids.empty() ? kBattleArms : ids;
}

std::vector<std::string> BattleLandRoom::getPlayerProps(const std::string& playerId) const
{
    if (!getPlayerState(playerId))
        return std::vector<std::string>();
    if (!ownBags(playerId))
        return kBattleProps;
    std::vector<std::string> ids;
    for (const auto& lent : mLentProps)
        if (std::find(ids.begin(), ids.end(), lent.first) == ids.end())
            ids.push_back(lent.first);
    for (const auto& item : bagItems(ZRKBagLayout::Props))
        if (std::find(ids.begin(), ids.end(), item.first) == ids.end())
            ids.push_back(item.first);
    return ids;
}

int BattleLandRoom::getPlayerPropCount(const std::string& playerId, const std::string& itemId) const
{
    if (!ownBags(playerId))
        return 1;
    long long count = 0;
    for (const auto& lent : mLentProps)
        count += lent.first == itemId ? lent.second : 0;
    for (const auto& item : bagItems(ZRKBagLayout::Props))
        count += item.first == itemId ? item.second : 0;
    return static_cast<int>(std::min<long long>(std::max<long long>(count, 1), 1000000));
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
    // A prop of the shop heals or refreshes by what it adds ("i_add_hp", "i_add_sp"): in the
    // battle that is what it does when used.
    // Read without adding: a key the record lacks stays out of what the land gets.
    const auto number = [&out](const char* key) { return wholeOf(out.get(key, Json::Value())); };
    if (number("ic_id") == 2 && !record.isMember("i_type") && !record.isMember("i_damage"))
        return landWeapon(out, items);
    if (number("ic_id") == 1 && !out.isMember("i_effect")) {
        int effect = 0;
        if (number("i_add_hp") > 0) {
            effect |= PROP_HEAL;
            out["i_hp"] = number("i_add_hp");
        }
        if (number("i_add_sp") > 0) {
            effect |= PROP_ENERGY;
            out["i_sp"] = number("i_add_sp");
        }
        if (effect)
            out["i_effect"] = effect;
    }
    return out;
}

Json::Value BattleLandRoom::landWeapon(const Json::Value& item, const Json::Value& battleArms)
{
    // A weapon of the shop or the forge carries no flight of its own (no "i_type" nor
    // "i_damage"; its "i_speed" is no speed the land flies shells at): it flies as the battle's
    // arm of its kind, named in its name, and hits with its own damage and shells.
    const std::string name = item["i_name"].isString() ? item["i_name"].asString() : std::string();
    static const std::pair<const char*, const char*> kKinds[] = {
        {"Mortar", "2"}, {"Rifle", "3"}, {"Blade", "4"}, {"Cannon", "1"}};
    const char* kind = "1";
    for (const auto& k : kKinds)
        if (name.find(k.first) != std::string::npos) {
            kind = k.second;
            break;
        }
    Json::Value out =
        battleArms.isObject() && battleArms[kind].isObject() ? battleArms[kind] : Json::Value(Json::objectValue);
    for (const char* key : {"ic_id", "isc_id", "i_name", "i_shell_num", "i_cd_time"})
        if (item.isMember(key))
            out[key] = item[key];
    if (item.isMember("i_dmg_min") && item.isMember("i_dmg_max"))
        out["i_damage"] = (wholeOf(item["i_dmg_min"]) + wholeOf(item["i_dmg_max"])) / 2;
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
