#include "land/ZRKBattleState.h"

#include <algorithm>

namespace kavri3D {
namespace zrk {

void ZRKBattleState::clamp()
{
    xhp = std::max(xhp, 0);
    xsp = std::max(xsp, 0);
    xfury = std::max(xfury, 0);
    hp = std::min(std::max(hp, 0), xhp);
    sp = std::min(std::max(sp, 0), xsp);
    fury = std::min(std::max(fury, 0), xfury);
}

} // namespace zrk
} // namespace kavri3D
