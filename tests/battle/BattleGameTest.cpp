// The whole game, headless: "hero" logs in, the server starts him a battle against one of its
// own players, he fights it by key commands to the end, sees his awards and is sent back.
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/KeyInput.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <gui/IBattleOver.h>
#include <gui/IGuiManager.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct BattleGame : zrktest::WholeGame {};

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

/// Key commands for the own doll: on its turn, aim a little higher and fire at a charge.
class Commander {
public:
    void step(ZRKLand* land)
    {
        core::KeyInput* keys = core::KeyInput::getSingletonPtr();
        ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
        if (!keys || !me || land->getActingDoll() != me) {
            mHeld = 0;
            return;
        }
        ++mHeld;
        if (mHeld == 2)
            keys->injectKeyDown(core::KeyInput::KC_SPACE);
        else if (mHeld == 6) {
            keys->injectKeyUp(core::KeyInput::KC_SPACE);
            ++shots;
        }
    }
    int shots = 0;

private:
    int mHeld = 0;
};

} // namespace

TEST_F(BattleGame, HeroFightsABotBattleToTheEndAndIsSentBackWithHisAwards)
{
    std::string back, stateDuring, lent, guide;
    int armsSets = 0;
    bool hiddenGuide = false;
    std::vector<std::string> bagBefore, bagAfter;
    long long coinsBefore = -1, coinsAfter = -1;
    std::size_t itemsBefore = 0, itemsAfter = 0;
    bool overShown = false, fought = false, resultShown = false;
    int shots = 0;
    std::size_t awards = 0;
    int hits = -1;
    std::map<long long, std::pair<long long, long long>> quests; // q_id -> (state, progress) after the battle
    EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([&] { return session->isOnline(); }, 240));
        // The log-in goes on to the area choice first; the battle starts from there.
        ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 240)) << game.stateName();
        ZRKServerCore& server = session->getGameServer()->core();
        coinsBefore = server.world().player("hero")->money[ZRKWorld::Coins];
        itemsBefore = server.world().items("hero").size();
        // Simulated time, four frames a second: the fight's land time passes quickly.
        yake::native::setManualClock(true);
        core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 4);

        auto weaponBag = [] {
            std::list<core::XmlConfigHelper> items;
            ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), 2, items);
            std::vector<std::string> ids;
            for (const core::XmlConfigHelper& i : items)
                ids.push_back(i.getStringVal("i_id", "") + "@" + i.getStringVal("pci_slot", ""));
            return ids;
        };
        bagBefore = weaponBag();
        // Hero's hits and battles quests run from nothing.
        for (long long id : {2, 3}) {
            ZRKWorld::Quest q;
            q.id = id;
            q.state = ZRKWorld::QuestRunning;
            ASSERT_TRUE(server.world().setQuest("hero", q));
        }
        ASSERT_EQ(server.startBotBattle("hero", 1, "1", 3), "battle_hero");
        game.frames(2);
        {
            zrktest::StatePlacement placed; // from the areas straight into a battle
            ASSERT_TRUE(session->teleport("battle_hero", "battle", "bag=1&set=ca1&prev=zrk_personalroom"));
        }
        auto room = boost::dynamic_pointer_cast<BattleRoom>(game.stateMachine()->getState("battle"));
        ASSERT_TRUE(room);
        ASSERT_TRUE(game.framesUntil(
            [&] {
                guide = guide.empty() ? room->getShownGuideText() : guide;
                return room->getLand() && room->getLand()->isFighting();
            },
            400))
            << game.stateName() << " scene " << room->hasScene() << " land " << (room->getLand() != nullptr) << " load "
            << (room->getLand() ? room->getLand()->getLoadState() : -1) << " params " << room->areParamsReceived();
        stateDuring = game.stateName();
        lent = room->getLand()->getMyDoll()->getWeaponBag()->getSlots()[0].name;
        armsSets = room->getArmsImagesetCount();
        hiddenGuide = room->getShownGuideText().empty();
        fought = true;
        Commander commander;
        game.framesUntil(
            [&] {
                commander.step(room->getLand());
                overShown = overShown || room->isBattleOverShown();
                if (room->isBattleOverShown()) {
                    awards = room->getAwards().size();
                    ZRKLand* land = room->getLand();
                    if (const GameSummary::Entry* mine = land ? land->getSummary().find(land->getMyUID()) : nullptr)
                        hits = mine->hits;
                    gui::IGuiManager* gui = room->getGuiManager();
                    auto* view = gui ? static_cast<gui::IBattleOver*>(gui->getBattleOverView()) : nullptr;
                    resultShown = resultShown || (view && view->isShown());
                }
                return session->getLastTeleport() == "zrk_personalroom";
            },
            6000);
        shots = commander.shots;
        back = session->getLastTeleport();
        bagAfter = weaponBag();
        coinsAfter = server.world().player("hero")->money[ZRKWorld::Coins];
        itemsAfter = server.world().items("hero").size();
        for (const ZRKWorld::Quest& q : server.world().questRows("hero"))
            quests[q.id] = {q.state, q.progress};
        yake::native::setManualClock(false);
    }));
    yake::native::setManualClock(false);
    EXPECT_TRUE(fought);
    EXPECT_EQ(stateDuring, "battle");
    EXPECT_GT(shots, 0);
    EXPECT_TRUE(overShown);
    EXPECT_GE(awards, 1u);
    EXPECT_TRUE(resultShown);
    EXPECT_EQ(back, "zrk_personalroom");
    EXPECT_GT(coinsAfter, coinsBefore);
    EXPECT_EQ(itemsAfter, itemsBefore); // the battle lends arms; the bag stays as it was
    EXPECT_FALSE(guide.empty());        // the map's guide text before the fight
    EXPECT_TRUE(hiddenGuide);           // and gone once it began
    // The battle's end moved the quests on by what the land counted of hero.
    ASSERT_GE(hits, 0);
    EXPECT_EQ(quests[2], std::make_pair(hits >= 10 ? 32LL : 16LL, std::min<long long>(hits, 10)));
    EXPECT_EQ(quests[3], std::make_pair(16LL, 1LL));
    EXPECT_EQ(armsSets, 3);
    EXPECT_EQ(lent, "10001"); // the first weapon of the ammo bag's set
    EXPECT_FALSE(bagBefore.empty());
    EXPECT_EQ(bagAfter, bagBefore);
}
