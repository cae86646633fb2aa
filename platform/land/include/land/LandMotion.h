#pragma once
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// How the sims move each step: the own doll's keys, walking on the ground at the cost of
/// energy, turning, pitching and charging, falling, and drowning in the water.
class LandMotion {
public:
    explicit LandMotion(ZRKLand& land) : mLand(land) {}
    LandMotion(const LandMotion&) = delete;
    LandMotion& operator=(const LandMotion&) = delete;

    /// The keys pressed since the last step, for the own doll.
    void readKeys(ZRKPlayerSim& doll);
    /// One step of the doll: it falls, lies down, or walks, turns and charges on its turn.
    void stepDoll(ZRKPlayerSim& doll);
    /// The sim falls to the ground (or the water holds it up); under the water it drowns.
    void settle(ZRKBasicSim& sim);

private:
    ZRKLand& mLand;
};

} // namespace zrk
} // namespace kavri3D
