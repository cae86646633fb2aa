// A crate in the game window: on a map whose record drops an ammo crate at the first turn
// change, a few paces beside hero's start, the radar marks it; on his turn hero turns towards
// it with A or D and walks onto it with W, and the ammo prompt and its burst come up. Pictures:
// battle-crate.png facing the crate, battle-crate-taken.png as it is picked up.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <land/Ballistics.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <util/JsonText.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "battle/hud/BattlePrompts.h"
#include "support/BotBattle.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/InstallationCopy.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// Hero's start on map "1" (the first seat of his side), and where the crate falls: twelve
/// paces to the side of the way he faces at the start.
constexpr float kStartX = -150.0f, kStartZ = -100.0f;
constexpr float kCrateX = -150.0f, kCrateZ = -88.0f;

struct CrateRender : zrktest::GameOnScreen {
    zrktest::InstallationCopy copy;

    void SetUp() override
    {
        copy.ownServerFiles();
        const std::string path = copy.program + "res/server/maps.json";
        Json::Value maps;
        std::string why;
        ASSERT_TRUE(core::JsonText::readFile(path, maps, why)) << why;
        Json::Value crates;
        crates["most"] = 1;
        crates["area"]["x0"] = kCrateX - 0.5;
        crates["area"]["x1"] = kCrateX + 0.5;
        crates["area"]["z0"] = kCrateZ - 0.5;
        crates["area"]["z1"] = kCrateZ + 0.5;
        Json::Value ammo;
        ammo["kind"] = 2;
        ammo["odds"] = 1.0;
        crates["kinds"].append(ammo);
        maps["maps"]["1"]["crates"] = crates;
        std::ofstream(path, std::ios::trunc) << Json::StyledWriter().write(maps);
        zrktest::GameOnScreen::SetUp();
    }
};

/// The radar's first crate dot, shown.
bool crateOnRadar()
{
    CEGUI::Window* bar = zrktest::shownPage("BattlePanel");
    return bar && bar->isChild("Radar/Crate0") && bar->getChild("Radar/Crate0")->isEffectiveVisible();
}

} // namespace

TEST_F(CrateRender, HeroWalksOntoAnAmmoCrateTheRadarMarkedAndGetsItsPromptAndBurst)
{
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/battle-crate.png";
    const std::string taken = std::string(ZRK_SHOTS_DIR) + "/battle-crate-taken.png";
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    bool marked = false, picked = false, prompted = false, burst = false;
    const bool ok = play(
        zrktest::loggedInRun("hero"),
        [&](zrktest::GameRun& game) {
            ASSERT_TRUE(game.framesUntil([&] { return session->isOnline(); }, 240));
            boost::shared_ptr<BattleRoom> room;
            zrktest::enterBotBattle(game, *session, 1, 5, room);
            if (!room)
                return;
            ASSERT_TRUE(game.playUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
            ZRKLand& land = *room->getLand();
            ZRKPlayerSim* me = land.getMyDoll();
            ASSERT_NE(me, nullptr);
            ASSERT_NEAR(me->getPosition().x, kStartX, 1.0f);
            ASSERT_NEAR(me->getPosition().z, kStartZ, 1.0f);
            // The crate falls at the first turn change; hero waits for his turn with it marked.
            ASSERT_TRUE(
                game.playUntil([&] { return !land.getCrateMarks().empty() && land.getActingDoll() == me; }, 800, 0.25))
                << "turn " << land.getTurnNumber() << ", crates " << land.getCrateMarks().size();
            const std::string crate = land.getCrateMarks()[0].name;
            marked = game.framesUntil(crateOnRadar, 8);
            // Turned towards it by A or D, as a player steers.
            auto off = [&] {
                const yake::math::Vector3 to = land.getCrateMarks().empty()
                                                   ? me->getPosition()
                                                   : land.getCrateMarks()[0].position - me->getPosition();
                float d = Ballistics::headingOf(to) - me->getHeading();
                while (d > DollConstants::PI)
                    d -= 2.0f * DollConstants::PI;
                while (d < -DollConstants::PI)
                    d += 2.0f * DollConstants::PI;
                return d;
            };
            const float startOff = off(), startHeading = me->getHeading();
            // Steered at fifty frames a second, as a player's fingers are quick.
            core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", 50);
            // A or D held the way the crate lies, the other let go; both let go once facing it.
            unsigned long held = 0;
            auto hold = [&](unsigned long key) {
                if (key == held)
                    return;
                if (held)
                    input.keyEvent(held, false);
                if (key)
                    input.keyEvent(key, true);
                held = key;
            };
            game.playUntil(
                [&] {
                    const float d = off();
                    if (std::fabs(d) < 0.08f || land.getActingDoll() != me) {
                        hold(0);
                        return true;
                    }
                    hold(d > 0.0f ? XK_a : XK_d);
                    return false;
                },
                400, 0.02);
            hold(0);
            game.frames(2);
            ASSERT_LT(std::fabs(off()), 0.15f)
                << "hero's turn ended before he faced the crate: off " << startOff << " then " << off() << ", heading "
                << startHeading << " then " << me->getHeading() << ", acting " << (land.getActingDoll() == me);
            graphics->writeScreenshot(shot);
            // Then W walks him onto it.
            input.keyEvent(XK_w, true);
            picked = game.playUntil([&] { return !land._hasCrate(crate); }, 200, 0.05);
            input.keyEvent(XK_w, false);
            game.frames(2);
            prompted = room->getPrompts() &&
                       std::any_of(room->getPrompts()->getPrompts().begin(), room->getPrompts()->getPrompts().end(),
                                   [](const BattlePrompts::Prompt& p) {
                                       return std::string(p.window->getProperty("Image").c_str()) == "prompt2/si_2";
                                   });
            burst = room->hasFlash("sp_ammo.swf", std::string());
            graphics->writeScreenshot(taken);
            EXPECT_TRUE(game.framesUntil([] { return !crateOnRadar(); }, 8)); // off the radar once taken
            yake::native::setManualClock(false);
        },
        copy.program);
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(marked);
    EXPECT_TRUE(picked);
    EXPECT_TRUE(prompted);
    EXPECT_TRUE(burst);
}
