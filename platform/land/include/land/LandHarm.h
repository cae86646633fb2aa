#pragma once
#include <string>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// Harm and help: damage and its fury, going down (a pacemaker brings its holder back),
/// death by hit or by water, healing and revival.
class LandHarm {
public:
    explicit LandHarm(ZRKLand& land) : mLand(land) {}
    LandHarm(const LandHarm&) = delete;
    LandHarm& operator=(const LandHarm&) = delete;

    void damage(ZRKBasicSim& target, int amount, const std::string& hitter, int flags);
    void kill(ZRKBasicSim& target, const std::string& killer, bool drowned);
    void heal(ZRKBasicSim& target, int amount, const std::string& type);
    void gainFury(ZRKBasicSim& sim, int amount);
    /// As ZRKLand::reviveDoll.
    bool revive(const std::string& id, bool fullHealth, bool notify);

private:
    void goDown(ZRKBasicSim& target, const std::string& hitter);

    ZRKLand& mLand;
};

} // namespace zrk
} // namespace kavri3D
