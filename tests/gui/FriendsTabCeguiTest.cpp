// The player page's Friends tab over a headless CEGUI with stand-in events: it asks for the
// roster when it comes to front, shows the three lists in one table, and hands each button's
// values to its event (add by nickname into the typed list, move, delete, the profile's 71 then
// 72 with the record 71 gave, the invitation with the own guild).
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <gui/BagData.h>
#include <text/CeguiText.h>
#include <gui/FriendPlayer.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiPage.h>
#include <gui/RoleAttr.h>

#include "PluginFixture.h"

using namespace kavri3D::zrk;

namespace {

struct FriendsTabTest : ::testing::Test {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1024, 768);
    zrktest::EventTally tally;
    ZRKGuiLoader loader;
    gui::IGuiManager* manager = nullptr;
    gui::IGuiPage* page = nullptr;
    std::map<int, std::map<std::string, boost::any>> seen; ///< what each event's last callback read

    void SetUp() override
    {
        loader.loadFrom(zrktest::pluginPath("ZRK_Gui").c_str());
        ASSERT_TRUE(loader.createGuiManager(&manager));
        manager->setRootWindow(ceguiSystem->getRootWindow());
        page = manager->getPage(7);
    }
    /// A stand-in event: its callback keeps the named values and raises its id, its fill gives `fill`.
    void event(int id, std::vector<const char*> names, std::function<void(gui::ParamList&)> fill = nullptr)
    {
        auto* e = new zrktest::FakeEvent(id, tally);
        e->onCallback = [this, id, names](gui::ParamHandle h) {
            seen[id].clear();
            for (const char* name : names)
                if (gui::ParamNode* n = page->getParam(name, h))
                    seen[id][name] = n->value;
            manager->getEventDispatcher()->raise(id);
        };
        e->onFill = [fill](gui::ParamList& list) {
            list.clear();
            if (fill)
                fill(list);
        };
        manager->getEventDispatcher()->registerEvent(e);
    }
    /// Appends a node the test keeps (the fake events own none).
    static void add(gui::ParamList& list, const std::string& name, const boost::any& value)
    {
        static std::vector<std::unique_ptr<gui::ParamNode>> kept;
        kept.emplace_back(new gui::ParamNode(name, value, 0, gui::ParamNode::Record));
        list.push_back(kept.back().get());
    }
    CEGUI::Window* pane() { return page->getRootWindow()->getChild("Pane_Friends"); }
    void press(const char* name)
    {
        CEGUI::Window* button = name[0] == 'T' ? page->getRootWindow()->getChild(name) : pane()->getChild(name);
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    std::vector<std::string> rows()
    {
        auto* list = static_cast<CEGUI::MultiColumnList*>(pane()->getChild("FriendList"));
        std::vector<std::string> out;
        for (unsigned r = 0; r < list->getRowCount(); ++r) {
            std::string row;
            for (unsigned c = 0; c < list->getColumnCount(); ++c)
                row += std::string(c ? "|" : "") +
                       list->getItemAtGridReference(CEGUI::MCLGridRef(r, c))->getText().c_str();
            out.push_back(row);
        }
        return out;
    }
    static gui::FriendPlayer entry(const char* nick, const char* uid, int pcId, bool pep)
    {
        gui::FriendPlayer f;
        f.nickname = gui::toCeguiString(nick);
        f.attr.member_name = uid;
        f.attr.pc_id = pcId;
        f.displayName = std::string(uid) + "@game";
        f.level = 7;
        f.sex = 'M';
        f.pep = pep;
        return f;
    }
};

} // namespace

TEST_F(FriendsTabTest, TheTabAsksForTheRosterShowsItAndHandsEachButtonsValuesToItsEvent)
{
    event(16, {}, [](gui::ParamList& list) {
        gui::RoleAttr own;
        own.info.setIntVal("g_id", 4);
        add(list, "currentRole", own);
    });
    event(68, {}, [](gui::ParamList& list) {
        add(list, "friend", std::vector<gui::FriendPlayer>{entry("Cobalt", "Cobalt", 900002, true)});
        add(list, "blacklist", std::vector<gui::FriendPlayer>{});
        add(list, "anous", std::vector<gui::FriendPlayer>{entry("Dune [x]", "Dune", 900003, false)});
    });
    event(70, {"type", "uid", "nick", "group", "fuid", "fgroup"});
    event(71, {"jid"}, [](gui::ParamList& list) {
        gui::RoleAttr him;
        him.member_name = "Dune";
        him.pc_nickname = "Dune";
        him.pc_lv = 7;
        him.c_id = 1;
        add(list, "roleattr", him);
    });
    event(72, {"roleattr"}, [](gui::ParamList& list) {
        gui::BagData coat;
        coat.i_id = 3001;
        coat.i_name = "Field Jacket";
        add(list, "bagList", std::vector<gui::BagData>{coat});
    });
    event(130, {"gid", "pcid"});

    press("Tab_Friends");
    EXPECT_TRUE(pane()->isVisible());
    EXPECT_FALSE(page->getRootWindow()->getChild("Buy")->isVisible());
    EXPECT_EQ(rows(), (std::vector<std::string>{"Cobalt|7|boy|yes|Friends", "Dune \\[x]|7|boy|-|Others"}));

    pane()->getChild("Nick")->setText("cobalt");
    pane()->getChild("Group")->setText("2");
    press("Add");
    EXPECT_EQ(boost::any_cast<int>(seen[70]["type"]), 1);
    EXPECT_EQ(boost::any_cast<std::string>(seen[70]["uid"]), "");
    EXPECT_EQ(boost::any_cast<std::string>(seen[70]["nick"]), "cobalt");
    EXPECT_EQ(boost::any_cast<int>(seen[70]["group"]), 2);

    // Nothing picked: the row buttons send nothing.
    seen.clear();
    press("Move");
    press("Profile");
    EXPECT_TRUE(seen.empty());

    auto* list = static_cast<CEGUI::MultiColumnList*>(pane()->getChild("FriendList"));
    list->setItemSelectState(CEGUI::MCLGridRef(1, 0), true);
    pane()->getChild("Group")->setText("1");
    press("Move");
    EXPECT_EQ(boost::any_cast<int>(seen[70]["type"]), 2);
    EXPECT_EQ(boost::any_cast<std::string>(seen[70]["fuid"]), "Dune");
    EXPECT_EQ(boost::any_cast<int>(seen[70]["fgroup"]), 1);
    press("Delete");
    EXPECT_EQ(boost::any_cast<int>(seen[70]["type"]), 3);
    press("Profile");
    EXPECT_EQ(boost::any_cast<std::string>(seen[71]["jid"]), "Dune@game");
    ASSERT_TRUE(seen.count(72));
    gui::RoleAttr* handed = boost::any_cast<gui::RoleAttr*>(seen[72]["roleattr"]);
    EXPECT_EQ(handed->member_name, "Dune");
    EXPECT_EQ(std::string(pane()->getChild("ProfileText")->getText().c_str()).find("Dune  Lv 7"), 0u);
    EXPECT_NE(std::string(pane()->getChild("ProfileText")->getText().c_str()).find("Field Jacket"), std::string::npos);
    press("Invite");
    EXPECT_EQ(boost::any_cast<int>(seen[130]["gid"]), 4);
    EXPECT_EQ(boost::any_cast<int>(seen[130]["pcid"]), 900003);
}
