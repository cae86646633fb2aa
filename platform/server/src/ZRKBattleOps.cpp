#include "server/ZRKBattleOps.h"

#include <algorithm>
#include <functional>
#include <util/BattleAwards.h>
#include <util/MissionRule.h>
#include "data/ZRKBagLayout.h"
#include "server/ZRKBoxOps.h"
#include "server/ZRKLobby.h"
#include "server/ZRKMissions.h"
#include "server/ZRKQuestOps.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The room named by the first argument, whose battle the caller sat in when it started;
/// empty (refused) else: a battle belongs to its players.
std::string fighterRoom(ZRKServerCall& call)
{
    std::string room;
    if (!ZRKServerCall::readText(call.arg(0), room) || room.empty() || room.size() > 256) {
        call.refuse("error/srv_bad_request", "no room named");
        return std::string();
    }
    if (!call.lobby().isFighter(room, call.player)) {
        call.refuse("error/srv_bad_request", call.player + " does not fight in the room " + room);
        return std::string();
    }
    return room;
}

/// A mission against the duplicate's crews (exactly the rooms of the mission mode), not a
/// battle against players: its revives and boxes are the mission's.
bool isPve(const Json::Value& params)
{
    long long mode = 0;
    return ZRKServerCall::readNumber(params["mode"], mode) && core::MissionRule::isMission(static_cast<int>(mode));
}

/// A battle of a room opened in an arena zone: its fighters earn arena points.
bool isArena(ZRKServerCall& call, const ZRKLobby::Room& room)
{
    for (const ZRKLobby::Zone& z : call.lobby().zones())
        if (z.name == room.zone && z.arena)
            return true;
    return false;
}

/// Adds the arena's points to the player's own (kept in his settings, which the arena shop
/// spends); false when the world cannot be written.
bool addArenaPoints(ZRKServerCall& call, const std::string& player, long long points)
{
    const ZRKWorld::Player* p = call.world().player(player);
    if (!p)
        return false;
    Json::Value settings = ZRKWorld::Player::doc(p->settings);
    if (!settings.isObject())
        settings = Json::Value(Json::objectValue);
    long long held = 0;
    if (!ZRKServerCall::readNumber(settings["pc_arena_point"], held) || held < 0)
        held = 0;
    settings["pc_arena_point"] = static_cast<Json::Int64>(std::min(held + points, 1000000000LL));
    return call.world().setSettings(player, settings);
}

/// A won stage of a mission whose duplicate has a further one: the room goes on to it.
bool hasNextStage(ZRKServerCall& call, const Json::Value& params)
{
    long long dungeon = -1, stage = 0;
    if (!ZRKServerCall::readNumber(params["d_id"], dungeon) || !ZRKServerCall::readNumber(params["ds_id"], stage))
        return false;
    return core::MissionRule::stageOf(static_cast<int>(stage)) < ZRKMissions::stageCount(call.world(), dungeon);
}

void reportLoad(ZRKServerCall& call)
{
    const std::string room = fighterRoom(call);
    if (!room.empty() && !call.lobby().reportLoaded(room, call.player))
        call.refuse("error/srv_bad_request", "the room " + room + " is not starting a battle");
}

/// What the land counted of each fighter: [{uid, hits, kills}], as many as a room seats; the
/// entries that are not sound are left out.
std::map<std::string, ZRKQuestOps::Tally> tallies(const Json::Value& counted)
{
    std::map<std::string, ZRKQuestOps::Tally> out;
    if (!counted.isArray() || counted.size() > 16)
        return out;
    for (const Json::Value& entry : counted) {
        std::string uid;
        ZRKQuestOps::Tally t;
        if (entry.isObject() && ZRKServerCall::readText(entry["uid"], uid) &&
            ZRKServerCall::readNumber(entry["hits"], t.hits) && ZRKServerCall::readNumber(entry["kills"], t.kills))
            out[uid] = t;
    }
    return out;
}

/// The props the reporting player used up in the battle ([{"i_id", "num"}]), taken out of his
/// props bag: at most what it holds of each, once a battle (the battle's seed marks it in his
/// battle values). False, with the refusal, when the world cannot be written.
bool takeUsedProps(ZRKServerCall& call, const std::string& room, const Json::Value& used, std::function<void()>& marked)
{
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    const Json::Value& seed = r ? r->params["seed"] : Json::Value::nullSingleton();
    if (!r || !used.isArray() || used.empty() || used.size() > ZRKBattleOps::kMaxPropsReported ||
        !(seed.isUInt() || seed.isInt()))
        return true;
    const auto values = r->battle.find(call.player);
    if (values != r->battle.end() && values->second["props_of"] == seed)
        return true; // taken already: a report told twice takes nothing more
    for (const Json::Value& prop : used) {
        long long id = 0, num = 0;
        if (!prop.isObject() || !ZRKServerCall::readNumber(prop["i_id"], id) ||
            !ZRKServerCall::readNumber(prop["num"], num) || id <= 0 || num <= 0)
            continue;
        for (ZRKWorld::Item item : call.world().items(call.player)) {
            if (num <= 0)
                break;
            if (item.bag != ZRKBagLayout::Props || item.id != id || item.count <= 0)
                continue;
            const long long taken = std::min(num, item.count);
            item.count -= taken;
            num -= taken;
            if (!call.world().writeItem(call.player, item)) {
                call.refuse("error/unknow_wrong", "the props " + call.player + " used cannot be taken");
                return false;
            }
        }
    }
    call.share("inventory", call.world().sharedInventoryView(call.player));
    ZRKLobby& lobby = call.lobby();
    const std::string player = call.player;
    Json::Value mark;
    mark["props_of"] = seed;
    marked = [&lobby, room, player, mark]() { lobby.setBattleValues(room, player, mark); };
    return true;
}

/// The battle is decided ("winner": the winning side, -1 for none; then what the land counted
/// of each fighter, for the quests; then the props the reporting player used up, taken from his
/// bag). Each player who sat in it
/// when it started, and sits there still, gets the award rule's share for his side, written in
/// the world and told to the room as his "award" list; the room closes a little later. The
/// battle counts as finished only once the awards are kept: a failed commit leaves it open, so
/// the next report writes them. The fighters' running quests move on with the awards.
void reportBattleOver(ZRKServerCall& call)
{
    const std::string room = fighterRoom(call);
    if (room.empty())
        return;
    long long winner = -1;
    if (!ZRKServerCall::readNumber(call.arg(1), winner))
        return call.refuse("error/srv_bad_request", "no winning side");
    std::function<void()> propsTaken;
    if (!takeUsedProps(call, room, call.arg(3), propsTaken))
        return;
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    const Json::Value& state = r->state["state"];
    if (r->finished || !state.isInt() || state.asInt() != 2) {
        // Told first by another player: the awards are written once, each player's props by him.
        call.committed = propsTaken;
        return;
    }
    std::map<std::string, Json::Value> told;
    std::map<std::string, ZRKPrizeBoxes::Fighter> prizes;
    const std::map<std::string, ZRKQuestOps::Tally> counted = tallies(call.arg(2));
    const bool pve = isPve(r->params);
    const bool arena = isArena(call, *r);
    for (const auto& fighter : r->fighters) {
        const std::string& player = fighter.first;
        // A mission's players win or lose together against the crews, whichever team they sit on.
        const bool won = pve ? winner >= 0 : fighter.second == winner;
        // Still seated: one who left, or was put out, earns nothing from it.
        const bool stayed = r->battle.find(player) != r->battle.end() && call.lobby().isFighter(room, player);
        ZRKPrizeBoxes::Fighter& prize = prizes[player];
        prize.flags = (won ? ZRKPrizeBoxes::kWon : 0) | (stayed ? 0 : ZRKPrizeBoxes::kLeft);
        prize.openings = stayed ? 1 : 0;
        const ZRKWorld::Player* known = call.world().player(player);
        prize.bot = known && known->bot;
        if (!stayed || !known)
            continue; // gone from the room, or a player the world does not keep
        Json::Value values;
        values["win"] = won;
        values["flags"] = prize.flags;
        values["boxCount"] = prize.openings;
        values["award"] = Json::Value(Json::arrayValue);
        for (const core::BattleAwards::Award& a : core::BattleAwards::of(won)) {
            std::string refusal;
            const bool kept =
                a.type == core::BattleAwards::Coins
                    ? call.world().addMoney(player, ZRKWorld::Coins, a.num, refusal)
                    : a.type == core::BattleAwards::Experience && call.world().addExperience(player, a.num);
            if (!kept)
                return call.refuse("error/unknow_wrong", "the awards of " + player + " cannot be written");
            Json::Value award;
            award["bi_type"] = a.type;
            award["bi_id"] = 0;
            award["bi_num"] = static_cast<Json::Int64>(a.num);
            values["award"].append(award);
        }
        const long long points = arena ? call.server.arenaPoints().points(won) : 0;
        if (points > 0) {
            if (!addArenaPoints(call, player, points))
                return call.refuse("error/unknow_wrong", "the arena points of " + player + " cannot be written");
            Json::Value award;
            award["bi_type"] = core::BattleAwards::ArenaPoints;
            award["bi_id"] = 0;
            award["bi_num"] = static_cast<Json::Int64>(points);
            values["award"].append(award);
        }
        ZRKQuestOps::Tally tally;
        const auto c = counted.find(player);
        if (c != counted.end())
            tally = c->second;
        tally.won = won;
        if (!ZRKQuestOps::advance(call.world(), player, tally))
            return call.refuse("error/unknow_wrong", "the quests of " + player + " cannot be written");
        told[player] = values;
    }
    if (call.world().hasPlayer(call.player)) {
        call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
        call.share("pcQuests", call.world().sharedQuests(call.player));
    }
    ZRKLobby& lobby = call.lobby();
    ZRKServerCore& server = call.server;
    // A won stage with a further one goes on to it after the half time; the last stage, or a
    // lost one, ends the mission with its boxes.
    const bool nextStage = pve && winner >= 0 && hasNextStage(call, r->params);
    const double closeAt = call.server.now() + (pve ? ZRKBattleOps::kPveCloseSeconds : ZRKBattleOps::kCloseSeconds);
    const double nextAt = call.server.now() + ZRKBattleOps::kNextStageSeconds;
    call.committed = [&lobby, &server, room, closeAt, nextAt, nextStage, told, prizes, pve, propsTaken]() {
        if (propsTaken)
            propsTaken();
        if (!(nextStage ? lobby.finishStage(room, nextAt) : lobby.finishBattle(room, closeAt)))
            return;
        for (const auto& t : told)
            lobby.setBattleValues(room, t.first, t.second);
        if (!nextStage)
            ZRKBoxOps::offerPrizes(server, room, pve, closeAt, prizes);
    };
}

/// The player gives the battle up midway ([room, the props he used up]): they leave his props
/// bag as the end report would have taken them, once a battle (an end report after it takes
/// nothing more); he earns nothing. A list longer than a props bag is refused.
void reportBattleLeft(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    if (!args.isArray() || args.size() > 2)
        return call.refuse("error/srv_bad_request", "a leaver's report is [room, props]");
    const Json::Value& used = call.arg(1);
    if (!used.isNull() && (!used.isArray() || used.size() > ZRKBattleOps::kMaxPropsReported))
        return call.refuse("error/srv_bad_request", "the props used are no short list");
    const std::string room = fighterRoom(call);
    if (room.empty())
        return;
    std::function<void()> propsTaken;
    if (!takeUsedProps(call, room, used, propsTaken))
        return;
    call.committed = propsTaken;
}

/// A revive bought in the fight. The server prices it from the game's revive table by the
/// revives this player has bought in this battle; the price the client names (the arguments
/// after the room) is not read. Refused once the table's number is bought, when the money is
/// short, or when the battle is not being fought.
void buyRevive(ZRKServerCall& call)
{
    const std::string room = fighterRoom(call);
    if (room.empty())
        return;
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    const Json::Value& state = r->state["state"];
    const Json::Value& seed = r->params["seed"];
    if (r->finished || !state.isInt() || state.asInt() != 2 || !(seed.isUInt() || seed.isInt()))
        return call.refuse("error/srv_bad_request", "the room " + room + " is not being fought");
    ZRKRevives& revives = call.server.revives();
    ZRKLobby& lobby = call.lobby();
    revives.forgetRooms([&lobby](const std::string& name) { return lobby.findRoom(name) == nullptr; });
    int currency = 0, cost = 0;
    std::string why;
    if (!revives.price(room, seed.asString(), call.player, isPve(r->params), currency, cost, why))
        return call.refuse("error/srv_bad_request", why);
    std::string refusal;
    if (!call.world().addMoney(call.player, static_cast<ZRKWorld::MoneyKind>(currency - 1), -cost, refusal))
        return call.refuse(refusal, call.player + " cannot pay a revive of " + std::to_string(cost));
    const std::string battle = seed.asString(), player = call.player;
    call.committed = [&revives, room, battle, player]() { revives.count(room, battle, player); };
    call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
}

} // namespace

void ZRKBattleOps::addTo(ZRKServerOps& ops)
{
    ops.add("reportLoad", &reportLoad, ZRKServerOps::NeedsPlayer);
    ops.add("reportBattleOver", &reportBattleOver, ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes);
    ops.add("reportBattleLeft", &reportBattleLeft, ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes);
    ops.add("buyRevive", &buyRevive, ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes);
}

} // namespace zrk
} // namespace kavri3D
