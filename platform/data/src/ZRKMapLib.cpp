#include "data/ZRKMapLib.h"

#include "data/ZRKJson.h"
#include <algorithm>
#include <cstdlib>

namespace kavri3D {
namespace zrk {

namespace {

/// A list of whole numbers; a missing list counts as every value.
bool listed(const Json::Value& list, int value)
{
    if (!list.isArray())
        return true;
    for (const Json::Value& v : list)
        if (v.isInt() && v.asInt() == value)
            return true;
    return false;
}

MapConfig configOf(int id, const Json::Value& record)
{
    MapConfig map;
    map.id = id;
    map.view = ZRKJson::toView(record);
    const Json::Value& pve = record["pve"];
    if (pve.isArray())
        for (const Json::Value& d : pve)
            if (d.isInt())
                map.pve.push_back(d.asInt());
    return map;
}

/// A map id as the library keys it: a whole number in text.
bool idOf(const std::string& key, int& out)
{
    if (key.empty() || key.size() > 9 ||
        !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    out = std::atoi(key.c_str());
    return true;
}

} // namespace

bool ZRKMapLib::getList(int zoneId, int mode, std::list<MapConfig>& out) const
{
    const Json::Value& maps = records();
    if (!maps.isObject())
        return false;
    std::vector<std::pair<int, std::string>> ids;
    for (const std::string& key : maps.getMemberNames()) {
        int id = 0;
        if (idOf(key, id) && maps[key].isObject())
            ids.emplace_back(id, key);
    }
    std::sort(ids.begin(), ids.end());
    for (const auto& entry : ids) {
        const Json::Value& record = maps[entry.second];
        if (listed(record["zones"], zoneId) && listed(record["modes"], mode))
            out.push_back(configOf(entry.first, record));
    }
    return true;
}

MapConfig ZRKMapLib::getMap(int id) const
{
    const Json::Value& maps = records();
    const std::string key = std::to_string(id);
    if (!maps.isObject() || !maps[key].isObject())
        return MapConfig();
    return configOf(id, maps[key]);
}

unsigned ZRKMapLib::indexOfPVE(int mapId, int dungeon) const
{
    const MapConfig map = getMap(mapId);
    auto it = std::find(map.pve.begin(), map.pve.end(), dungeon);
    return it == map.pve.end() ? 0u : static_cast<unsigned>(it - map.pve.begin());
}

} // namespace zrk
} // namespace kavri3D
