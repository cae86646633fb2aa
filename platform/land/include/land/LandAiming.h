#pragma once
#include <string>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// Aiming: whether a flight reaches a target over the ground, the launch velocity that does,
/// and whom the own doll's sight falls on. It reads the land and changes nothing.
class LandAiming {
public:
    explicit LandAiming(const ZRKLand& land) : mLand(land) {}
    LandAiming(const LandAiming&) = delete;
    LandAiming& operator=(const LandAiming&) = delete;

    /// Whether an aiming argument is finite and within the bounds the land accepts.
    static bool finiteAim(const yake::math::Vector3& v);

    /// As ZRKLand::_targetUnderTrajectory.
    int targetUnderTrajectory(const yake::math::Vector3& gun, const yake::math::Vector3& target, float pitch,
                              float speed) const;
    /// As ZRKLand::_calcProjectileV.
    bool projectileVelocity(ZRKBasicSim* sim, const std::string& weapon, float pitch, float muzzle,
                            const yake::math::Vector3& gun, const yake::math::Vector3& target, bool wind,
                            yake::math::Vector3& velocity) const;
    /// As ZRKLand::_hitPlayerByRay.
    std::string hitByRay() const;

private:
    const ZRKLand& mLand;
};

} // namespace zrk
} // namespace kavri3D
