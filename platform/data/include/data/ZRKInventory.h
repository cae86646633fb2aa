#pragma once
#include <json/json.h>
#include <list>
#include <vector>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The items a player holds, each a record with its bag number ("bag") and slot ("slot").
class ZRKInventory {
public:
    /// Takes the items of an inventory reply ({"items": [...]}); anything else is empty.
    void assign(const Json::Value& reply);
    void clear() { mItems.clear(); }

    const std::vector<core::XmlConfigHelper>& items() const { return mItems; }
    /// Appends the items of one bag, in slot order as held; returns how many.
    int bagItems(int bag, std::list<core::XmlConfigHelper>& out) const;

private:
    std::vector<core::XmlConfigHelper> mItems;
};

} // namespace zrk
} // namespace kavri3D
