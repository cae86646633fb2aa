#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <gui/IEventDispatcher.h>
#include <gui/IBattleOver.h>
#include <gui/IGuiPage.h>
#include <gui/IGuiRes.h>
#include <gui/RoleAttr.h>
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
