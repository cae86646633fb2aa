#include "land/LandHarm.h"

#include <algorithm>
#include "land/LandEvents.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

void LandHarm::damage(ZRKBasicSim& target, int amount, const std::string& hitter, int flags)
{
    if (target.isFlagSet(SIM_OUT) || amount <= 0)
        return;
    const int inv = target.getInvincible();
    if (inv == INVINCIBLE_DAMAGE || inv == INVINCIBLE_SHIELD || target.isImmuneSet(IMMUNE_DAMAGE))
        return;
    ZRKBattleState& b = target.getBattle();
    const int before = b.hp;
    b.hp -= amount;
    b.clamp();
    if (target.isImmuneSet(IMMUNE_WATER) && before > 0 && b.hp < 1)
        b.hp = 1; // a lesson cannot be lost
    const int taken = before - b.hp;
    target.mLastHitter = hitter;
    target.mLastHitTime = mLand.getTimeFighting();
    ZRKPlayerSim* by = mLand.getDoll(hitter);
    if (by && by != &target && by->getColour() != target.getColour()) {
        by->mPlayerBattle.damage += taken;
        gainFury(*by, taken / 4);
    }
    gainFury(target, b.fsp > 0 ? b.fsp : taken / 2);
    LandEvents& events = mLand.events();
    events.postHit(target, -amount, flags, hitter, "");
    events.postBubble(target);
    if (ZRKPlayerSim* doll = mLand.getDoll(target.getId()))
        if (doll->isLocal()) {
            core::EventPtr e = events.make(LandEventId::OwnStatus);
            e->attrs().setAttr("hp", b.hp);
            events.postStatus(*doll, e);
        }
    if (b.hp == 0 && !target.isFlagSet(SIM_DOWN))
        goDown(target, hitter);
}

void LandHarm::heal(ZRKBasicSim& target, int amount, const std::string& type)
{
    if (target.isDead() || amount <= 0)
        return;
    ZRKBattleState& b = target.getBattle();
    const int before = b.hp;
    b.hp += amount;
    b.clamp();
    if (b.hp == before)
        return;
    mLand.events().postHit(target, b.hp - before, 0, "", type);
    mLand.events().postBubble(target);
}

void LandHarm::gainFury(ZRKBasicSim& sim, int amount)
{
    // A full bar only offers the rage: it starts on R (or the fury skill).
    ZRKBattleState& b = sim.getBattle();
    if (amount > 0) {
        b.fury += amount;
        b.clamp();
    }
}

void LandHarm::goDown(ZRKBasicSim& target, const std::string& hitter)
{
    ZRKPlayerSim* doll = mLand.getDoll(target.getId());
    if (!doll) {
        kill(target, hitter, false);
        return;
    }
    LandEvents& events = mLand.events();
    // A pacemaker in the bag brings its holder back at once.
    for (PropState& p : doll->mProps.getSlots())
        if (!p.empty() && (p.effect & PROP_PACEMAKER)) {
            --p.count;
            doll->countPropUsed(p);
            doll->getBattle().hp = std::max(1, doll->getBattle().xhp * 3 / 10);
            events.postHit(*doll, doll->getBattle().hp, 0, "", "");
            events.postBubble(*doll);
            return;
        }
    // A doll that counts no death throes (a lesson's dummy or scripted foe) would lie down for
    // ever and hold back whoever waits for its end: its last health puts it out at once. A doll
    // that may not die stays down, to be rescued.
    if (!doll->mCountingAgonal && doll->getInvincible() != INVINCIBLE_UNDYING) {
        kill(*doll, hitter, false);
        return;
    }
    doll->setFlag(SIM_DOWN);
    doll->resetFlag(SIM_FURY_READY);
    doll->freeze();
    doll->mPhase = doll->mAgonal ? PHASE_AGONAL : PHASE_DOWN;
    doll->mDownTime = mLand.getTimeFighting();
    core::EventPtr e = events.make(LandEventId::DollDying);
    e->attrs().setAttr("uid", doll->getId());
    events.post(e);
    events.postStatus(*doll, std::string());
    events.postBubble(*doll);
}

void LandHarm::kill(ZRKBasicSim& target, const std::string& killer, bool drowned)
{
    if (target.isFlagSet(SIM_OUT))
        return;
    target.getBattle().hp = 0;
    target.setFlag(SIM_OUT | SIM_DOWN);
    target.resetFlag(SIM_MAY_FIRE | SIM_FURY_READY);
    target.mPhase = PHASE_OUT;
    target.freeze();
    LandEvents& events = mLand.events();
    if (ZRKNpcSim* npc = mLand.getNpc(target.getId())) {
        npc->getState().getBattleState().state = BATTLE_KILLED;
        core::EventPtr e = events.make(LandEventId::NpcKilled);
        e->attrs().setAttr("name", npc->getId());
        events.post(e);
        return;
    }
    ZRKPlayerSim* doll = mLand.getDoll(target.getId());
    if (!doll)
        return;
    doll->mPlayerBattle.state = BATTLE_KILLED;
    ++doll->mPlayerBattle.deaths;
    ZRKPlayerSim* by = mLand.getDoll(killer);
    if (by && by != doll && by->getColour() != doll->getColour()) {
        ++by->mPlayerBattle.kills;
        if (by->isLocal())
            events.postStatus(*by, "killCount");
    }
    core::EventPtr e = events.make(drowned || killer.empty() ? LandEventId::DollLost : LandEventId::DollKilled);
    e->attrs().setAttr("uid", doll->getId());
    e->attrs().setAttr("killer", killer);
    events.post(e);
    events.postStatus(*doll, std::string());
    events.postBubble(*doll);
}

bool LandHarm::revive(const std::string& id, bool fullHealth, bool notify)
{
    ZRKPlayerSim* doll = mLand.getDoll(id);
    if (!doll || !doll->isDead() || doll->mAngelSeq == -2)
        return false;
    doll->resetFlag(SIM_DOWN | SIM_OUT);
    doll->mPlayerBattle.state = BATTLE_FIGHTING;
    doll->mPhase = PHASE_IDLE;
    doll->mAgonal = false;
    doll->mDownTime = -1.0f;
    doll->mRevivedStep = mLand.mSteps;
    ZRKBattleState& b = doll->getBattle();
    b.hp = fullHealth ? b.xhp : std::max(1, b.xhp / 2);
    b.clamp();
    if (notify) {
        mLand.events().postStatus(*doll, std::string());
        mLand.events().postBubble(*doll);
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
