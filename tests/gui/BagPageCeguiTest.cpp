// The bag page in the real GUI plug-in on a headless CEGUI system, against stand-in events: the
// room hears the player is in his bag and what he holds up (event 10), a renewal is asked with
// its price before anything is sent and told once the bag shows it took, and the question
// about a recycle names what goes.
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <gui/BagData.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiPage.h>
#include <gui/ShopData.h>
#include <list>
#include <map>
#include <string>
#include <vector>
#include "PluginFixture.h"
#include "support/LabelFit.h"

using namespace kavri3D::zrk;

namespace {

const int kBagPage = 12;

gui::BagData item(int slot, int id, const std::string& name, int days = 0, int count = 1)
{
    gui::BagData b;
    b.pci_slot = slot;
    b.i_id = id;
    b.i_name = name;
    b.pci_expiry_day = days;
    b.pci_num = count;
    return b;
}

struct BagPageTest : zrktest::PluginFixture {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1280, 1024);
    std::list<gui::ParamNode> nodes;
    std::map<int, zrktest::FakeEvent*> events;
    std::map<int, int> calls;
    std::vector<std::pair<bool, int>> told; ///< event 10 as called: busy, the item held up (0 none)
    std::string recycleQuestion;

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
        for (int id : {8, 10, 76, 77, 78, 128}) {
            auto* e = new zrktest::FakeEvent(id, tally);
            e->onCallback = [this, id](gui::ParamHandle h) {
                ++calls[id];
                gui::IGuiPage* page = manager->getPage(kBagPage);
                if (id == 10) {
                    const gui::ParamNode* busy = page->getParam("busy", h);
                    const gui::ParamNode* demo = page->getParam("demo", h);
                    const bool* b = busy ? boost::any_cast<bool>(&busy->value) : nullptr;
                    gui::BagData* const* d = demo ? boost::any_cast<gui::BagData*>(&demo->value) : nullptr;
                    told.emplace_back(b && *b, d && *d ? (*d)->i_id : 0);
                } else if (id == 76) {
                    const gui::ParamNode* text = page->getParam("text", h);
                    const std::string* t = text ? boost::any_cast<std::string>(&text->value) : nullptr;
                    recycleQuestion = t ? *t : std::string();
                }
            };
            manager->getEventDispatcher()->registerEvent(e);
            events[id] = e;
        }
        hands(8, {gui::ParamNode(
                     "bagList",
                     std::vector<gui::BagData>{item(61, 3001, "Field Jacket", 30), item(62, 7001, "Forge Stone", 0, 5)},
                     0, 0)});
        manager->showPage("bag");
        raise(8);
    }
    void hands(int id, std::vector<gui::ParamNode> values)
    {
        events[id]->onFill = [this, values](gui::ParamList& list) {
            list.clear();
            for (const gui::ParamNode& v : values) {
                nodes.push_back(v);
                list.push_back(&nodes.back());
            }
        };
    }
    void raise(int id) { manager->getEventDispatcher()->raise(id); }
    CEGUI::Window* page() { return manager->getPage(kBagPage)->getRootWindow(); }
    void click(const std::string& name)
    {
        CEGUI::Window* button = page()->getChild(name);
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    std::string status() { return page()->getChild("Status")->getText().c_str(); }
};

} // namespace

TEST_F(BagPageTest, TheRoomHearsThePlayerIsInHisBagAndWhatHeHoldsUpUntilHeLeavesIt)
{
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(true, 0));
    click("Cell_61");
    EXPECT_EQ(told.back(), std::make_pair(true, 3001));
    click("Cell_61"); // put back
    EXPECT_EQ(told.back(), std::make_pair(true, 0));
    click("Back");
    EXPECT_EQ(told.back(), std::make_pair(false, 0));
}

TEST_F(BagPageTest, ARenewalIsAskedWithItsPriceAndToldOnceTheBagShowsIt)
{
    click("Cell_61");
    click("Renew");
    EXPECT_EQ(calls[78], 1);
    gui::ShopData offers;
    offers.i_id = 3001;
    for (int days : {0, 30}) {
        gui::ShopPrice p;
        p.s_id = 100 + days;
        p.s_price = 300;
        p.s_buy_type = 1;
        p.s_expire = days;
        offers.prices.push_back(p);
    }
    hands(78, {gui::ParamNode("prices", offers, 0, 0)});
    raise(78);
    EXPECT_EQ(status(), "Renew Field Jacket for 30 more days at 300 coins?");
    EXPECT_TRUE(page()->getChild("Yes")->isVisible());
    EXPECT_EQ(calls[77], 0) << "nothing goes before the yes";
    click("No");
    EXPECT_EQ(calls[77], 0);
    EXPECT_EQ(status(), "Nothing was renewed.");

    click("Cell_61");
    click("Renew");
    raise(78);
    click("Yes");
    EXPECT_EQ(calls[77], 1);
    EXPECT_FALSE(page()->getChild("Yes")->isVisible());
    raise(8); // a bag list from before the renewal took says nothing
    EXPECT_EQ(status(), "Renewing Field Jacket...");
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{item(61, 3001, "Field Jacket", 60)}, 0, 0)});
    raise(8);
    EXPECT_EQ(status(), "Renewed Field Jacket: 30 more days, paid 300 coins.");
}

TEST_F(BagPageTest, TheRecycleQuestionNamesWhatGoesAndTheCellsAndTooltipsNameTheItems)
{
    click("Mark");
    click("Cell_61");
    click("Cell_62");
    click("Recycle");
    EXPECT_EQ(calls[76], 1);
    EXPECT_NE(recycleQuestion.find("Field Jacket, Forge Stone x5"), std::string::npos) << recycleQuestion;
    EXPECT_EQ(std::string(page()->getChild("Cell_62")->getTooltipText().c_str()), "Forge Stone x5");
    EXPECT_EQ(std::string(page()->getChild("Cell_61")->getTooltipText().c_str()), "Field Jacket, 30 days");
}

TEST_F(BagPageTest, UsingAnItemSaysWhatItDidOrWhyNot)
{
    gui::BagData card = item(63, 5103, "New Name");
    card.isc_id = 62;  // a function item
    card.i_target = 3; // it renames
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{card}, 0, 0)});
    raise(8);
    page()->getChild("FunParam")->setText("Brand");
    click("Use");
    click("Cell_63");
    EXPECT_EQ(calls[128], 1);
    hands(128, {gui::ParamNode::boolean("error", false), gui::ParamNode::text("msg", "")});
    raise(128);
    EXPECT_EQ(status(), "Used New Name: you are now called Brand.");
    hands(128, {gui::ParamNode::boolean("error", true), gui::ParamNode::text("msg", "That nickname is taken.")});
    raise(128);
    EXPECT_EQ(status(), "That nickname is taken.");
}

TEST_F(BagPageTest, TheFigureStandsBesideTheWornSlotsAndEveryCellNamesItsItemInFull)
{
    // No image set here: every cell names its item in words.
    hands(8, {gui::ParamNode(
                 "bagList",
                 std::vector<gui::BagData>{item(3, 2001, "Field Coat"), item(2, 1101, "Short Hair"),
                                           item(21, 6001, "Ember Cannon"), item(51, 4001, "Repair Kit", 0, 6),
                                           item(61, 7002, "Fine Forge Stone", 0, 2), item(62, 3003, "Lace Coat")},
                 0, 0)});
    raise(8);
    CEGUI::Window* figure = page()->getChildRecursive("Picture_myself");
    ASSERT_NE(figure, nullptr);
    const CEGUI::Rectf picture = figure->getUnclippedOuterRect().get();
    EXPECT_LE(picture.right(), page()->getChild("Cell_1")->getUnclippedOuterRect().get().left());
    EXPECT_LE(page()->getChild("Cell_2")->getUnclippedOuterRect().get().right(),
              page()->getChild("Cell_21")->getUnclippedOuterRect().get().left());
    EXPECT_EQ(std::string(page()->getChild("Cell_61")->getText().c_str()), "Fine Forge Stone x2");
    EXPECT_EQ(zrktest::clippedLabels(page()), std::vector<std::string>{});
}
