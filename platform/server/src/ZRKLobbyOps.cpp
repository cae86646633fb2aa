#include "server/ZRKLobbyOps.h"

#include <vector>

#include "server/ZRKLobby.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

// Random members handed out at most, as the area page shows them.
const std::size_t kRandomMembers = 8;
// Users' information asked for at once at most.
const unsigned kMembersAsked = 200;

/// The zone as the area page lists it.
Json::Value zoneRecord(const ZRKLobby::Zone& zone)
{
    Json::Value z;
    z["z_id"] = zone.id;
    z["z_name"] = zone.name;
    z["pc_level"] = zone.pcLevel;
    z["max"] = zone.max;
    z["occ"] = static_cast<int>(zone.members.size());
    z["arena"] = zone.arena;
    return z;
}

/// One room of the hall's list, with every key the list reads.
Json::Value roomRecord(const ZRKLobby::Room& room)
{
    const Json::Value& params = room.params;
    Json::Value r;
    r["id"] = room.id;
    r["name"] = room.name;
    r["title"] = params["title"].isString() ? params["title"].asString() : room.name;
    r["mode"] = params["mode"].isInt() ? params["mode"].asInt() : 0;
    r["lv"] = params["lv"].isInt() ? params["lv"].asInt() : 0;
    r["max"] = params["max"].isInt() ? params["max"].asInt() : ZRKLobby::kSeats;
    const int members = static_cast<int>(room.members.size());
    r["meb"] = members;
    r["occ"] = members + ZRKLobby::lockedSeats(room);
    r["password"] = !room.password.empty();
    r["fight"] = params["fight"].isBool() && params["fight"].asBool();
    r["g_red_id"] = 0;
    r["g_green_id"] = 0;
    r["g_war"] = false;
    return r;
}

/// Adds a player's information and settings views under the name asked with; false for none.
bool addMember(ZRKServerCall& call, const std::string& name)
{
    std::shared_ptr<const Json::Value> card = call.card(name);
    if (!card)
        return false;
    call.share("userInfo/" + name, card);
    call.share("userSetting/" + name, call.world().sharedPlayerView(name, ZRKWorld::SettingsView));
    return true;
}

void queryZones(ZRKServerCall& call)
{
    Json::Value zones(Json::arrayValue);
    for (const ZRKLobby::Zone& z : call.lobby().zones())
        zones.append(zoneRecord(z));
    call.views["zones"] = zones;
}

void joinZone(ZRKServerCall& call)
{
    long long id = 0;
    if (!ZRKServerCall::readNumber(call.arg(0), id))
        return call.refuse("error/srv_bad_request", "no zone id");
    const ZRKWorld::Player* p = call.world().player(call.player);
    std::string refusal;
    if (!p || !call.lobby().joinZone(call.player, static_cast<int>(id), static_cast<int>(p->lv), refusal))
        return call.refuse(refusal.empty() ? "error/srv_no_person" : refusal,
                           "zone " + std::to_string(id) + " refused");
    const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player);
    Json::Value view = zoneRecord(*zone);
    view["name"] = zone->name;
    call.views["zone"] = view;
}

void queryRooms(ZRKServerCall& call)
{
    Json::Value rooms(Json::arrayValue);
    if (const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player))
        for (const ZRKLobby::Room* r : call.lobby().roomsIn(zone->name))
            rooms.append(roomRecord(*r));
    call.views["rooms"] = rooms;
}

/// The rooms of the player's zone he could sit down in at once, in the hall's order.
void quickMatch(ZRKServerCall& call)
{
    const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player);
    if (!zone)
        return call.refuse("error/srv_bad_request", "a quick match outside every zone");
    Json::Value rooms(Json::arrayValue);
    for (const ZRKLobby::Room* r : call.lobby().roomsIn(zone->name))
        if (call.lobby().quickJoinable(*r))
            rooms.append(roomRecord(*r));
    call.views["roomsFind"] = rooms;
}

void queryArenaState(ZRKServerCall& call)
{
    const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player);
    Json::Value arena;
    arena["open"] = zone && zone->arena;
    call.views["arenaState"] = arena;
}

/// The information of the users asked for; unknown ones are left out.
void queryMembers(ZRKServerCall& call)
{
    const Json::Value& names = call.arg(0);
    if (!names.isArray())
        return call.refuse("error/srv_bad_request", "no user list");
    for (unsigned i = 0; i < names.size() && i < kMembersAsked; ++i)
        if (names[i].isString())
            addMember(call, names[i].asString());
}

/// A few members of the player's zone, the same ones for the same zone members. On the area
/// page the player stands in no zone yet: then a few of the players in the zones, zone by zone.
void queryRandomAsList(ZRKServerCall& call)
{
    Json::Value list(Json::arrayValue);
    std::vector<const ZRKLobby::Zone*> zones;
    if (const ZRKLobby::Zone* zone = call.lobby().zoneOf(call.player))
        zones.push_back(zone);
    else
        for (const ZRKLobby::Zone& z : call.lobby().zones())
            zones.push_back(&z);
    for (const ZRKLobby::Zone* zone : zones)
        for (const std::string& m : zone->members) {
            if (list.size() >= kRandomMembers)
                break;
            if (m != call.player && addMember(call, m))
                list.append(m);
        }
    call.views["zoneRandom"] = list;
}

/// Money and items waiting elsewhere for the player: this server keeps none apart.
void nothingToMove(ZRKServerCall&) {}

} // namespace

void ZRKLobbyOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    ops.add("queryZones", &queryZones, reads);
    ops.add("joinZone", &joinZone, reads);
    ops.add("queryRooms", &queryRooms, reads);
    ops.add("queryArenaState", &queryArenaState, reads);
    ops.add("quickMatch", &quickMatch, reads);
    ops.add("queryMembers", &queryMembers, reads);
    ops.add("queryRandomAsList", &queryRandomAsList, reads);
    ops.add("transMoney", &nothingToMove, reads);
    ops.add("transItem", &nothingToMove, reads);
}

} // namespace zrk
} // namespace kavri3D
