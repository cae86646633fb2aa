#pragma once
#include <map>
#include <string>
#include <vector>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// The crates on the ground: put at a map node or a place, picked up by the first standing
/// doll to walk onto one (shells refill the limited weapons, anything else heals), marked
/// for the radar.
class LandCrates {
public:
    explicit LandCrates(ZRKLand& land) : mLand(land) {}
    LandCrates(const LandCrates&) = delete;
    LandCrates& operator=(const LandCrates&) = delete;

    /// As ZRKLand::_addCrate.
    bool add(const std::string& id, const ZRKSceneItem& item, const std::string& where);
    bool has(const std::string& id) const { return mCrates.count(id) > 0; }
    /// The marks again from the crates on the ground.
    void updateMarks();
    const ZRKLand::CrateMark* mark(const std::string& id) const;
    const std::vector<ZRKLand::CrateMark>& marks() const { return mCrateMarks; }
    /// Dolls standing on a crate pick it up.
    void pick();

private:
    struct Crate {
        ZRKSceneItem item;
        yake::math::Vector3 position;
    };

    ZRKLand& mLand;
    std::map<std::string, Crate> mCrates;
    std::vector<ZRKLand::CrateMark> mCrateMarks;
};

} // namespace zrk
} // namespace kavri3D
