#include "land/LandShots.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include "land/Ballistics.h"
#include "land/LandAiming.h"
#include "land/LandEnd.h"
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/LandTurns.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;
typedef ZRKLand::Shell Shell;

namespace {
constexpr std::size_t kMaxBlasts = 64;
constexpr std::size_t kMaxShells = 256;
constexpr float kPi = DollConstants::PI;
} // namespace

float LandShots::weaponSpeed(const WeaponState& w) { return w.speed * DollConstants::HIT_FACTOR_BULLET_SPEED; }

bool LandShots::fire(ZRKPlayerSim& doll)
{
    LandEvents& events = mLand.events();
    WeaponState* w = doll.getCurrentWeaponState();
    if (!w || (w->limited && w->getCount() <= 0)) {
        events.postStatus(doll, "bullet_wanted");
        return false;
    }
    if (doll.mWeapons.getCD() > 0) {
        events.postStatus(doll, "cd_wanted");
        return false;
    }
    const float t = mLand.getTimeFighting();
    const int shot = mNextShot++;
    ShotRecord record;
    record.owner = doll.getId();
    record.bot = doll.mAI != nullptr;
    int flags = 0;
    float multiplier = 1.0f;
    if (doll.mFuryShot) {
        flags |= HIT_ULTIMATE;
        multiplier *= 2.0f;
    }
    if (doll.mPower)
        multiplier *= 1.5f;

    if (w->kind == WEAPON_CLOSE) {
        // A close weapon strikes at once whoever stands in its fan.
        const float range = w->settings.getRealVal("i_shot_range", 15.0f);
        const float fan = w->settings.getRealVal("i_hit_range", DollConstants::HIT_CLOSE_FAN);
        mShots[shot] = record;
        for (ZRKPlayerSim* other : mLand.mSeatOrder) {
            if (other == &doll || other->isFlagSet(SIM_OUT))
                continue;
            Vector3 d = other->getPosition() - doll.getPosition();
            const float dist = d.length();
            if (dist > range || dist < 1e-4f)
                continue;
            const float angle = std::fabs(std::remainder(Ballistics::headingOf(d) - doll.mHeading, 2.0f * kPi));
            if (angle * 180.0f / kPi > fan * 0.5f)
                continue;
            const bool enemy = other->getColour() != doll.getColour();
            const int amount = static_cast<int>(std::lround(w->damage * multiplier * (1.0f - dist / (range + 1.0f))));
            if (enemy && amount > 0) {
                mShots[shot].hurtEnemy = true;
                mShots[shot].flags |= HIT_GOOD;
            }
            mLand.harm().damage(*other, amount, doll.getId(), flags | (enemy ? HIT_GOOD : 0));
        }
        mShots[shot].shells = 0;
    } else {
        const float speed = weaponSpeed(*w);
        const float share = std::min(std::max(doll.mPlayerBattle.force / DollConstants::CTRL_FORCE_MAX, 0.0f), 1.0f);
        const float v =
            speed * (DollConstants::CTRL_FORCE_F_V_MIN + (1.0f - DollConstants::CTRL_FORCE_F_V_MIN) * share);
        const float pitch = doll.mPlayerBattle.pitch * kPi / 180.0f;
        std::vector<float> headings{doll.mHeading};
        if (doll.mTriple) {
            headings = {doll.mHeading - 0.05f, doll.mHeading, doll.mHeading + 0.05f};
            flags |= HIT_SPLIT;
        }
        Vector3 gun;
        Quaternion orientation;
        doll.getGunPoint(gun, orientation);
        for (float heading : headings) {
            if (mShells.size() >= kMaxShells)
                break;
            const Vector3 dir = Ballistics::direction(heading, pitch);
            mShells.push_back(makeShell(doll.getId(), shot, *w, gun + dir * DollConstants::GUN_MUZZLE, dir * v, flags,
                                        multiplier, !doll.isImmuneSet(IMMUNE_WIND)));
            ++record.shells;
        }
        mShots[shot] = record;
    }
    w->lastUse = t;
    w->shared->readiness = w->cdTime > 0.0f ? 0.0f : 1.0f;
    if (w->limited)
        w->setCount(w->getCount() - 1);
    doll.resetFlag(SIM_MAY_FIRE);
    doll.mFired = true;
    doll.mFiredDelay = w->delay;
    doll.mPhase = PHASE_FLIGHT;
    if (doll.mFuryShot)
        doll.resetFlag(SIM_FURY_READY);
    doll.mTriple = doll.mPower = doll.mFuryShot = false;
    doll.removeBuffIcon(SKILL_TRIPLE);
    doll.removeBuffIcon(SKILL_POWER);
    doll.removeBuffIcon(SKILL_FURY);
    ++doll.mPlayerBattle.shots;
    if (record.bot)
        ++mBotShots;
    if (&doll == mLand.turns().acting())
        mLand.turns().setActingShot(shot);
    if (doll.isLocal())
        mLand.mCamera = CAMERA_ROAM;
    events.postStatus(doll, "bullet_shot");
    events.postBubble(doll);
    if (mShots[shot].shells == 0)
        finishShot(shot);
    return true;
}

Shell LandShots::makeShell(const std::string& owner, int shot, WeaponState& w, const Vector3& from,
                           const Vector3& velocity, int flags, float multiplier, bool wind)
{
    Shell s;
    s.id = mNextShell++;
    s.shot = shot;
    s.owner = owner;
    s.weapon = w.name;
    s.damage = w.damage;
    s.radius = w.radius;
    s.crater = w.crater;
    s.flags = flags;
    s.multiplier = multiplier;
    s.position = from;
    s.velocity = velocity;
    s.wind = wind;
    s.weaponShared = w.shared;
    ++w.shared->busy;
    return s;
}

bool LandShots::fireNpc(ZRKNpcSim& npc, int pitch, float share)
{
    if (mLand.turns().actingNpc() != &npc || npc.mFired || npc.isDead() || npc.mWeapon.empty() ||
        mLand.end().decided() || !std::isfinite(share) || pitch < 0 || pitch > 90 || mShells.size() >= kMaxShells)
        return false;
    WeaponState& w = npc.mWeapon;
    share = std::min(std::max(share, 0.0f), 1.0f);
    const float v =
        weaponSpeed(w) * (DollConstants::CTRL_FORCE_F_V_MIN + (1.0f - DollConstants::CTRL_FORCE_F_V_MIN) * share);
    const Vector3 dir = Ballistics::direction(npc.mHeading, pitch * kPi / 180.0f);
    const int shot = mNextShot++;
    ShotRecord record;
    record.owner = npc.getId();
    record.bot = true;
    record.shells = 1;
    mShots[shot] = record;
    mShells.push_back(makeShell(npc.getId(), shot, w, npc.getGunPoint() + dir * DollConstants::GUN_MUZZLE, dir * v, 0,
                                1.0f, !npc.isImmuneSet(IMMUNE_WIND)));
    w.lastUse = mLand.getTimeFighting();
    npc.mFired = true;
    mLand.turns().setActingShot(shot);
    ++mBotShots;
    mLand.events().postBubble(npc);
    return true;
}

int LandShots::launch(const std::string& owner, const Vector3& from, const Vector3& velocity)
{
    if (!LandAiming::finiteAim(from) || !LandAiming::finiteAim(velocity) || mShells.size() >= kMaxShells)
        return 0;
    Shell s;
    s.id = mNextShell++;
    s.shot = mNextShot++;
    s.owner = owner;
    s.damage = 100;
    s.radius = 15.0f;
    s.crater = 6.0f;
    s.position = from;
    s.velocity = velocity;
    if (ZRKPlayerSim* doll = mLand.getDoll(owner))
        if (const WeaponState* w = doll->getCurrentWeaponState()) {
            s.weapon = w->name;
            s.damage = w->damage;
            s.radius = w->radius;
            s.crater = w->crater;
        }
    ShotRecord record;
    record.owner = owner;
    record.shells = 1;
    mShots[s.shot] = record;
    mShells.push_back(s);
    return s.id;
}

void LandShots::step()
{
    const float dt = DollConstants::STEP;
    const HeightField& field = mLand.mField;
    std::vector<Shell> flying;
    flying.reserve(mShells.size());
    std::vector<std::pair<Shell, std::pair<Vector3, std::string>>> landed;
    std::vector<Shell> lost;
    for (Shell& s : mShells) {
        const Vector3 from = s.position;
        Ballistics::step(s.position, s.velocity, Ballistics::acceleration(mLand.mWind, s.wind), dt);
        s.age += dt;
        const Vector3 seg = s.position - from;
        const float segLen2 = seg.squaredLength();
        // The earliest of: a doll's body, the ground.
        float best = 2.0f;
        std::string direct;
        auto tryBody = [&](const ZRKBasicSim& sim) {
            if (sim.isFlagSet(SIM_OUT) || (sim.getId() == s.owner && s.age < DollConstants::SHELL_ARM_SECONDS))
                return;
            const Vector3 c = sim.getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f);
            float u = segLen2 > 0.0f ? (c - from).dotProduct(seg) / segLen2 : 0.0f;
            u = std::min(std::max(u, 0.0f), 1.0f);
            if ((from + seg * u).squaredDistance(c) <
                    DollConstants::HIT_ACTOR_RADIUS * DollConstants::HIT_ACTOR_RADIUS &&
                u < best) {
                best = u;
                direct = sim.getId();
            }
        };
        for (const ZRKPlayerSim* doll : mLand.mSeatOrder)
            if (doll->mActive && doll->mAngelSeq != -2)
                tryBody(*doll);
        for (const ZRKNpcSim* npc : mLand.mFieldNpcs)
            if (!npc->isEnded())
                tryBody(*npc);
        if (s.position.y <= field.getHeight(s.position.x, s.position.z)) {
            float lo = 0.0f, hi = 1.0f;
            for (int k = 0; k < 10; ++k) {
                const float mid = 0.5f * (lo + hi);
                const Vector3 p = from + seg * mid;
                if (p.y <= field.getHeight(p.x, p.z))
                    hi = mid;
                else
                    lo = mid;
            }
            if (hi < best) {
                best = hi;
                direct.clear();
            }
        }
        if (best <= 1.0f) {
            landed.push_back({s, {from + seg * best, direct}});
        } else if (s.age > DollConstants::SHELL_MAX_SECONDS || s.position.y < field.getBottom() - 200.0f ||
                   !s.position.isFinite()) {
            lost.push_back(s);
        } else {
            flying.push_back(s);
        }
    }
    mShells.swap(flying);
    for (auto& l : landed) {
        if (l.first.weaponShared)
            --l.first.weaponShared->busy;
        explode(l.first, l.second.first, l.second.second);
    }
    for (const Shell& s : lost)
        if (s.weaponShared)
            --s.weaponShared->busy;
    for (auto& l : landed)
        if (--mShots[l.first.shot].shells <= 0)
            finishShot(l.first.shot);
    for (const Shell& s : lost)
        if (--mShots[s.shot].shells <= 0)
            finishShot(s.shot);
}

void LandShots::explode(const Shell& shell, const Vector3& at, const std::string& direct)
{
    if (shell.crater > 0.0f)
        mLand.mField.crater(at, shell.crater, shell.crater * 0.5f);
    if (mBlasts.size() >= kMaxBlasts)
        mBlasts.erase(mBlasts.begin());
    mBlasts.push_back(ZRKLand::Blast{shell.shot, at, shell.radius});

    core::EventPtr effect = mLand.events().make(LandEventId::Effect);
    effect->attrs().setAttr("flash", false);
    effect->attrs().setAttr("pid", std::string("explosion"));
    effect->attrs().setAttr("key", "blast" + std::to_string(shell.shot));
    effect->attrs().setAttr("duration", 2.0f);
    ZRKLand::EffectPlacement placement;
    placement.position = at;
    placement.scale = Vector3::UNIT_SCALE * std::max(shell.radius / 10.0f, 0.1f);
    effect->attrs().setAttr("mi", placement);
    mLand.events().post(effect);

    const ZRKBasicSim* owner = mLand.getDoll(shell.owner);
    if (!owner)
        owner = mLand.getNpc(shell.owner);
    ShotRecord& record = mShots[shell.shot];
    auto blast = [&](ZRKBasicSim& target) {
        if (target.isFlagSet(SIM_OUT) || shell.radius <= 0.0f)
            return;
        const Vector3 centre = target.getPosition() + Vector3(0.0f, DollConstants::HIT_ACTOR_OFFSET, 0.0f);
        const float d = target.getId() == direct ? 0.0f : at.distance(centre);
        if (d >= shell.radius)
            return;
        // Damage falls off linearly from the centre to the edge of the blast.
        float amount = shell.damage * shell.multiplier * (1.0f - d / shell.radius);
        int flags = shell.flags;
        if (d < shell.radius * 0.2f)
            flags |= HIT_PERFECT;
        if (mLand.mRandom.uniform() < 0.1f) {
            flags |= HIT_CRITICAL;
            amount *= 1.5f;
        }
        const int whole = static_cast<int>(std::lround(amount));
        const bool enemy = !owner || mLand.areFoes(*owner, target);
        if (enemy && whole > 0) {
            flags |= HIT_GOOD;
            record.hurtEnemy = true;
        }
        record.flags |= flags;
        mLand.harm().damage(target, whole, shell.owner, flags);
    };
    for (ZRKPlayerSim* doll : mLand.mSeatOrder)
        if (doll->mActive && doll->mAngelSeq != -2)
            blast(*doll);
    for (ZRKNpcSim* npc : mLand.mFieldNpcs)
        if (!npc->isEnded())
            blast(*npc);
    for (ZRKLand::MapItem& item : mLand.mMapItems) {
        const float d = at.distance(item.position);
        if (item.hp > 0 && d < shell.radius)
            item.hp -= static_cast<int>(std::lround(shell.damage * (1.0f - d / shell.radius)));
    }
}

void LandShots::finishShot(int shot)
{
    auto it = mShots.find(shot);
    if (it == mShots.end())
        return;
    ShotRecord record = it->second;
    mShots.erase(it);
    ZRKPlayerSim* owner = mLand.getDoll(record.owner);
    if (shot == mLand.turns().actingShot())
        mLand.turns().shotLanded();
    if (!owner)
        return;
    ZRKLand::ComboBullet& combo = mCombos[owner->getId()];
    if (record.hurtEnemy) {
        ++owner->mPlayerBattle.hits;
        if (record.bot)
            ++mBotHits;
        ++combo.count;
        combo.time = mLand.getTimeNow();
    } else {
        record.flags |= HIT_BLANK;
        combo.count = 0;
    }
    if (owner->isLocal()) {
        LandEvents& events = mLand.events();
        core::EventPtr e = events.make(LandEventId::OwnStatus);
        e->attrs().setAttr("hit", record.flags);
        if (combo.count >= 2) {
            // A run of hits pays energy.
            const int bonus = 50 * (combo.count - 1);
            owner->getBattle().sp += bonus;
            owner->clampBattle();
            core::EventPtr gains = events.make(LandEventId::Gains);
            gains->attrs().setAttr("playerId", owner->getId());
            gains->getParams().setIntVal("sp", bonus);
            gains->getParams().setBoolVal("combo", true);
            events.post(gains);
        }
        events.postStatus(*owner, e);
        mLand._cameraLeaveRoam();
    }
}

void LandShots::clear()
{
    for (const Shell& s : mShells)
        if (s.weaponShared)
            --s.weaponShared->busy;
    mShells.clear();
    mShots.clear();
}

std::vector<ZRKLand::Blast> LandShots::takeBlasts()
{
    std::vector<ZRKLand::Blast> out;
    out.swap(mBlasts);
    return out;
}

} // namespace zrk
} // namespace kavri3D
