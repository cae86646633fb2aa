#pragma once
#include <string>
#include <vector>
#include "data/WeaponInfo.h"

namespace kavri3D {
namespace zrk {

/// The weapons the client knows, looked up by id.
class WeaponConfig {
public:
    virtual ~WeaponConfig();
    /// The weapon of an id given as text; empty when there is none.
    virtual WeaponInfoPtr findWeapon(const std::string& id) const = 0;
    /// The index of the first animation of that kind ('a', ...) and variant; -1 when none.
    static int findAnimation(const std::vector<WeaponInfo::Animation>& animations, int kind, int variant);
};

} // namespace zrk
} // namespace kavri3D
