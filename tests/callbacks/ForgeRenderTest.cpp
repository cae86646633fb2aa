// The forge screen in a real game window, played with the mouse against the embedded server:
// hero drags his coat and its stones from the bag cells onto the enhance tab, asks for the
// preview, then enhances; the bag shows the new level and one stone fewer. The picture goes to
// the build's shots/forge.png for the README. A mix said yes to by Enter, with Go pressed on
// through X events, mixes once and keeps its outcome in sight.
#include <CEGUI/CEGUI.h>
#include <boost/filesystem.hpp>
#include <server/ZRKServerConfig.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <data/ZRKUserRequest.h>
#include <gtest/gtest.h>
#include <gui/IGuiPage.h>

#include "callbacks/EquipEnchaseCallbackEvent.h"
#include "callbacks/EquipEnhanceCallbackEvent.h"
#include "callbacks/EquipMixCallbackEvent.h"
#include "callbacks/RefineCallbackEvent.h"
#include "events/EqIconLoadingEvent.h"
#include "events/PackageLoadingEvent.h"
#include "rooms/Wrapper.h"
#include "support/InternalWords.h"
#include "support/PageWindow.h"
#include "support/XWindowInput.h" // last: X11's macros

using namespace kavri3D;

namespace {

const int kArea = 0, kBag = 12, kForge = 20;
const int kCoat = 65, kStones = 68, kLuck = 70, kSafety = 71, kFirstSlot = 61;

struct ForgeWindow : zrktest::PageWindow {
    ForgeWindow() : zrktest::PageWindow("forge", 1024, 640) {}

    void SetUp() override
    {
        zrktest::PageWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        zrk::ZRKServerConfig server;
        server.seed = 3; // a seed whose first enhance succeeds, for the picture
        logInHero(server);
        if (HasFatalFailure())
            return;

        // The forge's events stand on the area page, the bag's on the bag page, as the panels put them.
        registerEvent<zrk::EqIconLoadingEvent>(kBag);
        registerEvent<zrk::PackageLoadingEvent>(kBag);
        registerEvent<zrk::EquipEnhanceCallbackEvent>(kArea);
        registerEvent<zrk::RefineCallbackEvent>(kArea);
        registerEvent<zrk::EquipMixCallbackEvent>(kArea);
        registerEvent<zrk::EquipEnchaseCallbackEvent>(kArea);
        manager->setWrapper(new zrk::Wrapper); // the items' names, as a log-in hands them
    }
    CEGUI::Window* widget(int kind, const std::string& name)
    {
        return manager->getPage(kind)->getRootWindow()->getChild(name);
    }
    static CEGUI::GUIContext& context() { return CEGUI::System::getSingleton().getDefaultGUIContext(); }
    static CEGUI::Vector2f middle(CEGUI::Window* w)
    {
        const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
        return CEGUI::Vector2f((r.left() + r.right()) / 2, (r.top() + r.bottom()) / 2);
    }
    /// The next press is a press of its own, never a double click's second (CEGUI times those
    /// by the wall clock, which a test outruns).
    static void pause() { context().setMouseButtonMultiClickTimeout(1e-6f); }
    /// A click with no frame after it: what the page does at once.
    void press(CEGUI::Window* w)
    {
        pause();
        const CEGUI::Vector2f at = middle(w);
        context().injectMousePosition(at.d_x, at.d_y);
        context().injectMouseButtonDown(CEGUI::LeftButton);
        context().injectMouseButtonUp(CEGUI::LeftButton);
    }
    void clickOn(CEGUI::Window* w)
    {
        press(w);
        frames(3);
    }
    /// The mouse takes the bag cell's item and lets it go over the place.
    void drag(int slot, int place)
    {
        const CEGUI::Vector2f from = middle(widget(kForge, "Cell_" + std::to_string(slot)));
        const CEGUI::Vector2f to = middle(widget(kForge, "Place" + std::to_string(place)));
        pause();
        context().injectMousePosition(from.d_x, from.d_y);
        context().injectMouseButtonDown(CEGUI::LeftButton);
        for (int step = 1; step <= 4; ++step)
            context().injectMousePosition(from.d_x + (to.d_x - from.d_x) * step / 4,
                                          from.d_y + (to.d_y - from.d_y) * step / 4);
        context().injectMouseButtonUp(CEGUI::LeftButton);
        frames(2);
    }
    std::string text(int kind, const std::string& name) { return widget(kind, name)->getText().c_str(); }
    bool shown(int kind, const std::string& name) { return widget(kind, name)->isEffectiveVisible(); }
    /// Hero's item in a bag slot as the server's world holds it.
    const zrk::ZRKWorld::Item* heroItem(int slot)
    {
        mItems = session->getGameServer()->core().world().items("hero");
        for (const zrk::ZRKWorld::Item& i : mItems)
            if (i.slot == slot)
                return &i;
        return nullptr;
    }
    void openForge()
    {
        manager->showPage("area");
        frames(2);
        clickOn(widget(kArea, "Forge"));
        frames(6);
    }
    std::vector<zrk::ZRKWorld::Item> mItems;
    /// Hero's coins as the server's world holds them.
    long long coins()
    {
        const zrk::ZRKWorld::Player* hero = session->getGameServer()->core().world().player("hero");
        return hero ? hero->money[zrk::ZRKWorld::Coins] : -1;
    }
};

} // namespace

TEST_F(ForgeWindow, HeroEnhancesHisCoatWithTheMouseAndTheBagShowsTheLevelAndOneStoneFewer)
{
    boost::filesystem::create_directories(ZRK_SHOTS_DIR);
    manager->showPage("area");
    frames(2);
    clickOn(widget(kArea, "Forge"));
    frames(6);
    ASSERT_TRUE(manager->getPage(kForge)->getRootWindow()->isVisible());
    EXPECT_EQ(text(kForge, "Cell_65"), "Ember Coat +2");
    EXPECT_EQ(text(kForge, "Cell_68"), "Forge Stone x5");

    // Until the tab has its pieces the page says what is missing and asks nothing.
    clickOn(widget(kForge, "Preview"));
    EXPECT_EQ(text(kForge, "Result"), "Put the item to enhance on the Item place.");
    drag(kCoat, 0);
    EXPECT_EQ(text(kForge, "Result"), "Put at least one enhancement stone on a Stone place.");
    drag(kStones, 1);
    drag(kLuck, 4);
    drag(kSafety, 5);
    EXPECT_EQ(text(kForge, "Place0"), "Item: Ember Coat +2");
    EXPECT_EQ(text(kForge, "Place1"), "Stone: Forge Stone x5");
    EXPECT_EQ(text(kForge, "Place5"), "Safety: Safety Stone");

    // Each change of the pieces asks the price again; the button asks too.
    frames(4);
    clickOn(widget(kForge, "Preview"));
    frames(4);
    // The preview carries no safety stone: a failure would cost a level.
    EXPECT_EQ(text(kForge, "Result"), "Can be done, cost 200 coins. Chances: gain 85%, no change 0%, loss 15%.");

    // Two presses before the answer goes once: Go is held while its answer is out.
    const long long before = coins();
    const CEGUI::Vector2f go = middle(widget(kForge, "Go"));
    context().injectMousePosition(go.d_x, go.d_y);
    for (int click = 0; click < 2; ++click) {
        pause();
        context().injectMouseButtonDown(CEGUI::LeftButton);
        context().injectMouseButtonUp(CEGUI::LeftButton);
    }
    EXPECT_NE(text(kForge, "Result").find("Wait for the forge's answer"), std::string::npos) << text(kForge, "Result");
    frames(12);
    EXPECT_EQ(coins(), before - 200) << "the price shown is the price taken, once";
    EXPECT_NE(text(kForge, "Result").find("The item is now at +3."), std::string::npos) << text(kForge, "Result");
    EXPECT_NE(text(kForge, "Result").find("Enhanced!"), std::string::npos);
    EXPECT_EQ(text(kForge, "Result").find("Result:"), std::string::npos);
    // The bag as the server now has it: the coat a level up, one stone fewer, the safety stone gone.
    EXPECT_EQ(text(kForge, "Cell_65"), "Ember Coat +3");
    EXPECT_EQ(text(kForge, "Cell_68"), "Forge Stone x4");
    EXPECT_EQ(text(kForge, "Cell_71"), "");
    EXPECT_EQ(text(kForge, "Place5"), "Safety: -");
    // And the price of the next Go, asked again: the one the server will take.
    EXPECT_EQ(text(kForge, "Result").find("Can be done, cost 300 coins."), 0u) << text(kForge, "Result");
    EXPECT_TRUE(gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/forge.png"));
    EXPECT_EQ(zrktest::internalWords(manager->getPage(kForge)->getRootWindow()), std::vector<std::string>{});
    const long long next = coins();
    clickOn(widget(kForge, "Go"));
    frames(12);
    EXPECT_EQ(coins(), next - 300);
}

TEST_F(ForgeWindow, OneStackOfMetalFillsAsManyPlacesAsItHasPiecesAndTheRefineIsAnswered)
{
    manager->showPage("area");
    frames(2);
    clickOn(widget(kArea, "Forge"));
    frames(6);
    clickOn(widget(kForge, "Tab1"));
    drag(72, 0); // two ingots
    drag(72, 1);
    EXPECT_EQ(text(kForge, "Place1"), "Metal: Iron Ore x2") << "a stack of two stands on two places";
    EXPECT_NE(text(kForge, "Result").find("Put three metals"), std::string::npos) << text(kForge, "Result");
    drag(72, 2); // a third would want a third piece: the first place gives it up
    EXPECT_EQ(text(kForge, "Place0"), "Metal: -");
    drag(73, 0);
    frames(6);
    EXPECT_EQ(text(kForge, "Result").find("Can be done, cost 50 coins."), 0u) << text(kForge, "Result");
    clickOn(widget(kForge, "Go"));
    frames(12);
    const std::string result = text(kForge, "Result");
    EXPECT_EQ(result.find("Working..."), std::string::npos) << "the answer came: " << result;
    const bool made = result.find("Made: Steel Ingot.") != std::string::npos;
    EXPECT_TRUE(made || result.find("The refine failed") != std::string::npos) << result;
    // Both ingots of the stack and the third went; a new ingot takes the first slot freed, and
    // no Metal place shows it as if it had been put there.
    EXPECT_EQ(text(kForge, "Cell_72"), made ? "Steel Ingot" : "");
    EXPECT_EQ(text(kForge, "Cell_73"), "");
    for (const char* place : {"Place0", "Place1", "Place2"})
        EXPECT_EQ(text(kForge, place), "Metal: -") << place;
    EXPECT_EQ(zrktest::internalWords(manager->getPage(kForge)->getRootWindow()), std::vector<std::string>{});
}

TEST_F(ForgeWindow, AMixsQuestionAnsweredNoLeavesGoFreeAndItsYesHoldsGoUntilTheAnswer)
{
    openForge();
    clickOn(widget(kForge, "Tab2"));
    drag(kCoat, 0);
    drag(67, 1); // the scout coat, of the ember coat's kind
    frames(6);
    EXPECT_EQ(text(kForge, "Result").find("Can be done, cost 200 coins."), 0u) << text(kForge, "Result");

    // Go asks first; "Cancel" mixes nothing, and the page says so and takes Go again.
    clickOn(widget(kForge, "Go"));
    ASSERT_NE(frame->getOpenMessageBox(), nullptr);
    EXPECT_NE(text(kForge, "Result").find("Answer the question to mix."), std::string::npos);
    clickOn(frame->getMessageBoxWindow()->getChild("Button1"));
    frames(3);
    EXPECT_EQ(text(kForge, "Result").find("Answer the question"), std::string::npos) << text(kForge, "Result");
    EXPECT_NE(text(kForge, "Result").find("Nothing was mixed."), std::string::npos) << text(kForge, "Result");
    ASSERT_NE(heroItem(67), nullptr);

    // The yes sends the mix; until its answer Go is held, and says so.
    const long long before = coins();
    clickOn(widget(kForge, "Go"));
    ASSERT_NE(frame->getOpenMessageBox(), nullptr);
    press(frame->getMessageBoxWindow()->getChild("Button0"));
    EXPECT_NE(text(kForge, "Result").find("Mixing..."), std::string::npos) << text(kForge, "Result");
    press(widget(kForge, "Go"));
    EXPECT_NE(text(kForge, "Result").find("Wait for the forge's answer"), std::string::npos) << text(kForge, "Result");
    EXPECT_EQ(frame->getOpenMessageBox(), nullptr) << "the held Go asks nothing";
    frames(12);
    EXPECT_EQ(coins(), before - 200) << "mixed once";
    EXPECT_EQ(heroItem(67), nullptr) << "the second coat went either way";
    const std::string result = text(kForge, "Result");
    EXPECT_TRUE(result.find("The item has been mixed 1 time.") != std::string::npos ||
                result.find("The mix failed") != std::string::npos)
        << result;
    EXPECT_EQ(result.find("Mixing..."), std::string::npos) << result;
}

TEST_F(ForgeWindow, TheEnchaseTabShowsAPlaceForEachHoleAndTheGemAlreadyInIt)
{
    openForge();
    clickOn(widget(kForge, "Tab3"));
    EXPECT_FALSE(shown(kForge, "Place1")) << "no item, no holes";
    drag(kCoat, 0);
    // The ember coat has three holes, a topaz set in the first.
    EXPECT_EQ(text(kForge, "Place1"), "Gem 1: Topaz (set)");
    EXPECT_EQ(text(kForge, "Place2"), "Gem 2: -");
    EXPECT_EQ(text(kForge, "Place3"), "Gem 3: -");
    EXPECT_TRUE(shown(kForge, "Place3"));
    EXPECT_FALSE(shown(kForge, "Place4"));
    EXPECT_FALSE(shown(kForge, "Place5"));
    const int sapphire = 76;
    drag(sapphire, 1); // the topaz's hole takes no other gem
    EXPECT_EQ(text(kForge, "Place1"), "Gem 1: Topaz (set)");
    EXPECT_NE(text(kForge, "Result").find("That hole holds Topaz already"), std::string::npos)
        << text(kForge, "Result");
    drag(sapphire, 2);
    EXPECT_EQ(text(kForge, "Place2"), "Gem 2: Sapphire");
    frames(6);
    EXPECT_EQ(text(kForge, "Result").find("Can be done, cost 80 coins. Adds: vitality +3."), 0u)
        << text(kForge, "Result");
    clickOn(widget(kForge, "Go"));
    frames(12);
    const zrk::ZRKWorld::Item* coat = heroItem(kCoat);
    ASSERT_NE(coat, nullptr);
    EXPECT_EQ(coat->attrX, "7202,7204,0");
    EXPECT_EQ(heroItem(sapphire), nullptr);
    // The bag as the forge left it: the sapphire sits in the coat's second hole.
    EXPECT_EQ(text(kForge, "Place2"), "Gem 2: Sapphire (set)");
    EXPECT_EQ(text(kForge, "Place3"), "Gem 3: -");
    EXPECT_EQ(zrktest::internalWords(manager->getPage(kForge)->getRootWindow()), std::vector<std::string>{});
}

TEST_F(ForgeWindow, AMixAnsweredByEnterWithGoHammeredMixesOnceAndKeepsItsOutcomeInSight)
{
    // The player's own mouse and keys, through the X server into the window.
    zrktest::XWindowInput input(gfx->getRenderWindow());
    ASSERT_TRUE(input.valid());
    const auto click = [&](CEGUI::Window* w) {
        pause();
        const CEGUI::Vector2f at = middle(w);
        input.click(static_cast<int>(at.d_x), static_cast<int>(at.d_y));
    };
    manager->showPage("area");
    frames(2);
    click(widget(kArea, "Forge"));
    frames(8);
    click(widget(kForge, "Tab2"));
    frames(2);
    for (const auto& piece : {std::make_pair(kCoat, 0), std::make_pair(67, 1)}) {
        const CEGUI::Vector2f from = middle(widget(kForge, "Cell_" + std::to_string(piece.first)));
        const CEGUI::Vector2f to = middle(widget(kForge, "Place" + std::to_string(piece.second)));
        pause();
        input.drag(static_cast<int>(from.d_x), static_cast<int>(from.d_y), static_cast<int>(to.d_x),
                   static_cast<int>(to.d_y));
        frames(3);
    }
    ASSERT_TRUE(pump.until([&] { return text(kForge, "Result").find("Can be done, cost 200 coins.") == 0; }, 60,
                           "the mix's price"))
        << text(kForge, "Result");
    const long long before = coins();

    // Go asks; Enter says yes, and Go is pressed again at once and every frame after, the
    // pointer left on it, until the page shows the mix's outcome and the bag after it.
    click(widget(kForge, "Go"));
    ASSERT_TRUE(pump.until([&] { return frame->getMessageBoxWindow() != nullptr; }, 20, "the mix's question"));
    const int question = frame->getOpenMessageBox()->id;
    input.key(XK_Return);
    int asked = 0;
    const bool done = pump.until(
        [&] {
            if (frame->getOpenMessageBox() && frame->getOpenMessageBox()->id != question)
                ++asked;
            if (text(kForge, "Cell_67").empty())
                return true; // the bag after the mix is in: the second coat is gone
            click(widget(kForge, "Go"));
            return false;
        },
        60, "the mix's outcome and the bag after it");
    ASSERT_TRUE(done) << text(kForge, "Result");
    frames(3);
    EXPECT_EQ(asked, 0) << "Go asked again about a coat the mix had used up";
    EXPECT_EQ(coins(), before - 200) << "mixed once, charged once";
    EXPECT_EQ(heroItem(67), nullptr);
    const std::string result = text(kForge, "Result");
    EXPECT_TRUE(result.find("The item has been mixed 1 time.") != std::string::npos ||
                result.find("The mix failed") != std::string::npos)
        << result;
    // The outcome stays; Go now says what the mix lacks and asks nothing.
    click(widget(kForge, "Go"));
    frames(3);
    EXPECT_EQ(frame->getOpenMessageBox(), nullptr);
    EXPECT_EQ(text(kForge, "Result"), result);
    EXPECT_NE(result.find("Put the item to mix into it on the Second place."), std::string::npos) << result;
}

TEST_F(ForgeWindow, AMixsNoAfterAnEarlierYesIsHeardAsANo)
{
    openForge();
    clickOn(widget(kForge, "Tab2"));
    drag(kCoat, 0);
    drag(67, 1);
    frames(6);
    // A yes to the first question.
    clickOn(widget(kForge, "Go"));
    ASSERT_NE(frame->getOpenMessageBox(), nullptr);
    clickOn(frame->getMessageBoxWindow()->getChild("Button0"));
    frames(12);
    ASSERT_EQ(heroItem(67), nullptr);
    // The next mix, of the enhanced coat with the third one, answered no: nothing is mixed,
    // the page says so and Go is free.
    drag(kCoat, 0);
    drag(63, 1);
    frames(6);
    const long long before = coins();
    clickOn(widget(kForge, "Go"));
    ASSERT_NE(frame->getOpenMessageBox(), nullptr);
    clickOn(frame->getMessageBoxWindow()->getChild("Button1"));
    frames(3);
    EXPECT_NE(text(kForge, "Result").find("Nothing was mixed."), std::string::npos) << text(kForge, "Result");
    EXPECT_EQ(text(kForge, "Result").find("Answer the question"), std::string::npos) << text(kForge, "Result");
    EXPECT_EQ(coins(), before);
    EXPECT_NE(heroItem(63), nullptr);
}

TEST_F(ForgeWindow, TheForgeComesBackWithTheBagAsTheGameKnowsItNotAsItWasLastTime)
{
    // A first visit lists hero's sixteen items on one page.
    openForge();
    EXPECT_EQ(text(kForge, "PageLabel"), "1/1");
    clickOn(widget(kForge, "Back"));
    frames(3);
    // Since then his bag grew and five stones came one a slot, and the game has heard of it.
    zrk::ZRKWorld& world = session->getGameServer()->core().world();
    world.db().exec(
        "UPDATE players SET settings = json_set(coalesce(settings, '{}'), '$.pc_bag_slot', 35) WHERE name = 'hero'");
    world.forgetRead();
    for (int slot : {77, 78, 79, 80, 95}) {
        zrk::ZRKWorld::Item stone;
        stone.id = 7001;
        stone.slot = slot;
        ASSERT_TRUE(world.addItem("hero", stone));
    }
    bool known = false;
    zrk::ZRKUserRequest::queryUserInventory(0, false, [&known](bool error, const std::string&) { known = !error; });
    ASSERT_TRUE(pump.until([&] { return known; }, 20, "the bag heard of"));
    // The forge opens on the bag as it is, its first page full, from its first drawn frame on.
    manager->showPage("area");
    frames(2);
    press(widget(kArea, "Forge"));
    int shown = 0;
    for (int slot = kFirstSlot; slot < kFirstSlot + 60; ++slot)
        shown += widget(kForge, "Cell_" + std::to_string(slot))->isVisible();
    EXPECT_EQ(shown, 20);
    EXPECT_EQ(text(kForge, "PageLabel"), "1/2");
    EXPECT_EQ(text(kForge, "Cell_80"), "Forge Stone");
}
