#pragma once
#include <string>
#include "data/WeaponConfig.h"
#include "data/ZRKDataLib.h"

namespace kavri3D {
namespace zrk {

/// The weapon library ("lib/weapon"): per weapon id {"name", "model", "enh" (enhancement level
/// to model), "animations" ([{"name", "kind" ("a"...), "variant"}])}. Records the server sent
/// broken give no weapon or leave the broken part out.
class ZRKWeaponLib : public ZRKDataLib, public WeaponConfig {
public:
    /// Bounds on what one record may hold, so a hostile library cannot make a huge weapon.
    static const unsigned kMaxAnimations = 32;
    static const unsigned kMaxLevels = 32;

    ZRKWeaponLib();

    WeaponInfoPtr findWeapon(const std::string& id) const override;
    /// The model the weapon shows at an enhancement level: that of the highest level listed at
    /// or below it, else its own; empty for no weapon.
    static std::string getEnhWeaponPID(const WeaponInfoPtr& weapon, int level);
};

} // namespace zrk
} // namespace kavri3D
