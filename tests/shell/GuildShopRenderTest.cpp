// The player page's guild shop and gift form in the real game window: "hero" meets the
// server's player Anvil in a zone's hall, goes back to the area and opens the shop. On the
// "Guild" tab he buys the guild tonic with the mouse (shots/guild-shop.png): his medals drop by
// its full price, his guild contribution grows and the tonic lies in his bag on the server; on
// "Arena" the boots cost him arena points. On the "Gift" tab he picks Anvil from the online
// list, writes a message, puts a coat into the gift cart (shots/gift.png) and sends it: the
// coat lies in Anvil's bag, hero paid the medals.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKLobby.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickLine;
using zrktest::clickOn;
using zrktest::clickRow;
using zrktest::shownPage;

using kavri3D::zrk::ZRKWorld;

namespace {

int countOf(ZRKWorld& world, const std::string& player, int itemId)
{
    int n = 0;
    for (const ZRKWorld::Item& i : world.items(player))
        if (i.id == itemId)
            n += i.count;
    return n;
}

} // namespace

using GuildShopOnScreen = zrktest::GameOnScreen;

TEST_F(GuildShopOnScreen, HeroBuysInTheGuildShopAndSendsAGiftToABot)
{
    // The server's players keep the game's time, which the test moves on: Anvil stays in the hall's
    // list however slowly the frames come.
    zrktest::ManualClock clock;
    std::vector<std::string> guildOffers, receivers, giftCart;
    std::string guildStatus, giftStatus, giftTotal;
    long long medals0 = -1, medals1 = -1, medals2 = -1;
    int tonics0 = -1, tonics1 = -1, coats0 = -1, coats1 = -1, points0 = -1, points1 = -1, boots0 = -1, boots1 = -1;
    int credit0 = -1, credit1 = -1;
    bool guildShot = false, giftShot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        kavri3D::zrk::ZRKServerCore& server = session->getGameServer()->core();
        ZRKWorld& world = server.world();
        kavri3D::core::Frame* frame = game.getMainFrame().get();
        auto setting = [&](const char* key) {
            const Json::Value& v = (*world.player("hero")->settings)[key];
            return v.isInt() ? v.asInt() : -1;
        };
        // Both boxes of a purchase answered with their first button: the question, then the cost.
        auto confirm = [&] {
            ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60));
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
            game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60);
            game.frames(4);
            if (frame->getOpenMessageBox())
                clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
            game.frames(4);
        };

        // In the first zone's hall Anvil comes in: the online list knows him.
        ASSERT_NE(zrktest::enterFirstZoneByMouse(game, input), nullptr);
        std::string refusal;
        server.lobby().setOnline("Anvil", true, false);
        server.lobby().enter("Anvil", "plains", std::string()); // the hall of zone 1
        ASSERT_TRUE(server.lobby().joinZone("Anvil", 1, 12, refusal)) << refusal;
        ASSERT_TRUE(game.framesUntil(
            [] {
                CEGUI::Window* online = shownPage("OnlinePlayersPage");
                for (const std::string& l :
                     online ? zrktest::listLines(online->getChild("Players")) : std::vector<std::string>())
                    if (l.find("Anvil") != std::string::npos && l.find("Lv") != std::string::npos)
                        return true;
                return false;
            },
            120));
        clickOn(input, shownPage("RoomListPage")->getChild("Leave"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 60));

        // The guild shop: the tonic at its full price in medals.
        ASSERT_TRUE(world.addMoney("hero", ZRKWorld::Medals, 200, refusal)) << refusal;
        medals0 = world.player("hero")->money[ZRKWorld::Medals];
        credit0 = setting("g_contribution");
        tonics0 = countOf(world, "hero", 5004);
        CEGUI::Window* page = openPlayerPage(game, input);
        ASSERT_NE(page, nullptr);
        game.frames(5);
        clickOn(input, page->getChild("Tab_Guild"));
        CEGUI::Window* guild = page->getChild("Pane_Guild");
        auto* offers = static_cast<CEGUI::MultiColumnList*>(guild->getChild("Offers"));
        ASSERT_TRUE(game.framesUntil([&] { return offers->getRowCount() > 0; }, 60));
        for (unsigned r = 0; r < offers->getRowCount(); ++r)
            guildOffers.push_back(
                std::string(offers->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str()) + " / " +
                offers->getItemAtGridReference(CEGUI::MCLGridRef(r, 1))->getText().c_str());
        clickRow(input, offers, 0);
        game.frames(2);
        clickOn(input, guild->getChild("Buy"));
        confirm();
        game.framesUntil([&] { return std::string(guild->getChild("Status")->getText().c_str()).find("Bought") == 0; },
                         60);
        game.frames(6);
        guildStatus = guild->getChild("Status")->getText().c_str();
        medals1 = world.player("hero")->money[ZRKWorld::Medals];
        credit1 = setting("g_contribution");
        tonics1 = countOf(world, "hero", 5004);
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        guildShot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/guild-shop.png");

        // The arena shop: the boots for arena points.
        points0 = setting("pc_arena_point");
        boots0 = countOf(world, "hero", 2201);
        clickOn(input, page->getChild("Tab_Arena"));
        CEGUI::Window* arena = page->getChild("Pane_Arena");
        auto* arenaOffers = static_cast<CEGUI::MultiColumnList*>(arena->getChild("Offers"));
        ASSERT_TRUE(game.framesUntil([&] { return arenaOffers->getRowCount() > 0; }, 60));
        clickRow(input, arenaOffers, 0);
        game.frames(2);
        clickOn(input, arena->getChild("Buy"));
        confirm();
        points1 = setting("pc_arena_point");
        boots1 = countOf(world, "hero", 2201);

        // The gift: Anvil from the online list, a message and a coat for 30 days.
        coats0 = countOf(world, "Anvil", 3102);
        clickOn(input, page->getChild("Tab_Gift"));
        CEGUI::Window* gift = page->getChild("Pane_Gift");
        auto* gifts = static_cast<CEGUI::MultiColumnList*>(gift->getChild("Offers"));
        ASSERT_TRUE(game.framesUntil([&] { return gifts->getRowCount() > 0; }, 60));
        receivers = zrktest::listLines(gift->getChild("Receivers"));
        for (std::size_t i = 0; i < receivers.size(); ++i)
            if (receivers[i].find("Anvil") == 0)
                clickLine(input, gift->getChild("Receivers"), i);
        clickOn(input, gift->getChild("Message"));
        input.typeText(U"Welcome to the Iron Wolves");
        for (unsigned r = 0; r < gifts->getRowCount(); ++r)
            if (std::string(gifts->getItemAtGridReference(CEGUI::MCLGridRef(r, 0))->getText().c_str()) == "Scout Coat")
                clickRow(input, gifts, r);
        game.frames(2);
        clickOn(input, gift->getChild("Add"));
        game.frames(4);
        giftCart = zrktest::listLines(gift->getChild("Cart"));
        giftTotal = gift->getChild("Total")->getText().c_str();
        giftShot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/gift.png");
        clickOn(input, gift->getChild("Send"));
        confirm();
        game.framesUntil([&] { return std::string(gift->getChild("Status")->getText().c_str()).find("Sent") == 0; },
                         60);
        giftStatus = gift->getChild("Status")->getText().c_str();
        medals2 = world.player("hero")->money[ZRKWorld::Medals];
        coats1 = countOf(world, "Anvil", 3102);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(guildOffers, std::vector<std::string>{"Guild Tonic / 100 medals"});
    EXPECT_EQ(medals0 - medals1, 100); // full price in medals, whatever money the option names
    EXPECT_EQ(tonics1, tonics0 + 1);
    EXPECT_EQ(credit1 - credit0, 15); // the guild contribution: 0.15 of the price
    EXPECT_EQ(guildStatus.find("Bought: Guild Tonic x1"), 0u) << guildStatus;
    EXPECT_EQ(points0 - points1, 50); // the arena's boots, in arena points
    EXPECT_EQ(boots1, boots0 + 1);
    ASSERT_FALSE(receivers.empty());
    EXPECT_NE(receivers.front().find("Anvil"), std::string::npos);
    EXPECT_EQ(giftCart, std::vector<std::string>{"Scout Coat x1  30 days: 3 medals"});
    EXPECT_EQ(giftTotal, "Total: 3 medals");
    EXPECT_EQ(coats1, coats0 + 1);   // in the bot's bag on the server
    EXPECT_GT(medals1 - medals2, 0); // the giver paid, a member perhaps less than the total shown
    EXPECT_LE(medals1 - medals2, 3);
    EXPECT_EQ(giftStatus.find("Sent to Anvil"), 0u) << giftStatus;
    EXPECT_TRUE(guildShot);
    EXPECT_TRUE(giftShot);
}
