// The battle's heads-up events in the game window: hero is hit by a split shot with a
// critical grade and picks up ammo (battle-hit.png: three red numbers over his doll, the grade
// and the ammo burst on the big weapon's frame), then goes down and is offered a paid revive
// (revive-panel.png), and takes it with the Y key.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cairo.h>
#include <core/BlackBoard.h>
#include <core/EventManager.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <land/ZRKLand.h>
#include <land/PropState.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Logger.h>
#include <yake/Math.h>
#include <yake/Time.h>

#include "battle/hud/BattlePrompts.h"
#include "battle/BattleRoom.h"
#include "battle/EvtDollHandler.h"
#include "battle/hud/ZRKFlashPanel.h"
#include "render/PngProbe.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

bool red(int r, int g, int b) { return r > 200 && g < 90 && b < 90; }
bool yellow(int r, int g, int b) { return r > 200 && g > 160 && b < 120; }

/// Hero in a battle against one of the server's players, with his own bags, fighting; the
/// game's clock is the test's from here. Null when the battle did not come.
boost::shared_ptr<BattleRoom> fightBotBattle(zrktest::GameRun& game, ZRKSession& session)
{
    boost::shared_ptr<BattleRoom> room;
    zrktest::enterBotBattle(game, session, 1, 5, room, "zrk_personalroom", 20);
    if (!room || !game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 2000))
        return {};
    return room;
}

} // namespace

using BattleHudRender = zrktest::GameOnScreen;

TEST_F(BattleHudRender, AHitTheGradeTheAmmoBurstAndTheReviveAreSeen)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string hitShot = std::string(ZRK_SHOTS_DIR) + "/battle-hit.png";
    const std::string reviveShot = std::string(ZRK_SHOTS_DIR) + "/revive-panel.png";
    std::filesystem::remove(hitShot);
    std::filesystem::remove(reviveShot);
    long numbersRed = -1, gradeRed = -1, burstYellow = -1, panelLight = -1, keyYellow = -1;
    bool numbersShown = false, gradeFull = false, burstPlaced = false, panelShown = false;
    long long ceguiLogGrowth = -1, paid = -1;
    bool revived = false, offerGone = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoom> room = fightBotBattle(game, *session);
        ASSERT_TRUE(room);
        game.frames(4);
        // A steady fight adds nothing to CEGUI's log (the battle bar's lines are no markup).
        const std::string gameLog = yake::logging::logger::instance().logFile();
        ASSERT_FALSE(gameLog.empty());
        const std::string ceguiLog = gameLog.substr(0, gameLog.rfind('/') + 1) + "CEGUI.log";
        const auto logSize = [&ceguiLog] {
            std::error_code ec;
            const auto n = std::filesystem::file_size(ceguiLog, ec);
            return ec ? 0 : static_cast<long long>(n);
        };
        const long long logBefore = logSize();
        game.frames(40);
        ceguiLogGrowth = logSize() - logBefore;
        ZRKLand& land = *room->getLand();
        yake::math::Math::setRandomSource([] { return 0.5f; }); // the grade in the middle
        // Hero takes a split hit of 100 with a critical grade, and picks up ammo.
        core::EventPtr hit(new core::Event(6501));
        hit->attrs().setAttr("playerId", land.getMyUID());
        hit->getParams().setIntVal("hit", 0x100 | 0x8);
        hit->getParams().setIntVal("health", -100);
        hit->getParams().setStringVal("hitter", std::string("someone"));
        core::EventManager::getSingleton().post(hit);
        core::EventPtr ammo(new core::Event(6502));
        ammo->attrs().setAttr("id", std::string("si_2"));
        core::EventManager::getSingleton().post(ammo);
        game.frames(8); // 0.4 s: the three parts are up and the grade has grown
        const int w = static_cast<int>(graphics->getRenderWindow()->getWidth());
        const int h = static_cast<int>(graphics->getRenderWindow()->getHeight());
        numbersShown = room->popupCount() >= 3;
        for (const BattlePrompts::Prompt& p :
             room->getPrompts() ? room->getPrompts()->getPrompts() : std::list<BattlePrompts::Prompt>())
            if (std::string(p.window->getProperty("Image").c_str()) == "prompt/critical")
                gradeFull = p.window->getPixelSize().d_width == p.w;
        CEGUI::Window* frame = BattleRoom::hudWindow("PlayFrm/BigArmFrm");
        CEGUI::Rectf burst, arm;
        if (room->getFlashPanel())
            for (const ZRKFlashPanel::Entry& e : room->getFlashPanel()->getEntries())
                if (e.name == "sp_ammo.swf") {
                    burst = e.window->getUnclippedOuterRect().get();
                    arm = frame ? frame->getUnclippedOuterRect().get() : CEGUI::Rectf();
                    burstPlaced = frame && std::abs(burst.left() + 64.0f - arm.left()) < 1.0f &&
                                  std::abs(burst.top() + 64.0f - arm.bottom()) < 1.0f;
                }
        ASSERT_TRUE(graphics->writeScreenshot(hitShot));
        // The numbers float over the doll in the middle of the view; the grade sits
        // around the centre; the burst on the weapon frame's lower left corner.
        numbersRed = zrktest::countPixels(hitShot, w / 4, 0, 3 * w / 4, h * 7 / 10, red);
        gradeRed = zrktest::countPixels(hitShot, w * 2 / 5, h * 2 / 5, w * 3 / 5, h * 3 / 5, red);
        burstYellow = zrktest::countPixels(hitShot, static_cast<int>(burst.left()), static_cast<int>(burst.top()),
                                           static_cast<int>(burst.right()), static_cast<int>(burst.bottom()), yellow);
        yake::math::Math::setRandomSource({});

        // Down: the revive is offered.
        game.frames(50); // the pop-ups and prompts go
        ZRKPlayerSim* me = land.getMyDoll();
        ASSERT_NE(me, nullptr);
        me->setFlag(SIM_DOWN);
        core::EventPtr down(new core::Event(6510));
        core::EventManager::getSingleton().post(down);
        game.frames(3);
        CEGUI::Window* panel = room->getDollHandler()->getRevivePanel();
        panelShown = panel && panel->isEffectiveVisible();
        ASSERT_TRUE(graphics->writeScreenshot(reviveShot));
        if (panel) {
            const CEGUI::Rectf r = panel->getUnclippedOuterRect().get();
            panelLight = zrktest::countPixels(reviveShot, static_cast<int>(r.left()), static_cast<int>(r.top()),
                                              static_cast<int>(r.right()), static_cast<int>(r.bottom()),
                                              [](int r8, int g8, int b8) { return r8 > 200 && g8 > 200 && b8 > 200; });
            const CEGUI::Rectf k = panel->getChild("okText")->getUnclippedOuterRect().get();
            keyYellow = zrktest::countPixels(reviveShot, static_cast<int>(k.left()), static_cast<int>(k.top()),
                                             static_cast<int>(k.right()), static_cast<int>(k.bottom()), yellow);
        }
        // Y pressed in the game window, as the player presses it: he is up again and the
        // server took the table's first price.
        ZRKWorld& world = session->getGameServer()->core().world();
        const long long coins = world.player("hero")->money[ZRKWorld::Coins];
        input.key(XK_y);
        revived = game.framesUntil([&] { return land.getMyReviveNum() == 1; }, 40) && !me->isFlagSet(SIM_DOWN);
        game.frames(4);
        CEGUI::Window* offer = room->getDollHandler()->getRevivePanel();
        offerGone = !offer || !offer->isEffectiveVisible();
        paid = coins - world.player("hero")->money[ZRKWorld::Coins];
        yake::native::setManualClock(false);
    });
    yake::math::Math::setRandomSource({});
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ceguiLogGrowth, 0);
    EXPECT_TRUE(numbersShown);
    EXPECT_TRUE(gradeFull);
    EXPECT_TRUE(burstPlaced);
    EXPECT_GT(numbersRed, 300);  // three numbers of thick red digits
    EXPECT_GT(gradeRed, 300);    // "CRITICAL!" in its red
    EXPECT_GT(burstYellow, 300); // the ammo ring and word
    EXPECT_TRUE(panelShown);
    EXPECT_GT(panelLight, 200); // the white lines of the offer
    EXPECT_GT(keyYellow, 50);   // "Press Y to revive"
    EXPECT_TRUE(revived);
    EXPECT_TRUE(offerGone);
    EXPECT_EQ(paid, 100); // "battle/pvp_pacemaker": the first revive costs 100 coins
}

TEST_F(BattleHudRender, APropUsedByItsKeyShowsInItsCellOnTheBattleBar)
{
    std::string shownBefore, shownAfter, countAfter;
    int slot = -1, before = -1, after = -1;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoom> room = fightBotBattle(game, *session);
        ASSERT_TRUE(room);
        ZRKLand& land = *room->getLand();
        ZRKPlayerSim* me = land.getMyDoll();
        ASSERT_NE(me, nullptr);
        // Hero's turn: a prop is used only by the one acting.
        ASSERT_TRUE(game.framesUntil([&] { return land.getActingDoll() == me; }, 2000));
        const std::vector<PropState>& props = me->getCurrentPropBag()->getSlots();
        for (std::size_t i = 0; i < props.size() && i < 6 && slot < 0; ++i)
            if (!props[i].empty())
                slot = static_cast<int>(i);
        ASSERT_GE(slot, 0) << "hero's props (the seed gives him first-aid kits) did not come into the battle";
        const std::size_t at = static_cast<std::size_t>(slot);
        before = props[at].count;
        const char letters[] = "zxcvbn";
        const std::string path = std::string("PropsContainer/block_") + letters[slot];
        const auto shown = [&path] {
            CEGUI::Window* cell = BattleRoom::hudWindow(path);
            if (!cell)
                return std::string("(no cell)");
            const std::string count = cell->isChild("count") ? cell->getChild("count")->getText().c_str() : "";
            return std::string(cell->getProperty("Image").c_str()) + "|" + cell->getText().c_str() + "|" + count;
        };
        game.frames(2);
        shownBefore = shown();
        std::filesystem::create_directories(ZRK_SHOTS_DIR);
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/battle-props-before.png");
        const KeySym keys[] = {XK_z, XK_x, XK_c, XK_v, XK_b, XK_n};
        input.key(keys[slot]);
        game.framesUntil([&] { return me->getCurrentPropBag()->getSlots()[at].count != before; }, 40);
        after = me->getCurrentPropBag()->getSlots()[at].count;
        game.frames(3);
        shownAfter = shown();
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/battle-props-after.png");
        CEGUI::Window* cell = BattleRoom::hudWindow(path);
        countAfter = cell && cell->isChild("count") ? cell->getChild("count")->getText().c_str() : "";
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(after, before - 1) << "the key used the prop";
    // Before: the prop's picture (or a mark for one this client has no picture of) and its uses.
    EXPECT_NE(shownBefore.substr(0, shownBefore.rfind('|')), "|") << shownBefore;
    EXPECT_NE(shownBefore.find("x" + std::to_string(before)), std::string::npos) << shownBefore;
    EXPECT_NE(shownAfter, shownBefore);
    if (after > 0)
        EXPECT_NE(countAfter.find("x" + std::to_string(after)), std::string::npos) << shownAfter;
    else
        EXPECT_EQ(shownAfter, "||") << "a prop used up leaves its cell empty";
}
