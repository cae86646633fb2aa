// The battle's events on screen, in the whole game run headless: "hero" fights a bot battle
// and the test hands the room's handlers the land's events (or changes the land) and looks at
// the pop-ups, counters, prompts, Flash overlays, bubbles, the battle bar and the revive panel.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <hikari/CEGUIFlash.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <lan/ZRKLan.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>
#include <yake/Math.h>
#include <yake/Time.h>

#include "battle/hud/BattlePrompts.h"
#include "battle/hud/BubbleInfoProvider.h"
#include "battle/BattleRoom.h"
#include "battle/hud/BattleStatusProvider.h"
#include "battle/EvtDollHandler.h"
#include "battle/EvtLandHandler.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKFlashPanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "services/GameServices.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/WholeGame.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const std::string kHeroRun = zrktest::loggedInRun("hero", true);

struct BattleEvents : zrktest::WholeGame {
    /// Runs the body in hero's bot battle once it fights, on the manual clock, draws fixed.
    void fight(const std::function<void(zrktest::GameRun&, BattleRoom&)>& body)
    {
        EXPECT_TRUE(play(kHeroRun, [&](zrktest::GameRun& game) {
            boost::shared_ptr<BattleRoom> room;
            zrktest::enterBotBattle(game, *session, 1, 3, room);
            if (!room)
                return;
            ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
            yake::math::Math::setRandomSource([] { return 0.25f; });
            body(game, *room);
            yake::math::Math::setRandomSource({});
            yake::native::setManualClock(false);
        }));
        yake::math::Math::setRandomSource({});
        yake::native::setManualClock(false);
    }
};

/// The enemy doll nearest in id order (any doll not hero's).
ZRKPlayerSim* foe(ZRKLand& land)
{
    for (const auto& d : land.getAllDoll())
        if (d.second != land.getMyDoll())
            return d.second;
    return nullptr;
}

std::vector<std::string> promptImages(BattleRoom& room)
{
    std::vector<std::string> out;
    if (BattlePrompts* prompts = room.getPrompts())
        for (const BattlePrompts::Prompt& p : prompts->getPrompts())
            out.push_back(p.window->getProperty("Image").c_str());
    return out;
}

} // namespace

TEST_F(BattleEvents, ASplitHitShowsItsThreePartsStackedAndGradesOnlyForOwnHits)
{
    fight([](zrktest::GameRun&, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        ZRKPlayerSim* target = foe(land);
        ASSERT_NE(target, nullptr);
        const std::size_t before = room.popupCount();
        const float t0 = static_cast<float>(yake::native::getTime());
        core::Event hit(6501);
        hit.attrs().setAttr("playerId", target->getId());
        hit.getParams().setIntVal("hit", 0x100 | 0x8);
        hit.getParams().setIntVal("health", -100);
        hit.getParams().setStringVal("hitter", "someone_else");
        EXPECT_TRUE(room.getLandHandler()->handle(hit));
        ASSERT_EQ(room.popupCount(), before + 3);
        const float avatarY = target->getPlayerRef()->getMovable()->_getDerivedPosition().y;
        const char* texts[] = {"-33", "-33", "-34"};
        const float delays[] = {0.0f, 0.1f, 0.3f}, heights[] = {4.0f, 2.0f, 0.0f};
        for (int i = 0; i < 3; ++i) {
            std::string text;
            Ogre::Vector3 anchor;
            float at = 0;
            ASSERT_TRUE(room.popupInfo(before + i, text, anchor, at));
            EXPECT_EQ(text, texts[i]);
            EXPECT_NEAR(at - t0, delays[i], 1e-3f);
            EXPECT_NEAR(anchor.y - avatarY, heights[i], 1e-3f);
        }
        // Neither hero fired nor was hit: no grade.
        EXPECT_TRUE(promptImages(room).empty());
        // Half a second later the stack starts again at 4; hero's own hit shows its grades.
        yake::native::advanceTime(0.6);
        hit.getParams().setStringVal("hitter", land.getMyUID());
        hit.getParams().setIntVal("hit", 0x8 | 0x2);
        hit.getParams().setIntVal("health", -20);
        room.getLandHandler()->handle(hit);
        std::string text;
        Ogre::Vector3 anchor;
        float at = 0;
        ASSERT_TRUE(room.popupInfo(room.popupCount() - 1, text, anchor, at));
        EXPECT_EQ(text, "-20");
        EXPECT_NEAR(anchor.y - avatarY, 4.0f, 1e-3f);
        EXPECT_EQ(promptImages(room), (std::vector<std::string>{"prompt/critical", "prompt/perfect"}));
        // Scattered by the fixed draw: (0.25 - 0.5) x 0.2 + 0.5 = 0.45.
        EXPECT_FLOAT_EQ(room.getPrompts()->getPrompts().front().x, 0.45f);
        {
            // Both grades fall on one place: the second stacks under the first, whole.
            const BattlePrompts::Prompt& a = room.getPrompts()->getPrompts().front();
            const BattlePrompts::Prompt& b = room.getPrompts()->getPrompts().back();
            const CEGUI::Sizef screen = a.window->getParent()->getPixelSize();
            EXPECT_GE((b.y - a.y) * screen.d_height, (a.h + b.h) / 2.0f) << a.y << " " << b.y;
        }
        // A heal is one green number.
        hit.getParams().setIntVal("health", 30);
        hit.getParams().setIntVal("hit", 0);
        room.getLandHandler()->handle(hit);
        ASSERT_TRUE(room.popupInfo(room.popupCount() - 1, text, anchor, at));
        EXPECT_EQ(text, "+30");
    });
}

TEST_F(BattleEvents, GainsRiseFromTheirCountersWithoutDriftAndSignedOnce)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        CEGUI::Window* hp = BattleRoom::hudWindow("battle/hpnum2");
        CEGUI::Window* combo = BattleRoom::hudWindow("battle/spnum3");
        ASSERT_NE(hp, nullptr);
        ASSERT_NE(combo, nullptr);
        const CEGUI::URect area = hp->getArea();
        core::Event gains(6503);
        gains.attrs().setAttr("playerId", room.getLand()->getMyUID());
        gains.getParams().setBoolVal("combo", false);
        gains.getParams().setIntVal("hp", 5);
        room.getLandHandler()->handle(gains);
        ASSERT_EQ(hp->getChildCount(), 2u);
        EXPECT_EQ(std::string(hp->getChild("0")->getProperty("Image").c_str()), "battle_num/blue_+");
        EXPECT_EQ(std::string(hp->getChild("1")->getProperty("Image").c_str()), "battle_num/blue_5");
        EXPECT_EQ(core::CEGUIAnimationLib::instance().getAnimationState(hp), "fade_up");
        game.frames(3); // the rise moves the window
        EXPECT_NE(hp->getArea(), area);
        // It rises away from the wind vane, never over it.
        CEGUI::Window* vane = BattleRoom::hudWindow("Vane");
        ASSERT_NE(vane, nullptr);
        for (CEGUI::Window* number : {hp, combo})
            EXPECT_LE(number->getUnclippedOuterRect().get().bottom(), vane->getUnclippedOuterRect().get().top());
        gains.getParams().setIntVal("hp", -5);
        room.getLandHandler()->handle(gains);
        EXPECT_EQ(hp->getArea(), area); // back where it first stood
        ASSERT_EQ(hp->getChildCount(), 2u);
        EXPECT_EQ(std::string(hp->getChild("0")->getProperty("Image").c_str()), "battle_num/blue_-");
        // Without "combo" only the energy counter of a run shows, with its title.
        core::Event run(6503);
        run.attrs().setAttr("playerId", room.getLand()->getMyUID());
        run.getParams().setIntVal("sp", 150);
        run.getParams().setIntVal("hp", 9);
        room.getLandHandler()->handle(run);
        EXPECT_TRUE(combo->isChild("des"));
        EXPECT_EQ(combo->getChildCount(), 5u); // "+150" and the title
        EXPECT_EQ(hp->getChildCount(), 2u);    // the hp gain of a run is not shown
    });
}

TEST_F(BattleEvents, KillStreaksLowHealthAndRageFollowTheOwnStatus)
{
    fight([](zrktest::GameRun&, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        ZRKPlayerSim* me = land.getMyDoll();
        ASSERT_NE(me, nullptr);
        EvtDollHandler& doll = *room.getDollHandler();
        for (int i = 0; i < 5; ++i) {
            core::Event kill(6510);
            kill.attrs().setAttr("killCount", 1);
            doll.handle(kill);
        }
        EXPECT_EQ(promptImages(room),
                  (std::vector<std::string>{"prompt2/KillOne", "prompt2/KillTwo", "prompt2/KillThree",
                                            "prompt2/KillFour", "prompt2/KillFour"}));
        room.destroyPrompts();
        for (int hp : {me->getBattle().xhp / 5, me->getBattle().xhp, me->getBattle().xhp / 10}) {
            core::Event low(6510);
            low.attrs().setAttr("hp", hp);
            doll.handle(low);
        }
        EXPECT_EQ(promptImages(room), (std::vector<std::string>{"prompt2/bloodLess"}));
        // Full fury at the level value 0: the rage Flash, once; the battle bar gets the own numbers.
        me->getPlayerBattle().level = 0;
        if (me->getBattle().xfury <= 0)
            me->getBattle().xfury = 100;
        me->getBattle().fury = me->getBattle().xfury;
        core::Event plain(6510);
        doll.handle(plain);
        doll.handle(plain);
        EXPECT_TRUE(room.hasFlash(EvtDollHandler::kRageFlash, ""));
        EXPECT_EQ(room.getFlashPanel()->getEntries().size(), 1u);
        EXPECT_TRUE(doll.isRageFlashUp());
        gui::IBattlePanel* screen = room.getBattleScreen();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->getHealth(), static_cast<float>(me->getBattle().hp));
        // A rebuilt battle clears the overlays: the rage comes back with the next status.
        room.getFlashPanel()->clearFlashes();
        doll.handle(plain);
        EXPECT_TRUE(room.hasFlash(EvtDollHandler::kRageFlash, ""));
        me->getBattle().fury = 0;
        doll.handle(plain);
        EXPECT_FALSE(room.hasFlash(EvtDollHandler::kRageFlash, ""));
        // The sight follows the weapon and the turn.
        ASSERT_NE(room.getSightingPanel(), nullptr);
        EXPECT_EQ(room.getSightingPanel()->isVisible(), me->isWaiting());
    });
}

TEST_F(BattleEvents, EveryEventWithAMissingOrMistypedAttributeIsTakenWithoutHarm)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        const std::vector<int> types = {6501, 6502, 6503, 6505, 6506, 6507, 6201, 6510, 6511, 6512, 6513};
        const std::vector<std::string> keys = {
            "playerId",  "id",  "msg",  "uid",    "argv",    "flash",     "pid",   "duration",
            "mi",        "w",   "h",    "key",    "revoke",  "prop",      "hp",    "weapon_notice",
            "fp_notice", "hit", "name", "prompt", "timeout", "killCount", "local", "res"};
        std::vector<boost::any> wrong = {boost::any(),
                                         boost::any(std::string("x")),
                                         boost::any(7),
                                         boost::any(true),
                                         boost::any(std::nanf("")),
                                         boost::any(-5),
                                         boost::any(std::vector<std::string>{"%1%%2%"})};
        int handled = 0;
        for (int type : types)
            for (const std::string& key : keys)
                for (const boost::any& value : wrong) {
                    core::Event e(type);
                    e.attrs().setAttr("playerId", room.getLand()->getMyUID());
                    e.attrs().setAttr("flash", true);
                    e.attrs().setAttr("pid", std::string("sp_test.swf"));
                    e.attrs().setAttr("duration", 1.0f);
                    e.attrs().setAttr("msg", std::string("%1% and %2%"));
                    if (value.empty())
                        e.attrs().removeAttr(key);
                    else
                        e.attrs().setAttr(key, value);
                    bool took = false;
                    for (core::IEventHandler* h : {static_cast<core::IEventHandler*>(room.getLandHandler()),
                                                   static_cast<core::IEventHandler*>(room.getDollHandler())})
                        took = h->handle(e) || took;
                    handled += took ? 1 : 0;
                }
        EXPECT_GT(handled, 0);
        game.frames(4); // the screen still draws
        EXPECT_EQ(game.stateName(), "battle");
        // An absurd Flash size takes the default one.
        core::Event big(6506);
        big.attrs().setAttr("flash", true);
        big.attrs().setAttr("pid", std::string("sp_boss.swf"));
        big.attrs().setAttr("duration", 2.0f);
        big.attrs().setAttr("w", -40);
        room.getLandHandler()->handle(big);
        ASSERT_FALSE(room.getFlashPanel()->getEntries().empty());
        EXPECT_EQ(room.getFlashPanel()->getEntries().back().width, 400);
    });
}

TEST_F(BattleEvents, PromptsGrowPulseAndExpire)
{
    fight([](zrktest::GameRun&, BattleRoom& room) {
        room.destroyPrompts();
        room.showPromptFixed("prompt2/KillOne", false, 0.75f); // 256 x 64
        room.showPromptFixed("prompt2/si_2", true, 3.75f);
        room.showPromptFixed("prompt2/no_such_picture", false, 1.0f);
        BattlePrompts& prompts = *room.getPrompts();
        ASSERT_EQ(prompts.getPrompts().size(), 2u);
        const BattlePrompts::Prompt& grow = prompts.getPrompts().front();
        EXPECT_EQ(grow.w, 256.0f);
        for (int frame = 1; frame <= 5; ++frame) {
            yake::native::advanceTime(0.01);
            prompts.update();
            EXPECT_EQ(grow.window->getPixelSize().d_width == 256.0f, frame == 5) << frame;
        }
        const BattlePrompts::Prompt& pulse = prompts.getPrompts().back();
        float smallest = 1e9f;
        for (int i = 0; i < 30; ++i) {
            yake::native::advanceTime(0.01);
            prompts.update();
            smallest = std::min(smallest, pulse.window->getPixelSize().d_width);
        }
        EXPECT_LT(smallest, 256.0f * 0.85f); // pulses down towards 80 %
        EXPECT_GE(smallest, 256.0f * 0.75f);
        EXPECT_EQ(grow.window->getPixelSize().d_width, 256.0f); // the still one stays at full size
        yake::native::advanceTime(0.5);
        prompts.update();
        EXPECT_EQ(prompts.getPrompts().size(), 1u); // 0.75 s are up
        // With less than 3 s left the pulse stops at full size.
        for (int i = 0; i < 60; ++i) {
            yake::native::advanceTime(0.02);
            prompts.update();
        }
        EXPECT_EQ(prompts.getPrompts().back().window->getPixelSize().d_width, 256.0f);
        yake::native::advanceTime(3.0);
        prompts.update();
        EXPECT_TRUE(prompts.getPrompts().empty());
    });
}

TEST_F(BattleEvents, FlashOverlaysPinParkAndGo)
{
    fight([](zrktest::GameRun&, BattleRoom& room) {
        ZRKFlashPanel* panel = room.getFlashPanel();
        ASSERT_NE(panel, nullptr);
        panel->clearFlashes();
        core::CEGUIFlash::clearRecords();
        ZRKPlayerSim* me = room.getLand()->getMyDoll();
        Ogre::SceneNode* node = me->getPlayerRef()->getMovable();
        CEGUI::Window* pinned = room.showFlash("sp_aim.swf", "k", 128, 128, node, 0.0f);
        CEGUI::Window* fixed = room.showFlash("sp_item.swf", "", 128, 128, nullptr, 1.5f);
        ASSERT_NE(pinned, nullptr);
        ASSERT_NE(fixed, nullptr);
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(fixed->getPosition(), CEGUI::UVector2(CEGUI::UDim(0.5f, -64), CEGUI::UDim(0.5f, -64)));
        EXPECT_EQ(room.showFlash("", "", 10, 10, nullptr, 1.0f), nullptr);
        // The point goes behind the camera: parked in the corner; it comes back with the point.
        const Ogre::Vector3 home = node->getPosition();
        Ogre::Camera* camera = room.getCamera();
        ASSERT_NE(camera, nullptr);
        const Ogre::Vector3 behind = camera->getDerivedPosition() - camera->getDerivedDirection() * 30.0f;
        node->setPosition(behind);
        panel->getEntries(); // (moved in the next update)
        const_cast<ZRKFlashPanel::Entry&>(panel->getEntries().front()).point =
            yake::math::Vector3(behind.x, behind.y, behind.z);
        panel->update();
        EXPECT_EQ(pinned->getPosition(), CEGUI::UVector2(CEGUI::UDim(1.0f, 0), CEGUI::UDim(1.0f, 0)));
        const Ogre::Vector3 ahead = camera->getDerivedPosition() + camera->getDerivedDirection() * 30.0f;
        const_cast<ZRKFlashPanel::Entry&>(panel->getEntries().front()).point =
            yake::math::Vector3(ahead.x, ahead.y, ahead.z);
        panel->update();
        EXPECT_NEAR(pinned->getPosition().d_x.d_scale, 0.5f, 0.01f);
        node->setPosition(home);
        // The fixed one expires, the pinned one stays until revoked; the layer then hides.
        yake::native::advanceTime(2.0);
        panel->update();
        ASSERT_EQ(panel->getEntries().size(), 1u);
        room.revokeFlash("sp_aim.swf", "other");
        EXPECT_EQ(panel->getEntries().size(), 1u);
        room.revokeFlash("sp_aim.swf", "k");
        panel->update();
        EXPECT_TRUE(panel->getEntries().empty());
        EXPECT_FALSE(panel->isVisible());
        EXPECT_EQ(core::CEGUIFlash::startedMovies(), (std::vector<std::string>{"sp_aim.swf", "sp_item.swf"}));
        EXPECT_EQ(core::CEGUIFlash::stoppedMovies(), (std::vector<std::string>{"sp_item.swf", "sp_aim.swf"}));
        // An unknown movie shows its name.
        CEGUI::Window* unknown = room.showFlash("sp_unknown.swf", "", 200, 100, nullptr, 1.0f);
        ASSERT_NE(unknown, nullptr);
        EXPECT_EQ(std::string(unknown->getChild("picture")->getText().c_str()), "sp_unknown.swf");
    });
}

TEST_F(BattleEvents, BubblesFollowTheDollsAndGoWhenTheyLeave)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        game.frames(1);
        for (const auto& d : land.getAllDoll()) {
            ASSERT_TRUE(d.second->getPlayerRef());
            boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble = BattleRoom::getBubble(*d.second->getPlayerRef());
            ASSERT_TRUE(bubble) << d.first;
            EXPECT_EQ(bubble->getInfoProvider()->getLevel(), d.second->getPlayerBattle().level + 1);
            EXPECT_EQ(bubble->getViewerColour(), land.getMyDoll()->getColour());
            EXPECT_GT(bubble->focusOffset().y, 0.0f);
            EXPECT_GE(bubble->getRefreshCount(), 1);
        }
        ZRKPlayerSim* gone = foe(land);
        boost::shared_ptr<BattleRoom::ZRKBubblePanel> old = BattleRoom::getBubble(*gone->getPlayerRef());
        gone->setAngelSeq(-2);
        room.updateBubbles();
        EXPECT_FALSE(gone->getPlayerRef()->hasAttr("zrk_bubble"));
        gone->setAngelSeq(-1);
        room.updateBubbles();
        boost::shared_ptr<BattleRoom::ZRKBubblePanel> fresh = BattleRoom::getBubble(*gone->getPlayerRef());
        ASSERT_TRUE(fresh);
        EXPECT_NE(fresh, old);
        EXPECT_NE(fresh->getInfoProvider(), old->getInfoProvider());
        // A bubble event redraws that doll's bubble.
        const int refreshes = fresh->getRefreshCount();
        core::Event change(6511);
        change.attrs().setAttr("playerId", gone->getId());
        room.getDollHandler()->handle(change);
        EXPECT_EQ(fresh->getRefreshCount(), refreshes + 1);
        // An empty entry counts as no bubble and is not tried again.
        gone->getPlayerRef()->setAttr("zrk_bubble", boost::shared_ptr<BattleRoom::ZRKBubblePanel>());
        room.updateBubbles();
        EXPECT_FALSE(BattleRoom::getBubble(*gone->getPlayerRef()));
        EXPECT_TRUE(gone->getPlayerRef()->hasAttr("zrk_bubble"));
    });
}

TEST_F(BattleEvents, TheStatusProviderFillsTheBattleBar)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        const boost::shared_ptr<BattleStatusProvider>& status = room.getStatusProvider();
        ASSERT_TRUE(status);
        gui::IBattleStatus::PlayerEntry seats[8];
        status->getPlayerList(seats, 8);
        status->getPlayerList(seats, 8);
        EXPECT_EQ(status->getNicknameBuilds(), 1); // measured only when the dolls grow
        int valid = 0, mine = 0;
        for (const auto& s : seats) {
            valid += s.valid ? 1 : 0;
            mine += s.me ? 1 : 0;
        }
        EXPECT_EQ(valid, static_cast<int>(room.getLand()->getAllDoll().size()));
        EXPECT_EQ(mine, 1);
        // A maximum of 0 gives empty bars, not a division by zero.
        ZRKPlayerSim* me = room.getLand()->getMyDoll();
        const ZRKBattleState saved = me->getBattle();
        me->getBattle().xhp = 0;
        me->getBattle().xsp = 0;
        status->getPlayerList(seats, 8);
        for (const auto& s : seats)
            if (s.me) {
                EXPECT_EQ(s.hp, 0.0f);
                EXPECT_EQ(s.sp, -1.0f);
            }
        me->getBattle() = saved;
        // Wide and multi-byte names are clipped to whole characters with an ellipsis.
        const std::string clipped = BattleStatusProvider::clipToWidth("\xC3\x84rgerlichWWWWWWWWWWWWWW", 55.0f);
        EXPECT_LT(clipped.size(), 25u);
        EXPECT_EQ(clipped.substr(clipped.size() - 3), "\xE2\x80\xA6");
        EXPECT_EQ(clipped.substr(0, 2), "\xC3\x84");
        EXPECT_EQ(BattleStatusProvider::clipToWidth("Al", 55.0f), "Al");
        // Clock, wind, and a weapon's cool-down 2.5 s after its shot.
        gui::IBattleStatus::BattleStatus s;
        status->getBattleStatus(s);
        EXPECT_EQ(s.fightTime, static_cast<int>(room.getLand()->getTimeFighting()));
        EXPECT_FALSE(s.wind.empty());
        WeaponState& w = me->getWeaponBag()->getSlots()[0];
        w.settings.setIntVal("i_cd_time", 10000);
        w.lastUse = room.getLand()->getTimeNow() - 2.5f;
        gui::IBattleStatus::Bags bags;
        status->getBags(bags);
        EXPECT_EQ(bags.weaponCd[0] & 0xFFFF, 750u);
        EXPECT_EQ(bags.weaponCd[0] >> 16, 1000u);
        // Crate marks: one per crate, however often the bar asks.
        ZRKLand& land = *room.getLand();
        const yake::math::Vector3 at = me->getPosition();
        const std::string where = std::to_string(at.x) + " 0 " + std::to_string(at.z);
        ZRKSceneItem crate;
        ASSERT_TRUE(land._addCrate("crate_a", crate, where));
        ASSERT_TRUE(land._addCrate("crate_b", crate, where));
        land._updateCrateMarks();
        std::vector<gui::IBattleStatus::CrateMark> marks;
        for (int i = 0; i < 3; ++i)
            status->getCrateMarks(marks);
        ASSERT_EQ(marks.size(), 2u);
        EXPECT_EQ(marks[0].name, "crate_a");
        // A seat past the room's seats stays empty.
        gui::IBattleStatus::PlayerEntry many[12];
        status->getPlayerList(many, 12);
        EXPECT_FALSE(many[11].valid);
        // The bar pulls what the provider gives every frame.
        auto* panel = room.getBattleScreen();
        ASSERT_NE(panel, nullptr);
        game.frames(2);
        EXPECT_TRUE(static_cast<gui::IBattlePanelHost*>(room.getBattlePanel())->isShown());
    });
}

namespace {
/// A part of the battle bar ("Own", "PlayFrm/Arm1", ...); null without it.
CEGUI::Window* barPart(const std::string& path)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* bar = root ? root->getChildRecursive("BattlePanel") : nullptr;
    return bar && bar->isChild(path.c_str()) ? bar->getChild(path.c_str()) : nullptr;
}
std::string shown(CEGUI::Window* w, const char* property = nullptr)
{
    return w ? (property ? w->getProperty(property) : w->getText()).c_str() : std::string("(none)");
}
} // namespace

TEST_F(BattleEvents, TheBattleBarStartsFromThisBattlesNumbersAndFollowsTheOwnFigure)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        ZRKPlayerSim* me = land.getMyDoll();
        ASSERT_NE(me, nullptr);
        ZRKBattleState& b = me->getBattle();
        const auto own = [&] {
            return "HP " + std::to_string(b.hp) + "/" + std::to_string(b.xhp) + "  SP " + std::to_string(b.sp) + "/" +
                   std::to_string(b.xsp) + "  Fury " + std::to_string(b.fury) + "/" + std::to_string(b.xfury);
        };
        game.frames(2);
        EXPECT_EQ(shown(barPart("Own")), own());
        // The bar still shows what the last battle left (a stale value): a new fight tells it
        // this battle's own numbers.
        gui::IBattlePanel* screen = room.getBattleScreen();
        ASSERT_NE(screen, nullptr);
        screen->setHealth(100, 1000, 1000, 1000);
        room.getDollHandler()->tellOwnAgain();
        game.frames(2);
        EXPECT_EQ(screen->getHealth(), static_cast<float>(b.hp));
        EXPECT_EQ(shown(barPart("Own")), own());
        // Energy spent between events (walking) and fury at any level show on the next frame,
        // on the bar and on the own bubble.
        b.sp -= 37;
        me->getPlayerBattle().level = 3;
        b.fury = b.xfury / 4;
        game.frames(2);
        EXPECT_EQ(shown(barPart("Own")), own());
        boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble = BattleRoom::getBubble(*me->getPlayerRef());
        ASSERT_TRUE(bubble);
        EXPECT_EQ(shown(bubble->part("sp")), std::to_string(b.sp));
        // The weapons he holds (the ammo bag's set: six) and his props (three Repair Kits), each
        // with its picture; the weapon in hand framed in gold, and the frame follows when 2
        // takes the second.
        gui::IBattleStatus::Bags bags;
        room.getStatusProvider()->getBags(bags);
        for (int i = 0; i < 6; ++i)
            EXPECT_FALSE(bags.weaponIcon[i].empty()) << i;
        EXPECT_TRUE(bags.weaponIcon[6].empty());
        EXPECT_EQ(bags.propIcon[0], "icon_kit_01");
        EXPECT_EQ(bags.propCount[0], 3);
        EXPECT_EQ(bags.current, 0);
        EXPECT_EQ(shown(barPart("PlayFrm/BigArmFrm"), "Image"), "arms1/cannon");
        EXPECT_EQ(shown(barPart("PlayFrm/Arm5"), "Image"), "arms3/light_mortar");
        EXPECT_EQ(shown(barPart("PlayFrm/Arm6"), "Image"), "");
        // A picture this window has not loaded (the headless run loads no item icons) shows a mark.
        CEGUI::Window* kit = barPart("PropsContainer/block_z");
        EXPECT_TRUE(shown(kit, "Image") == "ZRKIcons/icon_kit_01" || shown(kit) == "?") << shown(kit, "Image");
        EXPECT_NE(shown(barPart("PropsContainer/block_z/count")).find("x3"), std::string::npos);
        EXPECT_EQ(shown(barPart("PlayFrm/BigArmFrm"), "FrameColours"),
                  "tl:FFFFD040 tr:FFFFD040 bl:FFFFD040 br:FFFFD040");
        ASSERT_TRUE(me->changeWeapon(1, true));
        game.frames(2);
        EXPECT_EQ(shown(barPart("PlayFrm/Arm1"), "FrameColours"), "tl:FFFFD040 tr:FFFFD040 bl:FFFFD040 br:FFFFD040");
        EXPECT_NE(shown(barPart("PlayFrm/BigArmFrm"), "FrameColours"),
                  "tl:FFFFD040 tr:FFFFD040 bl:FFFFD040 br:FFFFD040");
    });
}

TEST_F(BattleEvents, TheRevivePanelOffersWhatIsLeftAndChargesForIt)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        ZRKPlayerSim* me = land.getMyDoll();
        EvtDollHandler& doll = *room.getDollHandler();
        me->setFlag(SIM_DOWN);
        core::Event down(6510);
        doll.handle(down);
        ASSERT_NE(doll.getRevivePanel(), nullptr);
        const std::string prompt = doll.getRevivePanel()->getChild("prompt")->getText().c_str();
        EXPECT_NE(prompt.find("Revives left: 3"), std::string::npos) << prompt;
        EXPECT_NE(prompt.find("100 Coins"), std::string::npos) << prompt;
        EXPECT_TRUE(doll.getRevivePanel()->isVisible());
        // Another key does nothing; Y outside the fight's states hides it and does nothing else.
        EXPECT_FALSE(doll.onReviveKey(0x16));
        EXPECT_TRUE(doll.getRevivePanel()->isVisible());
        // Enough money: Y revives and the server takes the price.
        auto* session = dynamic_cast<ZRKSession*>(game.session());
        ZRKWorld& world = session->getGameServer()->core().world();
        const long long coins = world.player("hero")->money[ZRKWorld::Coins];
        ASSERT_GE(ZRKUserRequest::getPc_id().getIntVal("pc_money1", 0), 100);
        EXPECT_TRUE(doll.onReviveKey(EvtDollHandler::kReviveKey));
        EXPECT_FALSE(me->isFlagSet(SIM_DOWN));
        EXPECT_EQ(land.getMyReviveNum(), 1);
        game.frames(3);
        EXPECT_EQ(world.player("hero")->money[ZRKWorld::Coins], coins - 100);
        EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_money1", 0), coins - 100);
        core::Event up(6510);
        doll.handle(up);
        EXPECT_EQ(doll.getRevivePanel(), nullptr);
        // Down again after two revives: the last pair's price; after the third, no panel.
        me->setFlag(SIM_DOWN);
        doll.handle(down);
        ASSERT_NE(doll.getRevivePanel(), nullptr);
        EXPECT_NE(std::string(doll.getRevivePanel()->getChild("prompt")->getText().c_str()).find("200 Coins"),
                  std::string::npos);
        EXPECT_TRUE(doll.onReviveKey(EvtDollHandler::kReviveKey));
        doll.handle(up);
        me->setFlag(SIM_DOWN);
        doll.handle(down);
        ASSERT_NE(doll.getRevivePanel(), nullptr);
        EXPECT_TRUE(doll.onReviveKey(EvtDollHandler::kReviveKey));
        doll.handle(up);
        EXPECT_EQ(land.getMyReviveNum(), 3);
        me->setFlag(SIM_DOWN);
        doll.handle(down);
        EXPECT_EQ(doll.getRevivePanel(), nullptr);
        EXPECT_TRUE(doll.isReviveShown());
        me->resetFlag(SIM_DOWN);
        doll.handle(up);
        game.frames(3);
        EXPECT_EQ(world.player("hero")->money[ZRKWorld::Coins], coins - 500);
    });
}

TEST_F(BattleEvents, TheReviveOfferGoesWhenTheBattleIsDecided)
{
    fight([](zrktest::GameRun&, BattleRoom& room) {
        ZRKPlayerSim* me = room.getLand()->getMyDoll();
        EvtDollHandler& doll = *room.getDollHandler();
        me->setFlag(SIM_DOWN);
        core::Event down(6510);
        doll.handle(down);
        ASSERT_NE(doll.getRevivePanel(), nullptr);
        room.onLandLoadState(0, LOAD_RESULT);
        EXPECT_EQ(doll.getRevivePanel(), nullptr);
        EXPECT_FALSE(doll.isReviveShown());
        me->resetFlag(SIM_DOWN);
    });
}

TEST_F(BattleEvents, EveryOverlayEndsWithTheBattleAndThePointerIsThePlayers)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        // The full fury's overlay has no end of its own; another runs a while.
        ZRKPlayerSim* me = room.getLand()->getMyDoll();
        me->getPlayerBattle().level = 0;
        me->getBattle().fury = me->getBattle().xfury;
        core::Event plain(6510);
        room.getDollHandler()->handle(plain);
        ASSERT_TRUE(room.hasFlash(EvtDollHandler::kRageFlash, ""));
        room.showFlash("sp_boss.swf", "", 800, 600, nullptr, 300.0f);
        // The battle ends: the result screen has neither over it, and the pointer is free.
        ZRKPlayerSim* other = foe(*room.getLand());
        ASSERT_NE(other, nullptr);
        other->setFlag(SIM_OUT);
        ASSERT_TRUE(game.framesUntil(
            [&] {
                yake::native::advanceTime(0.25);
                return room.isBattleOverShown();
            },
            400));
        game.frames(1);
        EXPECT_FALSE(room.hasFlash(EvtDollHandler::kRageFlash, ""));
        EXPECT_FALSE(room.hasFlash("sp_boss.swf", ""));
        ASSERT_NE(core::GuiManager::getSingletonPtr(), nullptr);
        EXPECT_EQ(core::GuiManager::getSingleton().cursorCapture(), 0);
        EXPECT_FALSE(room.isDragCursor());
    });
}

TEST_F(BattleEvents, NoRevivePanelForAMalformedTableOrAGuardedPropAndAShortPurseGetsTheWarning)
{
    fight([](zrktest::GameRun& game, BattleRoom& room) {
        ZRKLand& land = *room.getLand();
        ZRKPlayerSim* me = land.getMyDoll();
        EvtDollHandler& doll = *room.getDollHandler();
        core::XmlConfigHelper settings = ZRKLan::getConfig();
        const auto downAndUp = [&](bool& opened) {
            me->setFlag(SIM_DOWN);
            core::Event down(6510);
            doll.handle(down);
            opened = doll.getRevivePanel() != nullptr;
            me->resetFlag(SIM_DOWN);
            core::Event up(6510);
            doll.handle(up);
        };
        for (const char* table :
             {"0, 3", "0, 3, 1", "0, 3, 1, \"100\"", "0, 3, 4, 100", "0, 3, 0, 100", "0, \"3\", 1, 100",
              "0, 3, 1, 100]", "nothing", "", "0, 3.5, 1, 100", "0, 3, 1.5, 100", "[[[[", "0, 0, 1, 100"}) {
            settings.setStringVal("battle/pvp_pacemaker", table);
            bool opened = true;
            downAndUp(opened);
            EXPECT_FALSE(opened) << table;
        }
        // A prop that forbids the paid revive: no panel for the whole downing.
        settings.setStringVal("battle/pvp_pacemaker", "0, 3, 1, 100, 1, 200");
        PropState guard;
        guard.id = "9999";
        guard.count = 1;
        guard.effect = 0x1000;
        std::vector<PropState>& props = me->getCurrentPropBag()->getSlots();
        const PropState saved = props[0];
        props[0] = guard;
        me->setFlag(SIM_DOWN);
        core::Event down(6510);
        doll.handle(down);
        props[0] = saved;
        doll.handle(down);
        EXPECT_EQ(doll.getRevivePanel(), nullptr);
        me->resetFlag(SIM_DOWN);
        core::Event up(6510);
        doll.handle(up);
        // Too dear: the warning box with the mouse free; closing it gives the mouse back.
        settings.setStringVal("battle/pvp_pacemaker", "0, 3, 1, 999999999");
        me->setFlag(SIM_DOWN);
        doll.handle(down);
        ASSERT_NE(doll.getRevivePanel(), nullptr);
        core::Frame* frame = GameServices::frame();
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(doll.onReviveKey(EvtDollHandler::kReviveKey));
        EXPECT_FALSE(doll.getRevivePanel()->isVisible());
        EXPECT_TRUE(me->isFlagSet(SIM_DOWN));
        ASSERT_NE(frame->getOpenMessageBox(), nullptr);
        EXPECT_EQ(frame->getOpenMessageBox()->textKey, "warning/no_enough_zaobi");
        EXPECT_EQ(core::GuiManager::getSingleton().cursorCapture(), 0);
        EXPECT_TRUE(frame->pressMessageBoxButton(0));
        game.frames(1);
        EXPECT_EQ(core::GuiManager::getSingleton().cursorCapture(), 2);
        // Y on a hidden panel does nothing.
        EXPECT_FALSE(doll.onReviveKey(EvtDollHandler::kReviveKey));
        EXPECT_EQ(land.getMyReviveNum(), 0);
    });
}
