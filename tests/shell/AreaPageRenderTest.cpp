// The log-in and the area page in the real game window, by the mouse and the keys alone: the
// installation lists two servers, of which the game picked the first at start (nothing answers
// there); "hero" picks the second, the built-in one, in the log-in screen's list, logs in and
// is online there; on his first arrival at the area page it lists players the server has in
// its zones; "Log out" asks whether to leave the game: Escape keeps him on the page, online,
// and Enter ends the game, his session logged out.
#include <CEGUI/CEGUI.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <data/ZRKServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <yake/Math.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

namespace fs = std::filesystem;
using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::clickOn;
using zrktest::shownPage;

namespace {

/// The build's installation behind links, its settings naming a server list of two: "North"
/// elsewhere, where nothing answers, and "South", the server built into the game.
struct TwoServerInstallation {
    zrktest::TempDir dir;
    std::string program = dir.file("game") + "/";

    TwoServerInstallation()
    {
        const std::string bin = zrktest::binFolder() + "/";
        fs::create_directories(program + "res");
        for (const auto& entry : fs::directory_iterator(bin))
            if (entry.path().filename() != "res")
                fs::create_symlink(entry.path(), program + entry.path().filename().string());
        for (const auto& entry : fs::directory_iterator(bin + "res"))
            if (entry.path().filename() != "kavri3D.xml")
                fs::create_symlink(entry.path(), program + "res/" + entry.path().filename().string());
        std::ofstream(program + "res/kavri3D.xml") << "<kavri3D><servers>res/two-servers.xml</servers></kavri3D>";
        std::ofstream(program + "res/two-servers.xml")
            << "<servers><server name=\"North\" host=\"127.0.0.2\" port=\"7140\"/>"
               "<server name=\"South\" host=\"127.0.0.1\" port=\"0\"/></servers>";
    }
};

/// The random draws of the start-up all give 0, so the game picks the list's first server.
struct FirstServerAtStart {
    FirstServerAtStart()
    {
        yake::math::Math::setRandomSource([] { return 0.0f; });
    }
    ~FirstServerAtStart() { yake::math::Math::setRandomSource(nullptr); }
};

/// The password typed into the log-in screen, then "Log in" clicked.
template <class Input> void logIn(Input& input, CEGUI::Window* login, bool typeName)
{
    if (typeName) {
        clickOn(input, login->getChild("Name"));
        input.type("hero");
    }
    clickOn(input, login->getChild("Password"));
    input.type("hero123");
    clickOn(input, login->getChild("LogIn"));
}

/// The area page once its list of players about has lines; null when it never did.
CEGUI::Window* areaWithPlayers(zrktest::GameRun& game)
{
    const bool shown = game.playUntil(
        [] {
            CEGUI::Window* area = shownPage("AreaPage");
            return area && static_cast<CEGUI::Listbox*>(area->getChild("Members"))->getItemCount() > 0;
        },
        400);
    return shown ? shownPage("AreaPage") : nullptr;
}

} // namespace

using AreaPageOnScreen = zrktest::GameOnScreen;

TEST_F(AreaPageOnScreen, HeroChoosesTheServerLogsInSeesThePlayersAboutAndLogsOutOfTheGame)
{
    TwoServerInstallation install;
    zrktest::ManualClock clock;
    std::unique_ptr<FirstServerAtStart> firstServer(new FirstServerAtStart);
    std::string startServer, chosenServer, chosenNet;
    std::vector<std::string> shownPlayers, sampled;
    std::vector<std::string> notInAZone;
    bool onlineAtServer = false, sessionAfterLogout = true;
    bool stayedAfterEscape = false, gameEnded = false;
    std::string stateAfterLogin, askedTitle;
    const bool ok = play(
        zrktest::loginScreenRun(),
        [&](zrktest::GameRun& game) {
            firstServer.reset(); // the game's own draws from here on
            ASSERT_TRUE(session && session->getGameServer());
            ZRKLobby& lobby = session->getGameServer()->core().lobby();
            core::BlackBoard& board = *game.getBlackBoard();

            ASSERT_TRUE(game.framesUntil([] { return shownPage("LoginPage") != nullptr; }, 120));
            CEGUI::Window* login = shownPage("LoginPage");
            ASSERT_TRUE(login->isChild("Server"));
            auto* servers = static_cast<CEGUI::Combobox*>(login->getChild("Server"));
            startServer = servers->getText().c_str();

            // The list drops down under a click and takes the second server from another.
            clickOn(input, servers->getEditbox());
            game.frames(3);
            CEGUI::ComboDropList* drop = servers->getDropList();
            ASSERT_TRUE(drop->isEffectiveVisible());
            const CEGUI::Rectf outer = drop->getUnclippedOuterRect().get();
            const CEGUI::Rectf rows = drop->getListRenderArea();
            const float first = drop->getListboxItemFromIndex(0)->getPixelSize().d_height;
            const float second = drop->getListboxItemFromIndex(1)->getPixelSize().d_height;
            input.click(static_cast<int>(outer.left() + rows.left() + 10),
                        static_cast<int>(outer.top() + rows.top() + first + second / 2));
            game.frames(3);
            chosenServer = servers->getText().c_str();

            logIn(input, login, true);
            ASSERT_TRUE(game.playUntil([&] { return game.stateName() == "room"; }, 600));
            stateAfterLogin = game.stateName();
            chosenNet = board.getString("kavri3D/app/net/Name", "");
            onlineAtServer = session->isOnline() && lobby.isOnline("hero");

            // The first arrival at the area page: the players about, as the server sampled them.
            CEGUI::Window* area = areaWithPlayers(game);
            ASSERT_NE(area, nullptr);
            shownPlayers = zrktest::listLines(area->getChild("Members"));
            if (ZRKServer* server = getZRKServer())
                sampled = server->getZoneRandomMembers();
            for (const std::string& name : sampled)
                if (!lobby.zoneOf(name))
                    notInAZone.push_back(name);

            // "Log out" asks first, as quitting does; Escape keeps him where he is.
            core::Frame* frame = game.getMainFrame().get();
            clickOn(input, area->getChild("LogOut"));
            ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60));
            askedTitle = frame->getOpenMessageBox()->titleKey;
            input.key(XK_Escape);
            game.frames(5);
            stayedAfterEscape = frame->getOpenMessageBox() == nullptr && shownPage("AreaPage") != nullptr &&
                                game.stateName() == "room" && lobby.isOnline("hero");

            // Asked again, Enter takes the box's first answer: the game ends, his session logged out.
            // The second click waits out the GUI's double-click time (wall time), as a player's
            // would: a button does not answer a double click.
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            clickOn(input, area->getChild("LogOut"));
            ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60));
            input.key(XK_Return);
            gameEnded = !game.frames(60);
            sessionAfterLogout = session->isOnline();
        },
        install.program);
    EXPECT_TRUE(ok);
    EXPECT_EQ(startServer, "North");
    EXPECT_EQ(chosenServer, "South");
    EXPECT_EQ(chosenNet, "South");
    EXPECT_EQ(stateAfterLogin, "room");
    EXPECT_TRUE(onlineAtServer);
    EXPECT_FALSE(shownPlayers.empty());
    EXPECT_EQ(shownPlayers.size(), sampled.size());
    EXPECT_TRUE(notInAZone.empty());
    EXPECT_EQ(askedTitle, "warning/quit");
    EXPECT_TRUE(stayedAfterEscape);
    EXPECT_TRUE(gameEnded);
    EXPECT_FALSE(sessionAfterLogout);
}
