#include "land/ZRKPlayerSim.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <utility>
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/LandShots.h"
#include "land/ZRKLand.h"
#include "land/ZRKPlayerAI.h"

namespace kavri3D {
namespace zrk {

using yake::math::Quaternion;
using yake::math::Vector3;

namespace {
SkillState makeSkill(int key, int uses)
{
    SkillState s;
    s.key = key;
    s.num_max = uses;
    s.num_cur = uses;
    s.duration = 3.0f;
    return s;
}
} // namespace

ZRKPlayerSim::ZRKPlayerSim(ZRKLand* land, const std::string& id, int colour, int seat,
                           boost::shared_ptr<ZRKBattleState> battle, boost::shared_ptr<ZRKPlayerState> state)
    : ZRKBasicSim(land, id, colour, battle), mSeat(seat), mState(state), mProps(land ? &land->getItems() : nullptr)
{
    mSkills = {makeSkill(SKILL_TRIPLE, 2), makeSkill(SKILL_HEAL, 1), makeSkill(SKILL_POWER, 2),
               makeSkill(SKILL_FURY, 3)};
}

ZRKPlayerSim::~ZRKPlayerSim()
{
    if (mAI)
        mAI->detach();
}

bool ZRKPlayerSim::isWaiting() const
{
    return mLand && mLand->getActingDoll() == this && mLand->isFighting() && !mLand->isFinished() &&
           isFlagSet(SIM_MAY_FIRE) && !mCharging && mPhase == PHASE_IDLE && !isDead();
}

void ZRKPlayerSim::freeze()
{
    mMoveInput = mTurnInput = mPitchInput = 0.0f;
    mCharging = false;
    mCharge = 0.0f;
    if (mPhase == PHASE_MOVE || mPhase == PHASE_CHARGE)
        mPhase = PHASE_IDLE;
}

void ZRKPlayerSim::wait() { freeze(); }

bool ZRKPlayerSim::changeWeapon(int index, bool force)
{
    WeaponState* w = mWeapons.at(index);
    if (!w || w->empty() || (mCharging && !force))
        return false;
    mPlayerBattle.weapon = index;
    mWeapons.setCDSeconds(0.0f); // the land's next step measures the new weapon's cool-down
    if (mLand && isLocal()) {
        core::EventPtr e = mLand->events().make(LandEventId::OwnStatus);
        e->attrs().setAttr("weapon_notice", std::make_pair(index, w->limited ? w->getCount() : -1));
        mLand->events().postStatus(*this, e);
    }
    return true;
}

WeaponState* ZRKPlayerSim::getCurrentWeaponState()
{
    WeaponState* w = mWeapons.at(mPlayerBattle.weapon);
    return w && !w->empty() ? w : nullptr;
}

int ZRKPlayerSim::getCurrentWeaponType() const
{
    const auto& slots = mWeapons.getSlots();
    const int i = mPlayerBattle.weapon;
    if (i < 0 || i >= static_cast<int>(slots.size()) || slots[static_cast<std::size_t>(i)].empty())
        return -1;
    return slots[static_cast<std::size_t>(i)].kind;
}

core::XmlConfigHelper ZRKPlayerSim::getCurrentWeaponSetting()
{
    WeaponState* w = getCurrentWeaponState();
    return w ? w->settings : core::XmlConfigHelper();
}

bool ZRKPlayerSim::isArmed() const
{
    const auto& slots = mWeapons.getSlots();
    const int i = mPlayerBattle.weapon;
    if (i < 0 || i >= static_cast<int>(slots.size()))
        return false;
    const WeaponState& w = slots[static_cast<std::size_t>(i)];
    return !w.empty() && (!w.limited || w.getCount() > 0);
}

void ZRKPlayerSim::getGunPoint(Vector3& position, Quaternion& orientation) const
{
    position = getPosition() + Vector3(0.0f, DollConstants::GUN_HEIGHT, 0.0f);
    const float pitch = static_cast<float>(mPlayerBattle.pitch) * static_cast<float>(M_PI) / 180.0f;
    orientation =
        Quaternion::fromAngleAxis(mHeading, Vector3::UNIT_Y) * Quaternion::fromAngleAxis(-pitch, Vector3::UNIT_X);
}

bool ZRKPlayerSim::pitching2(int degrees)
{
    if (degrees < 0 || degrees > 90)
        return false;
    mPitch = static_cast<float>(degrees);
    mPlayerBattle.pitch = degrees;
    return true;
}

bool ZRKPlayerSim::promptForce(float share)
{
    if (!std::isfinite(share))
        return false;
    share = std::min(std::max(share, 0.0f), 1.0f);
    mPlayerBattle.markForce = static_cast<int>(std::lround(share * DollConstants::CTRL_FORCE_MAX));
    return true;
}

bool ZRKPlayerSim::jump()
{
    if (mJumping || isDead() || mFallSpeed != 0.0f || !getController().isEnabled())
        return false;
    mJumping = true;
    mFallSpeed = kJumpSpeed;
    return true;
}

bool ZRKPlayerSim::mayFireInLesson() const
{
    // In a lesson the own doll fires only when the step lets it.
    return !(mLand && mLand->getSetup().mode == ROOM_MODE_PRACTICE && isLocal() && !isFlagSet(SIM_TUTOR_A));
}

bool ZRKPlayerSim::fireNow()
{
    if (!mLand || !mLand->mayAct(*this) || !mayFireInLesson())
        return false;
    mCharging = false;
    return mLand->shots().fire(*this);
}

bool ZRKPlayerSim::holdFire()
{
    if (!mLand || !mLand->mayAct(*this) || mCharging || !mayFireInLesson())
        return false;
    if (!isArmed()) {
        mLand->events().postStatus(*this, "bullet_wanted");
        return false;
    }
    if (mWeapons.getCD() > 0) {
        mLand->events().postStatus(*this, "cd_wanted");
        return false;
    }
    mMoveInput = 0.0f;
    mCharging = true;
    mCharge = 0.0f;
    mPhase = PHASE_CHARGE;
    return true;
}

bool ZRKPlayerSim::releaseFire()
{
    if (!mCharging || !mLand)
        return false;
    mCharging = false;
    mPhase = PHASE_IDLE;
    mPlayerBattle.force = static_cast<int>(std::lround(mCharge));
    mCharge = 0.0f;
    if (!mLand->mayAct(*this))
        return false;
    return mLand->shots().fire(*this);
}

bool ZRKPlayerSim::useProp(int slot)
{
    PropState* p = mProps.at(slot);
    if (!mLand || !mLand->mayAct(*this) || mCharging || !p || p->empty())
        return false;
    ZRKBattleState& b = getBattle();
    const int hpBefore = b.hp, spBefore = b.sp, furyBefore = b.fury;
    if (p->effect & PROP_HEAL)
        mLand->harm().heal(*this, p->hp > 0 ? p->hp : b.xhp / 4, "");
    if (p->effect & PROP_ENERGY) {
        b.sp += p->sp > 0 ? p->sp : b.xsp / 2;
        clampBattle();
    }
    if (p->effect & PROP_FURY)
        mLand->harm().gainFury(*this, p->fury > 0 ? p->fury : b.xfury / 4);
    if (p->effect & PROP_AMMO)
        for (WeaponState& w : mWeapons.getSlots())
            if (!w.empty() && w.limited)
                w.setCount(w.shellMax);
    --p->count;
    countPropUsed(*p);
    mTurnDelay += p->delay;
    if (isLocal()) {
        core::EventPtr used = mLand->events().make(LandEventId::PropUsed);
        used->attrs().setAttr("prop", slot);
        mLand->events().post(used);
        if (b.hp != hpBefore || b.sp != spBefore || b.fury != furyBefore) {
            core::EventPtr gains = mLand->events().make(LandEventId::Gains);
            gains->attrs().setAttr("playerId", getId());
            gains->getParams().setIntVal("hp", b.hp - hpBefore);
            gains->getParams().setIntVal("sp", b.sp - spBefore);
            gains->getParams().setIntVal("fury", b.fury - furyBefore);
            gains->getParams().setBoolVal("combo", false);
            mLand->events().post(gains);
        }
    }
    mLand->events().postStatus(*this, std::string());
    mLand->events().postBubble(*this);
    return true;
}

void ZRKPlayerSim::countPropUsed(const PropState& prop)
{
    // A bag holds six kinds: more ids than that are no props of a real bag.
    if (prop.id.empty() || (mPropsUsed.size() >= 16 && !mPropsUsed.count(prop.id)))
        return;
    int& used = mPropsUsed[prop.id];
    used = std::min(used + 1, PropBag::kMostInSlot);
}

bool ZRKPlayerSim::startRage()
{
    ZRKBattleState& b = getBattle();
    const bool full = b.xfury > 0 && b.fury >= b.xfury;
    const bool armed = mRageArmed || getSimEvent().getAttrAs<bool>("fury", false);
    if (!mLand || isDead() || isFlagSet(SIM_FURY_READY) || !(full || armed))
        return false;
    // The rage spends the bar and lasts till the next shot.
    mRageArmed = false;
    getSimEvent().removeAttr("fury");
    mFuryShot = true;
    b.fury = 0;
    setFlag(SIM_FURY_READY);
    setBuffIcon(SKILL_FURY, 1, "set:buff image:fury");
    mLand->events().postStatus(*this, std::string());
    mLand->events().postBubble(*this);
    return true;
}

bool ZRKPlayerSim::useSkill(int index)
{
    if (!mLand || index < 0 || index >= static_cast<int>(mSkills.size()) || !mLand->mayAct(*this) || mCharging)
        return false;
    SkillState& s = mSkills[static_cast<std::size_t>(index)];
    if (!s.enabled || s.state != 0 || s.num_cur <= 0)
        return false;
    ZRKBattleState& b = getBattle();
    switch (s.key) {
    case SKILL_TRIPLE:
        mTriple = true;
        setBuffIcon(SKILL_TRIPLE, 1, "set:buff image:triple");
        break;
    case SKILL_HEAL:
        mLand->harm().heal(*this, b.xhp * 3 / 10, "");
        break;
    case SKILL_POWER:
        mPower = true;
        setBuffIcon(SKILL_POWER, 1, "set:buff image:power");
        break;
    case SKILL_FURY:
        if (!(b.xfury > 0 && b.fury >= b.xfury) || isFlagSet(SIM_FURY_READY)) {
            mLand->events().postStatus(*this, "sp_wanted2");
            return false;
        }
        mFuryShot = true;
        b.fury = 0;
        setFlag(SIM_FURY_READY);
        setBuffIcon(SKILL_FURY, 1, "set:buff image:fury");
        break;
    default:
        return false;
    }
    --s.num_cur;
    s.state = 1;
    s.start = mLand->getTimeNow();
    mTurnDelay += 20;
    mLand->events().postStatus(*this, std::string());
    mLand->events().postBubble(*this);
    return true;
}

void ZRKPlayerSim::dying(bool agonal)
{
    mAgonal = agonal;
    // A lesson lays a standing partner down to be rescued.
    if (agonal && mLand && mLand->getSetup().mode == ROOM_MODE_PRACTICE && !isFlagSet(SIM_DOWN) &&
        mRevivedStep != mLand->getSteps()) {
        setFlag(SIM_DOWN);
        freeze();
        mDownTime = mLand->getTimeFighting();
    }
    if (isFlagSet(SIM_DOWN) && !isFlagSet(SIM_OUT))
        mPhase = agonal ? PHASE_AGONAL : PHASE_DOWN;
}

bool ZRKPlayerSim::isLocal() const { return mLand && mLand->getMyUID() == getId(); }

bool ZRKPlayerSim::isUnderControl() const { return isLocal() || mAI != nullptr; }

void ZRKPlayerSim::attachAI(const boost::shared_ptr<ZRKPlayerAI>& ai)
{
    if (mAI == ai)
        return;
    boost::shared_ptr<ZRKPlayerAI> old = mAI;
    mAI = ai;
    if (old)
        old->detach();
    if (mAI)
        mAI->attach(this);
}

void ZRKPlayerSim::activate() { mActive = true; }

} // namespace zrk
} // namespace kavri3D
