#include "server/ZRKLobbyBattles.h"

#include <cstdint>
#include <util/MissionRule.h>

namespace kavri3D {
namespace zrk {

namespace {
typedef ZRKLobby::Room Room;

int intOf(const Json::Value& v, int def) { return v.isInt() ? v.asInt() : def; }

bool isMission(const Room& r) { return core::MissionRule::isMission(intOf(r.params["mode"], 0)); }

/// The battle's state, its rebuild and its half time gone: what a start begins from.
Json::Value freshState(const Room& r, int state)
{
    Json::Value s = r.state;
    s["state"] = state;
    s.removeMember("ds_next");
    return s;
}
} // namespace

void ZRKLobbyBattles::tellState(const Room& r)
{
    Json::Value args;
    args["state"] = r.state;
    mLobby.tellRoom(r, ZRKLobby::notice(ZRKNotice::RoomState, r.name, std::string(), args));
}

bool ZRKLobbyBattles::start(const std::string& name, unsigned seed, int wind) { return start(name, seed, wind, 0); }

bool ZRKLobbyBattles::start(const std::string& name, unsigned seed, int wind, int stage)
{
    Room* r = mLobby.room(name);
    if (!r || r->hall || r->members.empty())
        return false;
    r->params["seed"] = seed;
    r->params["wind"] = wind;
    if (!static_cast<const Json::Value&>(r->params)["place"].isString())
        r->params["place"] = "1";
    const int mode = intOf(r->params["mode"], 0);
    r->params["tactic"] = core::MissionRule::tacticOf(mode);
    if (isMission(*r)) // a mission fights a stage of its duplicate; none asked for is its first
        r->params["ds_id"] = core::MissionRule::stageOf(stage > 0 ? stage : r->stageAsked);
    r->state = freshState(*r, 0);
    r->loaded.clear();
    r->fighters.clear();
    for (int s = 0; s < ZRKLobby::kSeats; ++s)
        if (!r->seats[s].empty())
            r->fighters[r->seats[s]] = ZRKLobby::teamOf(s);
    r->finished = false;
    r->closeAt = r->nextStageAt = r->rebuildAt = -1.0;
    Json::Value args;
    args["state"] = r->state;
    args["params"] = r->params;
    mLobby.tellRoom(*r, ZRKLobby::notice(ZRKNotice::RoomState, name, std::string(), args));
    return true;
}

bool ZRKLobbyBattles::isFighter(const std::string& name, const std::string& player) const
{
    const Room* r = mLobby.findRoom(name);
    return r && r->fighters.count(player) > 0 && mLobby.seatOf(*r, player) >= 0; // one who left fights no more
}

bool ZRKLobbyBattles::reportLoaded(const std::string& name, const std::string& player)
{
    Room* r = mLobby.room(name);
    if (!r || ZRKLobby::stateOf(*r) != 0 || mLobby.seatOf(*r, player) < 0)
        return false;
    r->loaded.insert(player);
    for (const std::string& s : r->seats)
        if (!s.empty() && !r->loaded.count(s))
            return true; // still waiting for someone
    Json::Value state = r->state;
    state["state"] = 2;
    r->state = state;
    tellState(*r);
    return true;
}

bool ZRKLobbyBattles::finish(const std::string& name, double closeAt)
{
    Room* r = mLobby.room(name);
    if (!r || ZRKLobby::stateOf(*r) != 2 || r->finished)
        return false;
    r->finished = true;
    r->closeAt = closeAt;
    return true;
}

bool ZRKLobbyBattles::finishStage(const std::string& name, double nextAt)
{
    Room* r = mLobby.room(name);
    if (!r || !isMission(*r) || ZRKLobby::stateOf(*r) != 2 || r->finished)
        return false;
    r->finished = true;
    r->nextStageAt = nextAt;
    // Half time: every client shows the stage won and what comes next.
    r->state["ds_next"] = 1;
    tellState(*r);
    return true;
}

void ZRKLobbyBattles::closeDue(double now)
{
    std::vector<std::string> due;
    for (auto& entry : mLobby.mRooms) {
        Room& r = entry.second;
        if (r.finished && r.closeAt >= 0.0 && now >= r.closeAt) {
            r.closeAt = -1.0;
            Json::Value state = r.state;
            state["state"] = 3;
            r.state = state;
            tellState(r);
        }
        if (r.nextStageAt >= 0.0 && now >= r.nextStageAt) {
            r.nextStageAt = -1.0;
            r.rebuildAt = now + kRebuildHoldSeconds;
            rebuildForNextStage(r);
        } else if (r.rebuildAt >= 0.0 && now >= r.rebuildAt) {
            due.push_back(r.name);
        }
    }
    // Started apart: a start tells the room, which may change who is in it.
    for (const std::string& name : due)
        if (Room* r = mLobby.room(name))
            startNextStage(*r);
}

unsigned ZRKLobbyBattles::nextStageSeed(unsigned seed, int stage)
{
    // A step of a small mixing function: never the seed itself, the same for the same pair.
    std::uint64_t z =
        (static_cast<std::uint64_t>(seed) << 8) + static_cast<std::uint64_t>(stage) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    unsigned next = static_cast<unsigned>(z ^ (z >> 31));
    return next == seed ? next + 1 : next;
}

unsigned ZRKLobbyBattles::seedOf(const Room& r)
{
    const Json::Value& seed = r.params["seed"];
    return seed.isUInt() ? seed.asUInt() : seed.isInt() ? static_cast<unsigned>(seed.asInt()) : 1u;
}

void ZRKLobbyBattles::rebuildForNextStage(Room& r)
{
    // Every client rebuilds its battle for the next stage, from the next stage's values, which
    // the room holds from now: its state 5 says so for a moment, then the stage starts.
    const int stage = core::MissionRule::stageOf(intOf(r.params["ds_id"], 0)) + 1;
    r.params["seed"] = nextStageSeed(seedOf(r), stage);
    r.params["ds_id"] = stage;
    Json::Value state = r.state;
    state["state"] = 5;
    r.state = state;
    Json::Value args;
    args["state"] = r.state;
    args["params"] = r.params;
    mLobby.tellRoom(r, ZRKLobby::notice(ZRKNotice::RoomState, r.name, std::string(), args));
}

void ZRKLobbyBattles::startNextStage(Room& r)
{
    r.rebuildAt = -1.0;
    startShut(r.name, seedOf(r), intOf(r.params["wind"], 0), intOf(r.params["ds_id"], 0));
}

void ZRKLobbyBattles::startShut(const std::string& name, unsigned seed, int wind, int stage)
{
    Room* r = mLobby.room(name);
    if (!r)
        return;
    r->params["fight"] = true; // shut: no one comes in while it runs
    start(name, seed, wind, stage);
    Json::Value inBattle;
    inBattle["fight"] = 1;
    for (const std::string& p : mLobby.seated(name)) {
        mLobby.setBattleValues(name, p, inBattle);
        if (!mLobby.isConnected(p))
            reportLoaded(name, p); // the server's own players have no land to wait for
    }
}

bool ZRKLobbyBattles::backFromBattle(const std::string& name, const std::string& player)
{
    Room* r = mLobby.room(name);
    if (!r || r->hall || mLobby.seatOf(*r, player) < 0)
        return false;
    r->fighters.erase(player);
    reopenIfDeserted(*r);
    return true;
}

void ZRKLobbyBattles::reopenIfDeserted(Room& r)
{
    const int state = ZRKLobby::stateOf(r);
    if (r.hall || (state != 0 && state != 2 && state != 3 && state != 5))
        return;
    for (const auto& f : r.fighters)
        if (mLobby.mConnected.count(f.first) && mLobby.seatOf(r, f.first) >= 0)
            return; // someone of a connection still fights (or watches the end)
    if (r.priv) {
        // A private mission was its maker's one battle.
        mLobby.closeRoom(r.name); // r is gone now
        return;
    }
    // Nobody is left in the battle who plays it on a screen: the room waits for the next one,
    // everyone not ready, as it was before the start.
    Json::Value state1 = freshState(r, 1);
    state1.removeMember("arena");
    r.state = state1;
    r.params["fight"] = false;
    if (isMission(r)) // the room's next mission starts from the stage it asked for again
        r.params["ds_id"] = r.stageAsked;
    r.finished = false;
    r.closeAt = r.nextStageAt = r.rebuildAt = -1.0;
    r.loaded.clear();
    r.fighters.clear();
    for (auto& b : r.battle) {
        b.second["ready"] = 0;
        b.second["fight"] = 0;
    }
    mLobby.retell(r);
}

std::string ZRKLobbyBattles::startRefusal(const std::string& name, const std::string& by) const
{
    const Room* r = mLobby.findRoom(name);
    if (!r || r->hall || ZRKLobby::stateOf(*r) != 1)
        return "error/room_no_access";
    if (r->moderator != by)
        return "error/room_owner_only";
    int teams[2] = {0, 0};
    bool allReady = true;
    for (int s = 0; s < ZRKLobby::kSeats; ++s) {
        const std::string& p = r->seats[s];
        if (p.empty())
            continue;
        ++teams[ZRKLobby::teamOf(s)];
        auto b = r->battle.find(p);
        const bool ready = b != r->battle.end() && b->second["ready"].isInt() && b->second["ready"].asInt() != 0;
        allReady = allReady && (p == by || ready);
    }
    // A mission's players fight the crews together, whichever team they sit on.
    if (!isMission(*r)) {
        if (teams[0] == 0 || teams[1] == 0)
            return "msg/player_team_noperson";
        const int mode = intOf(r->params["mode"], 0);
        if (mode >= 1 && mode <= 3 && teams[0] != teams[1])
            return "msg/player_team_equ";
    } else if (teams[0] + teams[1] == 0) {
        return "msg/player_team_noperson";
    }
    if (!allReady)
        return "msg/player_ready";
    return std::string();
}

std::string ZRKLobbyBattles::begin(const std::string& name, const std::string& by, unsigned seed, int wind)
{
    const std::string refusal = startRefusal(name, by);
    if (!refusal.empty())
        return refusal;
    Room* r = mLobby.room(name);
    bool arena = false;
    for (const ZRKLobby::Zone& z : mLobby.mZones)
        arena = arena || (z.name == r->zone && z.arena);
    if (arena)
        r->state["arena"] = r->name;
    const Json::Value& windy = r->params["wind"];
    startShut(name, seed, windy.isBool() && !windy.asBool() ? 0 : wind);
    return std::string();
}

bool ZRKLobbyBattles::beginPrivate(const std::string& name, unsigned seed, int wind)
{
    Room* r = mLobby.room(name);
    if (!r || !r->priv || ZRKLobby::stateOf(*r) != 1 || mLobby.seatOf(*r, r->maker) < 0)
        return false;
    const Json::Value& windy = r->params["wind"];
    startShut(name, seed, windy.isBool() && !windy.asBool() ? 0 : wind);
    return true;
}

} // namespace zrk
} // namespace kavri3D
