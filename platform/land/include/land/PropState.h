#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// One prop slot: an item, how many of it, and what it does.
struct PropState {
    std::string id;   ///< the item id as text; empty slot when empty
    std::string name; ///< "i_name"
    int count = 0;
    int effect = 0; ///< PropEffect bits ("i_effect")
    int hp = 0;     ///< "i_hp"
    int sp = 0;     ///< "i_sp"
    int fury = 0;   ///< "i_fury"
    int delay = 0;  ///< "i_delay"

    bool empty() const { return id.empty() || count <= 0; }
};

} // namespace zrk
} // namespace kavri3D
