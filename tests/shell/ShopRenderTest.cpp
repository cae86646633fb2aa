// The shop in the real game window: "hero" logs in by himself, opens the shop from the area
// page, types the parade suite's id, tries it on (the preview wears it: shots/tryon.png), puts a
// jacket for 30 days and three repair kits into the cart (shots/shop.png: the card, its options,
// the cart, the money and the preview) and buys them with the mouse; the coins and coupons drop
// by the box's figures and the items lie in his bag on the server; then on the bag page the
// jacket is renewed for 30 days more and worn, and his own character has it on.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKSession.h>
#include <server/ZRKWorld.h>
#include <gtest/gtest.h>

#include <gui/IGuiManager.h>

#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "services/GameServices.h"
#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/InternalWords.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

using ShopOnScreen = zrktest::GameOnScreen;

TEST_F(ShopOnScreen, HeroTriesOnBuysWithTheMouseAndWearsWhatHeBought)
{
    std::vector<std::string> options, cart;
    std::string money, totals, question, suite, coat;
    std::vector<int> bought;
    std::string renewed, worn, renewQuestion, renewTold, renewedEarly;
    std::vector<std::string> leaks;
    bool tryShot = false, shopShot = false;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        CEGUI::Window* shop = openPlayerPage(game, input);
        ASSERT_NE(shop, nullptr);
        game.frames(5);
        auto show = [&](const char* id) {
            shop->getChild("ItemId")->setText(id);
            clickOn(input, shop->getChild("Show"));
            game.framesUntil(
                [&] {
                    return !zrktest::listLines(shop->getChild("Options")).empty() &&
                           shop->getChild("Card")->getText().find("Pick") == CEGUI::String::npos;
                },
                60);
            game.frames(2);
        };
        show("2101");
        options = zrktest::listLines(shop->getChild("Options"));
        clickOn(input, shop->getChild("TryOn"));
        game.frames(20); // the preview dressed and drawn
        if (kavri3D::zrk::ZRKRolePtr view = kavri3D::zrk::RoleManager::instance().getRole("showview")) {
            auto models = view->getSlotModels();
            suite = models.count("suite") ? models["suite"] : "";
        }
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        tryShot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/tryon.png");

        show("3001");
        clickOn(input, shop->getChild("Add"));
        game.frames(2);
        show("4001");
        shop->getChild("Count")->setText("3");
        clickOn(input, shop->getChild("Add"));
        game.frames(4);
        cart = zrktest::listLines(shop->getChild("Cart"));
        totals = shop->getChild("Totals")->getText().c_str();
        shopShot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/shop.png");

        kavri3D::core::Frame* frame = game.getMainFrame().get();
        clickOn(input, shop->getChild("Buy"));
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60));
        question = frame->getOpenMessageBox()->text;
        clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60); // the cost box
        game.frames(6);
        if (frame->getOpenMessageBox())
            clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        game.frames(3);
        money = shop->getChild("Attributes")->getText().c_str();
        leaks = zrktest::internalWords(shop);
        for (const kavri3D::zrk::ZRKWorld::Item& i : session->getGameServer()->core().world().items("hero"))
            if ((i.id == 3001 && i.expiryDay == 30 && i.slot >= 77) || (i.id == 4001 && i.slot == 51 && i.count == 6))
                bought.push_back(i.slot);

        // On the bag page: the jacket picked up and renewed for 30 days more, then worn.
        kavri3D::zrk::GameServices::guiManager()->showPage("bag");
        ASSERT_TRUE(game.framesUntil([] { return shownPage("BagPage") != nullptr; }, 60));
        CEGUI::Window* bag = shownPage("BagPage");
        game.frames(6);
        clickOn(input, bag->getChild("Cell_77"));
        game.frames(2);
        clickOn(input, bag->getChild("Renew"));
        // Asked first, with the price; nothing goes before the yes.
        game.framesUntil([&] { return bag->getChild("Yes")->isVisible(); }, 60);
        renewQuestion = bag->getChild("Status")->getText().c_str();
        for (const kavri3D::zrk::ZRKWorld::Item& i : session->getGameServer()->core().world().items("hero"))
            if (i.slot == 77)
                renewedEarly = std::to_string(i.id) + "/" + std::to_string(i.expiryDay);
        clickOn(input, bag->getChild("Yes"));
        game.framesUntil([&] { return bag->getChild("Status")->getText().find("Renewed") == 0; }, 60);
        renewTold = bag->getChild("Status")->getText().c_str();
        for (const std::string& leak : zrktest::internalWords(bag))
            leaks.push_back(leak);
        for (const kavri3D::zrk::ZRKWorld::Item& i : session->getGameServer()->core().world().items("hero"))
            if (i.slot == 77)
                renewed = std::to_string(i.id) + "/" + std::to_string(i.expiryDay);
        clickOn(input, bag->getChild("Cell_77"));
        game.frames(2);
        clickOn(input, bag->getChild("Cell_3"));
        // Wearing binds the jacket: the game asks first.
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 30));
        clickOn(input, frame->getMessageBoxWindow()->getChild("Button0"));
        game.frames(12);
        if (kavri3D::zrk::ZRKRolePtr own = kavri3D::zrk::RoleManager::instance().getRole("myrole")) {
            auto models = own->getSlotModels();
            worn = models.count("coat") ? models["coat"] : "";
        }
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(options, (std::vector<std::string>{"30 days: 10 coupons", "for ever: 25 coupons"}));
    EXPECT_EQ(suite, "boy_suite_01");
    EXPECT_EQ(cart,
              (std::vector<std::string>{"Field Jacket x1  30 days: 300 coins", "Repair Kit x3  for ever: 2 coupons"}));
    EXPECT_EQ(totals, "Cart: 300 coins, 6 coupons, 0 medals");
    EXPECT_EQ(question, "Pay 300 coins, 6 coupons and 0 medals?");
    EXPECT_NE(money.find("Coins 900  Coupons 24"), std::string::npos) << money;
    EXPECT_EQ(bought, (std::vector<int>{51, 77}));
    EXPECT_EQ(leaks, std::vector<std::string>{});
    EXPECT_EQ(renewedEarly, "3001/30");
    EXPECT_EQ(renewQuestion, "Renew Field Jacket for 30 more days at 300 coins?");
    EXPECT_EQ(renewed, "3001/60");
    EXPECT_EQ(renewTold, "Renewed Field Jacket: 30 more days, paid 300 coins.");
    EXPECT_EQ(worn, "boy_coat_02"); // the jacket, where the field coat was
    EXPECT_TRUE(tryShot);
    EXPECT_TRUE(shopShot);
}

TEST_F(ShopOnScreen, ARefusedPurchaseLeavesTheCartToBeChangedAndTheNextPurchaseBuysWhatItThenHolds)
{
    using kavri3D::zrk::ZRKWorld;
    std::vector<std::string> twoLines, afterCancel, afterRefusal, afterDelete, bought;
    std::string refusal, question, secondQuestion;
    bool cancelAsked = false, boxLeft = true;
    long long coins = -1;
    int jackets = 0, dressings = 0, cannons = 0;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        CEGUI::Window* shop = openPlayerPage(game, input);
        ASSERT_NE(shop, nullptr);
        game.frames(5);
        kavri3D::core::Frame* frame = game.getMainFrame().get();
        // The item's card by its typed id, as the player asks for it.
        auto show = [&](const std::u32string& id) {
            zrktest::retype(input, shop->getChild("ItemId"), id);
            clickOn(input, shop->getChild("Show"));
            ASSERT_TRUE(game.framesUntil(
                [&] {
                    return !zrktest::listLines(shop->getChild("Options")).empty() &&
                           shop->getChild("Card")->getText().find("Pick") == CEGUI::String::npos;
                },
                60, "the item's card"));
            game.frames(2);
        };
        auto answerBox = [&](const char* button) {
            ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60, "a box"));
            game.frames(2);
            clickOn(input, frame->getMessageBoxWindow()->getChild(button));
            game.frames(4);
        };
        // The field jacket for ever (900 coins) and a cannon (400): more than hero's 1200.
        show(U"3001");
        zrktest::clickLine(input, shop->getChild("Options"), 1);
        game.frames(2);
        clickOn(input, shop->getChild("Add"));
        show(U"6001");
        clickOn(input, shop->getChild("Add"));
        game.frames(2);
        twoLines = zrktest::listLines(shop->getChild("Cart"));

        // "Cancel" at the question buys nothing and keeps the cart.
        clickOn(input, shop->getChild("Buy"));
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60, "the question"));
        question = frame->getOpenMessageBox()->text;
        cancelAsked = frame->getOpenMessageBox()->choice;
        answerBox("Button1");
        afterCancel = zrktest::listLines(shop->getChild("Cart"));

        // Refused: too few coins. The box says why; the cart stays as it was.
        clickOn(input, shop->getChild("Buy"));
        answerBox("Button0");
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60, "the refusal"));
        refusal = frame->getOpenMessageBox()->text;
        answerBox("Button0");
        afterRefusal = zrktest::listLines(shop->getChild("Cart"));

        // The cannon's line picked and taken out with Delete; two field dressings put in.
        zrktest::clickLine(input, shop->getChild("Cart"), 1);
        game.frames(2);
        input.key(XK_Delete);
        game.frames(3);
        afterDelete = zrktest::listLines(shop->getChild("Cart"));
        show(U"5002");
        zrktest::retype(input, shop->getChild("Count"), U"2");
        clickOn(input, shop->getChild("Add"));
        game.frames(2);

        clickOn(input, shop->getChild("Buy"));
        ASSERT_TRUE(game.framesUntil([&] { return frame->getOpenMessageBox() != nullptr; }, 60, "the question"));
        secondQuestion = frame->getOpenMessageBox()->text;
        answerBox("Button0");
        answerBox("Button0"); // the cost
        game.frames(4);
        boxLeft = frame->getOpenMessageBox() != nullptr;
        bought = zrktest::listLines(shop->getChild("Cart"));
        ZRKWorld& world = session->getGameServer()->core().world();
        if (const ZRKWorld::Player* hero = world.player("hero"))
            coins = hero->money[ZRKWorld::Coins];
        for (const ZRKWorld::Item& i : world.items("hero")) {
            jackets += i.id == 3001 && i.expiryDay == 0;
            dressings += i.id == 5002 ? static_cast<int>(i.count) : 0;
            cannons += i.id == 6001;
        }
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(twoLines,
              (std::vector<std::string>{"Field Jacket x1  for ever: 900 coins", "Cannon x1  for ever: 400 coins"}));
    EXPECT_EQ(question, "Pay 1300 coins, 0 coupons and 0 medals?");
    EXPECT_TRUE(cancelAsked);
    EXPECT_EQ(afterCancel, twoLines);
    EXPECT_EQ(refusal, "You do not have enough coins.");
    EXPECT_EQ(afterRefusal, twoLines);
    EXPECT_EQ(afterDelete, std::vector<std::string>{"Field Jacket x1  for ever: 900 coins"});
    EXPECT_EQ(secondQuestion, "Pay 940 coins, 0 coupons and 0 medals?");
    EXPECT_FALSE(boxLeft);
    EXPECT_TRUE(bought.empty()) << "the cart empties once bought";
    // The world: the jacket for ever and two more dressings (two were in the props bag), no
    // second cannon, 940 coins paid.
    EXPECT_EQ(coins, 1200 - 940);
    EXPECT_EQ(jackets, 1);
    EXPECT_EQ(dressings, 4);
    EXPECT_EQ(cannons, 1);
}
