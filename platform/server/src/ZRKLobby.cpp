#include "server/ZRKLobby.h"
#include "server/ZRKLobbyBattles.h"
#include "server/ZRKPasswords.h"

#include <algorithm>
#include <yake/Logger.h>
#include "server/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKLobby");

} // namespace

ZRKMessage ZRKLobby::notice(ZRKNotice::Kind kind, const std::string& room, const std::string& member,
                            const Json::Value& args, const std::string& text)
{
    return ZRKMessage::notice(ZRKNotice::name(kind), room, member, args, text);
}

int ZRKLobby::stateOf(const Room& r)
{
    const Json::Value& s = r.state["state"];
    return s.isInt() ? s.asInt() : -1;
}

ZRKLobby::ZRKLobby(const Sink& sink, const CardSource& cards)
    : mSink(sink), mCards(cards), mBattles(new ZRKLobbyBattles(*this))
{
}

ZRKLobby::~ZRKLobby() = default;

bool ZRKLobby::load(const std::string& folder)
{
    Json::Value master;
    std::string why;
    if (ZRKWorldSeed::readFixture(folder + "/master.json", master, why) && master.isObject() &&
        master["zones"].isArray())
        for (const Json::Value& zone : master["zones"]) {
            if (!zone.isObject() || !zone["name"].isString())
                continue;
            Room hall;
            hall.name = zone["name"].asString();
            hall.hall = true;
            hall.standing = true;
            hall.params["title"] = hall.name;
            addRoom(hall);
        }
    Json::Value rooms;
    if (!ZRKWorldSeed::readFixture(folder + "/rooms.json", rooms, why)) {
        if (why == "missing")
            return true;
        logLine(Severity::Error, "rooms.json: " + why + "; no standing rooms this run");
        return false;
    }
    const Json::Value& list = rooms.isObject() ? rooms["rooms"] : Json::Value::nullSingleton();
    if (!list.isArray()) {
        logLine(Severity::Error, "rooms.json: \"rooms\" is not a list; no standing rooms this run");
        return false;
    }
    for (const Json::Value& r : list) {
        if (!r.isObject() || !r["name"].isString() || r["name"].asString().empty() ||
            (!r["password"].isNull() && !r["password"].isString())) {
            logLine(Severity::Warning,
                    "rooms.json: a room without a name, or with a password that is not text, is left out");
            continue;
        }
        Room room;
        room.name = r["name"].asString();
        room.password = r["password"].isString() ? r["password"].asString() : std::string();
        room.standing = true;
        for (const std::string& key : r.getMemberNames())
            if (key != "name" && key != "password")
                room.params[key] = r[key];
        room.params["password"] = !room.password.empty(); // whether it has one, never which
        addRoom(room);
    }
    return true;
}

void ZRKLobby::addRoom(const Room& r)
{
    Room& room = mRooms[r.name];
    room = r;
    room.password = ZRKPasswords::roomKey(r.password);
    room.id = mNextRoomId++;
    if (!room.state.isObject())
        room.state["state"] = 1;
}

const ZRKLobby::Room* ZRKLobby::findRoom(const std::string& name) const
{
    auto it = mRooms.find(name);
    return it == mRooms.end() ? nullptr : &it->second;
}

std::string ZRKLobby::nameOf(const std::string& nameOrId) const
{
    if (findRoom(nameOrId))
        return nameOrId;
    if (nameOrId.empty() || nameOrId.size() > 9 || nameOrId.find_first_not_of("0123456789") != std::string::npos)
        return std::string();
    const int id = std::stoi(nameOrId);
    for (const auto& r : mRooms)
        if (r.second.id == id)
            return r.first;
    return std::string();
}

ZRKLobby::Room* ZRKLobby::room(const std::string& name)
{
    auto it = mRooms.find(name);
    return it == mRooms.end() ? nullptr : &it->second;
}

std::vector<std::string> ZRKLobby::roomsOf(const std::string& player) const
{
    auto it = mMemberOf.find(player);
    return it == mMemberOf.end() ? std::vector<std::string>()
                                 : std::vector<std::string>(it->second.begin(), it->second.end());
}

std::vector<std::string> ZRKLobby::halls() const
{
    std::vector<std::string> out;
    for (const auto& r : mRooms)
        if (r.second.hall && !r.second.cry)
            out.push_back(r.first);
    return out;
}

void ZRKLobby::tell(const std::string& player, const ZRKMessage& n)
{
    if (mConnected.count(player) && mSink)
        mSink(player, n);
}

void ZRKLobby::tellRoom(const Room& room, const ZRKMessage& n, const std::string& except)
{
    // A hall is mostly the server's own players: walk whichever list is shorter.
    if (mConnected.size() < room.members.size()) {
        for (const std::string& c : mConnected) {
            auto of = mMemberOf.find(c);
            if (c != except && of != mMemberOf.end() && of->second.count(room.name))
                tell(c, n);
        }
        return;
    }
    for (const std::string& m : room.members)
        if (m != except)
            tell(m, n);
}

void ZRKLobby::setOnline(const std::string& player, bool online, bool connected)
{
    if (online == isOnline(player))
        return;
    if (!online) {
        for (const std::string& r : roomsOf(player))
            leave(player, r);
        leaveZone(player);
        mOnline.erase(player);
        mConnected.erase(player);
    } else {
        mOnline.insert(player);
        if (connected)
            mConnected.insert(player);
    }
    Json::Value args;
    args["online"] = online;
    const ZRKMessage n = notice(ZRKNotice::Presence, std::string(), player, args);
    for (const std::string& other : mConnected)
        if (other != player)
            tell(other, n);
}

Json::Value ZRKLobby::card(const Room& room, const std::string& player) const
{
    Json::Value c = mCards ? mCards(player) : Json::Value();
    if (!c.isObject())
        c = Json::Value(Json::objectValue);
    auto it = room.battle.find(player);
    if (it != room.battle.end())
        c["battle"] = it->second;
    return c;
}

Json::Value ZRKLobby::roomInfo(const Room& room) const
{
    Json::Value info;
    info["id"] = room.id;
    info["params"] = room.params;
    info["state"] = room.state;
    info["moderator"] = room.moderator;
    Json::Value seats(Json::arrayValue), open(Json::arrayValue);
    for (int s = 0; s < kSeats; ++s) {
        seats.append(room.seats[s]);
        open.append(room.open[s]);
    }
    info["seats"] = seats;
    info["slots"] = open;
    Json::Value players(Json::objectValue);
    for (const std::string& m : room.members)
        players[m] = card(room, m);
    info["players"] = players;
    return info;
}

int ZRKLobby::seatOf(const Room& room, const std::string& player) const
{
    for (int s = 0; s < kSeats; ++s)
        if (room.seats[s] == player)
            return s;
    return -1;
}

int ZRKLobby::freeSeat(const Room& room, int team) const
{
    for (int s = team * kSeats / 2; s < (team + 1) * kSeats / 2; ++s)
        if (room.seats[s].empty() && room.open[s])
            return s;
    return -1;
}

ZRKLobby::Entry ZRKLobby::seatOurs(const std::string& player, const std::string& name)
{
    return enter(player, name, std::string(), true);
}

ZRKLobby::Entry ZRKLobby::enter(const std::string& player, const std::string& name, const std::string& password)
{
    return enter(player, name, password, false);
}

ZRKLobby::Entry ZRKLobby::enter(const std::string& player, const std::string& name, const std::string& password,
                                bool ours)
{
    Room* r = room(name);
    if (!r) {
        logLine(Severity::Notice, player + " asked for the room " + name + ", which does not exist");
        return NoAccess;
    }
    if (std::find(r->members.begin(), r->members.end(), player) != r->members.end())
        return Entered; // already in: nothing changes
    if (r->priv && player != r->maker) {
        logLine(Severity::Notice, player + " asked for the private room " + name);
        return NoAccess; // a private mission is its maker's alone
    }
    if (!r->hall && (stateOf(*r) == 0 || stateOf(*r) == 2)) {
        logLine(Severity::Notice, player + " asked for the room " + name + ", whose battle is on");
        return NoAccess; // a battle belongs to those who started it
    }
    if (!r->password.empty() && !ours && !ZRKPasswords::matchesRoomKey(r->password, password)) {
        logLine(Severity::Notice, player + " gave a wrong password for the room " + name);
        return WrongPassword;
    }
    int seat = -1;
    if (!r->hall) {
        int reds = 0;
        for (int s = 0; s < kSeats / 2; ++s)
            reds += r->seats[s].empty() ? 0 : 1;
        const int blues = static_cast<int>(r->members.size()) - reds;
        const Json::Value& given = static_cast<const Json::Value&>(r->params)["max"];
        const int max = given.isInt() ? given.asInt() : kSeats;
        seat = freeSeat(*r, reds <= blues ? 0 : 1);
        if (seat < 0)
            seat = freeSeat(*r, reds <= blues ? 1 : 0);
        if (seat < 0 || static_cast<int>(r->members.size()) >= max)
            return NoAccess;
    }
    // The newcomer learns who is there before it is told of itself, and what a hall said last;
    // the others learn of it.
    for (const std::string& m : r->members)
        tell(player, notice(ZRKNotice::Join, name, m, r->hall ? Json::Value() : card(*r, m)));
    for (const auto& line : r->said)
        tell(player, notice(ZRKNotice::Message, name, line.first, Json::Value(), line.second));
    r->members.push_back(player);
    mMemberOf[player].insert(name);
    if (seat >= 0) {
        r->seats[seat] = player;
        Json::Value& b = r->battle[player];
        b["seat"] = seat;
        b["team"] = teamOf(seat);
        b["ready"] = 0;
        b["score"] = 0;
        b["ca_id"] = 0;
        b["x"] = Json::Value(Json::objectValue);
        if (r->moderator.empty())
            r->moderator = player;
        tell(player, notice(ZRKNotice::RoomInfo, name, std::string(), roomInfo(*r)));
    }
    const ZRKMessage joined = notice(ZRKNotice::Join, name, player, r->hall ? Json::Value() : card(*r, player));
    tellRoom(*r, joined);
    return Entered;
}

bool ZRKLobby::leave(const std::string& player, const std::string& name)
{
    Room* r = room(name);
    if (!r || std::find(r->members.begin(), r->members.end(), player) == r->members.end())
        return false;
    const bool maker = !r->standing && r->maker == player;
    remove(*r, player, ZRKNotice::Leave);
    // Leaving a zone's hall for the area is leaving the zone; leaving it for one of the zone's
    // game rooms (whose page has its own chat) is not: the player comes back to that hall.
    if (const Zone* zone = zoneOf(player); zone && zone->name == name) {
        const Room* in = findRoom(gameRoomOf(player));
        if (!in || in->zone != zone->name)
            leaveZone(player);
    }
    if (maker && room(name))
        closeRoom(name); // a room its maker left closes with him
    return true;
}

void ZRKLobby::remove(Room& r, const std::string& who, ZRKNotice::Kind how)
{
    // A copy: the name may be the room's own seat entry, which is cleared below.
    const std::string player = who;
    const ZRKMessage gone = notice(how, r.name, player);
    tellRoom(r, gone);
    r.members.erase(std::remove(r.members.begin(), r.members.end(), player), r.members.end());
    const int seat = seatOf(r, player);
    if (seat >= 0)
        r.seats[seat].clear();
    r.battle.erase(player);
    auto of = mMemberOf.find(player);
    if (of != mMemberOf.end()) {
        of->second.erase(r.name);
        if (of->second.empty())
            mMemberOf.erase(of);
    }
    if (r.moderator == player) {
        r.moderator.clear();
        for (const std::string& seated : r.seats) // the next in seat order
            if (!seated.empty()) {
                r.moderator = seated;
                break;
            }
        if (!r.moderator.empty())
            tellRoom(r, notice(ZRKNotice::Host, r.name, r.moderator));
    }
    if (r.members.empty() && !r.standing) {
        const std::string name = r.name;
        mRooms.erase(name); // r is gone now
        return;
    }
    mBattles->reopenIfDeserted(r);
}

bool ZRKLobby::say(const std::string& player, const std::string& name, const std::string& text)
{
    Room* r = room(name);
    if (!r || std::find(r->members.begin(), r->members.end(), player) == r->members.end())
        return false;
    tellRoom(*r, notice(ZRKNotice::Message, name, player, Json::Value(), text));
    if (r->hall) {
        r->said.emplace_back(player, text);
        if (r->said.size() > kHallLinesKept)
            r->said.pop_front();
    }
    return true;
}

bool ZRKLobby::whisper(const std::string& from, const std::string& to, const std::string& text)
{
    if (!isOnline(to))
        return false;
    tell(to, notice(ZRKNotice::Chat, std::string(), from, Json::Value(), text));
    if (!mConnected.count(to) && mWhisperHook)
        mWhisperHook(from, to, text);
    return true;
}

bool ZRKLobby::setReady(const std::string& name, const std::string& player, bool ready)
{
    Room* r = room(name);
    if (!r || seatOf(*r, player) < 0)
        return false;
    Json::Value& b = r->battle[player];
    b["ready"] = ready ? 1 : 0;
    Json::Value args;
    args["battle"] = b;
    args["bits"] = ZRKNotice::Ready;
    tellRoom(*r, notice(ZRKNotice::Player, name, player, args));
    return true;
}

bool ZRKLobby::changeTeam(const std::string& name, const std::string& player)
{
    Room* r = room(name);
    const int from = r ? seatOf(*r, player) : -1;
    if (from < 0)
        return false;
    const int to = freeSeat(*r, 1 - teamOf(from));
    if (to < 0)
        return false;
    r->seats[from].clear();
    r->seats[to] = player;
    Json::Value& b = r->battle[player];
    b["seat"] = to;
    b["team"] = teamOf(to);
    Json::Value args;
    args["seat"] = to;
    args["battle"] = b;
    tellRoom(*r, notice(ZRKNotice::Seat, name, player, args));
    return true;
}

std::string ZRKLobby::kickRefusal(const std::string& name, const std::string& by, int seat) const
{
    const Room* r = findRoom(name);
    if (!r || r->hall)
        return "error/room_no_access";
    if (r->moderator != by)
        return "error/room_owner_only";
    if (seat < 0 || seat >= kSeats || r->seats[seat].empty())
        return "error/room_seat_empty";
    if (r->seats[seat] == by)
        return "error/room_kick_self";
    return std::string();
}

bool ZRKLobby::kick(const std::string& name, const std::string& by, int seat)
{
    if (!kickRefusal(name, by, seat).empty())
        return false;
    Room* r = room(name);
    const std::string kicked = r->seats[seat];
    r->kicked.insert(kicked);
    remove(*r, kicked, ZRKNotice::Kick);
    return true;
}

namespace {
/// The texts of a list in the file; non-texts are left out.
std::vector<std::string> texts(const Json::Value& list)
{
    std::vector<std::string> out;
    if (list.isArray())
        for (const Json::Value& v : list)
            if (v.isString() && !v.asString().empty())
                out.push_back(v.asString());
    return out;
}
int intOf(const Json::Value& v, int def) { return v.isInt() ? v.asInt() : def; }
} // namespace

bool ZRKLobby::loadZones(const std::string& file)
{
    mZones.clear();
    Json::Value doc;
    std::string why;
    if (!ZRKWorldSeed::readFixture(file, doc, why) || !doc.isObject() || !doc["zones"].isArray()) {
        logLine(Severity::Error, file + ": " + (why.empty() ? "no zone list" : why) + "; no zones this run");
        return false;
    }
    for (const Json::Value& z : doc["zones"]) {
        if (!z.isObject() || !z["z_id"].isInt() || !z["z_name"].isString() || z["z_name"].asString().empty() ||
            findZone(z["z_id"].asInt())) {
            logLine(Severity::Warning, file + ": a zone without a fresh whole-number id or a name is left out");
            continue;
        }
        // A zone's hall and cry room are its own: a name another zone's rooms hold would let
        // one zone's level limit stand for the other's.
        const std::string name = z["z_name"].asString();
        bool clash = false;
        for (const Zone& other : mZones)
            for (const std::string& a : {other.name, other.name + "_cry"})
                clash = clash || a == name || a == name + "_cry";
        if (clash) {
            logLine(Severity::Warning,
                    file + ": the zone " + name + " shares a hall with another zone and is left out");
            continue;
        }
        Zone zone;
        zone.id = z["z_id"].asInt();
        zone.name = z["z_name"].asString();
        zone.pcLevel = intOf(z["pc_level"], 0);
        zone.max = std::max(0, intOf(z["max"], 100));
        zone.arena = z["arena"].isBool() && z["arena"].asBool();
        mZones.push_back(zone);
        for (const bool cry : {false, true}) {
            Room hall;
            hall.name = cry ? zone.name + "_cry" : zone.name;
            hall.hall = true;
            hall.cry = cry;
            hall.standing = true;
            hall.params["title"] = hall.name;
            hall.params["arena"] = zone.arena;
            if (!findRoom(hall.name))
                addRoom(hall);
        }
    }
    mTitles = texts(doc["titles"]);
    mLines = texts(doc["lines"]);
    if (mTitles.empty())
        mTitles.push_back("Game");
    return true;
}

const ZRKLobby::Zone* ZRKLobby::findZone(int id) const
{
    for (const Zone& z : mZones)
        if (z.id == id)
            return &z;
    return nullptr;
}

const ZRKLobby::Zone* ZRKLobby::zoneOf(const std::string& player) const
{
    auto it = mZoneOf.find(player);
    return it == mZoneOf.end() ? nullptr : &mZones[it->second];
}

bool ZRKLobby::joinZone(const std::string& player, int zoneId, int level, std::string& refusal)
{
    std::size_t index = 0;
    while (index < mZones.size() && mZones[index].id != zoneId)
        ++index;
    if (index == mZones.size()) {
        refusal = "error/area_noaccess";
        return false;
    }
    Zone& zone = mZones[index];
    const Zone* now = zoneOf(player);
    if (now == &zone)
        return true;
    if (zone.pcLevel > 0 && level > zone.pcLevel) {
        refusal = "error/area_noaccess";
        return false;
    }
    if (static_cast<int>(zone.members.size()) >= zone.max) {
        refusal = "error/room_max";
        return false;
    }
    leaveZone(player);
    zone.members.insert(player);
    mZoneOf[player] = index;
    return true;
}

void ZRKLobby::leaveZone(const std::string& player)
{
    auto it = mZoneOf.find(player);
    if (it == mZoneOf.end())
        return;
    mZones[it->second].members.erase(player);
    mZoneOf.erase(it);
}

std::string ZRKLobby::openRoom(const std::string& owner, const std::string& zone, const RoomOffer& offer)
{
    if (!findRoom(zone) || !isOnline(owner))
        return std::string();
    Room r;
    r.name = zone + "_" + std::to_string(mNextRoomId);
    r.zone = zone;
    r.password = offer.password;
    r.params["title"] = offer.title;
    r.params["mode"] = offer.mode;
    r.params["lv"] = offer.lv;
    const int seats = std::max(2, std::min(offer.seats, kSeats));
    r.params["max"] = seats;
    r.params["password"] = !offer.password.empty();
    r.params["fight"] = false;
    r.params["place"] = offer.place;
    r.params["wind"] = offer.wind;
    if (offer.priv)
        r.params["private"] = true;
    r.priv = offer.priv;
    r.maker = owner;
    // Seats beyond the room's size are shut, half of them on each side.
    for (int s = 0; s < kSeats / 2; ++s) {
        r.open[s] = s < (seats + 1) / 2;
        r.open[kSeats / 2 + s] = s < seats / 2;
    }
    const std::string name = r.name;
    addRoom(r);
    if (enter(owner, name, offer.password) != Entered) {
        mRooms.erase(name);
        return std::string();
    }
    return name;
}

std::vector<const ZRKLobby::Room*> ZRKLobby::roomsIn(const std::string& zone) const
{
    std::vector<const Room*> out;
    for (const auto& r : mRooms)
        if (!r.second.hall && !r.second.priv && r.second.zone == zone)
            out.push_back(&r.second);
    std::sort(out.begin(), out.end(), [](const Room* a, const Room* b) { return a->id < b->id; });
    return out;
}

bool ZRKLobby::quickJoinable(const Room& room) const
{
    if (room.hall || room.priv || stateOf(room) != 1 || !room.password.empty())
        return false;
    const Json::Value& given = room.params["max"];
    const int max = given.isInt() ? given.asInt() : kSeats;
    return static_cast<int>(room.members.size()) < max && (freeSeat(room, 0) >= 0 || freeSeat(room, 1) >= 0);
}

bool ZRKLobby::setFighting(const std::string& name, bool fighting)
{
    Room* r = room(name);
    if (!r || r->hall)
        return false;
    r->params["fight"] = fighting;
    return true;
}

bool ZRKLobby::withinSize(const Room& room, int seat)
{
    if (seat < 0 || seat >= kSeats)
        return false;
    const Json::Value& max = room.params["max"];
    const int size = max.isInt() ? std::max(0, std::min(max.asInt(), kSeats)) : kSeats;
    // As a room is opened: the first half of its size on the red side, the rest on the blue.
    const int index = seat % (kSeats / 2);
    return seat < kSeats / 2 ? index < (size + 1) / 2 : index < size / 2;
}

int ZRKLobby::lockedSeats(const Room& room)
{
    int locked = 0;
    for (bool open : room.open)
        locked += open ? 0 : 1;
    const Json::Value& max = static_cast<const Json::Value&>(room.params)["max"];
    // Only the seats the room has count, not those beyond its size.
    return max.isInt() ? std::max(0, locked - (kSeats - max.asInt())) : 0;
}

std::vector<std::string> ZRKLobby::seated(const std::string& name) const
{
    std::vector<std::string> out;
    if (const Room* r = findRoom(name))
        for (const std::string& s : r->seats)
            if (!s.empty())
                out.push_back(s);
    return out;
}

bool ZRKLobby::admits(const std::string& name, int level) const
{
    const Room* r = findRoom(name);
    if (!r)
        return true; // no room: entering refuses it anyway
    for (const Zone& z : mZones)
        if (z.name == name || z.name + "_cry" == name || (!r->hall && z.name == r->zone))
            return z.pcLevel <= 0 || level <= z.pcLevel;
    return true;
}

bool ZRKLobby::setBattleValues(const std::string& name, const std::string& player, const Json::Value& values)
{
    Room* r = room(name);
    if (!r || !values.isObject() || seatOf(*r, player) < 0)
        return false;
    Json::Value& b = r->battle[player];
    for (const std::string& key : values.getMemberNames())
        b[key] = values[key];
    Json::Value args;
    args["battle"] = b;
    args["bits"] = 0;
    tellRoom(*r, notice(ZRKNotice::Player, name, player, args));
    return true;
}

bool ZRKLobby::tellStateTo(const std::string& name, const std::string& player, const Json::Value& extra)
{
    const Room* r = findRoom(name);
    if (!r || !extra.isObject() || std::find(r->members.begin(), r->members.end(), player) == r->members.end())
        return false;
    Json::Value state = r->state;
    for (const std::string& key : extra.getMemberNames())
        state[key] = extra[key];
    Json::Value args;
    args["state"] = state;
    tell(player, notice(ZRKNotice::RoomState, name, std::string(), args));
    return true;
}

// ---- The owner's room flow: seats, map, the start's rules and the start, closing ----

std::string ZRKLobby::gameRoomOf(const std::string& player) const
{
    auto it = mMemberOf.find(player);
    if (it != mMemberOf.end())
        for (const std::string& name : it->second)
            if (const Room* r = findRoom(name))
                if (!r->hall)
                    return name;
    return std::string();
}

void ZRKLobby::retell(const Room& r)
{
    const ZRKMessage info = notice(ZRKNotice::RoomInfo, r.name, std::string(), roomInfo(r));
    tellRoom(r, info);
}

std::string ZRKLobby::setSeatOpen(const std::string& name, const std::string& by, int seat, bool open)
{
    Room* r = room(name);
    if (!r || r->hall)
        return "error/room_no_access";
    if (r->moderator != by)
        return "error/room_owner_only";
    if (seat < 0 || seat >= kSeats || !withinSize(*r, seat))
        return "error/room_seat_beyond";
    if (!r->seats[seat].empty())
        return "error/room_seat_taken";
    if (r->open[seat] != open) {
        r->open[seat] = open;
        retell(*r);
    }
    return std::string();
}

std::string ZRKLobby::changePlace(const std::string& name, const std::string& by, const std::string& place, int dungeon,
                                  int stage)
{
    Room* r = room(name);
    if (!r || r->hall)
        return "error/room_no_access";
    if (r->moderator != by)
        return "error/room_owner_only";
    r->params["place"] = place;
    if (dungeon >= 0 && (!r->params["d_id"].isInt() || r->params["d_id"].asInt() != dungeon)) {
        r->params["d_id"] = dungeon;
        r->params["ds_id"] = stage; // another duplicate: the stage asked for, else its first
        r->stageAsked = stage;
    }
    retell(*r);
    return std::string();
}

bool ZRKLobby::standDown(const std::string& name, const std::string& player)
{
    Room* r = room(name);
    if (!r || r->hall || seatOf(*r, player) < 0)
        return false;
    r->kicked.insert(player);
    if (r->maker == player)
        r->maker.clear(); // the room goes on with the others
    remove(*r, player, ZRKNotice::Leave);
    return true;
}

bool ZRKLobby::putOut(const std::string& name, const std::string& player)
{
    Room* r = room(name);
    if (!r || r->hall || seatOf(*r, player) < 0)
        return false;
    r->kicked.insert(player);
    remove(*r, player, ZRKNotice::Kick);
    return true;
}

void ZRKLobby::closeRoom(const std::string& name)
{
    Room* r = room(name);
    if (!r || r->hall)
        return;
    const std::vector<std::string> members = r->members;
    for (const std::string& m : members) {
        tell(m, notice(ZRKNotice::RoomGone, name, m));
        auto of = mMemberOf.find(m);
        if (of != mMemberOf.end()) {
            of->second.erase(name);
            if (of->second.empty())
                mMemberOf.erase(of);
        }
    }
    mRooms.erase(name);
}

// ---- The battles (ZRKLobbyBattles) ----

bool ZRKLobby::startBattle(const std::string& room, unsigned seed, int wind)
{
    return mBattles->start(room, seed, wind);
}

bool ZRKLobby::isFighter(const std::string& room, const std::string& player) const
{
    return mBattles->isFighter(room, player);
}

bool ZRKLobby::reportLoaded(const std::string& room, const std::string& player)
{
    return mBattles->reportLoaded(room, player);
}

bool ZRKLobby::finishBattle(const std::string& room, double closeAt) { return mBattles->finish(room, closeAt); }

bool ZRKLobby::finishStage(const std::string& room, double nextAt) { return mBattles->finishStage(room, nextAt); }

void ZRKLobby::closeDue(double now) { mBattles->closeDue(now); }

bool ZRKLobby::backFromBattle(const std::string& room, const std::string& player)
{
    return mBattles->backFromBattle(room, player);
}

std::string ZRKLobby::startRefusal(const std::string& room, const std::string& by) const
{
    return mBattles->startRefusal(room, by);
}

std::string ZRKLobby::beginBattle(const std::string& room, const std::string& by, unsigned seed, int wind)
{
    return mBattles->begin(room, by, seed, wind);
}

bool ZRKLobby::beginPrivate(const std::string& room, unsigned seed, int wind)
{
    return mBattles->beginPrivate(room, seed, wind);
}

} // namespace zrk
} // namespace kavri3D
