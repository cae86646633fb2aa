// What a player meets in the real game window, with the mouse and keys: Enter logs in and
// sends a chat line; a chat line of formatting in the hall stays text and the server players'
// lines after it still show; the own entry carries the character's name and level; a click
// behind an open box does nothing; a new player gets on to the areas; the window destroyed
// from outside ends the run cleanly with the settings written.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <text/CeguiText.h>
#include <yake/Time.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

std::size_t sent(const std::string& op)
{
    std::size_t n = 0;
    if (kavri3D::zrk::ZRKSession* s = kavri3D::zrk::ZRKSession::getSingletonPtr())
        for (const kavri3D::zrk::ZRKRequestInfo& info : s->getBroker().history())
            n += info.op == op ? 1 : 0;
    return n;
}

/// Types a name and password and presses Enter in the password box.
void logInWithEnter(zrktest::XWindowInput& input, CEGUI::Window* page, const std::string& name,
                    const std::string& password)
{
    page->getChild("Name")->setText("");
    clickOn(input, page->getChild("Name"));
    input.type(name);
    clickOn(input, page->getChild("Password"));
    input.type(password);
    input.key(XK_Return);
}

std::string itemText(CEGUI::Listbox* list, std::size_t i)
{
    return list->getListboxItemFromIndex(i)->getText().c_str();
}

using zrktest::ManualClock;

struct PlayerMeets : zrktest::GameOnScreen {
    std::string settingsFile() const { return dataFile("ZRK_Main.xml"); }
};

} // namespace

TEST_F(PlayerMeets, EnterLogsInAndAMarkupLineInTheHallLeavesTheServerPlayersLinesShowing)
{
    ManualClock clock;
    std::string ownEntry, markupShown, botLine;
    bool chosen = false;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 120));
        logInWithEnter(input, shownPage("LoginPage"), "hero", "hero123");
        ASSERT_TRUE(game.framesUntil(zrktest::zonesListed, 300, "the zones on the area page"));
        CEGUI::Window* area = shownPage("AreaPage");
        auto* zones = static_cast<CEGUI::MultiColumnList*>(area->getChild("Zones"));
        zrktest::clickRow(input, zones, 0);
        game.frames(2);
        chosen = zones->getFirstSelectedItem() != nullptr;
        clickOn(input, area->getChild("Enter"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("RoomListPage") != nullptr; }, 120));
        CEGUI::Window* hall = shownPage("RoomListPage");
        auto* chat = static_cast<CEGUI::Listbox*>(hall->getChild("Chat"));
        auto* players = static_cast<CEGUI::Listbox*>(shownPage("OnlinePlayersPage")->getChild("Players"));

        clickOn(input, hall->getChild("ChatInput"));
        input.type("[font='x'] hi");
        input.key(XK_Return);
        ASSERT_TRUE(game.framesUntil([&] { return chat->getItemCount() > 0; }, 60));
        const std::size_t mine = chat->getItemCount() - 1;
        markupShown = itemText(chat, mine);
        // A server player's line after it shows, and the own entry is the character's.
        game.framesUntil(
            [&] {
                yake::native::advanceTime(0.5);
                return chat->getItemCount() > mine + 1;
            },
            2000);
        if (chat->getItemCount() > mine + 1)
            botLine = itemText(chat, chat->getItemCount() - 1);
        for (std::size_t i = 0; i < players->getItemCount(); ++i)
            if (itemText(players, i).find("Hero ") == 0)
                ownEntry = itemText(players, i);
        game.frames(3);
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/hall-markup.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(markupShown, kavri3D::zrk::gui::escapeMarkup("Hero: [font='x'] hi"));
    EXPECT_FALSE(botLine.empty());
    EXPECT_EQ(ownEntry, "Hero  (Lv 9)");
}

TEST_F(PlayerMeets, AClickBehindAnOpenBoxDoesNothing)
{
    std::size_t attemptsWithBox = 0, attemptsAfterClicks = 0;
    bool boxStayed = false, boxFits = false;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 120));
        CEGUI::Window* page = shownPage("LoginPage");
        logInWithEnter(input, page, "hero", "wrong");
        kavri3D::core::Frame* frame = game.getMainFrame().get();
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 120));
        attemptsWithBox = sent("login");
        // The box shows its whole title and text on screen.
        CEGUI::Window* box = frame->getMessageBoxWindow();
        ASSERT_NE(box, nullptr);
        const CEGUI::Font* font = box->getFont();
        boxFits = font->getTextExtent(box->getText()) + 2 * font->getLineSpacing() <= box->getPixelSize().d_width &&
                  CEGUI::PropertyHelper<float>::fromString(box->getChild("Text")->getProperty("VertExtent")) <=
                      box->getChild("Text")->getPixelSize().d_height + 0.5f;
        // "Log in" lies beside the box, not under it: the click reaches it only if the box
        // does not hold the screen.
        clickOn(input, page->getChild("LogIn"));
        game.frames(2);
        clickOn(input, page->getChild("LogIn"));
        game.frames(10);
        attemptsAfterClicks = sent("login");
        boxStayed = frame->getOpenMessageBox() != nullptr;
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/box-holds.png");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(attemptsWithBox, 1u);
    EXPECT_EQ(attemptsAfterClicks, attemptsWithBox);
    EXPECT_TRUE(boxStayed);
    EXPECT_TRUE(boxFits);
}

TEST_F(PlayerMeets, ANewPlayerIsTakenToHisFirstLesson)
{
    std::string state;
    const bool ok = play(zrktest::loggedInRun("rookie"), [&](zrktest::GameRun& game) {
        game.framesUntil([&] { return game.stateName() == "battle_newbie"; }, 300);
        state = game.stateName();
    });
    EXPECT_TRUE(ok);
    // Rookie has done no lesson yet, so the log-in takes him to the tutorial, not the areas.
    EXPECT_EQ(state, "battle_newbie");
}

TEST_F(PlayerMeets, TheWindowDestroyedFromOutsideEndsTheRunAndTheSettingsAreWritten)
{
    bool endedByItself = false;
    const bool ok = play(zrktest::loginScreenRun(), [&](zrktest::GameRun& game) {
        ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 120));
        // A box open, as a window manager might close the window at any moment.
        logInWithEnter(input, shownPage("LoginPage"), "hero", "wrong");
        kavri3D::core::Frame* frame = game.getMainFrame().get();
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 120));
        ASSERT_TRUE(input.destroyFromOutside());
        endedByItself = !game.frames(100);
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(endedByItself);
    EXPECT_TRUE(boost::filesystem::exists(settingsFile()));
}
