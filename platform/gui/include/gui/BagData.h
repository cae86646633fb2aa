#pragma once
#include <cstdint>
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One inventory item for the GUI. The instance part (up to attr_x) is the item in the
/// player's bag; the template part (from ic_id) is the item kind from the item library,
/// filled by EquipRes::fillItemRecord. Copied by value.
struct BagData {
    // Instance part.
    std::int32_t pci_slot = 0;
    std::int32_t i_id = 0; // 0 marks an empty slot
    std::int32_t pc_id = 0;
    std::int32_t pci_num = 0;
    std::int32_t pci_lv = 0;
    std::int32_t pci_bind = 0;
    std::int32_t pci_buy_time = -1; // -1: no purchase time
    std::int32_t pci_expiry_day = 0;
    std::int32_t inventory_time = 0;
    std::int32_t pci_str = 0;
    std::int32_t pci_luck = 0;
    std::int32_t pci_dex = 0;
    std::int32_t pci_vit = 0;
    std::int32_t mix_times = 0;
    std::int32_t mix_max = 0;
    std::int32_t enh_f = 0;
    std::string attr_x;

    // Template part.
    std::int32_t ic_id = 0;
    std::int32_t isc_id = 0;
    std::int32_t c_id = 0;
    std::int32_t i_quality = 0;
    std::string i_name;
    std::string i_desc;
    std::int32_t i_reserved1 = 0; // no item attribute fills these two
    std::int32_t i_reserved2 = 0;
    std::int32_t i_add_vit = 0;
    std::int32_t i_add_vit_pt = 0;
    std::int32_t i_add_dex = 0;
    std::int32_t i_add_luk = 0;
    std::int32_t i_add_sp = 0;
    std::int32_t i_add_fsp = 0;
    std::int32_t i_add_amr = 0;
    std::int32_t i_target = 0;
    std::int32_t i_sp_use = 0;
    std::int32_t i_hit_times = 0;
    std::int32_t i_shell_num = 0;
    std::int32_t i_angle_max = 0;
    std::int32_t i_angle_min = 0;
    std::int32_t i_wind_offset = 0;
    std::int32_t i_shot_range = 0;
    std::int32_t i_speed = 0;
    std::int32_t i_hit_range = 0;
    std::int32_t i_dmg_min = 0;
    std::int32_t i_dmg_max = 0;
    std::int32_t i_damage_continue = 0;
    std::int32_t i_dmg_delay = 0;
    std::int32_t i_add_hp = 0;
    std::int32_t i_add_hp_pt = 0;
    std::int32_t i_add_str = 0;
    std::int32_t i_add_str_pt = 0;
    std::int32_t i_add_angry = 0;
    std::int32_t i_add_angry_pt = 0;
    std::int32_t i_add_crit = 0;
    std::int32_t i_kf = 0;
    std::int32_t i_kf_angle = 0;
    std::int32_t i_roll = 0;
    std::int32_t i_shot_shells = 0;
    std::int32_t i_invisible = 0;
    std::int32_t i_visible = 0;
    std::int32_t i_cd_time = 0;
    std::int32_t i_continue_time = 0;
    std::int32_t i_delay_time = 0;
    std::int32_t i_bet = 0;
    std::int32_t i_effect = 0;
    std::int32_t i_no_wind = 0;
    std::int32_t i_use_time = 0;
    std::int32_t i_call_support = 0;
    std::int32_t i_no_terrain = 0;
    std::int32_t i_weight = 0;
    std::int32_t ca_id = 0;
    std::int32_t i_resist1 = 0;
    std::int32_t i_resist2 = 0;
    std::int32_t i_resist3 = 0;
    std::int32_t i_add_effect = 0;
    std::int32_t i_add_effect_t = 0;
    std::int32_t i_field1 = 0;
    std::int32_t i_field2 = 0;
    std::string i_ext1;
    std::string i_ext2;
    std::string i_ext3;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
