#pragma once
// What the embedded server's world holds of an award for a player, to see a prize arrive.
#include <json/json.h>
#include <server/ZRKBoxes.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <string>

namespace zrktest {

/// How much of an award the world holds for the player: the money of its kind, the points, the
/// experience or the items of its id; -1 for no such player or kind.
inline long long held(kavri3D::zrk::ZRKServerCore& server, const std::string& player,
                      const kavri3D::zrk::ZRKBoxes::Award& a)
{
    const kavri3D::zrk::ZRKWorld::Player* p = server.world().player(player);
    if (!p)
        return -1;
    switch (a.type) {
    case 1:
    case 2:
    case 3:
        return p->money[a.type - 1];
    case 4: {
        const Json::Value& settings = kavri3D::zrk::ZRKWorld::Player::doc(p->settings);
        return settings.isObject() && settings["pc_score"].isIntegral() ? settings["pc_score"].asInt64() : 0;
    }
    case 5:
        return p->exp;
    case 6: {
        long long n = 0;
        for (const kavri3D::zrk::ZRKWorld::Item& i : server.world().items(player))
            n += i.id == a.id ? i.count : 0;
        return n;
    }
    default:
        return -1;
    }
}

} // namespace zrktest
