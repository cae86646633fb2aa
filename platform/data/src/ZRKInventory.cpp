#include "data/ZRKInventory.h"

#include <algorithm>
#include <map>
#include "data/ZRKBagLayout.h"
#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

namespace {

long number(const Json::Value& v, long low, long high, long def)
{
    return static_cast<long>(ZRKJson::number(v, low, high, def, "an inventory value"));
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

void ZRKInventory::addItem(const core::XmlConfigHelper& item)
{
    items(); // the reply's items first, so the lent one follows them
    core::XmlConfigHelper copy = ZRKJson::toView(ZRKJson::fromView(item));
    if (copy.getIntVal("bag", -1) < 0)
        copy.setIntVal("bag", ZRKBagLayout::bagOf(copy.getIntVal("pci_slot", -1)));
    mItems.push_back(copy);
}

int ZRKInventory::removeItemByLID(const std::string& lid, int bag)
{
    items();
    if (lid.empty())
        return 0;
    const std::size_t before = mItems.size();
    mItems.erase(std::remove_if(mItems.begin(), mItems.end(),
                                [&](const core::XmlConfigHelper& i) {
                                    return i.getStringVal(getLIDKey(), "") == lid &&
                                           (bag == -1 || i.getIntVal("bag", -1) == bag);
                                }),
                 mItems.end());
    return static_cast<int>(before - mItems.size());
}

int ZRKInventory::bagItems(int bag, std::list<core::XmlConfigHelper>& out) const
{
    std::list<core::XmlConfigHelper> found;
    for (const core::XmlConfigHelper& item : items())
        if (item.getIntVal("bag", -1) == bag)
            found.push_back(item);
    // Items lent later come after the reply's; the bag still reads in slot order.
    found.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    const int count = static_cast<int>(found.size());
    out.splice(out.end(), found);
    return count;
}

} // namespace zrk
} // namespace kavri3D
