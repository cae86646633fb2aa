// The end of a battle as a client reports it to the server, and a leaver's report: the argument
// list of "reportBattleOver" as JSON (the room, the winning side, what the land counted of each
// fighter, the props the player used up), handed first to "reportBattleLeft" (the room, the
// props used), then to "reportBattleOver". Whatever comes, the server takes a player's props from
// his own props bag only, never more than he holds nor twice in one battle (once the leaver's
// report took them, the end report takes nothing more), and no count goes below 0.
#include <cstdint>
#include <data/ZRKJson.h>
#include <data/ZRKMessage.h>
#include <map>
#include <memory>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// What hero holds, bag and item by item: the counts.
std::map<std::pair<int, long long>, long long> holdings(ZRKWorld& world)
{
    std::map<std::pair<int, long long>, long long> out;
    for (const ZRKWorld::Item& i : world.items("hero"))
        out[{i.bag, i.id}] += i.count;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    // A fresh battle each time: hero against one of the server's players, loaded and fought.
    ZRKServerConfig config;
    config.bots = 2;
    ZRKServerCore core(config, 10.0);
    const long connection = core.connect();
    core.logIn(connection, "hero", "hero");
    if (core.startBotBattle("hero", 1, "1", 7).empty() || !core.lobby().reportLoaded("battle_hero", "hero"))
        return 0;
    const auto before = holdings(core.world());
    ZRKRequestInfo info;
    info.kind = "ZRKRoomRequest";
    info.args = ZRKJson::parse(zrkfuzz::FuzzSupport::text(data, size));
    // Whether the server keeps this battle's props as taken from hero.
    const auto taken = [&core]() {
        const ZRKLobby::Room* room = core.lobby().findRoom("battle_hero");
        const auto values = room ? room->battle.find("hero") : std::map<std::string, Json::Value>::const_iterator();
        return room && values != room->battle.end() && !values->second["props_of"].isNull();
    };
    std::map<std::pair<int, long long>, long long> whenTaken;
    bool wasTaken = false;
    std::map<std::pair<int, long long>, long long> after;
    for (const char* op : {"reportBattleLeft", "reportBattleLeft", "reportBattleOver", "reportBattleOver"}) {
        info.op = op;
        ++info.handle;
        core.handle(connection, ZRKMessage::request(info));
        std::vector<ZRKMessage> out;
        core.take(connection, out);
        after = holdings(core.world());
        // Props taken again once a report took them is a fault.
        if (wasTaken && after != whenTaken)
            __builtin_trap();
        if (!wasTaken && taken()) {
            wasTaken = true;
            whenTaken = after;
        }
    }
    // A count below 0, or something taken from another bag than the props bag, is a fault.
    for (const auto& held : before) {
        const auto now = after.find(held.first);
        const long long left = now == after.end() ? 0 : now->second;
        if (left < 0 || (held.first.first != 5 && left < held.second))
            __builtin_trap();
    }
    return 0;
}
