#include "data/ZRKBattleOps.h"

#include <algorithm>
#include <iterator>
#include "data/ZRKLobby.h"
#include "data/ZRKServerCall.h"
#include "data/ZRKServerCore.h"
#include "data/ZRKServerOps.h"
#include "data/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The room named by the first argument, which the caller must sit in; empty (refused) else.
std::string seatedRoom(ZRKServerCall& call)
{
    std::string room;
    if (!ZRKServerCall::readText(call.arg(0), room) || room.empty() || room.size() > 256) {
        call.refuse("error/srv_bad_request", "no room named");
        return std::string();
    }
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    if (!r || std::find(std::begin(r->seats), std::end(r->seats), call.player) == std::end(r->seats)) {
        call.refuse("error/srv_bad_request", call.player + " has no seat in the room " + room);
        return std::string();
    }
    return room;
}

void reportLoad(ZRKServerCall& call)
{
    const std::string room = seatedRoom(call);
    if (!room.empty() && !call.lobby().reportLoaded(room, call.player))
        call.refuse("error/srv_bad_request", "the room " + room + " is not starting a battle");
}

/// The battle is decided ("winner": the winning team, -1 for none). Every seated player gets
/// the winner's or the loser's coins, written in the world and told to the room as the
/// player's "award" list; the room closes a little later.
void reportBattleOver(ZRKServerCall& call)
{
    const std::string room = seatedRoom(call);
    if (room.empty())
        return;
    long long winner = -1;
    if (!ZRKServerCall::readNumber(call.arg(1), winner))
        return call.refuse("error/srv_bad_request", "no winning team");
    if (!call.lobby().finishBattle(room, call.server.now() + ZRKBattleOps::kCloseSeconds))
        return; // another player told it first: the awards are written once
    const ZRKLobby::Room* r = call.lobby().findRoom(room);
    for (const std::string& player : call.lobby().seated(room)) {
        const Json::Value& team = r->battle.at(player)["team"];
        const bool won = team.isInt() && team.asInt() == winner;
        const long long coins = won ? ZRKBattleOps::kWinCoins : ZRKBattleOps::kLoseCoins;
        std::string refusal;
        if (!call.world().hasPlayer(player) || !call.world().addMoney(player, ZRKWorld::Coins, coins, refusal))
            continue; // a player the world does not keep gets nothing written
        Json::Value award;
        award["bi_type"] = 1;
        award["bi_id"] = 0;
        award["bi_num"] = static_cast<Json::Int64>(coins);
        Json::Value values;
        values["award"].append(award);
        values["win"] = won;
        call.lobby().setBattleValues(room, player, values);
        r = call.lobby().findRoom(room);
    }
    if (call.world().hasPlayer(call.player))
        call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
}

} // namespace

void ZRKBattleOps::addTo(ZRKServerOps& ops)
{
    ops.add("reportLoad", &reportLoad, ZRKServerOps::NeedsPlayer);
    ops.add("reportBattleOver", &reportBattleOver, ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes);
}

} // namespace zrk
} // namespace kavri3D
