// The game's events the pages reach through their own controls: log-out and the players about
// on the area page, the hall's list, own figure and refresh (and the arena's), the pages'
// warnings in the game's box, the default look on the creation page, and the server choice at
// log-in when the game's list names more than one server.
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/BlackBoard.h>
#include <core/GuiSystem.h>
#include <fstream>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiPage.h>
#include <gui/RoleAttr.h>
#include <json/json.h>

#include "PluginFixture.h"
#include "support/GamePages.h"

using namespace kavri3D::zrk;

namespace {

struct ReachableEvents : zrktest::PluginFixture {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    kavri3D::core::BlackBoard board;
    std::vector<int> called;
    std::map<int, std::map<std::string, boost::any>> seen; // the values each event's last call carried
    std::vector<gui::ParamList*> owned;                    // fills whose nodes the test made

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
    }
    void TearDown() override
    {
        for (gui::ParamList* list : owned) {
            for (gui::ParamNode* n : *list)
                delete n;
            list->clear();
        }
        zrktest::PluginFixture::TearDown();
    }
    /// An event that records its calls (and the named values they carried), raises its id when
    /// `raises`, and fills with `fill` when given.
    zrktest::FakeEvent* event(int id, int page, std::vector<std::string> names = {}, bool raises = false)
    {
        auto* e = new zrktest::FakeEvent(id, tally);
        e->onCallback = [this, id, page, names, raises](gui::ParamHandle h) {
            called.push_back(id);
            for (const std::string& name : names)
                if (gui::ParamNode* n = manager->getPage(page)->getParam(name, h))
                    seen[id][name] = n->value;
            if (raises)
                manager->getEventDispatcher()->raise(id);
        };
        manager->getEventDispatcher()->registerEvent(e);
        return e;
    }
    template <class T> void fillWith(zrktest::FakeEvent* e, const std::string& name, T value)
    {
        e->onFill = [this, name, value](gui::ParamList& list) {
            for (gui::ParamNode* n : list)
                delete n;
            auto* n = new gui::ParamNode;
            n->name = name;
            n->value = value;
            list = {n};
            if (std::find(owned.begin(), owned.end(), &list) == owned.end())
                owned.push_back(&list);
        };
    }
    bool wasCalled(int id) const { return std::find(called.begin(), called.end(), id) != called.end(); }
    static void press(CEGUI::Window* button)
    {
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    std::string text(int id, const char* name) { return boost::any_cast<std::string>(seen[id][name]); }
};

} // namespace

TEST_F(ReachableEvents, TheAreaPageLogsOutAndListsThePlayersAbout)
{
    event(7, 0);
    zrktest::FakeEvent* members = event(15, 0, {}, true);
    gui::RoleAttr one;
    one.pc_nickname = "Ember";
    one.pc_lv = 12;
    gui::RoleAttr two;
    two.member_name = "gale@zrk";
    two.pc_lv = 3;
    fillWith(members, "roles", std::vector<gui::RoleAttr>{one, two});
    manager->getEventDispatcher()->raise(51); // the area comes up and loads on the next frame
    manager->getAnimator()->update(0.f);
    CEGUI::Window* area = manager->getPage(0)->getRootWindow();
    EXPECT_TRUE(wasCalled(15));
    EXPECT_EQ(zrktest::listLines(area->getChild("Members")),
              (std::vector<std::string>{"Ember  (Lv 12)", "gale@zrk  (Lv 3)"}));
    EXPECT_FALSE(wasCalled(7));
    press(area->getChild("LogOut"));
    EXPECT_TRUE(wasCalled(7));
}

TEST_F(ReachableEvents, TheHallLoadsItsListAndOwnFigureAndTheArenasOnceTheZoneIsOne)
{
    for (int id : {29, 31, 33, 35})
        event(id, 4, {}, true);
    event(32, 4, {}, true);
    event(36, 4, {}, true);
    manager->getPage(8)->getRootWindow();
    manager->getEventDispatcher()->raise(53); // the hall comes up
    manager->getAnimator()->update(0.f);
    EXPECT_EQ(called, (std::vector<int>{29, 31}));
    CEGUI::Window* online = manager->getPage(4)->getRootWindow();
    press(online->getChild("Refresh"));
    EXPECT_EQ(called.back(), 32);
    // The game's refresh answers for an arena: the arena's own events follow.
    manager->getEventDispatcher()->raise(34);
    EXPECT_TRUE(wasCalled(33));
    EXPECT_TRUE(wasCalled(35));
    press(online->getChild("Refresh"));
    EXPECT_EQ(called.back(), 36);
}

TEST_F(ReachableEvents, PagesShowTheirWarningsInTheGamesBox)
{
    event(2, 6);
    event(64, 6, {"arg1", "arg2"});
    manager->showPage("login");
    press(manager->getPage(6)->getRootWindow()->getChild("LogIn")); // no name
    ASSERT_TRUE(wasCalled(64));
    EXPECT_FALSE(wasCalled(2));
    EXPECT_EQ(text(64, "arg1"), "warning/title");
    EXPECT_EQ(text(64, "arg2"), "Enter your name.");

    called.clear();
    event(6, 13);
    CEGUI::Window* create = manager->getPage(13)->getRootWindow();
    create->getChild("Name")->setText(std::string(17, 'x'));
    press(create->getChild("Create"));
    ASSERT_TRUE(wasCalled(64));
    EXPECT_EQ(boost::any_cast<std::string>(seen[64]["arg2"]), "The name is too long.");
    EXPECT_FALSE(wasCalled(6));
}

TEST_F(ReachableEvents, TheCreationPageTakesItsChoicesFromTheDefaultLook)
{
    Json::Value look;
    for (const char* part : {"hair", "face", "coat", "glove", "shoes"})
        for (int i = 0; i < 4; ++i)
            look["girl"][part].append(std::string("girl_") + part + "_" + std::to_string(i));
    const Json::Value* document = &look;
    zrktest::FakeEvent* loading = event(3, 13, {}, true);
    fillWith(loading, "isboy", false); // no counts of its own
    zrktest::FakeEvent* defState = event(117, 13);
    fillWith(defState, "defState", document);
    manager->getEventDispatcher()->raise(49); // the scene is there
    manager->getAnimator()->update(0.f);
    CEGUI::Window* page = manager->getPage(13)->getRootWindow();
    EXPECT_EQ(std::string(page->getChild("Part0Count")->getText().c_str()), "1 / 4");
    EXPECT_EQ(std::string(page->getChild("Part4Count")->getText().c_str()), "1 / 4");
}

TEST_F(ReachableEvents, TheServerChoiceComesOnlyWhenTheListNamesMoreThanOne)
{
    zrktest::TempDir dir;
    std::ofstream(dir.file("two.xml")) << "<servers><server name=\"North\" host=\"10.0.0.1\" port=\"1\"/>"
                                          "<server name=\"Süd\" host=\"10.0.0.2\" port=\"2\"/></servers>";
    std::ofstream(dir.file("one.xml")) << "<servers><server name=\"North\" host=\"10.0.0.1\" port=\"1\"/></servers>";
    board.setString("kavri3D/appPath", dir.path() + "/");
    board.setString("kavri3D/servers", "one.xml");
    event(2, 6, {"username"});
    event(131, 6, {"login_name", "login_pwd", "login_srv"}, true);
    EXPECT_FALSE(manager->getPage(6)->getRootWindow()->isChild("Server"));
    // The page is made anew with the other list.
    CEGUI::WindowManager::getSingleton().destroyWindow(manager->getPage(6)->getRootWindow());
    CEGUI::WindowManager::getSingleton().cleanDeadPool();

    board.setString("kavri3D/servers", "two.xml");
    CEGUI::Window* login = manager->getPage(6)->getRootWindow();
    ASSERT_TRUE(login->isChild("Server"));
    auto* choice = static_cast<CEGUI::Combobox*>(login->getChild("Server"));
    ASSERT_EQ(choice->getItemCount(), 2u);
    choice->setItemSelectState(1, true);
    login->getChild("Name")->setText("hero");
    login->getChild("Password")->setText("hero123");
    press(login->getChild("LogIn"));
    EXPECT_EQ(called, (std::vector<int>{131, 2}));
    EXPECT_EQ(text(131, "login_srv"), "Süd");
    EXPECT_EQ(text(131, "login_name"), "hero");
    EXPECT_EQ(text(131, "login_pwd"), "hero123");
}

TEST_F(ReachableEvents, TheServerChoiceStartsAtTheServerTheGamePickedAndTakesAnother)
{
    zrktest::TempDir dir;
    std::ofstream(dir.file("two.xml")) << "<servers><server name=\"North\" host=\"10.0.0.1\" port=\"1\"/>"
                                          "<server name=\"South\" host=\"127.0.0.1\" port=\"0\"/></servers>";
    board.setString("kavri3D/appPath", dir.path() + "/");
    board.setString("kavri3D/servers", "two.xml");
    board.setString("kavri3D/app/net/Name", "South");
    event(2, 6, {"username"});
    event(131, 6, {"login_srv"}, true);
    CEGUI::Window* login = manager->getPage(6)->getRootWindow();
    ASSERT_TRUE(login->isChild("Server"));
    auto* choice = static_cast<CEGUI::Combobox*>(login->getChild("Server"));
    EXPECT_EQ(std::string(choice->getText().c_str()), "South");
    choice->setItemSelectState(static_cast<std::size_t>(0), true);
    login->getChild("Name")->setText("hero");
    press(login->getChild("LogIn"));
    EXPECT_EQ(called, (std::vector<int>{131, 2}));
    EXPECT_EQ(text(131, "login_srv"), "North");
}
