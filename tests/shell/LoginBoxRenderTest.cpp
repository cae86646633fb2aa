// The player's road through the real game window: a wrong password on the log-in screen, the
// "Log-in failed" box, OK pressed with the mouse; the game goes on drawing.
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;

namespace {

/// The log-in screen's page when it shows.
CEGUI::Window* loginPage() { return zrktest::shownPage("LoginPage"); }

} // namespace

using LoginBoxOnScreen = zrktest::GameOnScreen;

TEST_F(LoginBoxOnScreen, AWrongPasswordsBoxClosesWithItsOkButtonAndTheGameGoesOn)
{
    kavri3D::core::Frame::BoxRecord shown, answered;
    bool boxClosed = false, wentOn = false, online = true;
    unsigned drawnBefore = 0, drawnAfter = 0;
    std::string state;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return loginPage() != nullptr; }, 60));
        CEGUI::Window* page = loginPage();
        clickOn(input, page->getChild("Name"));
        input.type("hero");
        clickOn(input, page->getChild("Password"));
        input.type("wrong");
        clickOn(input, page->getChild("LogIn"));

        kavri3D::core::Frame* frame = game.getMainFrame().get();
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 120));
        shown = *frame->getOpenMessageBox();
        CEGUI::Window* box = frame->getMessageBoxWindow();
        ASSERT_NE(box, nullptr);
        drawnBefore = graphics->getFramesRendered();
        clickOn(input, box->getChild("Button0"));
        wentOn = game.frames(24);
        drawnAfter = graphics->getFramesRendered();
        boxClosed = frame->getOpenMessageBox() == nullptr && !CEGUI::WindowManager::getSingleton().isAlive(box);
        answered = frame->getMessageBoxes().back();
        online = game.session()->isOnline();
        state = game.stateName();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(shown.titleKey, "error/access_wrong");
    EXPECT_EQ(shown.textKey, "error/user_imfo_wrong1");
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(drawnAfter, drawnBefore + 24);
    EXPECT_TRUE(boxClosed);
    EXPECT_EQ(answered.pressed, 0);
    EXPECT_FALSE(online);
    EXPECT_EQ(state, "logon");
}
