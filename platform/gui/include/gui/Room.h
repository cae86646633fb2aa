#pragma once
#include <CEGUI/String.h>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One game room row of the hall's room list.
struct Room {
    int id = 0;
    int members = 0;
    int seats = 0;
    CEGUI::String title;
    CEGUI::String reserved1; ///< not filled by the game
    CEGUI::String name;      ///< what joining the room enters
    int mode = 0;
    bool password = false;
    bool fight = false;
    int lv = 0;
    std::string reserved2; ///< not filled by the game
    int g_red_id = 0;
    int g_green_id = 0;
    bool g_war = false;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
