#include "data/ZRKInventory.h"

#include <map>
#include "data/ZRKBagLayout.h"
#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

namespace {

/// A whole number of the reply within [low, high]; `def` for anything else.
long number(const Json::Value& v, long low, long high, long def)
{
    if (!v.isIntegral())
        return def;
    const Json::LargestInt n = v.asLargestInt();
    return n < low || n > high ? def : static_cast<long>(n);
}

/// The slot ranges that hold one record each, in slot order: worn, weapon bags, props.
const std::pair<int, int> kFixedRanges[] = {{1, 12}, {21, 29}, {31, 39}, {41, 49}, {51, 60}};

} // namespace

void ZRKInventory::assign(const Json::Value* reply)
{
    mReply = reply;
    mItems.clear();
    mMade = false;
    const Json::Value& r = reply && reply->isObject() ? *reply : Json::Value::nullSingleton();
    mTime = number(ZRKJson::member(r, "time"), 0, Json::Value::maxLargestInt, 0);
    mBagSlots = static_cast<int>(number(ZRKJson::member(r, "pc_bag_slot"), 0, ZRKBagLayout::kMainSize, 0));
    mPcId = static_cast<int>(number(ZRKJson::member(r, "pc_id"), 0, Json::Value::maxInt, 0));
    mDirty.clear();
    addDirty(ZRKJson::member(r, "dirty"));
}

void ZRKInventory::addDirty(const Json::Value& dirty)
{
    if (dirty.isArray())
        for (const Json::Value& slot : dirty)
            if (ZRKBagLayout::bagOf(static_cast<int>(number(slot, 0, 1000, -1))) >= 0)
                mDirty.push_back(slot.asInt());
}

void ZRKInventory::clear()
{
    mReply = nullptr;
    mItems.clear();
    mMade = true;
    mTime = 0;
    mBagSlots = 0;
    mPcId = 0;
    mDirty.clear();
}

void ZRKInventory::dirtySlots(std::vector<int>& out, bool forget)
{
    out.insert(out.end(), mDirty.begin(), mDirty.end());
    if (forget)
        mDirty.clear();
}

bool ZRKInventory::isReadable() const { return mReply && ZRKJson::member(*mReply, "items").isArray(); }

int ZRKInventory::allSlots(std::list<core::XmlConfigHelper>& out) const
{
    if (!isReadable())
        return 0; // no bag known: no slots either
    std::map<int, const core::XmlConfigHelper*> bySlot;
    for (const core::XmlConfigHelper& item : items()) {
        const int slot = item.getIntVal("pci_slot", -1);
        bySlot.emplace(slot, &item); // the first item of a slot holds it
    }
    std::vector<std::pair<int, int>> ranges(std::begin(kFixedRanges), std::end(kFixedRanges));
    if (mBagSlots > 0)
        ranges.emplace_back(ZRKBagLayout::kMainFirst, ZRKBagLayout::kMainFirst + mBagSlots - 1);
    int count = 0;
    for (const auto& range : ranges)
        for (int slot = range.first; slot <= range.second; ++slot, ++count) {
            auto held = bySlot.find(slot);
            if (held != bySlot.end()) {
                out.push_back(*held->second);
                continue;
            }
            core::XmlConfigHelper empty;
            empty.setIntVal("pci_slot", slot);
            empty.setIntVal("bag", ZRKBagLayout::bagOf(slot));
            empty.setIntVal("i_id", 0);
            empty.setIntVal("pc_id", mPcId);
            empty.setIntVal("pci_num", 0);
            out.push_back(empty);
        }
    return count;
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
