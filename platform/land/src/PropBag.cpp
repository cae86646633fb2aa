#include "land/PropBag.h"

#include "land/LandItems.h"

namespace kavri3D {
namespace zrk {

PropState* PropBag::at(int index)
{
    if (index < 0 || index >= static_cast<int>(mSlots.size()))
        return nullptr;
    return &mSlots[static_cast<std::size_t>(index)];
}

std::uint32_t PropBag::findItemByName(const std::string& name) const
{
    if (name.empty())
        return kNotFound;
    for (std::size_t i = 0; i < mSlots.size(); ++i)
        if (!mSlots[i].empty() && (mSlots[i].name == name || mSlots[i].id == name))
            return static_cast<std::uint32_t>(i);
    return kNotFound;
}

bool PropBag::hasEffect(int effectBits) const
{
    for (const PropState& p : mSlots)
        if (!p.empty() && (p.effect & effectBits))
            return true;
    return false;
}

int PropBag::addLocalItem(int itemId)
{
    const std::string id = std::to_string(itemId);
    if (itemId <= 0 || !mItems || !mItems->has(id))
        return -1;
    return addItem(id, 1);
}

int PropBag::addItem(const std::string& id, int count)
{
    if (id.empty() || count <= 0)
        return -1;
    int freeSlot = -1;
    for (std::size_t i = 0; i < mSlots.size(); ++i) {
        if (mSlots[i].id == id && mSlots[i].count > 0) {
            mSlots[i].count += count;
            return static_cast<int>(i);
        }
        if (freeSlot < 0 && mSlots[i].empty())
            freeSlot = static_cast<int>(i);
    }
    if (freeSlot < 0)
        return -1;
    PropState p;
    p.id = id;
    p.count = count;
    if (mItems) {
        LandRecord r = mItems->record(id);
        p.name = r.getString("i_name", id);
        p.effect = r.getInt("i_effect", 0, 0, 0x7fffffff);
        p.hp = r.getInt("i_hp", 0, -100000, 100000);
        p.sp = r.getInt("i_sp", 0, -100000, 100000);
        p.fury = r.getInt("i_fury", 0, -100000, 100000);
        p.delay = r.getInt("i_delay", 20, 0, 10000);
    }
    mSlots[static_cast<std::size_t>(freeSlot)] = p;
    return freeSlot;
}

} // namespace zrk
} // namespace kavri3D
