#pragma once
#include <json/json.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// One entry of the player's friend roster as the server described it ("fuid", "group",
/// "nick", "f_pc_id", "f_cid", "f_lv", "f_rank", "f_blue", "pep"), read through its settings
/// view; a value of the wrong type reads as the reader's default.
class ZRKRosterItem {
public:
    ZRKRosterItem() = default;
    explicit ZRKRosterItem(const Json::Value& item);

    const core::XmlConfigHelper& getView() const { return mView; }

private:
    core::XmlConfigHelper mView;
};

} // namespace zrk
} // namespace kavri3D
