#include "data/WeaponConfig.h"

namespace kavri3D {
namespace zrk {

WeaponConfig::~WeaponConfig() = default;

int WeaponConfig::findAnimation(const std::vector<WeaponInfo::Animation>& animations, int kind, int variant)
{
    for (std::size_t i = 0; i < animations.size(); ++i)
        if (animations[i].kind == kind && animations[i].variant == variant)
            return static_cast<int>(i);
    return -1;
}

} // namespace zrk
} // namespace kavri3D
