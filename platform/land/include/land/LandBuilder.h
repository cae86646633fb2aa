#pragma once
#include <set>
#include <string>
#include "land/LandSetup.h"
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// Builds a battle from its setup and map: the ground and its nodes, a doll for each seat
/// with its weapons and props on its side's spawn, the map's NPCs and its items.
class LandBuilder {
public:
    explicit LandBuilder(ZRKLand& land) : mLand(land) {}
    LandBuilder(const LandBuilder&) = delete;
    LandBuilder& operator=(const LandBuilder&) = delete;

    bool build();
    /// A doll for the seat, in the turn order by its seat and placed on its spawn.
    ZRKPlayerSim* addDoll(const LandSetup::Seat& seat);
    void buildWeapons(ZRKPlayerSim& doll, const LandSetup::Seat& seat);
    /// The weapon of the item record, defaults filled in.
    void buildWeapon(WeaponState& w, const std::string& id);

private:
    void buildProps(ZRKPlayerSim& doll, const LandSetup::Seat& seat);
    void buildNpcs();
    /// One NPC of a wave's list (its `index` there); none when it has no place or its name is
    /// taken by an NPC of any wave.
    ZRKNpcSim* buildNpc(const Json::Value& record, int index, std::set<std::string>& names);
    void placeOnSpawn(ZRKPlayerSim& doll);

    ZRKLand& mLand;
};

} // namespace zrk
} // namespace kavri3D
