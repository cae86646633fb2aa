#pragma once
#include <json/value.h>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKWorld;

/// The game's data behind a mission room: the map library's record of a place with its
/// duplicates ("pve"), and the duplicate library's stages.
class ZRKMissions {
public:
    /// The map library's record of the place; null when it has none.
    static const Json::Value& mapOf(ZRKWorld& world, const std::string& place);
    /// Whether the map lists the duplicate among its "pve" ids.
    static bool listsDungeon(const Json::Value& map, long long dungeon);
    /// The map's first duplicate; -1 for a map of none.
    static int firstDungeon(const Json::Value& map);
    /// The stages of the duplicate: its "stages" list's size, 1 for a duplicate without stages
    /// (fought as its one stage); 0 for no such duplicate.
    static int stageCount(ZRKWorld& world, long long dungeon);
};

} // namespace zrk
} // namespace kavri3D
