#pragma once
#include <vector>
#include "land/WeaponState.h"

namespace kavri3D {
namespace zrk {

/// A doll's nine weapon slots and the cool-down of the one in hand.
class WeaponBag {
public:
    static constexpr int kSlots = 9;

    WeaponBag() : mSlots(kSlots) {}

    std::vector<WeaponState>& getSlots() { return mSlots; }
    const std::vector<WeaponState>& getSlots() const { return mSlots; }
    WeaponState* at(int index);
    /// Whole seconds before the weapon in hand may fire again (0: ready).
    int getCD() const;
    float getCDSeconds() const { return mCd; }
    void setCDSeconds(float seconds) { mCd = seconds > 0.0f ? seconds : 0.0f; }
    /// The first slot with a weapon at or after index; -1 when all are empty.
    int firstArmed(int from) const;

private:
    std::vector<WeaponState> mSlots;
    float mCd = 0.0f;
};

} // namespace zrk
} // namespace kavri3D
