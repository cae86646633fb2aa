#include "battle/hud/SimBubbleInfoProvider.h"

#include <data/ZRKPlayerState.h>
#include <land/DollConstants.h>
#include <land/PlayerBattleState.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>

namespace kavri3D {
namespace zrk {

SimBubbleInfoProvider::SimBubbleInfoProvider(ZRKPlayerSim& doll)
    : mSim(&doll), mLayoutName("bubble.layout"), mLevel(doll.getPlayerBattle().level + 1)
{
    if (const boost::shared_ptr<ZRKPlayerState>& state = doll.getState()) {
        mName = state->getUserSettings().getStringVal("pc_nickname", "");
        mTitle = state->getZrkTitle();
    }
}

SimBubbleInfoProvider::SimBubbleInfoProvider(ZRKNpcSim& npc)
    : mSim(&npc), mName(npc.getInfo().getStringVal("npc_name", "")), mLayoutName("bubble1.layout")
{
}

void SimBubbleInfoProvider::getHp(int& hp, int& xhp) const
{
    hp = mSim->getBattle().hp;
    xhp = mSim->getBattle().xhp;
}

void SimBubbleInfoProvider::getSp(int& sp, int& xsp) const
{
    sp = mSim->getBattle().sp;
    xsp = mSim->getBattle().xsp;
}

bool SimBubbleInfoProvider::isShown() const { return !mSim->isFlagSet(SIM_HIDE_BUBBLE); }

} // namespace zrk
} // namespace kavri3D
