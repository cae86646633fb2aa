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
    mNpc = nullptr;
    mTurn = -1;
}

void ZRKBotAI::attachNpc(ZRKNpcSim* npc)
{
    mNpc = npc;
    mSim = nullptr;
    mTurn = -1;
}

void ZRKBotAI::detach()
{
    if (mSim)
        mSim->setMoveInput(0.0f);
    mSim = nullptr;
    mNpc = nullptr;
}

ZRKBasicSim* ZRKBotAI::nearestEnemy(const ZRKBasicSim& sim)
{
    ZRKLand* land = sim.getLand();
    if (!land)
        return nullptr;
    ZRKBasicSim* best = nullptr;
    float bestD = 0.0f;
    auto consider = [&](ZRKBasicSim* other) {
        if (other == &sim || other->isDead() || !land->areFoes(sim, *other))
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

bool ZRKBotAI::startTurn(float t)
{
    ZRKLand* land = mSim ? mSim->getLand() : mNpc ? mNpc->getLand() : nullptr;
    if (!land || land->getTurnNumber() == mTurn)
        return false;
    mTurn = land->getTurnNumber();
    mShootAt = t + kThinkSeconds;
    mWalkUntil = -1.0f;
    mWalks = 0;
    return true;
}

void ZRKBotAI::think()
{
    if (mNpc) {
        thinkNpc();
        return;
    }
    if (!mSim || !mSim->getLand() || mSim->isDead() || !mSim->isFlagSet(SIM_MAY_FIRE) || mSim->isCharging())
        return;
    ZRKLand* land = mSim->getLand();
    const float t = land->getTimeFighting();
    startTurn(t);
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

void ZRKBotAI::thinkNpc()
{
    ZRKLand* land = mNpc->getLand();
    if (!land || mNpc->isDead() || land->getActingNpc() != mNpc || mNpc->hasFired())
        return;
    const float t = land->getTimeFighting();
    startTurn(t);
    if (t < mShootAt)
        return;
    ZRKBasicSim* enemy = nearestEnemy(*mNpc);
    WeaponState& weapon = mNpc->getWeapon();
    if (!enemy || weapon.empty())
        return; // nobody to shoot at, or nothing to shoot with: the turn runs out
    const Vector3 gun = mNpc->getGunPoint();
    Shot shot;
    if (!aim(*mNpc, weapon, gun, *enemy, shot)) {
        // An NPC stands its ground: out of reach, a full shot the enemy's way.
        shot.pitch = 45;
        shot.share = 1.0f;
        shot.velocity = enemy->getPosition() - gun;
    }
    spoil(shot);
    mNpc->lookAt(mNpc->getPosition() + Vector3(shot.velocity.x, 0.0f, shot.velocity.z));
    land->fireNpc(*mNpc, shot.pitch, shot.share);
}

bool ZRKBotAI::aim(ZRKBasicSim& shooter, const WeaponState& weapon, const Vector3& gun, const ZRKBasicSim& enemy,
                   Shot& shot)
{
    ZRKLand* land = shooter.getLand();
    core::RandomNumber& random = land->getRandomNumber();
    Vector3 target = enemy.getPosition();
    shot.miss = mSkill < 100 && static_cast<int>(random.uniform() * 100.0f) >= mSkill;
    if (shot.miss) {
        const float angle = random.uniform() * 2.0f * kPi;
        target.x += std::cos(angle) * 6.0f;
        target.z += std::sin(angle) * 6.0f;
    }
    const float speed = weapon.getSettings().getRealVal("i_speed", 0.0f) * DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (!(speed > 0.0f))
        return false;
    const bool wind = land->getWindPower() > 0.01f && !shooter.isImmuneSet(IMMUNE_WIND);
    const int first = 30 + static_cast<int>(random.uniform() * 16.0f);
    const int pitches[] = {first, first + 30, 20, 80};
    for (int p : pitches) {
        if (land->_targetUnderTrajectory(gun, target, radians(static_cast<float>(p)), speed) != TRAJECTORY_REACHABLE)
            continue;
        Vector3 v;
        if (!land->_calcProjectileV(&shooter, weapon.name, radians(static_cast<float>(p)), DollConstants::GUN_MUZZLE,
                                    gun, target, wind, v))
            continue;
        const float f =
            (v.length() / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
        if (f < 0.0f || f > 1.0f)
            continue;
        shot.pitch = p;
        shot.share = f;
        shot.velocity = v;
        return true;
    }
    return false;
}

void ZRKBotAI::spoil(Shot& shot)
{
    if (shot.miss) {
        core::RandomNumber& random = (mSim ? mSim->getLand() : mNpc->getLand())->getRandomNumber();
        float e = (random.uniform() - 0.5f) * 0.3f;
        e += e > 0.0f ? 0.15f : -0.15f;
        shot.share *= 1.0f + e;
    }
    shot.share = std::min(std::max(shot.share, 0.0f), 1.0f);
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
    Vector3 gun;
    Quaternion orientation;
    mSim->getGunPoint(gun, orientation);
    Shot shot;
    if (!aim(*mSim, *weapon, gun, *enemy, shot)) {
        if (mWalks < kMaxWalks && mSim->getBattle().sp > 0) {
            ++mWalks;
            if (mBlocked)
                mSim->yaw(land->getRandomNumber().uniform() < 0.5f ? -1.0f : 1.0f);
            mWalkStart = land->getTimeFighting();
            mSim->setMoveInput(1.0f);
            mWalkUntil = land->getTimeFighting() + kWalkSeconds;
            return;
        }
        // Walked enough: a full shot the enemy's way.
        shot.pitch = 45;
        shot.share = 1.0f;
        shot.velocity = enemy->getPosition() - gun;
    }
    spoil(shot);
    mSim->pitching2(shot.pitch);
    mSim->lookAt(mSim->getPosition() + Vector3(shot.velocity.x, 0.0f, shot.velocity.z));
    mSim->getPlayerBattle().force = static_cast<int>(std::lround(DollConstants::CTRL_FORCE_MAX * shot.share));
    mSim->fireNow();
}

} // namespace zrk
} // namespace kavri3D
