#include "land/LandEnd.h"

#include <map>
#include <set>
#include <util/BattleAwards.h>
#include "land/LandShots.h"
#include "land/LandTurns.h"
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

void LandEnd::check()
{
    if (mResultTime >= 0.0f || mLand.mSetup.mode == ROOM_MODE_PRACTICE)
        return;
    const float t = mLand.getTimeFighting();
    // Sides: the two teams; against the NPCs of a PVE battle, all players are one side.
    const bool pve = mLand.isPve();
    std::set<int> sides, standing;
    std::map<int, bool> allLeft; ///< side -> every player of it left the battle
    for (const ZRKPlayerSim* doll : mLand.mSeatOrder) {
        // A side whose players all left has lost.
        const int side = pve ? 0 : doll->getColour();
        sides.insert(side);
        auto gone = allLeft.emplace(side, true).first;
        gone->second = gone->second && doll->mAngelSeq == -2;
        // Down is not out: a doll may still be revived until its time runs out.
        if (doll->mActive && doll->mAngelSeq != -2 && !doll->isFlagSet(SIM_OUT))
            standing.insert(side);
    }
    if (pve) {
        // The crews stand while one of the wave in the field does (the next wave came in already
        // when the last of the one before fell).
        sides.insert(2);
        for (const ZRKNpcSim* npc : mLand.mFieldNpcs)
            if (!npc->isDead() && !npc->isEnded())
                standing.insert(2);
    }
    if (t >= DollConstants::BATTLE_SECONDS && pve) {
        decide(-1, true, true); // the crews held out: every player lost together
        return;
    }
    if (t >= DollConstants::BATTLE_SECONDS) {
        std::map<int, int> hp;
        for (const ZRKPlayerSim* doll : mLand.mSeatOrder)
            if (doll->mAngelSeq != -2)
                hp[doll->getColour()] += doll->getBattle().hp;
        int winner = -1, best = -1;
        bool tie = false;
        for (const auto& h : hp) {
            if (h.second > best) {
                best = h.second;
                winner = h.first;
                tie = false;
            } else if (h.second == best) {
                tie = true;
            }
        }
        decide(tie ? -1 : winner, true, false);
        return;
    }
    if (sides.size() >= 2 && standing.size() <= 1) {
        int winner = standing.empty() ? -1 : *standing.begin();
        if (pve && winner == 0)
            winner = mLand.getMyDoll() ? mLand.getMyDoll()->getColour() : 0; // the players won
        decide(winner == 2 ? -1 : winner, false, pve);
        // Won because the other side went: the result says so.
        for (const auto& side : allLeft)
            if (!pve && mSummary.winner >= 0 && side.first != mSummary.winner && side.second)
                mSummary.othersLeft = true;
    }
}

void LandEnd::decide(int winner, bool timeUp, bool playersAsOne)
{
    const float t = mLand.getTimeFighting();
    mResultTime = t;
    mLand.turns().stop();
    mLand.shots().clear();
    mSummary = GameSummary();
    mSummary.winner = winner;
    mSummary.seconds = t;
    mSummary.timeUp = timeUp;
    for (ZRKPlayerSim* doll : mLand.mSeatOrder) {
        PlayerBattleState& pb = doll->mPlayerBattle;
        const bool won = playersAsOne ? winner >= 0 : doll->getColour() == winner;
        if (won)
            pb.flags |= BATTLE_WON;
        pb.count = (pb.flags & BATTLE_LEFT) ? 0 : 1; // a box for everyone who stayed to the end
        GameSummary::Entry e;
        e.uid = doll->getId();
        e.team = doll->getColour();
        e.shots = pb.shots;
        e.hits = pb.hits;
        e.damage = pb.damage;
        e.kills = pb.kills;
        e.deaths = pb.deaths;
        e.hp = doll->getBattle().hp;
        mSummary.entries.push_back(e);
        // Awards: the game's one rule for the doll's side, as the server books it.
        pb.awards.clear();
        for (const core::BattleAwards::Award& a : core::BattleAwards::of(won)) {
            core::XmlConfigHelper award;
            award.setIntVal("bi_type", a.type);
            award.setIntVal("bi_id", 0);
            award.setIntVal("bi_num", static_cast<int>(a.num));
            award.setIntVal("bi_index", -1);
            pb.awards.push_back(award);
        }
    }
    GameSummary::Entry* mvp = nullptr;
    for (GameSummary::Entry& e : mSummary.entries)
        if (!mvp || e.kills * 1000 + e.damage > mvp->kills * 1000 + mvp->damage)
            mvp = &e;
    if (mvp && (mvp->kills > 0 || mvp->damage > 0))
        mvp->text = "mvp";
    mLand.setLoadState(LOAD_RESULT);
}

int LandEnd::teamScore(int team) const
{
    int score = 0;
    for (const ZRKPlayerSim* doll : mLand.mSeatOrder)
        if (doll->getColour() == team)
            score += doll->mPlayerBattle.kills;
    return score;
}

} // namespace zrk
} // namespace kavri3D
