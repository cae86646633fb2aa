#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One map the room's owner may choose.
struct MapInfList {
    std::string name;
    std::string description;
    std::string thumbnail;
    bool disable = true;
    int mapId = 0;
    int level = 0;
    std::vector<int> spare; ///< the map's stages (its PVE ids) in order; empty for a map of none
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
