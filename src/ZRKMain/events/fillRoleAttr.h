#pragma once
#include <gui/RoleAttr.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// Fills a player's record from a user-info tree (own, another player's, a seat's). Missing or
/// unreadable values read as 0 or ""; the member name and the two unfilled fields are left as
/// they are. Never throws.
void fillRoleAttr(gui::RoleAttr& attr, const core::XmlConfigHelper& info);

/// The membership level and yearly flag packed in a "pc_blue_drill" word.
void readBlueDrill(int word, std::int32_t& level, std::int32_t& yearly);

/// "pc_stats" as a list of ints: the elements of a JSON array, in order, any that is no
/// number counting as 0; anything but an array gives an empty list.
std::vector<std::int32_t> readStats(const std::string& text);

} // namespace zrk
} // namespace kavri3D
