#include "battle/BattleBubbles.h"

#include <functional>
#include <gui/IBattlePanel.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include "battle/hud/SimBubbleInfoProvider.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKSightingPanel.h"

namespace kavri3D {
namespace zrk {

BattleBubbles::BattleBubbles(BattleRoom& room) : mRoom(room) {}

BattleBubbles::~BattleBubbles() = default;

void BattleBubbles::update()
{
    ZRKLand* land = mRoom.getLand();
    if (!land)
        return;
    ZRKPlayerSim* me = land->getMyDoll();
    const int viewer = me ? me->getColour() : 0;
    gui::IBattlePanelHost* bar = mRoom.getBattlePanel();
    const float floor = bar ? bar->getTop() : 1.0f;
    const float ceiling = mRoom.getHudCeiling();
    const auto pass = [this, viewer, floor, ceiling](ZRKBasicSim& sim, bool drop,
                                                     const std::function<BubbleInfoProvider*()>& provider) {
        const core::BasicPlayerPtr& player = sim.getPlayerRef();
        if (!player)
            return;
        if (drop) {
            player->removeAttr("zrk_bubble");
            return;
        }
        if (!player->hasAttr("zrk_bubble")) {
            boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble(
                new BattleRoom::ZRKBubblePanel(&mRoom, sim.getPlayerId()));
            bubble->setInfoProvider(boost::shared_ptr<BubbleInfoProvider>(provider()));
            bubble->setViewerColour(viewer);
            if (bubble->createWindow()) {
                mRoom.activatePlayFrame();
                bubble->focusOffset() =
                    yake::math::Vector3(0, player->getDesc().getRealVal("graphical/focus.y", 0.0f), 0);
                bubble->homeOffset() = yake::math::Vector3(
                    0, player->getDesc().getRealVal("physical/home", DollConstants::HIT_ACTOR_OFFSET), 0);
                bubble->refresh();
            } else {
                bubble.reset(); // no bubble for this sim for the rest of the battle
            }
            player->setAttr("zrk_bubble", bubble);
        }
        if (boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble = BattleRoom::getBubble(*player)) {
            bubble->setFloor(floor);
            bubble->setCeiling(ceiling);
            bubble->update(player);
        }
    };
    for (const auto& d : land->getAllDoll()) {
        ZRKPlayerSim* doll = d.second;
        pass(*doll, doll->getAngelSeq() == -2, [doll] { return new SimBubbleInfoProvider(*doll); });
    }
    const bool npcsGone = land->getLoadState() >= 9;
    for (const auto& n : land->getAllNpc()) {
        ZRKNpcSim* npc = n.second;
        pass(*npc, npc->isEnded() || npcsGone, [npc] { return new SimBubbleInfoProvider(*npc); });
    }
}

void BattleBubbles::refresh(ZRKBasicSim* sim)
{
    if (sim && sim->getPlayerRef())
        if (boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble = BattleRoom::getBubble(*sim->getPlayerRef()))
            bubble->refresh();
}

void BattleBubbles::refreshCombos()
{
    ZRKLand* land = mRoom.getLand();
    if (!land)
        return;
    for (const auto& combo : land->getPlayerCombo())
        if (combo.second.time > 0.0f)
            mRoom.refreshDollBubble(combo.first);
}

void BattleBubbles::destroy()
{
    destroySight();
    ZRKLand* land = mRoom.getLand();
    if (!land)
        return;
    for (const auto& d : land->getAllDoll())
        if (d.second->getPlayerRef())
            d.second->getPlayerRef()->removeAttr("zrk_bubble");
    for (const auto& n : land->getAllNpc())
        if (n.second->getPlayerRef())
            n.second->getPlayerRef()->removeAttr("zrk_bubble");
}

void BattleBubbles::setSightMode(int mode)
{
    if (mSight)
        mSight->setMode(mode);
}

void BattleBubbles::showSight(bool visible)
{
    if (mSight)
        mSight->show(visible);
}

void BattleBubbles::updateSight(float dt)
{
    if (mSight && mSight->isVisible())
        mSight->update(dt);
    refreshCombos();
}

void BattleBubbles::createSight()
{
    if (mSight)
        return;
    boost::shared_ptr<BattleRoom::ZRKSightingPanel> sight(new BattleRoom::ZRKSightingPanel(&mRoom));
    if (sight->createWindow())
        sight->show(false);
    mSight = sight;
}

void BattleBubbles::destroySight()
{
    if (mSight)
        mSight->destroyWindow();
    mSight.reset();
}

bool BattleBubbles::isSightActive() const { return mSight && mSight->isVisible() && mSight->getAutoChargeTarget(); }

} // namespace zrk
} // namespace kavri3D
