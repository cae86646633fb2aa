#include "land/WeaponBag.h"

#include <cmath>

namespace kavri3D {
namespace zrk {

WeaponState* WeaponBag::at(int index)
{
    if (index < 0 || index >= static_cast<int>(mSlots.size()))
        return nullptr;
    return &mSlots[static_cast<std::size_t>(index)];
}

int WeaponBag::getCD() const { return static_cast<int>(std::ceil(mCd - 1e-4f)); }

int WeaponBag::firstArmed(int from) const
{
    const int n = static_cast<int>(mSlots.size());
    for (int k = 0; k < n; ++k) {
        const WeaponState& w = mSlots[static_cast<std::size_t>((from + k + n) % n)];
        if (!w.empty() && (!w.limited || w.getCount() > 0))
            return (from + k + n) % n;
    }
    return -1;
}

} // namespace zrk
} // namespace kavri3D
