#include "server/ZRKItemAttributes.h"

namespace kavri3D {
namespace zrk {

const std::vector<ZRKItemAttributes::Attribute>& ZRKItemAttributes::all()
{
    static const std::vector<Attribute> attributes = {
        {"ic_id", false},          {"isc_id", false},          {"c_id", false},         {"i_quality", false},
        {"i_name", true},          {"i_desc", true},           {"i_add_str", false},    {"i_add_str_pt", false},
        {"i_add_vit", false},      {"i_add_vit_pt", false},    {"i_add_dex", false},    {"i_add_luk", false},
        {"i_add_sp", false},       {"i_add_fsp", false},       {"i_add_amr", false},    {"i_target", false},
        {"i_sp_use", false},       {"i_hit_times", false},     {"i_shell_num", false},  {"i_angle_max", false},
        {"i_angle_min", false},    {"i_wind_offset", false},   {"i_shot_range", false}, {"i_speed", false},
        {"i_hit_range", false},    {"i_dmg_min", false},       {"i_dmg_max", false},    {"i_damage_continue", false},
        {"i_dmg_delay", false},    {"i_add_hp", false},        {"i_add_hp_pt", false},  {"i_add_angry", false},
        {"i_add_angry_pt", false}, {"i_add_crit", false},      {"i_kf", false},         {"i_kf_angle", false},
        {"i_roll", false},         {"i_shot_shells", false},   {"i_invisible", false},  {"i_visible", false},
        {"i_cd_time", false},      {"i_continue_time", false}, {"i_delay_time", false}, {"i_bet", false},
        {"i_effect", false},       {"i_no_wind", false},       {"i_use_time", false},   {"i_call_support", false},
        {"i_no_terrain", false},   {"i_weight", false},        {"ca_id", false},        {"i_resist1", false},
        {"i_resist2", false},      {"i_resist3", false},       {"i_add_effect", false}, {"i_add_effect_t", false},
        {"i_field1", false},       {"i_field2", false},        {"i_ext1", true},        {"i_ext2", true},
        {"i_ext3", true}};
    return attributes;
}

Json::Value ZRKItemAttributes::complete(const Json::Value& item)
{
    Json::Value out = item.isObject() ? item : Json::Value(Json::objectValue);
    for (const Attribute& a : all()) {
        const Json::Value& v = out[a.name];
        if (a.text && !v.isString())
            out[a.name] = "";
        else if (!a.text && !v.isInt())
            out[a.name] = 0;
    }
    return out;
}

} // namespace zrk
} // namespace kavri3D
