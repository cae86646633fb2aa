#pragma once
// The box screen of a battle's half time, as the player's pointer finds it: a whole-game test
// on an X server of its own wins hero's bot battle and waits for the screen; the boxes' buttons
// and where they stand. Include it last: it brings X11's macros (GameOnScreen).
#include <CEGUI/CEGUI.h>
#include <boost/shared_ptr.hpp>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <string>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "support/BotBattle.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/XvfbServer.h"
#include "support/GameOnScreen.h" // last: X11's macros

namespace zrktest {

/// The whole game on an X server of its own: the pointer is the server's, and no other test's
/// game (which holds the pointer in its middle) moves it under this one.
struct PrizeBoxesOnOwnX : GameOnScreen {
    XvfbServer server{1280, 1024};
    ScopedEnv display{"DISPLAY", server.display()};
    void SetUp() override
    {
        ASSERT_FALSE(server.display().empty());
        GameOnScreen::SetUp();
    }
};

/// The button of box `index` on the battle's box screen; null while the screen is not there.
inline CEGUI::Window* prizeBoxButton(int index)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* page = root ? root->getChildRecursive("OpenBoxPage") : nullptr;
    return page ? page->getChildRecursive("Box" + std::to_string(index)) : nullptr;
}

/// The middle of a CEGUI window in the game window's pixels; false when it is not shown.
inline bool middleOf(CEGUI::Window* w, int& x, int& y)
{
    if (!w || !w->isEffectiveVisible())
        return false;
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    x = static_cast<int>((r.left() + r.right()) / 2);
    y = static_cast<int>((r.top() + r.bottom()) / 2);
    return true;
}

/// Hero's bot battle (seed 5), won: the bot is put out, and the half time's box screen comes up
/// (ten seconds after the end; it counts down twelve). `room`: the battle's room; null when the
/// way failed, the failure said.
inline void winToBoxScreen(GameRun& game, kavri3D::zrk::ZRKSession& session,
                           boost::shared_ptr<kavri3D::zrk::BattleRoom>& room)
{
    enterBotBattle(game, session, 1, 5, room);
    if (!room)
        return;
    ASSERT_TRUE(game.framesUntil([&] { return room->getLand() && room->getLand()->isFighting(); }, 400));
    kavri3D::zrk::ZRKLand* land = room->getLand();
    for (const auto& doll : land->getAllDoll())
        if (doll.first != land->getMyUID())
            doll.second->setFlag(kavri3D::zrk::SIM_OUT);
    ASSERT_TRUE(game.framesUntil(
        [&] {
            yake::native::advanceTime(0.25);
            return room->getBoxPanel() && room->getBoxPanel()->isShown() && prizeBoxButton(0);
        },
        400))
        << "stage " << room->getHalfTimeStage() << " panel " << (room->getBoxPanel() != nullptr) << " shown "
        << (room->getBoxPanel() && room->getBoxPanel()->isShown()) << " state " << game.stateName();
}

} // namespace zrktest
