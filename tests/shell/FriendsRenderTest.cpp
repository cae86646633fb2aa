// The friends tab in the real game window: "hero" logs in by himself, opens the player page from
// the area page, brings "Friends" to front, types a bot's nickname in other letter case and adds
// him; the bot shows among the friends, not yet mutual, and once the server's clock has run on he
// has said yes (the mutual mark; shots/friends.png). His profile shows his attributes, and the
// invitation into hero's guild is answered in a box and the bot joins on the server.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKGuilds.h>
#include <server/ZRKRoster.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

namespace {

/// The table's rows, each its cells joined by "|".
std::vector<std::string> rows(CEGUI::Window* table)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(table);
    std::vector<std::string> out;
    for (unsigned r = 0; r < list->getRowCount(); ++r) {
        std::string row;
        for (unsigned c = 0; c < list->getColumnCount(); ++c) {
            const CEGUI::ListboxItem* item = list->getItemAtGridReference(CEGUI::MCLGridRef(r, c));
            row += std::string(c ? "|" : "") + (item ? item->getText().c_str() : "");
        }
        out.push_back(row);
    }
    return out;
}

bool holds(const std::vector<std::string>& rows, const std::string& row)
{
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

} // namespace

using FriendsOnScreen = zrktest::GameOnScreen;

TEST_F(FriendsOnScreen, HeroAddsABotByNicknameAndSeesHimAccept)
{
    std::vector<std::string> asked, accepted;
    std::string profile, inviteBox;
    bool mutualOnServer = false, joined = false, shot = false;
    const bool ok = play(zrktest::loggedInRun("hero") + " /serverReset=1", [&](zrktest::GameRun& game) {
        kavri3D::zrk::ZRKServerCore& server = session->getGameServer()->core();
        CEGUI::Window* page = zrktest::openPlayerPage(game, input);
        ASSERT_NE(page, nullptr);
        game.frames(5);
        zrktest::clickOn(input, page->getChild("Tab_Friends"));
        game.frames(5);
        CEGUI::Window* pane = page->getChild("Pane_Friends");
        ASSERT_TRUE(pane->isEffectiveVisible());
        CEGUI::Window* table = pane->getChild("FriendList");

        zrktest::retype(input, pane->getChild("Nick"), U"cOBALT");
        zrktest::retype(input, pane->getChild("Group"), U"1");
        game.frames(2);
        zrktest::clickOn(input, pane->getChild("Add"));
        game.framesUntil([&] { return rows(table).size() >= 2; }, 60); // Rookie was there before
        game.frames(3);
        asked = rows(table);

        // The server's clock runs on: he says yes a few seconds later.
        server.tick(server.now() + 10);
        game.framesUntil([&] { return rows(table) != asked; }, 60);
        game.frames(3);
        accepted = rows(table);
        mutualOnServer = kavri3D::zrk::ZRKRoster::mutual(server.world(), "hero", "Cobalt");

        // His row picked by a click on it.
        auto* list = static_cast<CEGUI::MultiColumnList*>(table);
        for (unsigned r = 0; r < list->getRowCount(); ++r)
            if (list->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText() == "Cobalt")
                zrktest::clickRow(input, list, r);
        game.frames(2);
        zrktest::clickOn(input, pane->getChild("Profile"));
        game.framesUntil([&] { return !pane->getChild("ProfileText")->getText().empty(); }, 60);
        game.frames(10); // his look on the preview
        profile = pane->getChild("ProfileText")->getText().c_str();
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/friends.png");

        kavri3D::core::Frame* frame = game.getMainFrame().get();
        zrktest::clickOn(input, pane->getChild("Invite"));
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60));
        inviteBox = frame->getOpenMessageBox()->text;
        zrktest::clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        server.tick(server.now() + 10);
        game.frames(3);
        joined = kavri3D::zrk::ZRKGuilds::guildOf(server.world(), "Cobalt") == 1;
    });
    EXPECT_TRUE(ok);
    // "Cobalt|<level>|<sex>|<mutual>|<list>": asked, then mutual.
    auto cobalt = [](const std::vector<std::string>& shown, const std::string& tail) {
        return std::any_of(shown.begin(), shown.end(), [&](const std::string& r) {
            return r.rfind("Cobalt|", 0) == 0 && r.find(tail) != std::string::npos;
        });
    };
    EXPECT_TRUE(cobalt(asked, "|-|Friends")) << asked.size();
    EXPECT_TRUE(cobalt(accepted, "|yes|Friends"));
    EXPECT_TRUE(holds(accepted, "Rookie|1|girl|-|Others"));
    EXPECT_TRUE(mutualOnServer);
    EXPECT_EQ(profile.rfind("Cobalt  Lv ", 0), 0u) << profile;
    EXPECT_EQ(inviteBox, "The invitation was sent.");
    EXPECT_TRUE(joined);
    EXPECT_TRUE(shot);
}
