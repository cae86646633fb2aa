#include "data/ZRKInventory.h"

#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

void ZRKInventory::assign(const Json::Value* reply)
{
    mReply = reply;
    mItems.clear();
    mMade = false;
}

void ZRKInventory::clear()
{
    mReply = nullptr;
    mItems.clear();
    mMade = true;
}

const std::vector<core::XmlConfigHelper>& ZRKInventory::items() const
{
    if (mMade)
        return mItems;
    mMade = true;
    const Json::Value& items = mReply ? ZRKJson::member(*mReply, "items") : Json::Value::nullSingleton();
    if (items.isArray())
        for (const Json::Value& item : items)
            if (item.isObject())
                mItems.push_back(ZRKJson::toView(item));
    return mItems;
}

int ZRKInventory::bagItems(int bag, std::list<core::XmlConfigHelper>& out) const
{
    int count = 0;
    for (const core::XmlConfigHelper& item : items())
        if (item.getIntVal("bag", -1) == bag) {
            out.push_back(item);
            ++count;
        }
    return count;
}

} // namespace zrk
} // namespace kavri3D
