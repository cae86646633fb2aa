// The bag past its first page and the forge past its first cells, played with the mouse in the
// real game window: "hero" uses his "Bigger Bag" (the world gives him 35 slots), turns to the
// bag's second page with ">", moves his ember coat to slot 95 and a sapphire to slot 91 there
// (shots/bag-pages.png), sees the box the temporary bag holds on its own page, then sets the
// sapphire in the coat's free hole on the forge's enchase tab. The world holds each step.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <gtest/gtest.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <data/ZRKSession.h>

#include "support/GamePages.h"
#include "support/GameRun.h"
#include "support/InternalWords.h"
#include "support/LabelFit.h"
#include "support/TestEnv.h"
#include "support/GameOnScreen.h" // last: X11's macros

using zrktest::clickOn;
using zrktest::shownPage;

namespace {

const int kCoat = 65, kSapphire = 76, kBiggerBag = 86;

/// Where hero's item of that kind lies in the world; 0 for nowhere.
int slotOf(kavri3D::zrk::ZRKSession* session, long long itemId, std::string* attrX = nullptr)
{
    for (const kavri3D::zrk::ZRKWorld::Item& i : session->getGameServer()->core().world().items("hero"))
        if (i.id == itemId) {
            if (attrX)
                *attrX = i.attrX;
            return i.slot;
        }
    return 0;
}

CEGUI::Vector2f middle(CEGUI::Window* w)
{
    const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
    return CEGUI::Vector2f((r.left() + r.right()) / 2, (r.top() + r.bottom()) / 2);
}

} // namespace

using BagPagesOnScreen = zrktest::GameOnScreen;

TEST_F(BagPagesOnScreen, ABiggerBagsSlotsShowOnTheSecondPageAndTheForgeWorksTheCoatInSlot95)
{
    std::string grownStatus, firstLabel, secondLabel, temporaryLabel, temporaryTip, coatIcon, sapphireIcon;
    std::string holes, enchased, result;
    std::vector<std::string> cut, leaks;
    bool shot = false, cell96Shown = true, cell91OnFirst = true, coatListed = false;
    int bagSlots = 0, coatSlot = 0, sapphireSlot = 0;
    const bool ok = play(zrktest::loggedInRun("hero"), [&](zrktest::GameRun& game) {
        kavri3D::zrk::ZRKSession* s = session;
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 300, "the area page"));
        game.frames(3);
        clickOn(input, shownPage("AreaPage")->getChild("Bag"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("BagPage") != nullptr; }, 60, "the bag"));
        CEGUI::Window* bag = shownPage("BagPage");
        ASSERT_TRUE(
            game.framesUntil([&] { return bag->getChild("Cell_86")->getTooltipText() != ""; }, 120, "the bag's items"));
        game.frames(3);

        // "Use", then the Bigger Bag: the world gives five more slots, the bag a second page.
        clickOn(input, bag->getChild("Use"));
        game.frames(2);
        clickOn(input, bag->getChild("Cell_" + std::to_string(kBiggerBag)));
        ASSERT_TRUE(
            game.framesUntil([&] { return std::string(bag->getChild("PageLabel")->getText().c_str()) == "Bag 1/2"; },
                             120, "the bag's second page"));
        grownStatus = bag->getChild("Status")->getText().c_str();
        firstLabel = bag->getChild("PageLabel")->getText().c_str();
        cell91OnFirst = bag->getChild("Cell_91")->isEffectiveVisible();
        if (const kavri3D::zrk::ZRKWorld::Player* hero = s->getGameServer()->core().world().player("hero"))
            bagSlots = s->getGameServer()->core().world().bagSlots(*hero);

        // The coat picked up on the first page, put down in slot 95 on the second.
        clickOn(input, bag->getChild("Cell_" + std::to_string(kCoat)));
        game.frames(2);
        clickOn(input, bag->getChild("NextPage"));
        game.frames(2);
        secondLabel = bag->getChild("PageLabel")->getText().c_str();
        cell96Shown = bag->getChild("Cell_96")->isEffectiveVisible();
        clickOn(input, bag->getChild("Cell_95"));
        ASSERT_TRUE(game.framesUntil([&] { return slotOf(s, 3101) == 95; }, 120, "the coat in slot 95"));
        // The sapphire the same way into slot 91.
        clickOn(input, bag->getChild("PrevPage"));
        game.frames(2);
        clickOn(input, bag->getChild("Cell_" + std::to_string(kSapphire)));
        game.frames(2);
        clickOn(input, bag->getChild("NextPage"));
        game.frames(2);
        clickOn(input, bag->getChild("Cell_91"));
        ASSERT_TRUE(game.framesUntil([&] { return slotOf(s, 7204) == 91; }, 120, "the sapphire in slot 91"));
        game.frames(6);
        coatIcon = bag->getChild("Cell_95")->getChild("Icon")->getProperty("Image").c_str();
        sapphireIcon = bag->getChild("Cell_91")->getChild("Icon")->getProperty("Image").c_str();
        boost::filesystem::create_directories(ZRK_SHOTS_DIR);
        shot = graphics->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/bag-pages.png");
        for (const std::string& c : zrktest::clippedLabels(bag))
            cut.push_back("bag: " + c);
        // The temporary bag's box on a page of its own.
        clickOn(input, bag->getChild("NextPage"));
        game.frames(2);
        temporaryLabel = bag->getChild("PageLabel")->getText().c_str();
        temporaryTip = bag->getChild("Cell_201")->getTooltipText().c_str();
        clickOn(input, bag->getChild("Back"));

        // The forge lists the coat of slot 95; the sapphire goes into its free second hole.
        ASSERT_TRUE(game.framesUntil([] { return shownPage("AreaPage") != nullptr; }, 60, "the area page again"));
        game.frames(3);
        clickOn(input, shownPage("AreaPage")->getChild("Forge"));
        ASSERT_TRUE(game.framesUntil([] { return shownPage("ForgePage") != nullptr; }, 60, "the forge"));
        CEGUI::Window* forge = shownPage("ForgePage");
        ASSERT_TRUE(game.framesUntil([&] { return forge->getChild("Cell_95")->isEffectiveVisible(); }, 120,
                                     "the coat among the forge's cells"));
        coatListed = true;
        clickOn(input, forge->getChild("Tab3"));
        game.frames(2);
        auto drag = [&](const char* from, const char* to) {
            const CEGUI::Vector2f a = middle(forge->getChild(from)), b = middle(forge->getChild(to));
            input.drag(static_cast<int>(a.d_x), static_cast<int>(a.d_y), static_cast<int>(b.d_x),
                       static_cast<int>(b.d_y));
            game.frames(4);
        };
        drag("Cell_95", "Place0");
        holes = std::string(forge->getChild("Place1")->getText().c_str()) + " | " +
                forge->getChild("Place2")->getText().c_str() + " | " + forge->getChild("Place3")->getText().c_str();
        drag("Cell_91", "Place2");
        ASSERT_TRUE(game.framesUntil(
            [&] { return std::string(forge->getChild("Result")->getText().c_str()).find("Can be done") == 0; }, 120,
            "the enchase's price"));
        clickOn(input, forge->getChild("Go"));
        ASSERT_TRUE(game.framesUntil([&] { return slotOf(s, 7204) == 0; }, 120, "the sapphire set"));
        game.frames(6);
        slotOf(s, 3101, &enchased);
        result = forge->getChild("Result")->getText().c_str();
        coatSlot = slotOf(s, 3101);
        sapphireSlot = slotOf(s, 7204);
        for (const std::string& c : zrktest::clippedLabels(forge))
            cut.push_back("forge: " + c);
        for (const std::string& l : zrktest::internalWords(forge))
            leaks.push_back(l);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(grownStatus, "Used Bigger Bag: your bag has grown.");
    EXPECT_EQ(bagSlots, 35);
    EXPECT_EQ(firstLabel, "Bag 1/2");
    EXPECT_FALSE(cell91OnFirst);
    EXPECT_EQ(secondLabel, "Bag 2/2");
    EXPECT_FALSE(cell96Shown) << "the world gives 35 slots, not 36";
    EXPECT_EQ(coatIcon, "ZRKIcons/icon_coat_04");
    EXPECT_EQ(sapphireIcon, "ZRKIcons/icon_gem_sapphire");
    EXPECT_TRUE(shot);
    EXPECT_EQ(temporaryLabel, "Temporary bag 1/1");
    EXPECT_EQ(temporaryTip, "Bronze Box");
    EXPECT_TRUE(coatListed);
    EXPECT_EQ(holes, "Gem 1: Topaz (set) | Gem 2: - | Gem 3: -");
    EXPECT_EQ(coatSlot, 95);
    EXPECT_EQ(sapphireSlot, 0);
    EXPECT_EQ(enchased, "7202,7204,0");
    EXPECT_NE(result.find("Gems set in the item: 2."), std::string::npos) << result;
    EXPECT_EQ(cut, std::vector<std::string>{});
    EXPECT_EQ(leaks, std::vector<std::string>{});
}
