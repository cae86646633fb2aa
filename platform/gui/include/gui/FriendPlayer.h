#pragma once
#include <CEGUI/String.h>
#include <cstdint>
#include <list>
#include <string>
#include "gui/RoleAttr.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// One entry of the player's friend roster as the friends screen shows it; copied by value.
struct FriendPlayer {
    std::int32_t index = 0; ///< running number over the whole roster, in the roster's order
    CEGUI::String nickname;
    char sex = 'F'; ///< 'M' for the "boy" look
    std::int16_t level = 0;
    std::list<std::int32_t> spare; ///< not filled by the game
    std::int32_t spareValue = 0;   ///< not set by the game
    std::int32_t rank = 0;
    bool pep = false;        ///< the friendship is mutual
    RoleAttr attr;           ///< only player id, member name and membership are filled
    std::string displayName; ///< the member name as the message server writes it
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
