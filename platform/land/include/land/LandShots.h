#pragma once
#include <map>
#include <string>
#include <vector>
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// Shots and shells: a doll's or NPC's shot, its shells in the air step by step under
/// gravity and wind, where each lands (a body or the ground) and what its blast does, and the
/// shot's end (hits, the run of hitting turns and its energy).
class LandShots {
public:
    explicit LandShots(ZRKLand& land) : mLand(land) {}
    LandShots(const LandShots&) = delete;
    LandShots& operator=(const LandShots&) = delete;

    /// The doll's shot with its current weapon; false (with the doll's status telling why)
    /// when it has no shell or the weapon is cooling down.
    bool fire(ZRKPlayerSim& doll);
    /// As ZRKLand::fireNpc.
    bool fireNpc(ZRKNpcSim& npc, int pitch, float share);
    /// As ZRKLand::launchShell.
    int launch(const std::string& owner, const yake::math::Vector3& from, const yake::math::Vector3& velocity);
    /// One step of every shell in the air; the shells that land go off.
    void step();
    /// No shell flies any more and no shot is waited for (the battle was decided).
    void clear();
    /// Whether the shot still has shells in the air.
    bool hasShot(int shot) const { return mShots.count(shot) > 0; }
    /// How fast the weapon's shell leaves at full charge.
    static float weaponSpeed(const WeaponState& w);

    const std::vector<ZRKLand::Shell>& shells() const { return mShells; }
    std::vector<ZRKLand::Blast> takeBlasts();
    std::map<std::string, ZRKLand::ComboBullet>& combos() { return mCombos; }
    const std::map<std::string, ZRKLand::ComboBullet>& combos() const { return mCombos; }
    int botShots() const { return mBotShots; }
    int botHits() const { return mBotHits; }

private:
    struct ShotRecord {
        std::string owner;
        int shells = 0;
        int flags = 0; ///< HitFlag bits of what it did
        bool hurtEnemy = false;
        bool bot = false;
    };

    /// A shell of the weapon leaving `from` at `velocity`, counted as in the air.
    ZRKLand::Shell makeShell(const std::string& owner, int shot, WeaponState& w, const yake::math::Vector3& from,
                             const yake::math::Vector3& velocity, int flags, float multiplier, bool wind);
    void explode(const ZRKLand::Shell& shell, const yake::math::Vector3& at, const std::string& direct);
    void finishShot(int shot);

    ZRKLand& mLand;
    std::vector<ZRKLand::Shell> mShells;
    std::map<int, ShotRecord> mShots;
    std::vector<ZRKLand::Blast> mBlasts;
    int mNextShell = 1;
    int mNextShot = 1;
    int mBotShots = 0;
    int mBotHits = 0;
    std::map<std::string, ZRKLand::ComboBullet> mCombos;
};

} // namespace zrk
} // namespace kavri3D
