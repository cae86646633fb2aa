#include "battle/tutorial/NewbieAI0.h"

#include <algorithm>
#include <cmath>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Quaternion.h>
#include <yake/Time.h>

namespace kavri3D {
namespace zrk {

namespace {
const float kPi = 3.14159265358979f;
float radians(float degrees) { return degrees * kPi / 180.0f; }
} // namespace

void NewbieAI0::attach(ZRKPlayerSim* sim)
{
    mSim = sim;
    mNextThink = static_cast<float>(yake::native::getTime()) + mInterval;
    mState = 3;
}

void NewbieAI0::turnToward(ZRKPlayerSim& sim, yake::math::Vector3 direction, float maxAngle)
{
    direction.y = 0.0f;
    yake::math::Vector3 forward = sim.getMovable().getOrientation() * yake::math::Vector3(0.0f, 0.0f, 1.0f);
    forward.y = 0.0f;
    if (direction.squaredLength() < 1e-12f || forward.squaredLength() < 1e-12f)
        return;
    const yake::math::Quaternion q = forward.getRotationTo(direction, yake::math::Vector3(0.0f, 1.0f, 0.0f));
    float angle = 0.0f;
    yake::math::Vector3 axis;
    q.toAngleAxis(angle, axis);
    if (axis.y < 0.0f)
        angle = -angle;
    while (angle > kPi)
        angle -= 2.0f * kPi;
    while (angle < -kPi)
        angle += 2.0f * kPi;
    if (std::fabs(angle) > maxAngle)
        sim.yaw(angle);
}

void NewbieAI0::think()
{
    const float now = static_cast<float>(yake::native::getTime());
    if (mState != 0 && now < mNextThink)
        return;
    mNextThink = now + mInterval;
    mState = 3;
    ZRKPlayerSim* sim = mSim;
    if (!sim || sim->isFlagSet(SIM_DOWN) || sim->isFlagSet(SIM_OUT) || !sim->isWaiting())
        return;
    ZRKLand* land = sim->getLand();
    ZRKPlayerSim* player = land ? land->getMyDoll() : nullptr;
    if (!player || player == sim)
        return; // the player on the AI's own doll plays it himself
    const yake::math::Vector3 playerPos = player->getPosition();
    const yake::math::Vector3 aiPos = sim->getMovable().getPosition();
    turnToward(*sim, playerPos - aiPos, kPi / 4.0f);
    if (!sim->isArmed() || !sim->isFlagSet(SIM_MAY_FIRE))
        return;
    WeaponState* weapon = sim->getCurrentWeaponState();
    WeaponBag* bag = sim->getCurrentWeaponBag();
    if (!bag || bag->getCD() > 0 || !weapon || (weapon->limited && weapon->getCount() < 1) ||
        (weapon->shared && weapon->shared->busy != 0))
        return;
    yake::math::Vector3 target = playerPos - (playerPos - aiPos).normalisedCopy() * 3.0f;
    bool miss = false;
    if (mAccuracy < 100) {
        const int r = static_cast<int>(sim->getShootRng().uniform() * 100.0f);
        miss = r > mAccuracy;
    }
    core::RandomNumber& rng = land->getRandomNumber();
    if (miss) {
        const float angle = rng.uniform() * 2.0f * kPi;
        target.x += std::cos(angle) * 6.0f;
        target.z += std::sin(angle) * 6.0f;
    }
    const float speed = weapon->getSettings().getRealVal("i_speed", 0.0f) * DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (!(speed > 0.0f))
        return; // a shell without speed reaches nothing
    yake::math::Vector3 gun;
    yake::math::Quaternion gunOrientation;
    sim->getGunPoint(gun, gunOrientation);
    float pitch = radians(rng.uniform() * 15.0f + 30.0f);
    int hit = land->_targetUnderTrajectory(gun, playerPos, pitch, speed);
    if (hit == TRAJECTORY_BLOCKED) {
        pitch += radians(30.0f);
        hit = land->_targetUnderTrajectory(gun, playerPos, pitch, speed);
    }
    if (hit != TRAJECTORY_REACHABLE)
        return;
    const bool wind = land->getWindPower() > 0.01f && !sim->isImmuneSet(IMMUNE_WIND);
    yake::math::Vector3 v;
    if (!land->_calcProjectileV(sim, weapon->name, pitch, 5.0f, gun, target, wind, v))
        return;
    const float needed = v.normalise();
    sim->pitching2(static_cast<int>(std::asin(std::max(-1.0f, std::min(1.0f, v.y))) * 180.0f / kPi));
    turnToward(*sim, v, 0.0f);
    float f = (needed / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
    if (miss) {
        float e = (rng.uniform() - 0.5f) * 0.3f;
        e = e > 0.0f ? e + 0.15f : e - 0.15f;
        f = (e + 1.0f) * f;
    }
    f = std::max(0.0f, std::min(1.0f, f));
    sim->getPlayerBattle().force = static_cast<int>(DollConstants::CTRL_FORCE_MAX * f);
    mLastPitch = pitch;
    mLastForce = sim->getPlayerBattle().force;
    if (sim->fireNow())
        ++mShots;
}

} // namespace zrk
} // namespace kavri3D
