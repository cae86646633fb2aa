#include "data/ZRKInventory.h"

#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

void ZRKInventory::assign(const Json::Value& reply)
{
    mItems.clear();
    const Json::Value& items = ZRKJson::member(reply, "items");
    if (!items.isArray())
        return;
    for (const Json::Value& item : items)
        if (item.isObject())
            mItems.push_back(ZRKJson::toView(item));
}

int ZRKInventory::bagItems(int bag, std::list<core::XmlConfigHelper>& out) const
{
    int count = 0;
    for (const core::XmlConfigHelper& item : mItems)
        if (item.getIntVal("bag", -1) == bag) {
            out.push_back(item);
            ++count;
        }
    return count;
}

} // namespace zrk
} // namespace kavri3D
