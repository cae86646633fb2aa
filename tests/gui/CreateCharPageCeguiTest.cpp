// The creation page with the mouse: it comes up a GUI frame after the game says the scene is
// there and asks for the drawn choices; its buttons send the choices, the turning while a
// button is held, and "Create"; a kept character takes it on by itself; a name given on the
// command line is typed and created once.
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/BlackBoard.h>
#include <core/GuiSystem.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiPage.h>
#include <gui/RoleState.h>

#include "PluginFixture.h"

using namespace kavri3D::zrk;

namespace {

struct CreateCharPageTest : ::testing::Test {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    kavri3D::core::BlackBoard board;
    zrktest::EventTally tally;
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;
    gui::IGuiPage* page = nullptr;
    std::vector<std::pair<int, std::map<std::string, boost::any>>> calls;
    bool ret = true;

    void SetUp() override
    {
        loader.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        manager->setRootWindow(ceguiSystem->getRootWindow());
        page = manager->getPage(13);
        for (int id : {3, 4, 5, 6}) {
            auto* event = new zrktest::FakeEvent(id, tally);
            event->onCallback = [this, id](gui::ParamHandle h) {
                std::map<std::string, boost::any> seen;
                for (const char* name : {"state", "animation", "flags", "isClock", "goCreate", "nickname"})
                    if (gui::ParamNode* n = page->getParam(name, h))
                        seen[name] = n->value;
                calls.emplace_back(id, seen);
                if (id == 3 || (id == 6 && boost::any_cast<bool>(seen["goCreate"])))
                    manager->getEventDispatcher()->raise(id);
            };
            event->onFill = [this, id](gui::ParamList& list) {
                for (gui::ParamNode* n : list)
                    delete n;
                list.clear();
                auto add = [&list](const std::string& name, const boost::any& value) {
                    auto* n = new gui::ParamNode;
                    n->name = name;
                    n->value = value;
                    list.push_back(n);
                };
                if (id == 3) {
                    for (const char* part : {"hair", "face", "coat", "glove", "shoes"}) {
                        add(part, 1);
                        add(std::string(part) + "_max", 3);
                    }
                    add("isboy", false);
                } else if (id == 6) {
                    add("ret", ret);
                }
            };
            manager->getEventDispatcher()->registerEvent(event);
        }
    }
    void TearDown() override
    {
        // The fake events' lists hold nodes of their own: a last fill frees them, then these go.
        for (int id : {3, 6})
            if (gui::ParamList* list = manager->getControl()->fillParams(id)) {
                for (gui::ParamNode* n : *list)
                    delete n;
                list->clear();
            }
    }
    void frame() { manager->getAnimator()->update(0.f); }
    CEGUI::Window* window() { return page->getRootWindow(); }
    void fire(const char* button, const CEGUI::String& event)
    {
        CEGUI::Window* w = window()->getChild(button);
        CEGUI::WindowEventArgs args(w);
        w->fireEvent(event, args);
    }
    void click(const char* button) { fire(button, CEGUI::PushButton::EventClicked); }
    gui::RoleState lastState() const
    {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->second.count("state"))
                return boost::any_cast<gui::RoleState>(it->second.at("state"));
        return gui::RoleState();
    }
};

} // namespace

TEST_F(CreateCharPageTest, ComesUpAFrameAfterTheSceneIsThereAndTheButtonsSendTheChoices)
{
    manager->getEventDispatcher()->raise(49);
    EXPECT_TRUE(calls.empty()); // never inside the game's call
    frame();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().first, 3);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(std::string(window()->getChild("Part0Count")->getText().c_str()), "2 / 3");

    click("Part0Next");
    EXPECT_EQ(calls.back().first, 4);
    EXPECT_EQ(lastState().look, "girl");
    EXPECT_EQ(lastState().index[0], 2);
    click("Part0Next"); // round to the first
    EXPECT_EQ(lastState().index[0], 0);
    click("Part4Prev");
    EXPECT_EQ(lastState().index[4], 0);
    click("Boy");
    EXPECT_EQ(lastState().look, "boy");
    EXPECT_EQ(boost::any_cast<int>(calls.back().second["animation"]), -1);
    click("Action");
    EXPECT_EQ(boost::any_cast<int>(calls.back().second["animation"]), 0);

    fire("TurnRight", CEGUI::Window::EventMouseButtonDown);
    EXPECT_EQ(calls.back().first, 5);
    EXPECT_TRUE(boost::any_cast<bool>(calls.back().second["flags"]));
    EXPECT_TRUE(boost::any_cast<bool>(calls.back().second["isClock"]));
    fire("TurnRight", CEGUI::Window::EventMouseLeavesArea);
    EXPECT_FALSE(boost::any_cast<bool>(calls.back().second["flags"]));
    fire("TurnLeft", CEGUI::Window::EventMouseButtonDown);
    EXPECT_FALSE(boost::any_cast<bool>(calls.back().second["isClock"]));
}

TEST_F(CreateCharPageTest, CreateSendsTheNameAndAKeptCharacterGoesOnByItself)
{
    manager->getEventDispatcher()->raise(49);
    frame();
    window()->getChild("Name")->setText(reinterpret_cast<const CEGUI::utf8*>("Zoë"));
    ret = false;
    click("Create");
    EXPECT_EQ(calls.back().first, 6);
    EXPECT_EQ(boost::any_cast<std::string>(calls.back().second["nickname"]), "Zoë");
    EXPECT_FALSE(std::string(window()->getChild("Status")->getText().c_str()).empty());
    frame();
    EXPECT_EQ(calls.back().first, 6); // a failure stays on the page
    EXPECT_TRUE(boost::any_cast<bool>(calls.back().second["goCreate"]));

    ret = true;
    click("Create");
    frame();
    EXPECT_EQ(calls.back().first, 6);
    EXPECT_FALSE(boost::any_cast<bool>(calls.back().second["goCreate"]));
}

TEST_F(CreateCharPageTest, ANameFromTheCommandLineIsTypedAndCreatedOnce)
{
    board.setString("kavri3D/nickname", "Newbie");
    manager->getEventDispatcher()->raise(49);
    frame();
    frame();
    std::size_t creates = 0;
    for (const auto& call : calls)
        if (call.first == 6 && boost::any_cast<bool>(call.second.at("goCreate"))) {
            ++creates;
            EXPECT_EQ(boost::any_cast<std::string>(call.second.at("nickname")), "Newbie");
        }
    EXPECT_EQ(creates, 1u);
    EXPECT_EQ(std::string(window()->getChild("Name")->getText().c_str()), "Newbie");
}
