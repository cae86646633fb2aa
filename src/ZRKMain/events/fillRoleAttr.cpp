#include "events/fillRoleAttr.h"

#include <data/ZRKJson.h>
#include <json/json.h>

namespace kavri3D {
namespace zrk {

namespace {

// A stats list is a few dozen numbers; anything far larger is no stats list.
const std::size_t kMaxStatsText = 64 * 1024;

typedef std::int32_t gui::RoleAttr::*IntField;

// The int fields in the order they are read; both copies of strength and stat points included.
const struct {
    const char* key;
    IntField field;
} kIntFields[] = {
    {"pc_id", &gui::RoleAttr::pc_id},
    {"a_id", &gui::RoleAttr::a_id},
    {"c_id", &gui::RoleAttr::c_id},
    {"pc_lv", &gui::RoleAttr::pc_lv},
    {"pc_rank", &gui::RoleAttr::pc_rank},
    {"pc_money1", &gui::RoleAttr::pc_money1},
    {"pc_money2", &gui::RoleAttr::pc_money2},
    {"pc_money3", &gui::RoleAttr::pc_money3},
    {"pc_score", &gui::RoleAttr::pc_score},
    {"nextscore", &gui::RoleAttr::nextscore},
    {"pc_exp", &gui::RoleAttr::pc_exp},
    {"maxexp", &gui::RoleAttr::maxexp},
    {"pc_hp", &gui::RoleAttr::pc_hp},
    {"pc_str", &gui::RoleAttr::pc_str},
    {"pc_str", &gui::RoleAttr::pc_str2},
    {"pc_vit", &gui::RoleAttr::pc_vit},
    {"pc_def", &gui::RoleAttr::pc_def},
    {"pc_dex", &gui::RoleAttr::pc_dex},
    {"pc_luk", &gui::RoleAttr::pc_luk},
    {"pc_sp", &gui::RoleAttr::pc_sp},
    {"pc_fsp", &gui::RoleAttr::pc_fsp},
    {"pc_stp", &gui::RoleAttr::pc_stp},
    {"pc_weapon_slot", &gui::RoleAttr::pc_weapon_slot},
    {"pc_bag_slot", &gui::RoleAttr::pc_bag_slot},
    {"pc_stp", &gui::RoleAttr::pc_stp2},
    {"pc_load0", &gui::RoleAttr::pc_load0},
    {"pc_load1", &gui::RoleAttr::pc_load1},
    {"pc_ca", &gui::RoleAttr::pc_ca},
    {"pc_streval", &gui::RoleAttr::pc_streval},
    {"pc_fpdone", &gui::RoleAttr::pc_fpdone},
    {"pc_vip", &gui::RoleAttr::pc_vip},
};

} // namespace

void readBlueDrill(int word, std::int32_t& level, std::int32_t& yearly)
{
    level = 0;
    yearly = 0;
    if ((word & 0xF00) == 0)
        return;
    if ((word & 0xF0) != 0) {
        yearly = 1;
        level = (word & 0xF) != 0 ? (word & 0xF) + 10 : 0;
    } else {
        level = word & 0xF;
    }
}

std::vector<std::int32_t> readStats(const std::string& text)
{
    std::vector<std::int32_t> stats;
    if (text.empty() || text.size() > kMaxStatsText)
        return stats;
    const Json::Value parsed = ZRKJson::parse(text);
    if (!parsed.isArray())
        return stats;
    for (Json::ArrayIndex i = 0; i < parsed.size(); ++i) {
        const Json::Value& element = parsed[i];
        // Position counts: an element that is no number still takes its place.
        stats.push_back(element.isConvertibleTo(Json::intValue) ? element.asInt() : 0);
    }
    return stats;
}

void fillRoleAttr(gui::RoleAttr& attr, const core::XmlConfigHelper& info)
{
    // A copy of its own, so that the record outlives and never follows the source tree.
    core::XmlConfigHelper copy;
    copy.merge(info, info.getSection());
    attr.info = core::XmlConfigHelper(copy.getConfiguration(), info.getSection());

    for (const auto& entry : kIntFields)
        attr.*entry.field = info.getIntVal(entry.key, 0);
    attr.pc_nickname = info.getStringVal("pc_nickname", "");
    readBlueDrill(info.getIntVal("pc_blue_drill", 0), attr.blue_level, attr.blue_year);
    attr.pc_stats = readStats(info.getStringVal("pc_stats", ""));
}

} // namespace zrk
} // namespace kavri3D
