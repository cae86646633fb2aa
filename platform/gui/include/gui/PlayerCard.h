#pragma once
#include <CEGUI/String.h>
#include <map>
#include <string>
#include "gui/RoleAttr.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// One seat of a game room as the room page shows it; copied by value, all fields.
struct PlayerCard {
    bool battle = false; ///< the player is ready
    bool busy = false;   ///< looking at the bag or the shop
    bool spare = false;  ///< not set by the game
    int tier = 0;        ///< 0, 1 or 2 by the player's score
    bool owner = false;
    int valueC = 1; ///< the ammo bag chosen, plus 1
    CEGUI::String nickname;
    std::map<std::string, int> spareMap; ///< not filled by the game
    bool occupied = false;
    bool slotOff = false; ///< the seat is shut
    int valueB = 0;       ///< the score
    int friendFlag = 0;   ///< 1 for a friend of the player's own group
    int g_id = 0;
    std::string g_name;
    int g_leve = 0;
    RoleAttr attr;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
