#pragma once
#include <cstdint>
#include <list>
#include <string>
#include <util/XmlConfigHelper.h>
#include <vector>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One player's attributes as the GUI shows them (own character, room seats, hall lists,
/// profiles). Filled by fillRoleAttr from the player's user-info tree; copied by value.
struct RoleAttr {
    std::int32_t pc_id = 0;
    std::int32_t a_id = 0;
    std::int32_t c_id = 0; // 1: the "boy" look, anything else the "girl" look
    std::string pc_nickname;
    std::string member_name; // the name on the message server; set by the lists that know it
    std::int32_t pc_lv = 0;
    std::int32_t pc_rank = 0;
    std::int32_t pc_money1 = 0;
    std::int32_t pc_money2 = 0;
    std::int32_t pc_money3 = 0;
    std::int32_t pc_score = 0;
    std::int32_t nextscore = 0;
    std::int32_t pc_exp = 0;
    std::int32_t maxexp = 0;
    std::int32_t pc_str2 = 0; // the GUI reads strength from both places
    std::int32_t pc_vit = 0;
    std::int32_t pc_hp = 0;
    std::int32_t pc_str = 0;
    std::int32_t pc_def = 0;
    std::int32_t pc_dex = 0;
    std::int32_t pc_luk = 0;
    std::int32_t pc_stp2 = 0; // the GUI reads the stat points from both places
    std::int32_t pc_sp = 0;
    std::int32_t pc_fsp = 0;
    std::int32_t pc_stp = 0;
    std::int32_t pc_weapon_slot = 0;
    std::int32_t pc_bag_slot = 0;
    std::int32_t pc_streval = 0;
    std::int32_t pc_fpdone = 0;
    std::int32_t pc_vip = 0;
    std::int32_t blue_level = 0; // membership level, from "pc_blue_drill"
    std::int32_t blue_year = 0;  // 1 for a yearly membership
    std::int32_t pc_load0 = 0;
    std::int32_t pc_load1 = 0;
    std::int32_t pc_ca = 0;
    std::list<std::int32_t> extra; // nothing fills it
    std::vector<std::int32_t> pc_stats;
    core::XmlConfigHelper settings; // nothing fills it
    core::XmlConfigHelper info;     // a copy of the user-info tree the record was filled from
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
