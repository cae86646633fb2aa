#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <cmath>
#include <core/AudioManager.h>
#include <core/GuiSystem.h>
#include <core/NetClientManager.h>
#include <gui/IEventDispatcher.h>
#include <gui/IBattleOver.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiPage.h>
#include <gui/IGuiRes.h>
#include <gui/PlayerCard.h>
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
    EXPECT_FALSE(frame->isChild("Note"));
    // A victory handed over says why, under the result and above the rows.
    view->setSummary(0);
    view->setNote("The other side left the battle: the victory is yours.");
    frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    ASSERT_TRUE(frame->isChild("Note"));
    EXPECT_EQ(text(frame->getChild("Note")), "The other side left the battle: the victory is yours.");
    EXPECT_LE(frame->getChild("Note")->getUnclippedOuterRect().get().bottom(),
              frame->getChild("Row0Name")->getUnclippedOuterRect().get().top() + 1.0f);
    view->setNote("");
    frame = ceguiSystem->getRootWindow()->getChildRecursive("BattleOverPage");
    EXPECT_FALSE(frame->isChild("Note"));
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
    EXPECT_LE(player->getChild("Tab_Shop")->getArea().d_max.d_y.d_scale,
              player->getChild("ShopList")->getArea().d_min.d_y.d_scale);

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
    CEGUI::Rectf place;
    auto* web = new zrktest::FakeEvent(133, tally);
    web->onCallback = [&](gui::ParamHandle h) {
        gui::ParamNode* url = page->getParam("url", h);
        gui::ParamNode* window = page->getParam("window", h);
        ASSERT_TRUE(url && window);
        views.emplace_back(boost::any_cast<std::string>(url->value), boost::any_cast<int>(window->value));
        int at[4] = {};
        const char* const names[4] = {"left", "top", "width", "height"};
        for (int i = 0; i < 4; ++i) {
            gui::ParamNode* n = page->getParam(names[i], h);
            ASSERT_NE(n, nullptr) << names[i];
            at[i] = boost::any_cast<int>(n->value);
        }
        place = CEGUI::Rectf(CEGUI::Vector2f(float(at[0]), float(at[1])), CEGUI::Sizef(float(at[2]), float(at[3])));
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
    // The news takes the zones' place: "Hide" and the other buttons beside stay free to click.
    EXPECT_GT(place.getWidth() * place.getHeight(),
              0.25f * area->getPixelSize().d_width * area->getPixelSize().d_height);
    for (const char* button : {"Hide", "News", "Tiles", "LogOut", "Shop"}) {
        const CEGUI::Rectf r = area->getChild(button)->getUnclippedOuterRect().get();
        EXPECT_TRUE(place.getIntersection(r).getWidth() <= 0 || place.getIntersection(r).getHeight() <= 0) << button;
    }

    CEGUI::Window* screen = area->getChild("TileScreen");
    EXPECT_FALSE(screen->isVisible());
    press(area->getChild("Tiles"));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(static_cast<CEGUI::Listbox*>(screen->getChild("TileList"))->getItemCount(), 0u);
    press(screen->getChild("TileClose"));
    EXPECT_FALSE(screen->isVisible());
}

// The saved volumes reach the channels after the log-in page was first made and shown: the
// sliders show them on the next GUI frame, and no audio event is called for it.
TEST_F(GuiPagesTest, TheLogInSlidersShowTheVolumesSetWhileThePageWasUp)
{
    kavri3D::core::AudioManager audio;
    manager->getEventDispatcher()->registerEvent(new zrktest::FakeEvent(115, tally));
    manager->showPage("login");
    CEGUI::Window* login = manager->getPage(6)->getRootWindow();
    kavri3D::core::DefaultAudioHelper::setVolume(0, 0.35f);
    kavri3D::core::DefaultAudioHelper::setVolume(1, 0.7f);
    manager->getAnimator()->update(0.f);
    EXPECT_EQ(tally.callbacks, 0);
    EXPECT_FLOAT_EQ(static_cast<CEGUI::Slider*>(login->getChild("Music"))->getCurrentValue(), 0.35f);
    EXPECT_FLOAT_EQ(static_cast<CEGUI::Slider*>(login->getChild("Sound"))->getCurrentValue(), 0.7f);
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
                call +=
                    std::string(call.empty() ? "" : " ") + name + "=" + (boost::any_cast<bool>(n->value) ? "1" : "0");
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

namespace {

/// Values a fake event hands out at each fill, owned by the test.
struct Values {
    std::vector<std::unique_ptr<gui::ParamNode>> owned;
    void into(zrktest::FakeEvent* event, std::vector<gui::ParamNode> nodes)
    {
        event->onFill = [this, nodes](gui::ParamList& list) {
            list.clear();
            for (const gui::ParamNode& n : nodes) {
                owned.push_back(std::make_unique<gui::ParamNode>(n));
                list.push_back(owned.back().get());
            }
        };
    }
};

gui::ParamNode node(const char* name, const boost::any& value)
{
    gui::ParamNode n;
    n.name = name;
    n.value = value;
    return n;
}

} // namespace

TEST_F(GuiPagesTest, TheRoomPageAnswersArenaAndDungeonViewsAsThePvpOnesLocksAsAskedAndChats)
{
    Values values;
    gui::IEventDispatcher* events = manager->getEventDispatcher();
    auto* joined = new zrktest::FakeEvent(18, tally);
    values.into(joined, {node("isEnter", true), node("room_id", 7), node("room_name", std::string("plains_7")),
                         node("mode", 9)});
    int leaves = 0;
    auto* leave = new zrktest::FakeEvent(40, tally);
    leave->onFill = [&](gui::ParamList& list) {
        list.clear();
        ++leaves;
    };
    auto* dungeonMap = new zrktest::FakeEvent(95, tally);
    values.into(dungeonMap, {node("mapid", 203)});
    auto* arenaView = new zrktest::FakeEvent(99, tally);
    values.into(arenaView, {node("room_id", 8), node("room_name", std::string("arena_8")), node("mode_name", 8)});
    std::vector<gui::PlayerCard> cards(8);
    cards[0].occupied = true;
    cards[0].owner = true;
    cards[0].nickname = "Hero";
    auto* listen = new zrktest::FakeEvent(38, tally);
    std::vector<bool> locks;
    auto* lock = new zrktest::FakeEvent(46, tally);
    gui::IGuiPage* roomPage = manager->getPage(9);
    lock->onCallback = [&](gui::ParamHandle h) {
        if (gui::ParamNode* n = roomPage->getParam("isLock", h))
            locks.push_back(boost::any_cast<bool>(n->value));
    };
    std::string said;
    auto* say = new zrktest::FakeEvent(67, tally);
    say->onCallback = [&](gui::ParamHandle h) {
        if (gui::ParamNode* n = roomPage->getParam("content", h))
            said = boost::any_cast<std::string>(n->value);
    };
    auto* heard = new zrktest::FakeEvent(26, tally);
    values.into(heard, {node("json", std::string("{\"Sender\":{\"uname\":\"Anvil\"},\"Content\":\"[b]hi\"}"))});
    for (auto* e : {joined, leave, dungeonMap, arenaView, listen, lock, say, heard})
        events->registerEvent(e);
    CEGUI::Window* room = roomPage->getRootWindow();
    ASSERT_NE(room, nullptr);
    events->raise(65); // the room came up: its page opens on the next frame
    manager->getAnimator()->update(0.f);

    // A dungeon room: its "gone" (93) leaves as 40 does, an arena's (101) not.
    events->raise(18);
    events->raise(101);
    EXPECT_EQ(leaves, 0);
    events->raise(93);
    EXPECT_EQ(leaves, 1);
    // The dungeon's map change (95) shows the map as 63 does.
    events->raise(95);
    EXPECT_EQ(text(room->getChild("MapName")), "Map: 203");
    // The arena's view (99) tells its room as 37 does: now 101 leaves.
    events->raise(99);
    events->raise(101);
    EXPECT_EQ(leaves, 2);

    // Lock asks the picked seat shut when it is open, open when it is shut.
    values.into(listen, {node("players", cards), node("my_pos", 0)});
    events->raise(38);
    CEGUI::Window* picture = room->getChild("Seats")->getChild("Picture_blue1");
    EXPECT_FALSE(picture->isVisible()); // an empty seat shows no portrait
    EXPECT_TRUE(room->getChild("Seats")->getChild("Picture_red0")->isVisible());
    CEGUI::MouseEventArgs click(picture);
    click.button = CEGUI::LeftButton;
    picture->fireEvent(CEGUI::Window::EventMouseClick, click, CEGUI::Window::EventNamespace);
    press(room->getChild("Lock"));
    cards[5].slotOff = true;
    values.into(listen, {node("players", cards), node("my_pos", 0)});
    events->raise(38);
    press(room->getChild("Lock"));
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));

    // Chat: a line typed and sent with Enter; the last line heard shown as written.
    CEGUI::Window* line = room->getChild("ChatLine");
    line->setText("hello");
    line->activate();
    CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(CEGUI::Key::Return);
    EXPECT_EQ(said, "hello");
    EXPECT_EQ(text(line), "");
    events->raise(26);
    EXPECT_EQ(text(room->getChild("ChatHeard")), "Anvil: \\[b]hi"); // shown as written, never as markup
}

TEST_F(GuiPagesTest, EverySeatLineFitsItsCellHoweverLongTheNicknames)
{
    Values values;
    gui::IEventDispatcher* events = manager->getEventDispatcher();
    std::vector<gui::PlayerCard> cards(8);
    const char* const names[8] = {"Hero", "Quartermaster-General Long", "Ana", "WWWWWWWWWWWWWWWWWWWW",
                                  "Jolt", "Ноябрьский ураган",          "Bo",  "The very last of the blue team"};
    for (std::size_t s = 0; s < 8; ++s) {
        cards[s].occupied = true;
        cards[s].battle = s != 0;
        cards[s].nickname = reinterpret_cast<const CEGUI::utf8*>(names[s]);
    }
    cards[0].owner = true;
    auto* listen = new zrktest::FakeEvent(38, tally);
    events->registerEvent(listen);
    CEGUI::Window* room = manager->getPage(9)->getRootWindow();
    ASSERT_NE(room, nullptr);
    manager->showPage("room");
    values.into(listen, {node("players", cards), node("my_pos", 0)});
    events->raise(38);
    CEGUI::Window* seats = room->getChild("Seats");
    for (const char* label : {"Label_red0", "Label_red1", "Label_red2", "Label_red3", "Label_blue0", "Label_blue1",
                              "Label_blue2", "Label_blue3"}) {
        CEGUI::Window* w = seats->getChild(label);
        const CEGUI::Font* font = w->getFont();
        ASSERT_NE(font, nullptr);
        EXPECT_LE(font->getTextExtent(w->getText()), w->getPixelSize().d_width) << label << ": " << text(w);
    }
    // A short name stays whole, with its state; a long one is cut, its team and state kept.
    EXPECT_EQ(text(seats->getChild("Label_red2")).rfind("Ana", 0), 0u) << text(seats->getChild("Label_red2"));
    EXPECT_NE(text(seats->getChild("Label_red0")).find("Hero"), std::string::npos)
        << text(seats->getChild("Label_red0"));
    EXPECT_NE(text(seats->getChild("Label_red0")).find("owner"), std::string::npos);
    const std::string last = text(seats->getChild("Label_blue3"));
    EXPECT_EQ(last.rfind("The", 0), 0u) << last;
    EXPECT_NE(last.find("... (blue) ready"), std::string::npos) << last;
    EXPECT_NE(text(seats->getChild("Label_blue1")).find("... (blue) ready"), std::string::npos)
        << text(seats->getChild("Label_blue1"));
    // Every card names its team, however narrow its cell.
    for (int s = 0; s < 8; ++s) {
        const std::string line =
            text(seats->getChild(s < 4 ? "Label_red" + std::to_string(s) : "Label_blue" + std::to_string(s - 4)));
        EXPECT_NE(line.find(s < 4 ? "(red)" : "(blue)"), std::string::npos) << line;
    }
}

namespace {
/// A battle's status at its longest: eight seats of wide names, every skill, a long clock line.
struct LongStatus : gui::IBattleStatus {
    void getPlayerList(PlayerEntry* entries, int n) override
    {
        for (int i = 0; i < n; ++i) {
            entries[i].valid = true;
            entries[i].nickname = "WWWW\xE2\x80\xA6"; // as the battle clips a name of wide letters
            entries[i].hp = 0.5f;
            entries[i].colour = static_cast<std::uint8_t>(i % 2);
        }
    }
    void getSkillStates(SkillEntry* entries, int& count) override
    {
        count = std::min(count, 4); // the skills a figure has
        for (int i = 0; i < count; ++i) {
            entries[i].key = i + 1;
            entries[i].numMax = 3;
            entries[i].numCur = 2;
            entries[i].flags = 0x80;
        }
    }
    void getBattleStatus(BattleStatus& status) override
    {
        status.fightTime = 599;
        status.score[0] = status.score[1] = 40;
        status.countdown = 12;
        status.wind = "-12.5";
    }
    void getBags(Bags& bags) override { bags.current = 1; }
    void getCrateMarks(std::vector<CrateMark>&) override {}
};
} // namespace

TEST_F(GuiPagesTest, TheBattleBarsTextsAreReadWholeAtTheirLongest)
{
    // Every text of the bar at its longest fits its place in one of the bar's fonts, a long
    // message line going on to a second line, the own numbers and the skills to a second too.
    auto* host = static_cast<gui::IBattlePanelHost*>(manager->getPanelHost("Battle"));
    ASSERT_NE(host, nullptr);
    gui::IBattlePanel* bar = host->getPanel();
    bar->setStatusProvider(boost::shared_ptr<gui::IBattleStatus>(new LongStatus));
    bar->setHealth(1000, 1000, 1000, 1000);
    bar->setFury(200, 200);
    bar->setCarom(12);
    bar->setNewbieLock(false);
    for (int i = 0; i < 4; ++i)
        bar->line(-1, "", "Sergeant Bolt",
                  "Hint: a steep shot clears the hill in front of you; hold Space a little longer for the far one.",
                  false);
    host->show();
    host->update(0.1f);
    host->update(0.1f);
    CEGUI::Window* frame = ceguiSystem->getRootWindow()->getChildRecursive("BattlePanel");
    ASSERT_NE(frame, nullptr);
    struct Place {
        std::string name;
        int lines;
    };
    std::vector<Place> places = {{"Status", 1}, {"Own", 2}, {"Skills", 2}};
    for (int i = 0; i < 8; ++i)
        places.push_back({"Seat" + std::to_string(i), 1});
    for (int i = 0; i < 4; ++i)
        places.push_back({"Line" + std::to_string(i), 2});
    for (const Place& p : places) {
        CEGUI::Window* w = frame->getChild(p.name.c_str());
        const CEGUI::Font* font = w->getFont(true);
        ASSERT_NE(font, nullptr) << p.name;
        const CEGUI::Sizef size = w->getPixelSize();
        EXPECT_FALSE(w->getText().empty()) << p.name;
        EXPECT_LE(font->getTextExtent(w->getText()), (size.d_width - 6.0f) * static_cast<float>(p.lines))
            << p.name << ": " << w->getText().c_str();
        EXPECT_LE(font->getLineSpacing() * static_cast<float>(p.lines), size.d_height + 2.0f) << p.name;
        // And clear of the weapon row and the vane.
        const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
        EXPECT_LE(r.bottom(), frame->getChild("PlayFrm")->getUnclippedOuterRect().get().top() + 1.0f) << p.name;
    }
    EXPECT_NE(text(frame->getChild("Own")).find("combo x12"), std::string::npos);
    EXPECT_NE(text(frame).find("Esc: leave the lesson"), std::string::npos); // on the bar's title
    EXPECT_LE(frame->getChild("Skills")->getUnclippedOuterRect().get().right(),
              frame->getChild("Vane")->getUnclippedOuterRect().get().left() + 1.0f);
    host->hide();
}

TEST_F(GuiPagesTest, ALongBattleLineOfBrokenLettersIsCutAndTheBarGoesOn)
{
    // A peer's chat line of stray continuation bytes, longer than a line of the bar: it is cut
    // where it must be, whatever its bytes, and the next line shows under it.
    auto* host = static_cast<gui::IBattlePanelHost*>(manager->getPanelHost("Battle"));
    ASSERT_NE(host, nullptr);
    gui::IBattlePanel* bar = host->getPanel();
    bar->line(-3, "", "", "", true);
    bar->line(1, "", "", std::string(200, '\x80'), false);
    bar->line(-1, "", "", "gg", false);
    host->show();
    host->update(0.1f);
    CEGUI::Window* frame = ceguiSystem->getRootWindow()->getChildRecursive("BattlePanel");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(text(frame->getChild("Line3")), "gg");
    host->hide();
}

TEST_F(GuiPagesTest, TheBoxScreenSaysWhyTheGameKeptAFreeBoxShut)
{
    auto* boxes = static_cast<gui::IBoxPanel*>(manager->getBoxOpenView());
    ASSERT_NE(boxes, nullptr);
    gui::IBattleOver::BoxOffer offer;
    offer.b_id = 1;
    boxes->setOffers(std::vector<gui::IBattleOver::BoxOffer>(8, offer));
    boxes->setCountDown(0.0f, 12.0f);
    ASSERT_TRUE(boxes->isShown());
    const auto note = [this] {
        CEGUI::Window* page = ceguiSystem->getRootWindow()->getChildRecursive("OpenBoxPage");
        return page ? text(page->getChildRecursive("Opening")) : std::string("(none)");
    };
    EXPECT_EQ(note(), "Choose a box");
    manager->getEventDispatcher()->raise(113);
    EXPECT_EQ(note(), "That box is the other side's: your free box is in your own row.");
    manager->getEventDispatcher()->raise(112);
    EXPECT_EQ(note(), "You have no free box left: a priced box asks its price first.");
    boxes->onBoxRefused(); // the server's refusal is said in a box: the screen asks again
    EXPECT_EQ(note(), "Choose a box");
    boxes->onBoxOpened();
    EXPECT_EQ(note(), "The box is opened.");
    boxes->onBoxBusy(); // a choice while the last one is answered
    EXPECT_EQ(note(), "Wait: the box you chose is being opened.");
    boxes->setCountDown(0.0f, 12.0f); // the next battle's box screen starts afresh
    EXPECT_EQ(note(), "Choose a box");
}

TEST_F(GuiPagesTest, AnOpenedBoxAnswersAClickWithWhatItHeldAndAsksNoPrice)
{
    auto* boxes = static_cast<gui::IBoxPanel*>(manager->getBoxOpenView());
    int chosen = 0;
    auto* open = new zrktest::FakeEvent(111, tally);
    open->onCallback = [&chosen](gui::ParamHandle) { ++chosen; };
    manager->getEventDispatcher()->registerEvent(open);
    std::vector<gui::IBattleOver::BoxOffer> offers(8);
    for (std::size_t i = 0; i < offers.size(); ++i) {
        offers[i].b_id = static_cast<int>(i) + 1;
        offers[i].b_type = 1;
        offers[i].b_buy_type = 2;
        offers[i].b_price = 20;
    }
    offers[2].b_type = 2; // opened, its prize not told yet
    offers[5].b_type = 2;
    gui::IBattleOver::AwardSlot mine, theirs;
    mine.playerId = "hero";
    mine.nickname = "Hero";
    mine.me = true;
    mine.index = 5;
    mine.award.name = "Forge Stone";
    mine.award.bi_num = 1;
    theirs = mine;
    theirs.playerId = "bot1";
    theirs.nickname = "Harrow";
    theirs.me = false;
    theirs.index = 0; // the offers still show it shut: the slot knows better
    theirs.award.name = "Coins";
    theirs.award.bi_num = 50;
    boxes->setOffers(offers);
    boxes->setSlots({mine, theirs});
    boxes->setCountDown(0.0f, 12.0f);
    CEGUI::Window* page = ceguiSystem->getRootWindow()->getChildRecursive("OpenBoxPage");
    ASSERT_NE(page, nullptr);
    const auto clickBox = [&](int i) {
        CEGUI::Window* box = page->getChildRecursive("Box" + std::to_string(i));
        CEGUI::WindowEventArgs args(box);
        box->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
        return text(page->getChildRecursive("Opening"));
    };
    EXPECT_EQ(clickBox(5), "Box 6 held Forge Stone x1: you opened it.");
    EXPECT_EQ(clickBox(0), "Box 1 held Coins x50: Harrow opened it.");
    EXPECT_EQ(clickBox(2), "Box 3 is opened already.");
    EXPECT_EQ(chosen, 0) << "no price is asked for an opened box";
    clickBox(1);
    EXPECT_EQ(chosen, 1) << "a shut box goes to the box event";
}
