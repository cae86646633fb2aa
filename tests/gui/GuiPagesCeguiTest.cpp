#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <cmath>
#include <core/AudioManager.h>
#include <core/GuiSystem.h>
#include <core/NetClientManager.h>
#include <gui/IEventDispatcher.h>
#include <gui/IBattleOver.h>
#include <gui/IGuiPage.h>
#include <gui/IGuiRes.h>
#include <gui/RoleAttr.h>
#include <gui/ShopData.h>
#include <gui/IGuiAnimator.h>

#include "PluginFixture.h"

using namespace kavri3D::zrk;

namespace {

/// The plug-in over a headless CEGUI system whose root sheet is the manager's root window.
struct GuiPagesTest : ::testing::Test {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    zrktest::EventTally tally;
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;

    void SetUp() override
    {
        loader.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        manager->setRootWindow(ceguiSystem->getRootWindow());
    }
    CEGUI::Window* login() { return manager->getPage(6)->getRootWindow(); }
    void type(const char* field, const std::string& text)
    {
        login()->getChild(field)->setText(reinterpret_cast<const CEGUI::utf8*>(text.c_str()));
    }
    void clickLogIn()
    {
        CEGUI::Window* button = login()->getChild("LogIn");
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
};

std::string text(CEGUI::Window* w) { return w->getText().c_str(); }

void press(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

} // namespace

TEST_F(GuiPagesTest, PagesOwnHiddenWindowsUnderTheRootAndShowPageSwitchesThem)
{
    CEGUI::Window* loginWindow = login();
    ASSERT_NE(loginWindow, nullptr);
    EXPECT_EQ(loginWindow->getParent(), ceguiSystem->getRootWindow());
    EXPECT_FALSE(loginWindow->isVisible());
    EXPECT_EQ(login(), loginWindow); // made once
    CEGUI::Window* area = manager->getPage(0)->getRootWindow();
    ASSERT_NE(area, nullptr);
    EXPECT_NE(area, loginWindow);

    manager->showPage("login");
    EXPECT_TRUE(loginWindow->isVisible());
    EXPECT_FALSE(area->isVisible());
    manager->showPage("area");
    EXPECT_FALSE(loginWindow->isVisible());
    EXPECT_TRUE(area->isVisible());
    manager->showPage("battle");
    EXPECT_FALSE(area->isVisible());
    manager->showPage("nowhere"); // unknown: logged, screens stay as they are
    EXPECT_EQ(manager->getControl()->shownPages(), (std::vector<std::string>{"login", "area", "battle", "nowhere"}));
}

TEST_F(GuiPagesTest, LogInButtonCallsTheLogInEventWithTheFormsValuesAndForgetsThePassword)
{
    gui::IGuiPage* page = manager->getPage(6);
    std::map<std::string, boost::any> seen;
    auto* event = new zrktest::FakeEvent(2, tally);
    event->onCallback = [&](gui::ParamHandle h) {
        for (const char* name : {"username", "password", "lock", "show_name"})
            if (gui::ParamNode* n = page->getParam(name, h))
                seen[name] = n->value;
    };
    manager->getEventDispatcher()->registerEvent(event);

    clickLogIn(); // no name typed: nothing is sent
    EXPECT_EQ(tally.callbacks, 0);
    EXPECT_FALSE(text(login()->getChild("Status")).empty());

    type("Name", "Zoë");
    type("Password", "s3cret");
    static_cast<CEGUI::ToggleButton*>(login()->getChild("Remember"))->setSelected(false);
    clickLogIn();
    ASSERT_EQ(tally.callbacks, 1);
    EXPECT_EQ(boost::any_cast<std::string>(seen["username"]), "Zoë");
    EXPECT_EQ(boost::any_cast<std::string>(seen["password"]), "s3cret");
    EXPECT_EQ(boost::any_cast<bool>(seen["lock"]), false);
    EXPECT_EQ(boost::any_cast<std::string>(seen["show_name"]), "Zoë");

    gui::IGuiControl* control = manager->getControl();
    gui::ParamNode* kept = page->getParam("password", control->paramHandle(6));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(boost::any_cast<std::string>(kept->value), "");
    EXPECT_EQ(text(login()->getChild("Password")), "");
}

TEST_F(GuiPagesTest, LoadingEventsValuesFillTheForm)
{
    auto* event = new zrktest::FakeEvent(1, tally);
    event->onFill = [](gui::ParamList& list) {
        for (gui::ParamNode* n : list)
            delete n;
        list.clear();
        auto* name = new gui::ParamNode;
        name->name = "username";
        name->value = std::string("kai");
        auto* lock = new gui::ParamNode;
        lock->name = "userlock";
        lock->value = false;
        list = {name, lock};
    };
    manager->getEventDispatcher()->registerEvent(event);
    login(); // the page's window exists before the values come
    manager->getEventDispatcher()->raise(1);
    EXPECT_EQ(text(login()->getChild("Name")), "kai");
    EXPECT_FALSE(static_cast<CEGUI::ToggleButton*>(login()->getChild("Remember"))->isSelected());
    for (gui::ParamNode* n : *manager->getControl()->fillParams(1))
        delete n;
}

TEST_F(GuiPagesTest, WindowsDestroyedWithTheGuiSystemAreForgottenAndMadeAgain)
{
    ASSERT_NE(login(), nullptr);
    ceguiSystem.reset();
    EXPECT_EQ(login(), nullptr);
    manager->showPage("login");

    ceguiSystem = kavri3D::core::GuiSystem::createHeadless(800, 600);
    manager->setRootWindow(ceguiSystem->getRootWindow());
    CEGUI::Window* again = login();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->getParent(), ceguiSystem->getRootWindow());
}

// The lobby's look: without its downloaded picture the area page keeps the plain look; with it,
// the page stands on it. With no resource groups there is nothing to load.
TEST_F(GuiPagesTest, TheAreaPageStandsOnTheLobbysBackdropOnlyWhenItsPictureIsThere)
{
    gui::IGuiRes* res = nullptr;
    ASSERT_TRUE(loader.createGuiRes(&res));
    EXPECT_FALSE(res->isLoading()); // no "GUIX" groups yet
    ASSERT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("GUIX1/AreaBackdrop"));
    CEGUI::Window* plain = manager->getPage(0)->getRootWindow();
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->isChild("Backdrop"));
    EXPECT_TRUE(plain->isChild("Zones"));
}

TEST_F(GuiPagesTest, WithItsPictureTheAreaPageShowsItBehindTheZones)
{
    CEGUI::ImageManager::getSingleton().create("BasicImage", "GUIX1/AreaBackdrop");
    CEGUI::Window* area = manager->getPage(0)->getRootWindow();
    ASSERT_NE(area, nullptr);
    ASSERT_TRUE(area->isChild("Backdrop"));
    CEGUI::Window* backdrop = area->getChild("Backdrop");
    EXPECT_EQ(std::string(backdrop->getProperty("Image").c_str()), "GUIX1/AreaBackdrop");
    EXPECT_TRUE(backdrop->isMousePassThroughEnabled());
    // Made first, so drawn first: behind the zones and the button.
    CEGUI::Window* first = nullptr;
    for (std::size_t i = 0; i < area->getChildCount() && !first; ++i)
        if (!area->getChildAtIdx(i)->isAutoWindow())
            first = area->getChildAtIdx(i);
    EXPECT_EQ(first, backdrop);
    CEGUI::ImageManager::getSingleton().destroy("GUIX1/AreaBackdrop");
}

TEST_F(GuiPagesTest, TheRememberedNameAndTickComeBackWhenTheLogInScreenComesUp)
{
    auto* event = new zrktest::FakeEvent(1, tally);
    event->onFill = [](gui::ParamList& list) {
        for (gui::ParamNode* n : list)
            delete n;
        auto* name = new gui::ParamNode;
        name->name = "username";
        name->value = std::string("hero");
        auto* lock = new gui::ParamNode;
        lock->name = "userlock";
        lock->value = false;
        list = {name, lock};
    };
    manager->getEventDispatcher()->registerEvent(event);
    manager->showPage("login"); // as the log-on state brings the screen up: no window before it
    EXPECT_EQ(text(login()->getChild("Name")), "hero");
    EXPECT_FALSE(static_cast<CEGUI::ToggleButton*>(login()->getChild("Remember"))->isSelected());
    for (gui::ParamNode* n : *manager->getControl()->fillParams(1))
        delete n;
}

TEST_F(GuiPagesTest, EnterInThePasswordBoxLogsIn)
{
    auto* event = new zrktest::FakeEvent(2, tally);
    manager->getEventDispatcher()->registerEvent(event);
    manager->showPage("login");
    type("Name", "hero");
    type("Password", "hero123");
    CEGUI::Editbox* password = static_cast<CEGUI::Editbox*>(login()->getChild("Password"));
    password->activate();
    CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(CEGUI::Key::Return);
    EXPECT_EQ(tally.callbacks, 1);
    EXPECT_EQ(text(password), "");
}

TEST_F(GuiPagesTest, TheHallSendsWithEnterUnderTheCharactersNameAndShowsLinesAsWritten)
{
    std::string line;
    auto* attributes = new zrktest::FakeEvent(16, tally);
    attributes->onFill = [](gui::ParamList& list) {
        for (gui::ParamNode* n : list)
            delete n;
        auto* role = new gui::ParamNode;
        role->name = "currentRole";
        gui::RoleAttr attr;
        attr.pc_nickname = "Hero";
        role->value = attr;
        list = {role};
    };
    auto* loading = new zrktest::FakeEvent(19, tally);
    loading->onFill = [](gui::ParamList& list) {
        for (gui::ParamNode* n : list)
            delete n;
        auto* zone = new gui::ParamNode;
        zone->name = "zone_name";
        zone->value = std::string("plains");
        list = {zone};
    };
    loading->onCallback = [this](gui::ParamHandle) { manager->getEventDispatcher()->raise(19); };
    auto* send = new zrktest::FakeEvent(27, tally);
    gui::IGuiPage* hall = manager->getPage(8);
    send->onCallback = [&](gui::ParamHandle h) {
        if (gui::ParamNode* n = hall->getParam("string", h))
            line = boost::any_cast<std::string>(n->value);
    };
    for (auto* e : {attributes, loading, send})
        manager->getEventDispatcher()->registerEvent(e);
    hall->getRootWindow();
    manager->getEventDispatcher()->raise(53); // the hall came up: its page opens on the next frame
    manager->getAnimator()->update(0.f);
    CEGUI::Window* input = hall->getRootWindow()->getChild("ChatInput");
    input->setText("[b] hi");
    input->activate();
    CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(CEGUI::Key::Return);
    ASSERT_FALSE(line.empty());
    EXPECT_NE(line.find("\"uname\":\"Hero\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"uid\":\""), std::string::npos) << line;
    EXPECT_EQ(text(input), "");
    for (gui::ParamNode* n : *manager->getControl()->fillParams(16))
        delete n;
    for (gui::ParamNode* n : *manager->getControl()->fillParams(19))
        delete n;
}

TEST_F(GuiPagesTest, TheResultScreensColumnsHoldTheirLongestEntries)
{
    auto* view = static_cast<gui::IBattleOver*>(manager->getBattleOverView());
    ASSERT_NE(view, nullptr);
    std::vector<gui::IBattleOver::PlayerRecord> players(2);
    players[0].nickname = "Hero";
    players[0].shots = 12345;
    players[0].hits = 12345;
    players[0].damage = 1234567;
    players[0].kills = 99;
    players[0].me = true;
    players[1].nickname = "WWWWWWWWWWWWWWWW"; // the longest name the server takes, in wide letters
    players[1].team = true;
    view->setResult(players, 0, {});
    CEGUI::Window* frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    ASSERT_NE(frame, nullptr);
    const CEGUI::Font* font = CEGUI::System::getSingleton().getDefaultGUIContext().getDefaultFont();
    for (int row = 0; row < 2; ++row)
        for (const char* column : {"Team", "Name", "Counters"}) {
            CEGUI::Window* cell = frame->getChild("Row" + CEGUI::PropertyHelper<int>::toString(row) + column);
            EXPECT_LE(font->getTextExtent(cell->getText()), cell->getPixelSize().d_width) << row << column;
            EXPECT_LE(cell->getUnclippedOuterRect().get().right(), frame->getUnclippedInnerRect().get().right() + 0.5f)
                << row << column;
        }
    EXPECT_LE(frame->getPixelSize().d_width, ceguiSystem->getRootWindow()->getPixelSize().d_width);
    // The winners named by the colour the room page gives their seats, and the player told.
    EXPECT_EQ(text(frame->getChild("Row0Team")), "Blue");
    EXPECT_EQ(text(frame->getChild("Row1Team")), "Red");
    view->setSummary(1);
    frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(text(frame->getChild("Result")), "Red wins   You lose");
    view->setSummary(0);
    frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    EXPECT_EQ(text(frame->getChild("Result")), "Blue wins   You win");
    view->setSummary(-1);
    frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    EXPECT_EQ(text(frame->getChild("Result")), "Draw");
    view->close();
}

TEST_F(GuiPagesTest, ThePlayerPageOpensOnItsShopTabAndKeepsTheTabRowWhenRemade)
{
    CEGUI::Window* player = manager->getPage(7)->getRootWindow();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(player->isChild("Tab_Shop"));
    EXPECT_EQ(text(player->getChild("Tab_Shop")), "Shop");
    for (const char* shopWidget : {"ShopList", "Card", "Cart", "Buy"})
        EXPECT_TRUE(player->getChild(shopWidget)->isVisible()) << shopWidget;
    // The tab row and the shop stand clear of each other.
    EXPECT_LE(player->getChild("Tab_Shop")->getArea().d_max.d_y.d_scale, player->getChild("ShopList")->getArea().d_min.d_y.d_scale);

    ceguiSystem.reset();
    ceguiSystem = kavri3D::core::GuiSystem::createHeadless(800, 600);
    manager->setRootWindow(ceguiSystem->getRootWindow());
    CEGUI::Window* again = manager->getPage(7)->getRootWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isChild("Tab_Shop"));
    EXPECT_TRUE(again->getChild("Buy")->isVisible());
}

// The area page's side column: "News" opens the game's news page over the game, "Hide" parks
// it; with no web address there is nothing to open. "Tiles" asks for the tile screen, which
// comes up empty when its id is raised.
TEST_F(GuiPagesTest, TheAreaPagesNewsHideAndTilesCallTheirEventsAndTheTileScreenComesUpEmpty)
{
    gui::IGuiPage* page = manager->getPage(0);
    std::vector<std::pair<std::string, int>> views;
    auto* web = new zrktest::FakeEvent(133, tally);
    web->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* url = page->getParam("url", h);
        gui::ParamNode* window = page->getParam("window", h);
        ASSERT_TRUE(url && window);
        views.emplace_back(boost::any_cast<std::string>(url->value), boost::any_cast<int>(window->value));
    };
    auto* tiles = new zrktest::FakeEvent(134, tally);
    tiles->onCallback = [&](gui::ParamHandle) { manager->getEventDispatcher()->raise(134); };
    manager->getEventDispatcher()->registerEvent(web);
    manager->getEventDispatcher()->registerEvent(tiles);
    manager->showPage("area");
    CEGUI::Window* area = page->getRootWindow();

    press(area->getChild("News")); // no web address yet
    EXPECT_TRUE(views.empty());
    kavri3D::core::NetClientManager::setRunApplicationPath("http://127.0.0.1:8123");
    press(area->getChild("News"));
    press(area->getChild("Hide"));
    kavri3D::core::NetClientManager::setRunApplicationPath(std::string());
    EXPECT_EQ(views, (std::vector<std::pair<std::string, int>>{{"http://127.0.0.1:8123/web/notice.html", 1},
                                                               {"http://127.0.0.1:8123/web/notice.html", 3}}));

    CEGUI::Window* screen = area->getChild("TileScreen");
    EXPECT_FALSE(screen->isVisible());
    press(area->getChild("Tiles"));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(static_cast<CEGUI::Listbox*>(screen->getChild("TileList"))->getItemCount(), 0u);
    press(screen->getChild("TileClose"));
    EXPECT_FALSE(screen->isVisible());
}

// A slider sets its own channel and calls the audio event; the log-in page's sliders show what
// the area page set when it comes up again; without the event the volume is still set.
TEST_F(GuiPagesTest, VolumeSlidersSetTheirChannelCallTheAudioEventAndFollowEachOther)
{
    kavri3D::core::AudioManager audio;
    manager->showPage("login");
    CEGUI::Window* login = manager->getPage(6)->getRootWindow();
    static_cast<CEGUI::Slider*>(login->getChild("Music"))->setCurrentValue(0.6f);
    EXPECT_FLOAT_EQ(kavri3D::core::DefaultAudioHelper::getVolume(0), 0.6f); // no audio event: set all the same

    std::vector<float> heard;
    auto* event = new zrktest::FakeEvent(115, tally);
    event->onCallback = [&](gui::ParamHandle) {
        heard.push_back(kavri3D::core::DefaultAudioHelper::getVolume(0));
        heard.push_back(kavri3D::core::DefaultAudioHelper::getVolume(1));
    };
    manager->getEventDispatcher()->registerEvent(event);
    manager->showPage("area");
    CEGUI::Window* area = manager->getPage(0)->getRootWindow();
    EXPECT_FLOAT_EQ(static_cast<CEGUI::Slider*>(area->getChild("Music"))->getCurrentValue(), 0.6f);
    static_cast<CEGUI::Slider*>(area->getChild("Sound"))->setCurrentValue(0.3f);
    EXPECT_EQ(heard, (std::vector<float>{0.6f, 0.3f}));

    // A muted channel (below 0) stands at the slider's left end; showing it calls nothing.
    kavri3D::core::DefaultAudioHelper::setVolume(0, -0.5f);
    manager->showPage("login");
    EXPECT_FLOAT_EQ(static_cast<CEGUI::Slider*>(login->getChild("Music"))->getCurrentValue(), 0.0f);
    EXPECT_FLOAT_EQ(static_cast<CEGUI::Slider*>(login->getChild("Sound"))->getCurrentValue(), 0.3f);
    EXPECT_EQ(tally.callbacks, 1);
}

// The preview's picture under the mouse: a drag of a quarter of its width is one call of 90
// degrees, moves after the button is let go are no drag; the boxes hand in the turning alone.
TEST_F(GuiPagesTest, DraggingThePreviewTurnsItByItsShareOfAWholeTurnAndTheBoxesSetItsTurning)
{
    gui::IGuiPage* page = manager->getPage(7);
    std::vector<std::string> calls;
    auto* event = new zrktest::FakeEvent(69, tally);
    event->onCallback = [&](gui::ParamHandle h) {
        std::string call;
        if (gui::ParamNode* span = page->getParam("mouse_span", h))
            call = "span " + std::to_string(static_cast<int>(std::lround(boost::any_cast<float>(span->value))));
        for (const char* name : {"flags", "isClock"})
            if (gui::ParamNode* n = page->getParam(name, h))
                call += std::string(call.empty() ? "" : " ") + name + "=" + (boost::any_cast<bool>(n->value) ? "1" : "0");
        calls.push_back(call);
    };
    manager->getEventDispatcher()->registerEvent(event);
    manager->showPage("player");
    CEGUI::Window* player = page->getRootWindow();
    CEGUI::Window* picture = player->getChildRecursive("Picture_showview");
    ASSERT_NE(picture, nullptr);
    const CEGUI::Rectf r = picture->getUnclippedOuterRect().get();
    CEGUI::GUIContext& context = CEGUI::System::getSingleton().getDefaultGUIContext();
    const float y = r.top() + r.getHeight() / 2;
    context.injectMousePosition(r.left() + 10, y);
    context.injectMouseButtonDown(CEGUI::LeftButton);
    context.injectMousePosition(r.left() + 10 + r.getWidth() / 4, y);
    context.injectMouseButtonUp(CEGUI::LeftButton);
    context.injectMousePosition(r.left() + 20, y);
    EXPECT_EQ(calls, (std::vector<std::string>{"span 90"}));

    calls.clear();
    static_cast<CEGUI::ToggleButton*>(player->getChildRecursive("Clockwise"))->setSelected(true);
    static_cast<CEGUI::ToggleButton*>(player->getChildRecursive("Turn"))->setSelected(true);
    EXPECT_EQ(calls, (std::vector<std::string>{"flags=0 isClock=1", "flags=1 isClock=1"}));
}

// The strengthening tab asks for its list when it comes to front and shows each entry with its
// first price, or that it is not on sale.
TEST_F(GuiPagesTest, TheStrengtheningTabListsItsEntriesWithOrWithoutPrices)
{
    auto* event = new zrktest::FakeEvent(74, tally);
    std::vector<gui::ShopData> entries(2);
    entries[0].i_name = "Forge Stone";
    entries[0].prices.push_back(gui::ShopPrice{1401, 80, 1, 0});
    entries[1].i_name = "Iron Ore";
    gui::ParamNode node("strlist", entries, 2, gui::ParamNode::Record);
    event->onFill = [&](gui::ParamList& list) { list.assign(1, &node); };
    event->onCallback = [&](gui::ParamHandle) { manager->getEventDispatcher()->raise(74); };
    manager->getEventDispatcher()->registerEvent(event);
    manager->showPage("player");
    CEGUI::Window* player = manager->getPage(7)->getRootWindow();
    EXPECT_EQ(tally.callbacks, 0); // the shop is in front
    press(player->getChild("Tab_Strengthen"));
    EXPECT_EQ(tally.callbacks, 1);
    auto* list = static_cast<CEGUI::MultiColumnList*>(player->getChildRecursive("StrList"));
    ASSERT_EQ(list->getRowCount(), 2u);
    EXPECT_TRUE(list->isEffectiveVisible());
    EXPECT_FALSE(player->getChild("ShopList")->isVisible());
    auto cell = [list](unsigned row, unsigned column) {
        return std::string(list->getItemAtGridReference(CEGUI::MCLGridRef(row, column))->getText().c_str());
    };
    EXPECT_EQ(cell(0, 0) + " | " + cell(0, 1), "Forge Stone | for ever: 80 coins");
    EXPECT_EQ(cell(1, 0) + " | " + cell(1, 1), "Iron Ore | not on sale");
}
