// The wind vane on the battle bar over two battles in one run (under Xvfb): hero fights a bot
// battle, leaves it, and fights a second one; both times the bar shows the vane's arrow and
// not a blank square. Pictures: vane-battle-1.png, vane-battle-2.png.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <land/ZRKLand.h>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "render/PngProbe.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

bool plainWhite(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }
bool vaneOrange(int r, int g, int b) { return r > 100 && r > g + 20 && g > b + 20; }

/// The vane's window on the battle bar as the window shows it.
struct VaneSeen {
    bool taken = false;
    long area = 0;
    long white = -1;  ///< plain white pixels in it
    long orange = -1; ///< the arrow's
};

VaneSeen lookAtVane(core::GraphicsSystem* g, const std::string& file)
{
    VaneSeen seen;
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* vane = root ? root->getChildRecursive("Vane") : nullptr;
    if (!vane || !vane->isEffectiveVisible() || !g->writeScreenshot(file))
        return seen;
    const CEGUI::Rectf r = vane->getUnclippedOuterRect().get();
    const int x0 = static_cast<int>(r.left()), y0 = static_cast<int>(r.top());
    const int x1 = static_cast<int>(r.right()), y1 = static_cast<int>(r.bottom());
    seen.taken = true;
    seen.area = static_cast<long>(x1 - x0) * (y1 - y0);
    seen.white = zrktest::countPixels(file, x0, y0, x1, y1, plainWhite);
    seen.orange = zrktest::countPixels(file, x0, y0, x1, y1, vaneOrange);
    return seen;
}

} // namespace

using BattleVaneRender = zrktest::GameOnScreen;

TEST_F(BattleVaneRender, TheSecondBattleOfARunShowsTheVaneLikeTheFirst)
{
    std::filesystem::create_directories(ZRK_SHOTS_DIR);
    const std::string shots[2] = {std::string(ZRK_SHOTS_DIR) + "/vane-battle-1.png",
                                  std::string(ZRK_SHOTS_DIR) + "/vane-battle-2.png"};
    VaneSeen seen[2];
    bool left = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        boost::shared_ptr<BattleRoom> room;
        for (int battle = 0; battle < 2; ++battle) {
            SCOPED_TRACE(battle);
            zrktest::enterBotBattle(game, *session, 1, 5, room, "room");
            if (!room)
                return;
            ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400))
                << battle;
            game.frames(4);
            seen[battle] = lookAtVane(graphics, shots[battle]);
            if (battle == 0) {
                room->leaveRoom();
                left = game.framesUntil([&] { return game.stateName() == "room"; }, 400);
                ASSERT_TRUE(left) << game.stateName();
                game.frames(2);
            }
        }
        yake::native::setManualClock(false);
    });
    yake::native::setManualClock(false);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(left);
    for (int battle = 0; battle < 2; ++battle) {
        ASSERT_TRUE(seen[battle].taken) << battle;
        EXPECT_GT(seen[battle].orange, 30) << battle;                   // the arrow is there
        EXPECT_LT(seen[battle].white, seen[battle].area / 4) << battle; // not a blank square
    }
    EXPECT_LE(seen[1].white, seen[0].white + 50);
}
