#pragma once
#include <cstdint>
#include <vector>
#include "land/PropState.h"

namespace kavri3D {
namespace zrk {

class LandItems;

/// A doll's six prop slots (keys Z X C V B use the first five).
class PropBag {
public:
    static constexpr int kSlots = 6;
    static constexpr std::uint32_t kNotFound = 0xFFFFFFFFu;
    /// The most of one prop a slot holds.
    static constexpr int kMostInSlot = 999;
    /// A count the room gives, held to 1 .. kMostInSlot.
    static int carried(int count) { return count < 1 ? 1 : count > kMostInSlot ? kMostInSlot : count; }

    explicit PropBag(const LandItems* items = nullptr) : mSlots(kSlots), mItems(items) {}

    std::vector<PropState>& getSlots() { return mSlots; }
    const std::vector<PropState>& getSlots() const { return mSlots; }
    PropState* at(int index);
    /// The slot holding the item of that name or id; kNotFound when none holds it.
    std::uint32_t findItemByName(const std::string& name) const;
    /// One more of the item (by id) in its slot or the first free one; the slot, or -1
    /// when the bag is full or the item is unknown.
    int addLocalItem(int itemId);
    int addItem(const std::string& id, int count);
    bool hasEffect(int effectBits) const;

private:
    std::vector<PropState> mSlots;
    const LandItems* mItems;
};

} // namespace zrk
} // namespace kavri3D
