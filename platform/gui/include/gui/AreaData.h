#pragma once
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One zone row of the area page.
struct AreaData {
    int zoneId = 0;
    std::string zoneName;
    int levelLimit = 0; ///< the highest level admitted; 0 or less: any
    int reserved = 0;   ///< not filled by the game
    int capacity = 0;
    int occupancy = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
