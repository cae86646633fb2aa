#include "server/ZRKSocialOps.h"

#include <string>

#include "server/ZRKGuilds.h"
#include "server/ZRKRoster.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

// A user id or nickname longer than this names nobody (names are at most 16 characters).
const std::size_t kLongestName = 256;

void queryMyRoster(ZRKServerCall& call) { call.views["roster"] = ZRKRoster::view(call.world(), call.player); }

/// The roster entry a request names by "fpcid"; "" (refused) when it names none of the roster.
std::string entryOf(ZRKServerCall& call)
{
    long long pcId = 0;
    if (!call.request.args.isObject() || !ZRKServerCall::readNumber(call.request.args["fpcid"], pcId)) {
        call.refuse("error/srv_bad_request", "no fpcid");
        return std::string();
    }
    const std::string fuid = call.world().playerOfCharacter(pcId);
    if (fuid.empty() || ZRKRoster::groupOf(call.world(), call.player, fuid) < 0) {
        call.refuse("roster/not_listed", "player " + std::to_string(pcId) + " is not on the roster");
        return std::string();
    }
    return fuid;
}

/// A group number the roster keeps: 0 to 3.
bool readGroup(ZRKServerCall& call, long long& group)
{
    if (!call.request.args.isObject() || !ZRKServerCall::readNumber(call.request.args["fgroup"], group) || group < 0 ||
        group > ZRKRoster::Asking) {
        call.refuse("error/srv_bad_request", "no group of the roster");
        return false;
    }
    return true;
}

/// Puts `fuid` into the group on the player's roster. Taken among the friends, he is asked in
/// turn unless he counts the player a friend already: one of ours answers a few seconds later,
/// anyone else finds the player among his "anous". Both rosters are told once it is kept.
void putEntry(ZRKServerCall& call, const std::string& fuid, int group)
{
    ZRKWorld& world = call.world();
    std::string refusal;
    if (!ZRKRoster::put(world, call.player, fuid, group, refusal))
        return call.refuse(refusal, "the roster does not take " + fuid.substr(0, 40));
    const ZRKWorld::Player* other = world.player(fuid); // valid until his roster changes
    const bool bot = other && other->bot;
    const bool asks =
        group == ZRKRoster::Friend && other && ZRKRoster::groupOf(world, fuid, call.player) != ZRKRoster::Friend;
    if (asks && !bot && ZRKRoster::groupOf(world, fuid, call.player) < 0 &&
        !ZRKRoster::put(world, fuid, call.player, ZRKRoster::Asking, refusal))
        call.refuse(refusal, fuid + " cannot be asked"); // his roster is full: the request is not kept
    if (call.error)
        return;
    ZRKServerCore& server = call.server;
    const std::string player = call.player;
    call.committed = [&server, player, fuid, asks, bot]() {
        if (asks && bot)
            server.social().askedByPlayer(fuid, player);
        server.tellRoster(player);
        server.tellRoster(fuid);
    };
}

/// {"fgroup": group, "fuid": user id}
void queryAddRoster(ZRKServerCall& call)
{
    std::string fuid;
    long long group = 0;
    if (!call.request.args.isObject() || !ZRKServerCall::readText(call.request.args["fuid"], fuid) || fuid.empty() ||
        fuid.size() > kLongestName)
        return call.refuse("error/srv_bad_request", "no fuid");
    if (!readGroup(call, group))
        return;
    if (fuid == call.account)
        fuid = call.player;
    putEntry(call, fuid, static_cast<int>(group));
}

/// {"fgroup": group, "fpcid": player id}
void queryUptRoster(ZRKServerCall& call)
{
    long long group = 0;
    if (!readGroup(call, group))
        return;
    const std::string fuid = entryOf(call);
    if (!fuid.empty())
        putEntry(call, fuid, static_cast<int>(group));
}

/// {"fpcid": player id}
void queryDelRoster(ZRKServerCall& call)
{
    const std::string fuid = entryOf(call);
    if (fuid.empty())
        return;
    if (!ZRKRoster::remove(call.world(), call.player, fuid))
        return call.refuse("error/unknow_wrong", "the roster entry could not be taken off");
    ZRKServerCore& server = call.server;
    const std::string player = call.player;
    call.committed = [&server, player, fuid]() {
        server.tellRoster(player);
        server.tellRoster(fuid);
    };
}

/// [nick]: the player who goes by it, letter case aside ("uid").
void queryUserByNick(ZRKServerCall& call)
{
    std::string nick;
    if (!ZRKServerCall::readText(call.arg(0), nick) || nick.empty() || nick.size() > kLongestName)
        return call.refuse("error/srv_no_person", "no nickname, or one too long");
    const std::string name = call.world().playerOfNick(nick);
    if (name.empty())
        return call.refuse("error/srv_no_person", "nobody goes by the nickname");
    call.views["uid"] = name;
}

/// A refused invitation: the error reply, and the guild's error view with the same text.
void refuseWant(ZRKServerCall& call, int code, const std::string& key, const std::string& why)
{
    call.refuse(key, why);
    Json::Value& view = call.views["guildError"] = Json::Value(Json::objectValue);
    view["ERR"] = code;
    view["MSG"] = call.text;
}

/// {"gid": guild, "pcid": player id, "wt": 1}: a member asks his guild to take a player in.
void queryWant(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    long long gid = 0, pcId = 0;
    if (!args.isObject() || !ZRKServerCall::readNumber(args["gid"], gid) ||
        !ZRKServerCall::readNumber(args["pcid"], pcId))
        return refuseWant(call, 1, "error/srv_bad_request", "no gid or pcid");
    ZRKWorld& world = call.world();
    ZRKGuilds::Guild guild;
    if (!ZRKGuilds::find(world, gid, guild))
        return refuseWant(call, 2, "guild/unknown", "no guild " + std::to_string(gid));
    if (ZRKGuilds::guildOf(world, call.player) != gid)
        return refuseWant(call, 3, "guild/not_member", call.player + " is not in guild " + std::to_string(gid));
    const std::string invited = world.playerOfCharacter(pcId);
    const ZRKWorld::Player* p = invited.empty() ? nullptr : world.player(invited);
    if (!p)
        return refuseWant(call, 4, "error/srv_no_person", "no player " + std::to_string(pcId));
    if (ZRKGuilds::guildOf(world, invited) != 0)
        return refuseWant(call, 5, "guild/in_guild", invited + " is in a guild");
    if (static_cast<long long>(guild.members.size()) >= guild.max)
        return refuseWant(call, 6, "guild/full", "guild " + std::to_string(gid) + " is full");
    Json::Value& view = call.views["guildError"] = Json::Value(Json::objectValue);
    view["ERR"] = 0;
    view["MSG"] = "";
    if (p->bot)
        call.server.social().invited(invited, gid);
}

} // namespace

void ZRKSocialOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    const unsigned changes = ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes;
    ops.add("queryMyRoster", &queryMyRoster, reads);
    ops.add("queryAddRoster", &queryAddRoster, changes);
    ops.add("queryUptRoster", &queryUptRoster, changes);
    ops.add("queryDelRoster", &queryDelRoster, changes);
    ops.add("queryUserByNick", &queryUserByNick, reads);
    ops.add("queryWant", &queryWant, reads);
}

} // namespace zrk
} // namespace kavri3D
