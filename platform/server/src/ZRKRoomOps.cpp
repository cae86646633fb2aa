#include "server/ZRKRoomOps.h"

#include "server/ZRKLobby.h"
#include "server/ZRKMissions.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"
#include <cctype>
#include <utility>
#include <util/MissionRule.h>

namespace kavri3D {
namespace zrk {

namespace {

const int kMaxWind = 8;

bool validPassword(const std::string& password)
{
    if (password.size() > ZRKRoomOps::kPasswordMax)
        return false;
    for (const char c : password)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

/// A value of the creation tree: settings trees carry numbers and flags as
/// text.
long long number(const Json::Value& v, long long fallback)
{
    long long n = 0;
    return ZRKServerCall::readNumber(v, n) ? n : fallback;
}

bool flag(const Json::Value& v, bool fallback)
{
    if (v.isBool())
        return v.asBool();
    if (v.isString())
        return v.asString() == "true" || v.asString() == "1";
    return v.isIntegral() ? v.asInt64() != 0 : fallback;
}

/// The map record of a place, null when the map library has none.
const Json::Value& mapOf(ZRKServerCall& call, const std::string& place)
{
    return ZRKMissions::mapOf(call.world(), place);
}

bool listed(const Json::Value& list, long long value)
{
    if (!list.isArray())
        return true; // a map that names none is everywhere
    for (const Json::Value& v : list)
        if (v.isIntegral() && v.asInt64() == value)
            return true;
    return false;
}

/// Whether the map may be played by the caller in a room of the zone and mode: the map's
/// zones and modes, its level.
bool playable(ZRKServerCall& call, const std::string& zone, long long mode, const std::string& place)
{
    const Json::Value& map = mapOf(call, place);
    if (map.isNull())
        return false;
    int zoneId = 0;
    for (const ZRKLobby::Zone& z : call.lobby().zones())
        if (z.name == zone)
            zoneId = z.id;
    const ZRKWorld::Player* p = call.world().player(call.player);
    const long long level = p ? p->lv : 0;
    return listed(map["zones"], zoneId) && listed(map["modes"], mode) && number(map["pc_lv"], 0) <= level;
}

bool playable(ZRKServerCall& call, const ZRKLobby::Room& room, const std::string& place)
{
    return playable(call, room.zone, number(room.params["mode"], 0), place);
}

/// The kinds of room a player opens: free, team, duel, arena and the monsters' stages. A room
/// of another number has no view, seats or way out on the player's screen.
bool openable(long long mode) { return mode == 1 || mode == 2 || mode == 3 || mode == 8 || mode == 9; }

/// The seed and wind of a battle the server starts now in the room (the control's seed, when set).
std::pair<unsigned, int> battleDraw(ZRKServerCall& call, const std::string& room)
{
    const unsigned seed = call.server.battleSeed() != 0 ? call.server.battleSeed()
                                                        : static_cast<unsigned>(call.server.now() * 1000.0) ^
                                                              static_cast<unsigned>(room.size() * 7919u);
    return {seed, static_cast<int>(seed % (2 * kMaxWind + 1)) - kMaxWind};
}

/// The duplicate and stage a mission room asks for: the map's duplicate ("d_id", none: its
/// first) and a stage of it ("ds_id", 0 or none: the first). False, refused, for a duplicate the
/// map does not list, a stage beyond the duplicate's, or either asked of a room of another mode.
bool missionOf(ZRKServerCall& call, const Json::Value& tree, long long mode, const std::string& place, int& dungeon,
               int& stage)
{
    dungeon = -1;
    stage = 0;
    const bool asked = tree.isMember("d_id") || tree.isMember("ds_id");
    if (!core::MissionRule::isMission(static_cast<int>(mode))) {
        if (asked)
            call.refuse("error/room_no_stage", "a duplicate asked of a room of mode " + std::to_string(mode));
        return !asked;
    }
    const Json::Value& map = mapOf(call, place);
    long long d = ZRKMissions::firstDungeon(map), ds = 0;
    if (tree.isMember("d_id") && !ZRKServerCall::readNumber(tree["d_id"], d))
        d = -1;
    if (tree.isMember("ds_id") && !ZRKServerCall::readNumber(tree["ds_id"], ds))
        ds = -1;
    if (!ZRKMissions::listsDungeon(map, d)) {
        call.refuse("error/room_no_stage", "duplicate " + std::to_string(d) + " is not one of map " + place);
        return false;
    }
    if (ds < 0 || ds > ZRKMissions::stageCount(call.world(), d)) {
        call.refuse("error/room_no_stage", "duplicate " + std::to_string(d) + " has no stage " + std::to_string(ds));
        return false;
    }
    dungeon = static_cast<int>(d);
    stage = static_cast<int>(ds);
    return true;
}

/// The game room the caller sits in; empty (refused) when none.
std::string ownRoom(ZRKServerCall& call)
{
    const std::string room = call.lobby().gameRoomOf(call.player);
    if (room.empty())
        call.refuse("error/room_no_access", call.player + " is in no game room");
    return room;
}

/// Opens a game room in the caller's zone with the creation tree; the reply's
/// view "room" names it ("id", "name", "mode"). The caller sits in it at once
/// as its owner.
void createRoom(ZRKServerCall& call)
{
    const Json::Value& tree = call.arg(0);
    if (!tree.isObject())
        return call.refuse("error/srv_bad_request", "no room description");
    const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player);
    if (!zone)
        return call.refuse("error/room_no_access", "in no zone");
    if (!call.lobby().gameRoomOf(call.player).empty())
        return call.refuse("error/room_one", "already in a room");
    ZRKLobby::RoomOffer offer;
    if (!tree["password"].isNull() && !ZRKServerCall::readText(tree["password"], offer.password))
        return call.refuse("error/password_format", "a password that is not text");
    if (!validPassword(offer.password))
        return call.refuse("error/password_format", "a password of other characters or too long");
    ZRKServerCall::readText(tree["title"], offer.title);
    if (offer.title.size() > 64)
        offer.title.resize(64);
    if (offer.title.empty())
        offer.title = call.lobby().roomTitles().front();
    const long long mode = number(tree["mode"], 1);
    if (!openable(mode))
        return call.refuse("error/room_mode", "no room of mode " + std::to_string(mode));
    offer.mode = static_cast<int>(mode);
    offer.seats = static_cast<int>(number(tree["max"], ZRKLobby::kSeats));
    offer.wind = flag(tree["wind"], true);
    std::string place;
    if (ZRKServerCall::readText(tree["place"], place) && !place.empty() && place != "default")
        offer.place = place;
    else if (tree["place"].isIntegral())
        offer.place = std::to_string(tree["place"].asInt64());
    if (!playable(call, zone->name, mode, offer.place))
        return call.refuse("error/room_no_map",
                           "map " + offer.place + " is not played in a room of mode " + std::to_string(mode) + " here");
    int dungeon = -1, stage = 0;
    if (!missionOf(call, tree, mode, offer.place, dungeon, stage))
        return;
    offer.priv = flag(tree["private"], false);
    if (offer.priv && !core::MissionRule::isMission(static_cast<int>(mode)))
        return call.refuse("error/room_mode", "only a mission is played alone, not mode " + std::to_string(mode));
    const ZRKWorld::Player* p = call.world().player(call.player);
    offer.lv = p ? static_cast<int>(p->lv) : 1;
    const std::string name = call.lobby().openRoom(call.player, zone->name, offer);
    if (name.empty())
        return call.refuse("error/unknow_wrong", "the room could not be opened");
    // A mission room plays the duplicate and stage asked for, else the map's first.
    if (dungeon >= 0)
        call.lobby().changePlace(name, call.player, offer.place, dungeon, stage);
    // A private mission is fought at once: its maker is in it.
    if (offer.priv) {
        const std::pair<unsigned, int> draw = battleDraw(call, name);
        call.lobby().beginPrivate(name, draw.first, draw.second);
    }
    const ZRKLobby::Room* r = call.lobby().findRoom(name);
    call.views["room"]["id"] = r->id;
    call.views["room"]["name"] = name;
    call.views["room"]["mode"] = offer.mode;
}

void changeTeam(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    if (!room.empty() && !call.lobby().changeTeam(room, call.player))
        call.refuse("error/room_team_full", "no free open seat on the other team");
}

void kick(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    long long seat = -1;
    if (room.empty())
        return;
    if (!ZRKServerCall::readNumber(call.arg(0), seat) || seat < 0 || seat >= ZRKLobby::kSeats)
        return call.refuse("error/srv_bad_request", "no seat");
    const std::string refusal = call.lobby().kickRefusal(room, call.player, static_cast<int>(seat));
    if (!refusal.empty())
        return call.refuse(refusal, "seat " + std::to_string(seat) + " cannot be emptied");
    call.lobby().kick(room, call.player, static_cast<int>(seat));
}

void changeReadyState(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    if (!room.empty() && !call.lobby().setReady(room, call.player, flag(call.arg(0), false)))
        call.refuse("error/room_no_access", "no seat");
}

void changeSlotFlag(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    long long seat = -1;
    if (room.empty())
        return;
    if (!ZRKServerCall::readNumber(call.arg(0), seat) || seat < 0 || seat >= ZRKLobby::kSeats)
        return call.refuse("error/srv_bad_request", "no seat");
    const std::string refusal =
        call.lobby().setSeatOpen(room, call.player, static_cast<int>(seat), flag(call.arg(1), true));
    if (!refusal.empty())
        call.refuse(refusal, "seat " + std::to_string(seat) + " not changed");
}

/// [map id] or, in PVE rooms, [map id, index of its dungeon].
void changeMap(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    long long map = 0;
    if (room.empty())
        return;
    if (!ZRKServerCall::readNumber(call.arg(0), map))
        return call.refuse("error/srv_bad_request", "no map");
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    const std::string place = std::to_string(map);
    if (!playable(call, *r, place))
        return call.refuse("error/room_no_map", "map " + place + " is not played in this room");
    int dungeon = -1;
    long long index = 0;
    const bool mission = core::MissionRule::isMission(static_cast<int>(number(r->params["mode"], 0)));
    if (call.request.op == "changeMapPVE" && ZRKServerCall::readNumber(call.arg(1), index)) {
        const Json::Value& pve = mapOf(call, place)["pve"];
        if (!mission)
            return call.refuse("error/room_no_stage", "no duplicate is fought in a room of another mode than 9");
        if (!pve.isArray() || index < 0 || index >= static_cast<long long>(pve.size()) ||
            !pve[static_cast<Json::ArrayIndex>(index)].isInt())
            return call.refuse("error/room_no_map", "no dungeon " + std::to_string(index) + " on map " + place);
        dungeon = pve[static_cast<Json::ArrayIndex>(index)].asInt();
    } else if (mission) {
        // Another map of a mission room: the room keeps a duplicate of that map, its own when
        // the map lists it, else the map's first.
        const Json::Value& map = mapOf(call, place);
        if (!ZRKMissions::listsDungeon(map, number(r->params["d_id"], -1))) {
            dungeon = ZRKMissions::firstDungeon(map);
            if (dungeon < 0)
                return call.refuse("error/room_no_map", "map " + place + " has no duplicate to fight");
        }
    }
    const std::string refusal = call.lobby().changePlace(room, call.player, place, dungeon);
    if (!refusal.empty())
        call.refuse(refusal, "map not changed");
}

/// The player's look or shown item changed: [text, kind, {"x": ..., "ca_id":
/// ...}].
void notifyAvatar(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    if (room.empty())
        return;
    Json::Value values(Json::objectValue);
    const Json::Value& given = call.arg(2);
    if (given.isObject() && given["x"].isObject() && given["x"].size() <= 16)
        values["x"] = given["x"];
    if (given.isObject() && given["ca_id"].isInt())
        values["ca_id"] = given["ca_id"];
    call.lobby().setBattleValues(room, call.player, values);
}

/// The owner starts the battle: the room's rules first, then "seed", "place", "wind" and
/// "tactic" (a mission's "d_id" and "ds_id"); the server's own players have their land loaded at once.
void beginGame(ZRKServerCall& call)
{
    const std::string room = ownRoom(call);
    if (room.empty())
        return;
    const std::pair<unsigned, int> draw = battleDraw(call, room);
    const std::string refusal = call.lobby().beginBattle(room, call.player, draw.first, draw.second);
    if (!refusal.empty())
        call.refuse(refusal, "the battle cannot start yet");
}

/// The player's screen is back from the room's battle: [room]. The battle no player on a
/// screen still plays is over, and the room waits for the next start.
void backFromBattle(ZRKServerCall& call)
{
    std::string room;
    if (!ZRKServerCall::readText(call.arg(0), room) || room.empty() || room.size() > 256)
        return call.refuse("error/srv_bad_request", "no room named");
    if (!call.lobby().backFromBattle(room, call.player))
        call.refuse("error/room_no_access", call.player + " has no seat in the room " + room);
}

} // namespace

void ZRKRoomOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    ops.add("createRoom", &createRoom, reads | ZRKServerOps::Secret);
    ops.add("changeTeam", &changeTeam, reads);
    ops.add("kick", &kick, reads);
    ops.add("changeReadyState", &changeReadyState, reads);
    ops.add("changeSlotFlag", &changeSlotFlag, reads);
    ops.add("changeMap", &changeMap, reads);
    ops.add("changeMapPVE", &changeMap, reads);
    ops.add("notifyAvatar", &notifyAvatar, reads);
    ops.add("beginGame", &beginGame, reads);
    ops.add("backFromBattle", &backFromBattle, reads);
}

} // namespace zrk
} // namespace kavri3D
