#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include <core/RandomNumber.h>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// The crates on the ground: put at a map node or a place, or fallen from the sky at a turn
/// change as the map's "crates" record says, picked up by the first standing doll to walk
/// onto one (shells refill the limited weapons, anything else heals), marked for the radar.
/// What falls where is drawn from the battle's seed alone, apart from the land's own draws,
/// so every client of the battle sees the same crates at the same turn.
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
    /// The battle's seed: the crates' draws start afresh from it.
    void seed(std::uint64_t seed);
    /// A turn change: the map's crates may fall, up to its most on the field.
    void drop(int turn);

private:
    struct Crate {
        ZRKSceneItem item;
        yake::math::Vector3 position;
    };

    ZRKLand& mLand;
    core::RandomNumber mRandom;
    std::map<std::string, Crate> mCrates;
    std::vector<ZRKLand::CrateMark> mCrateMarks;
};

} // namespace zrk
} // namespace kavri3D
