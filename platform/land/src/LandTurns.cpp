#include "land/LandTurns.h"

#include <algorithm>
#include <cmath>
#include "land/LandEnd.h"
#include "land/LandEvents.h"
#include "land/LandRecord.h"
#include "land/LandShots.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

void LandTurns::next()
{
    if (mLand.end().decided())
        return;
    // The lowest delay acts next, a doll before an NPC of the same delay. A doll holds a turn
    // when a player or an AI plays it; an NPC when an AI does.
    ZRKPlayerSim* next = nullptr;
    for (ZRKPlayerSim* doll : mLand.mSeatOrder) {
        if (!doll->mActive || doll->isDead() || doll->mAngelSeq == -2)
            continue;
        // A passive doll takes no turn of its own; an AI may still play it.
        if (doll->isFlagSet(SIM_PASSIVE) && !doll->mAI)
            continue;
        if (!doll->mAI && doll->getPlayerId().empty())
            continue;
        // A lesson's scripted dolls stand still unless an AI plays them.
        if (mLand.mSetup.mode == ROOM_MODE_PRACTICE && !doll->mAI && !doll->isLocal())
            continue;
        if (!next || doll->mPlayerBattle.delay < next->mPlayerBattle.delay)
            next = doll;
    }
    ZRKNpcSim* nextNpc = nullptr;
    for (ZRKNpcSim* npc : mLand.mFieldNpcs) {
        if (!npc->mAI || npc->isDead() || npc->isEnded() || npc->isFlagSet(SIM_PASSIVE))
            continue;
        if ((!nextNpc || npc->mDelay < nextNpc->mDelay) && (!next || npc->mDelay < next->mPlayerBattle.delay))
            nextNpc = npc;
    }
    if (!next && !nextNpc)
        return;
    ++mTurn;
    if (mTurn > 1)
        newWind();
    mTurnStart = mLand.getTimeFighting();
    mSettleUntil = -1.0f;
    mActingShot = 0;
    LandEvents& events = mLand.events();
    if (nextNpc) {
        mActingNpc = nextNpc;
        nextNpc->mFired = false;
        events.postBubble(*nextNpc);
        return;
    }
    mActing = next;
    next->setFlag(SIM_MAY_FIRE);
    next->mFired = false;
    next->mTurnDelay = 0;
    next->mFiredDelay = 0;
    next->mSpWanted = false;
    next->mEnergySpent = 0.0f;
    next->mEnergyCarry = 0.0f;
    next->energyRefullReset();
    next->mPhase = PHASE_IDLE;
    if (next->isLocal())
        mLand.mCamera = CAMERA_ATTACH;
    // Low on health at the start of the own turn: a reminder of the healing props.
    const ZRKBattleState& b = next->getBattle();
    events.postStatus(*next, b.hp * 10 < b.xhp * 3 && next->mProps.hasEffect(PROP_HEAL) ? "hp_wanted" : "");
    events.postBubble(*next);
}

void LandTurns::endIfOver()
{
    const float t = mLand.getTimeFighting();
    if (mActing) {
        ZRKPlayerSim* a = mActing;
        const bool shotLanded = a->mFired && !mLand.shots().hasShot(mActingShot);
        if (a->isDead() || !a->mActive)
            endTurn();
        else if (shotLanded && mSettleUntil >= 0.0f && t >= mSettleUntil) {
            if (a->isFlagSet(SIM_TUTOR_B)) {
                // A lesson keeps the turn with the player: he may fire again.
                a->mFired = false;
                a->setFlag(SIM_MAY_FIRE);
                a->mPhase = PHASE_IDLE;
                mSettleUntil = -1.0f;
            } else
                endTurn();
        } else if (!a->mFired && t - mTurnStart >= DollConstants::TURN_SECONDS &&
                   !(mLand.mSetup.mode == ROOM_MODE_PRACTICE && a->isLocal()))
            endTurn();
    } else if (mActingNpc) {
        ZRKNpcSim* n = mActingNpc;
        const bool shotLanded = n->mFired && !mLand.shots().hasShot(mActingShot);
        if (n->isDead() || n->isEnded() || (shotLanded && mSettleUntil >= 0.0f && t >= mSettleUntil) ||
            (!n->mFired && t - mTurnStart >= DollConstants::TURN_SECONDS))
            endNpcTurn();
    }
}

void LandTurns::stop()
{
    if (mActing) {
        mActing->resetFlag(SIM_MAY_FIRE);
        mActing->freeze();
        mActing = nullptr;
    }
    mActingNpc = nullptr;
}

void LandTurns::shotLanded() { mSettleUntil = mLand.getTimeFighting() + DollConstants::SETTLE_SECONDS; }

void LandTurns::endTurn()
{
    ZRKPlayerSim* doll = mActing;
    if (!doll)
        return;
    mActing = nullptr;
    int delay = doll->mFired ? DollConstants::DELAY_TURN + doll->mFiredDelay : DollConstants::DELAY_IDLE;
    delay += doll->mTurnDelay + static_cast<int>(doll->mEnergySpent / 10.0f);
    doll->mPlayerBattle.delay += delay;
    doll->resetFlag(SIM_MAY_FIRE);
    doll->freeze();
    if (!doll->isDead())
        doll->mPhase = PHASE_IDLE;
    if (doll->isLocal())
        mLand._cameraLeaveRoam();
    mLand.events().postStatus(*doll, std::string());
    mLand.events().postBubble(*doll);
}

void LandTurns::endNpcTurn()
{
    ZRKNpcSim* npc = mActingNpc;
    if (!npc)
        return;
    mActingNpc = nullptr;
    npc->mDelay += npc->mFired ? DollConstants::DELAY_TURN + npc->mWeapon.delay : DollConstants::DELAY_IDLE;
    if (!npc->isEnded())
        mLand.events().postBubble(*npc);
}

float LandTurns::timeLeft() const
{
    if (!mActing && !mActingNpc)
        return 0.0f;
    return std::max(0.0f, DollConstants::TURN_SECONDS - (mLand.getTimeFighting() - mTurnStart));
}

void LandTurns::newWind()
{
    if (!mLand.mSetup.windChanges)
        return;
    LandRecord map(mLand.mSetup.map, "map " + mLand.mSetup.place);
    const float most = map.getReal("wind_max", DollConstants::WIND_MAX, 0.0f, 50.0f);
    const float power = mLand.mRandom.uniform() * most;
    const float angle = mLand.mRandom.uniform() * 2.0f * DollConstants::PI;
    mLand.mWind = Vector3(std::sin(angle) * power, 0.0f, std::cos(angle) * power);
}

} // namespace zrk
} // namespace kavri3D
