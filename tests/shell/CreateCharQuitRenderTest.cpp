// A new player on the character-creation page in the real game window wants out: Escape, and
// the window's close, ask the game's quit question (with no hint about a level he has not got);
// its "no" keeps him on the page, even with a name half typed.
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <gtest/gtest.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using namespace kavri3D;
using zrktest::clickOn;
using zrktest::shownPage;

using CreateCharOnScreen = zrktest::GameOnScreen;

TEST_F(CreateCharOnScreen, EscapeAndTheWindowsCloseAskTheQuitQuestionAndNoKeepsThePlayerThere)
{
    std::vector<std::string> asked, lines;
    std::string title;
    const bool ok = play(zrktest::loggedInRun("nochar"), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("CreateCharPage") != nullptr; }, 600)) << game.stateName();
        title = zrk::ZRKLan::getMsg("warning/quit");
        CEGUI::Window* page = shownPage("CreateCharPage");
        core::Frame* frame = zrk::GameServices::frame();
        ASSERT_NE(frame, nullptr);
        // Asked, then answered "no" (the second button): the page stays, and takes keys again.
        const auto askAndStay = [&](const std::function<void()>& ask, const char* how) {
            ask();
            if (!game.framesUntil([&] { return frame->getMessageBoxWindow() != nullptr; }, 60)) {
                ADD_FAILURE() << how << " asked nothing";
                return;
            }
            asked.push_back(frame->getMessageBoxWindow()->getText().c_str());
            lines.push_back(frame->getMessageBoxWindow()->getChild("Text")->getText().c_str());
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button1"));
            EXPECT_TRUE(game.framesUntil([&] { return frame->getMessageBoxWindow() == nullptr; }, 60)) << how;
            game.frames(2);
            EXPECT_EQ(game.stateName(), "zrk_createchar") << how;
            EXPECT_NE(shownPage("CreateCharPage"), nullptr) << how;
        };
        askAndStay([&] { input.key(XK_Escape); }, "Escape");
        askAndStay([&] { input.close(); }, "the window's close");
        zrktest::retype(input, page->getChild("Name"), U"Ann");
        askAndStay([&] { input.key(XK_Escape); }, "Escape in the name box");
        EXPECT_EQ(std::string(page->getChild("Name")->getText().c_str()), "Ann");
    });
    EXPECT_TRUE(ok);
    EXPECT_NE(title, "warning/quit"); // the key has a text of its own
    EXPECT_EQ(asked, (std::vector<std::string>{title, title, title}));
    // Nothing open and no character yet: the question's one line, no level or rank hint.
    EXPECT_EQ(lines, (std::vector<std::string>(3, title)));
}
