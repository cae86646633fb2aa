#include "land/ZRKBotAI.h"

#include <algorithm>
#include <cmath>
#include <core/RandomNumber.h>
#include "land/ZRKLand.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;

namespace {
constexpr float kPi = 3.14159265358979f;
float radians(float degrees) { return degrees * kPi / 180.0f; }
} // namespace

ZRKBotAI::ZRKBotAI(int skill) : mSkill(std::min(std::max(skill, 0), 100)) {}

void ZRKBotAI::attach(ZRKPlayerSim* sim)
{
    mSim = sim;
    mTurn = -1;
}

void ZRKBotAI::detach()
{
    if (mSim)
        mSim->setMoveInput(0.0f);
    mSim = nullptr;
}

ZRKBasicSim* ZRKBotAI::nearestEnemy(const ZRKPlayerSim& sim)
{
    ZRKLand* land = sim.getLand();
    if (!land)
        return nullptr;
    ZRKBasicSim* best = nullptr;
    float bestD = 0.0f;
    auto consider = [&](ZRKBasicSim* other) {
        if (other == &sim || other->isDead() || other->getColour() == sim.getColour())
            return;
        if (ZRKPlayerSim* doll = land->getDoll(other->getId()))
            if (!doll->isActive() || doll->getAngelSeq() == -2)
                return;
        const float d = other->getPosition().squaredDistance(sim.getPosition());
        if (!best || d < bestD) {
            best = other;
            bestD = d;
        }
    };
    for (const auto& doll : land->getAllDoll())
        consider(doll.second);
    for (const auto& npc : land->getAllNpc())
        if (!npc.second->isEnded())
            consider(npc.second);
    return best;
}

void ZRKBotAI::think()
{
    if (!mSim || !mSim->getLand() || mSim->isDead() || !mSim->isFlagSet(SIM_MAY_FIRE) || mSim->isCharging())
        return;
    ZRKLand* land = mSim->getLand();
    const float t = land->getTimeFighting();
    if (land->getTurnNumber() != mTurn) {
        mTurn = land->getTurnNumber();
        mShootAt = t + kThinkSeconds;
        mWalkUntil = -1.0f;
        mWalks = 0;
    }
    if (mWalkUntil >= 0.0f) {
        if (t < mWalkUntil && mSim->getBattle().sp > 0 && mSim->isMoving())
            return;
        // Stopped early by a slope or the edge: the next walk goes round it.
        mBlocked = t < mWalkUntil && mSim->getBattle().sp > 0 && t > mWalkStart + 0.05f;
        mSim->setMoveInput(0.0f);
        mWalkUntil = -1.0f;
        mShootAt = t + 0.3f;
    }
    if (t >= mShootAt)
        shoot();
}

void ZRKBotAI::shoot()
{
    ZRKLand* land = mSim->getLand();
    ZRKBasicSim* enemy = nearestEnemy(*mSim);
    if (!enemy)
        return;
    mSim->lookAt(enemy->getPosition());
    if (!mSim->isArmed()) {
        const int armed = mSim->getCurrentWeaponBag()->firstArmed(0);
        if (armed < 0 || !mSim->changeWeapon(armed, true))
            return; // nothing to shoot with: the turn runs out
    }
    WeaponBag* bag = mSim->getCurrentWeaponBag();
    WeaponState* weapon = mSim->getCurrentWeaponState();
    if (!bag || !weapon || bag->getCD() > 0 || weapon->shared->busy != 0)
        return;

    core::RandomNumber& random = land->getRandomNumber();
    Vector3 aim = enemy->getPosition();
    const bool miss = mSkill < 100 && static_cast<int>(random.uniform() * 100.0f) >= mSkill;
    if (miss) {
        const float angle = random.uniform() * 2.0f * kPi;
        aim.x += std::cos(angle) * 6.0f;
        aim.z += std::sin(angle) * 6.0f;
    }
    const float speed = weapon->getSettings().getRealVal("i_speed", 0.0f) * DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (!(speed > 0.0f))
        return;
    Vector3 gun;
    Quaternion orientation;
    mSim->getGunPoint(gun, orientation);
    const bool wind = land->getWindPower() > 0.01f && !mSim->isImmuneSet(IMMUNE_WIND);
    const int first = 30 + static_cast<int>(random.uniform() * 16.0f);
    const int pitches[] = {first, first + 30, 20, 80};
    Vector3 v;
    int pitch = -1;
    float share = 0.0f;
    for (int p : pitches) {
        int code = land->_targetUnderTrajectory(gun, aim, radians(static_cast<float>(p)), speed);
        if (code != TRAJECTORY_REACHABLE)
            continue;
        if (!land->_calcProjectileV(mSim, weapon->name, radians(static_cast<float>(p)), DollConstants::GUN_MUZZLE, gun, aim,
                                    wind, v))
            continue;
        const float f = (v.length() / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
        if (f < 0.0f || f > 1.0f)
            continue;
        pitch = p;
        share = f;
        break;
    }
    if (pitch < 0) {
        if (mWalks < kMaxWalks && mSim->getBattle().sp > 0) {
            ++mWalks;
            if (mBlocked)
                mSim->yaw(random.uniform() < 0.5f ? -1.0f : 1.0f);
            mWalkStart = land->getTimeFighting();
            mSim->setMoveInput(1.0f);
            mWalkUntil = land->getTimeFighting() + kWalkSeconds;
            return;
        }
        // Walked enough: a full shot the enemy's way.
        pitch = 45;
        share = 1.0f;
        v = enemy->getPosition() - gun;
    }
    if (miss) {
        float e = (random.uniform() - 0.5f) * 0.3f;
        e += e > 0.0f ? 0.15f : -0.15f;
        share *= 1.0f + e;
    }
    share = std::min(std::max(share, 0.0f), 1.0f);
    mSim->pitching2(pitch);
    mSim->lookAt(mSim->getPosition() + Vector3(v.x, 0.0f, v.z));
    mSim->getPlayerBattle().force = static_cast<int>(std::lround(DollConstants::CTRL_FORCE_MAX * share));
    mSim->fireNow();
}

} // namespace zrk
} // namespace kavri3D
