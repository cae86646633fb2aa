#include "server/ZRKMissions.h"

#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

const Json::Value& ZRKMissions::mapOf(ZRKWorld& world, const std::string& place)
{
    const Json::Value& maps = world.document("lib/map");
    return maps.isObject() && maps[place].isObject() ? maps[place] : Json::Value::nullSingleton();
}

bool ZRKMissions::listsDungeon(const Json::Value& map, long long dungeon)
{
    const Json::Value& pve = map.isObject() ? map["pve"] : Json::Value::nullSingleton();
    if (!pve.isArray())
        return false;
    for (const Json::Value& id : pve)
        if (id.isIntegral() && id.asInt64() == dungeon)
            return true;
    return false;
}

int ZRKMissions::firstDungeon(const Json::Value& map)
{
    const Json::Value& pve = map.isObject() ? map["pve"] : Json::Value::nullSingleton();
    return pve.isArray() && !pve.empty() && pve[0].isInt() ? pve[0].asInt() : -1;
}

int ZRKMissions::stageCount(ZRKWorld& world, long long dungeon)
{
    const Json::Value& duplicates = world.document("lib/duplicate");
    const std::string id = std::to_string(dungeon);
    if (!duplicates.isObject() || !duplicates[id].isObject())
        return 0;
    const Json::Value& stages = duplicates[id]["stages"];
    return stages.isArray() && !stages.empty() ? static_cast<int>(stages.size()) : 1;
}

} // namespace zrk
} // namespace kavri3D
