#include "land/WeaponState.h"

#include <algorithm>

namespace kavri3D {
namespace zrk {

void WeaponState::setCount(int count)
{
    const int most = shellMax > 0 ? shellMax : 9999;
    mCount = std::min(std::max(count, 0), most);
}

} // namespace zrk
} // namespace kavri3D
