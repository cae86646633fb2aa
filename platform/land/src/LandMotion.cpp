#include "land/LandMotion.h"

#include <algorithm>
#include <cmath>
#include <core/KeyInput.h>
#include "land/Ballistics.h"
#include "land/LandEvents.h"
#include "land/LandHarm.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

void LandMotion::readKeys(ZRKPlayerSim& doll)
{
    core::KeyInput* keys = mLand.mKeysSet ? mLand.mKeys : core::KeyInput::getSingletonPtr();
    if (!keys)
        return;
    std::vector<core::KeyInput::KeyEvent> events = keys->takeEvents();
    if (!doll.getController().isEnabled() || doll.isDead() || doll.mAI)
        return; // keys meant for a doll that may not move are dropped, not kept for later
    for (const core::KeyInput::KeyEvent& e : events) {
        if (!e.down) {
            if (e.scan == core::KeyInput::KC_SPACE)
                doll.releaseFire();
            continue;
        }
        if (e.scan >= core::KeyInput::KC_1 && e.scan <= core::KeyInput::KC_9)
            doll.changeWeapon(e.scan - core::KeyInput::KC_1, false);
        else if (e.scan >= core::KeyInput::KC_Z && e.scan <= core::KeyInput::KC_B)
            doll.useProp(e.scan - core::KeyInput::KC_Z);
        else if (e.scan >= core::KeyInput::KC_F1 && e.scan <= core::KeyInput::KC_F4)
            doll.useSkill(e.scan - core::KeyInput::KC_F1);
        else if (e.scan == core::KeyInput::KC_SPACE)
            doll.holdFire();
        else if (e.scan == core::KeyInput::KC_J)
            doll.jump();
        else if (e.scan == core::KeyInput::KC_R)
            doll.startRage();
    }
    auto held = [&](int scan) { return keys->isKeyDown(scan) ? 1.0f : 0.0f; };
    doll.setMoveInput(held(core::KeyInput::KC_W) - held(core::KeyInput::KC_S));
    doll.setTurnInput(held(core::KeyInput::KC_A) - held(core::KeyInput::KC_D));
    doll.setPitchInput(held(core::KeyInput::KC_UP) - held(core::KeyInput::KC_DOWN));
}

void LandMotion::settle(ZRKBasicSim& sim)
{
    const float dt = DollConstants::STEP;
    const HeightField& field = mLand.mField;
    Vector3 p = sim.getPosition();
    const float ground = field.getHeight(p.x, p.z);
    if (p.y > ground + 0.01f || sim.mFallSpeed > 0.0f) {
        sim.mFallSpeed -= DollConstants::GRAVITY * dt;
        p.y += sim.mFallSpeed * dt;
        if (p.y <= ground) {
            p.y = ground;
            sim.mFallSpeed = 0.0f;
            sim.mJumping = false;
        }
    } else {
        p.y = std::max(ground, field.getBottom() - 100.0f);
        sim.mFallSpeed = 0.0f;
    }
    if (sim.isImmuneSet(IMMUNE_WATER) && p.y < field.getWater()) {
        p.y = field.getWater(); // held up: it walks on the water
        sim.mFallSpeed = 0.0f;
    }
    sim.getMovable().setPosition(p);
    if (p.y < field.getWater() - 0.5f && !sim.isFlagSet(SIM_OUT))
        mLand.harm().kill(sim,
                          field.getHeight(p.x, p.z) > -999.0f && mLand.getTimeFighting() - sim.mLastHitTime < 10.0f
                              ? sim.mLastHitter
                              : "",
                          true);
}

void LandMotion::stepDoll(ZRKPlayerSim& doll)
{
    if (!doll.mActive || doll.mAngelSeq == -2)
        return;
    const float dt = DollConstants::STEP;
    const float t = mLand.getTimeFighting();
    settle(doll);
    if (doll.isFlagSet(SIM_OUT))
        return;
    if (doll.isFlagSet(SIM_DOWN)) {
        if (doll.mCountingAgonal && doll.getInvincible() != INVINCIBLE_UNDYING && doll.mDownTime >= 0.0f &&
            t - doll.mDownTime >= DollConstants::AGONAL_SECONDS)
            mLand.harm().kill(doll, doll.mLastHitter, false);
        return;
    }
    if (!mLand.mayAct(doll))
        return;
    if (doll.mTurnInput != 0.0f && !doll.mCharging)
        doll.setHeading(doll.mHeading + doll.mTurnInput * DollConstants::TURN_SPEED * dt);
    if (doll.mPitchInput != 0.0f) {
        doll.mPitch = std::min(90.0f, std::max(0.0f, doll.mPitch + doll.mPitchInput * DollConstants::PITCH_SPEED * dt));
        doll.mPlayerBattle.pitch = static_cast<int>(std::lround(doll.mPitch));
    }
    if (doll.mCharging) {
        doll.mCharge = std::min(DollConstants::CTRL_FORCE_MAX,
                                doll.mCharge + DollConstants::CTRL_FORCE_MAX / DollConstants::CHARGE_SECONDS * dt);
        const int was = doll.mPlayerBattle.force;
        doll.mPlayerBattle.force = static_cast<int>(std::lround(doll.mCharge));
        const int mark = doll.mPlayerBattle.markForce;
        if (mark > 0 && was < mark && doll.mPlayerBattle.force >= mark)
            mLand.events().postStatus(doll, "hold_ok"); // the charge reached the suggested force
        if (doll.mAutoCharging && doll.mPlayerBattle.markForce > 0 && doll.mCharge >= doll.mPlayerBattle.markForce)
            doll.releaseFire();
        return;
    }
    if (doll.mMoveInput == 0.0f) {
        if (doll.mPhase == PHASE_MOVE)
            doll.mPhase = PHASE_IDLE;
        return;
    }
    ZRKBattleState& b = doll.getBattle();
    const float dist = DollConstants::MOVE_SPEED * dt;
    const float cost = dist * DollConstants::MOVE_ENERGY * doll.mEnergyFactor;
    if (b.sp <= 0 || cost > b.sp + doll.mEnergyCarry) {
        doll.mPhase = PHASE_IDLE;
        doll.mMoveInput = 0.0f;
        if (!doll.mSpWanted) {
            doll.mSpWanted = true;
            mLand.events().postStatus(doll, "sp_wanted");
        }
        return;
    }
    const HeightField& field = mLand.mField;
    Vector3 p = doll.getPosition();
    const Vector3 dir = Ballistics::direction(doll.mHeading, 0.0f) * doll.mMoveInput;
    Vector3 next = p + dir * dist;
    const float edge = field.getHalfSize() - 1.0f;
    if (std::fabs(next.x) > edge || std::fabs(next.z) > edge) {
        doll.mPhase = PHASE_IDLE;
        return; // the edge of the world: no further
    }
    const float ground = field.getHeight(next.x, next.z);
    if (ground > p.y + 1.5f) {
        doll.mPhase = PHASE_IDLE;
        return; // too steep to climb
    }
    if (ground >= p.y - 1.0f)
        next.y = ground; // walking follows the ground; a drop is left to the fall
    else
        next.y = p.y;
    doll.getMovable().setPosition(next);
    doll.mPhase = PHASE_MOVE;
    // Energy is whole; its fractions carry over.
    doll.mEnergyCarry -= cost;
    while (doll.mEnergyCarry < 0.0f) {
        doll.mEnergyCarry += 1.0f;
        --b.sp;
    }
    b.clamp();
    doll.mEnergySpent += cost;
}

} // namespace zrk
} // namespace kavri3D
