#pragma once
#include <list>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "data/ZRKDataLib.h"

namespace kavri3D {
namespace zrk {

/// One map of the map library: its id, its record ("name", "desc", "thumbnail", "visible",
/// "disable", "pc_lv", "zones", "modes") and the ids of its PVE dungeons, in order.
struct MapConfig {
    int id = -1;
    core::XmlConfigHelper view;
    std::vector<int> pve;
};

/// The maps the rooms are played on, by zone and room mode.
class ZRKMapLib : public ZRKDataLib {
public:
    ZRKMapLib() : ZRKDataLib("map") {}

    /// The maps of the zone for the mode, in id order; false when the library is not in yet.
    bool getList(int zoneId, int mode, std::list<MapConfig>& out) const;
    /// The map of an id; id -1 and an empty view when there is none.
    MapConfig getMap(int id) const;
    /// Where a dungeon stands in the map's PVE list; 0 when it is not there.
    unsigned indexOfPVE(int mapId, int dungeon) const;
};

} // namespace zrk
} // namespace kavri3D
