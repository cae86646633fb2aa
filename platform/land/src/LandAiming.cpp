#include "land/LandAiming.h"

#include <algorithm>
#include <cmath>
#include "land/Ballistics.h"
#include "land/LandShots.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;

namespace {
constexpr float kPi = DollConstants::PI;
} // namespace

bool LandAiming::finiteAim(const Vector3& v)
{
    return v.isFinite() && std::fabs(v.x) <= DollConstants::AIM_LIMIT && std::fabs(v.y) <= DollConstants::AIM_LIMIT &&
           std::fabs(v.z) <= DollConstants::AIM_LIMIT;
}

int LandAiming::targetUnderTrajectory(const Vector3& gun, const Vector3& target, float pitch, float speed) const
{
    if (!finiteAim(gun) || !finiteAim(target) || !std::isfinite(pitch) || std::fabs(pitch) > kPi / 2 ||
        !std::isfinite(speed) || speed <= 0.0f || speed > DollConstants::AIM_LIMIT)
        return TRAJECTORY_TOO_FAR;
    const Vector3 accel = Ballistics::acceleration(Vector3::ZERO, false);
    Vector3 v;
    float flight = 0.0f;
    if (!Ballistics::solveLaunch(gun, target, pitch, accel, v, flight) || v.length() > speed * 1.0001f)
        return TRAJECTORY_TOO_FAR;
    // The last tenth of the flight comes down at the target: its own ground does not count.
    const HeightField& field = mLand.mField;
    const int samples = 32;
    for (int i = 1; i < samples * 9 / 10; ++i) {
        const Vector3 p = Ballistics::positionAt(gun, v, accel, flight * i / samples);
        if (field.inside(p.x, p.z) && field.getHeight(p.x, p.z) > p.y + 0.5f)
            return TRAJECTORY_BLOCKED;
    }
    return TRAJECTORY_REACHABLE;
}

bool LandAiming::projectileVelocity(ZRKBasicSim* sim, const std::string& weapon, float pitch, float muzzle,
                                    const Vector3& gun, const Vector3& target, bool wind, Vector3& velocity) const
{
    if (!finiteAim(gun) || !finiteAim(target) || !std::isfinite(pitch) || std::fabs(pitch) > kPi / 2 ||
        !std::isfinite(muzzle) || muzzle < 0.0f || muzzle > 100.0f)
        return false;
    const bool withWind = wind && !(sim && sim->isImmuneSet(IMMUNE_WIND));
    const Vector3 accel = Ballistics::acceleration(mLand.mWind, withWind);
    // The shell leaves at the muzzle, whose place depends on the direction: a few rounds settle it.
    Vector3 from = gun, v;
    float flight = 0.0f;
    for (int round = 0; round < 4; ++round) {
        if (!Ballistics::solveLaunch(from, target, pitch, accel, v, flight))
            return false;
        from = gun + v.normalisedCopy() * muzzle;
    }
    // A weapon the land knows cannot throw faster than its full charge.
    float most = 0.0f;
    if (ZRKPlayerSim* doll = sim ? mLand.getDoll(sim->getId()) : nullptr)
        for (const WeaponState& w : doll->mWeapons.getSlots())
            if (!w.empty() && w.name == weapon)
                most = LandShots::weaponSpeed(w);
    if (most <= 0.0f && mLand.mItems.has(weapon))
        most = mLand.mItems.record(weapon).getReal("i_speed", 120.0f, 1.0f, 10000.0f) *
               DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (most > 0.0f && v.length() > most * 1.0001f)
        return false;
    velocity = v;
    return true;
}

std::string LandAiming::hitByRay() const
{
    ZRKPlayerSim* me = mLand.getMyDoll();
    if (!me)
        return std::string();
    Vector3 gun;
    Quaternion orientation;
    me->getGunPoint(gun, orientation);
    const Vector3 dir = orientation * Vector3::UNIT_Z;
    const WeaponState* w =
        me->mWeapons.getSlots().size() > static_cast<std::size_t>(std::max(me->mPlayerBattle.weapon, 0))
            ? &me->mWeapons.getSlots()[static_cast<std::size_t>(std::max(me->mPlayerBattle.weapon, 0))]
            : nullptr;
    const float range = (w && !w->empty()) ? std::min(w->settings.getRealVal("i_shot_range", 400.0f), 2000.0f) : 400.0f;
    const float r2 = DollConstants::HIT_ACTOR_RADIUS * DollConstants::HIT_ACTOR_RADIUS;
    const HeightField& field = mLand.mField;
    for (float s = 0.0f; s <= range; s += 1.0f) {
        const Vector3 p = gun + dir * s;
        if (field.inside(p.x, p.z) && field.getHeight(p.x, p.z) > p.y)
            return std::string(); // the ground stops the sight
        for (const ZRKPlayerSim* doll : mLand.mSeatOrder)
            if (doll != me && !doll->isFlagSet(SIM_OUT) && doll->mAngelSeq != -2 &&
                p.squaredDistance(doll->getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f)) < r2)
                return doll->getId();
        for (const ZRKNpcSim* npc : mLand.mFieldNpcs)
            if (!npc->isEnded() && !npc->isDead() &&
                p.squaredDistance(npc->getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f)) < r2)
                return npc->getId();
    }
    return std::string();
}

} // namespace zrk
} // namespace kavri3D
