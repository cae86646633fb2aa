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
#include <gui/RoleAttr.h>
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

/// The shop's record of an item with one offer: its price a piece, money kind and days.
gui::ShopData oneOffer(int itemId, int price, int buyType, int days)
{
    gui::ShopData offers;
    offers.i_id = itemId;
    gui::ShopPrice p;
    p.s_id = itemId * 10;
    p.s_price = price;
    p.s_buy_type = buyType;
    p.s_expire = days;
    offers.prices.push_back(p);
    return offers;
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
        for (int id : {8, 10, 12, 16, 75, 76, 77, 78, 128, 129}) {
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
    bool shown(const std::string& name) { return page()->getChild(name)->isEffectiveVisible(); }
    std::string text(const std::string& name) { return page()->getChild(name)->getText().c_str(); }
    /// A bag list of the bag proper's `size` slots (empty ones too) with these items in them.
    std::vector<gui::BagData> bagOf(int size, std::vector<gui::BagData> items)
    {
        std::vector<gui::BagData> out;
        for (int slot = 61; slot < 61 + size; ++slot) {
            gui::BagData empty;
            empty.pci_slot = slot;
            out.push_back(empty);
            for (const gui::BagData& i : items)
                if (i.pci_slot == slot)
                    out.back() = i;
        }
        for (const gui::BagData& i : items)
            if (i.pci_slot < 61 || i.pci_slot >= 61 + size)
                out.push_back(i);
        return out;
    }
    std::vector<std::string> lines(const std::string& name)
    {
        auto* list = static_cast<CEGUI::Listbox*>(page()->getChild(name));
        std::vector<std::string> out;
        for (std::size_t i = 0; i < list->getItemCount(); ++i)
            out.push_back(list->getListboxItemFromIndex(i)->getText().c_str());
        return out;
    }
    void key(CEGUI::Key::Scan scan)
    {
        page()->getChild("Sort")->activate();
        CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(scan);
    }
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

TEST_F(BagPageTest, EverySlotTheWorldGivesShowsInPagesAndTheTemporaryBagAfterThem)
{
    // After "Bigger Bag": 35 slots, items in 91 and 95, a box in the temporary bag.
    hands(8, {gui::ParamNode("bagList",
                             bagOf(35, {item(61, 3001, "Field Jacket"), item(91, 7204, "Sapphire"),
                                        item(95, 3101, "Ember Coat"), item(201, 5001, "Bronze Box")}),
                             0, 0)});
    raise(8);
    EXPECT_EQ(text("PageLabel"), "Bag 1/2");
    EXPECT_TRUE(shown("Cell_61"));
    EXPECT_TRUE(shown("Cell_90"));
    EXPECT_FALSE(shown("Cell_91"));
    EXPECT_TRUE(page()->getChild("PrevPage")->isEffectiveDisabled());
    click("NextPage");
    EXPECT_EQ(text("PageLabel"), "Bag 2/2");
    EXPECT_FALSE(shown("Cell_61"));
    EXPECT_EQ(text("Cell_91"), "Sapphire");
    EXPECT_EQ(text("Cell_95"), "Ember Coat");
    EXPECT_TRUE(shown("Cell_95"));
    EXPECT_FALSE(shown("Cell_96")) << "past the bag's 35 slots";
    // The second page's cells stand where the first's did.
    EXPECT_EQ(page()->getChild("Cell_91")->getArea(), page()->getChild("Cell_61")->getArea());
    click("NextPage");
    EXPECT_EQ(text("PageLabel"), "Temporary bag 1/1");
    EXPECT_EQ(text("Cell_201"), "Bronze Box");
    EXPECT_TRUE(shown("Cell_201"));
    EXPECT_FALSE(shown("Cell_202"));
    EXPECT_TRUE(page()->getChild("NextPage")->isEffectiveDisabled());
    // Out of the temporary bag into the bag proper; the temporary bag is not recycled.
    click("Mark");
    click("Cell_201");
    EXPECT_EQ(text("Cell_201"), "Bronze Box") << "not marked";
    click("Mark");
    click("Cell_201");
    click("PrevPage");
    click("Cell_92");
    EXPECT_EQ(calls[12], 1);

    // Without "pc_bag_slot" the world gives 60: two full pages, no temporary one when it is empty.
    hands(8, {gui::ParamNode("bagList", bagOf(60, {item(120, 7001, "Forge Stone")}), 0, 0)});
    raise(8);
    EXPECT_EQ(text("PageLabel"), "Bag 2/2") << "the page turned to stays while it is there";
    EXPECT_TRUE(page()->getChild("NextPage")->isEffectiveDisabled()) << "no temporary page";
    EXPECT_TRUE(shown("Cell_120"));
    EXPECT_FALSE(shown("Cell_201"));
}

TEST_F(BagPageTest, ARenewalTakesTheOfferPickedAndTheQuestionAnswersToEnterAndEscape)
{
    gui::ShopData offers;
    offers.i_id = 3001;
    for (int days : {7, 0, 30}) {
        gui::ShopPrice p;
        p.s_id = 100 + days;
        p.s_price = days * 10;
        p.s_buy_type = 1;
        p.s_expire = days;
        offers.prices.push_back(p);
    }
    hands(78, {gui::ParamNode("prices", offers, 0, 0)});
    click("Cell_61");
    click("Renew");
    raise(78);
    EXPECT_EQ(status(), "Renew Field Jacket for 7 more days at 70 coins?");
    ASSERT_TRUE(shown("RenewOffers"));
    EXPECT_EQ(lines("RenewOffers"), (std::vector<std::string>{"7 more days at 70 coins", "30 more days at 300 coins"}));
    static_cast<CEGUI::Listbox*>(page()->getChild("RenewOffers"))
        ->setItemSelectState(static_cast<std::size_t>(1), true);
    EXPECT_EQ(status(), "Renew Field Jacket for 30 more days at 300 coins?");
    key(CEGUI::Key::Escape);
    EXPECT_EQ(status(), "Nothing was renewed.");
    EXPECT_FALSE(shown("RenewOffers"));
    EXPECT_EQ(calls[77], 0);

    click("Cell_61");
    click("Renew");
    raise(78);
    static_cast<CEGUI::Listbox*>(page()->getChild("RenewOffers"))
        ->setItemSelectState(static_cast<std::size_t>(1), true);
    key(CEGUI::Key::Return);
    ASSERT_EQ(calls[77], 1);
    EXPECT_EQ(status(), "Renewing Field Jacket...");
    key(CEGUI::Key::Return); // nothing asked: the key does nothing
    EXPECT_EQ(calls[77], 1);
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{item(61, 3001, "Field Jacket", 60)}, 0, 0)});
    raise(8);
    EXPECT_EQ(status(), "Renewed Field Jacket: 30 more days, paid 300 coins.");
}

TEST_F(BagPageTest, TheStatusLineSaysWhatSortWearingOpeningAndRecyclingDid)
{
    gui::BagData box = item(63, 5001, "Bronze Box", 0, 3);
    box.isc_id = 41;
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{item(61, 3001, "Field Jacket"), box}, 0, 0)});
    raise(8);

    click("Sort");
    EXPECT_EQ(calls[75], 1);
    raise(8);
    EXPECT_EQ(status(), "The bag is sorted.");

    // A sort the server refuses brings no bag; the bag shown on coming back is not its answer.
    click("Sort");
    ASSERT_EQ(calls[75], 2);
    manager->showPage("player");
    manager->showPage("bag");
    raise(8);
    EXPECT_EQ(status().find("sorted"), std::string::npos) << status();

    // Worn: said once the bag shows the jacket on.
    click("Cell_61");
    click("Cell_3");
    ASSERT_EQ(calls[12], 1);
    gui::BagData worn = item(3, 3001, "Field Jacket");
    worn.pci_bind = 1;
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{worn, box}, 0, 0)});
    raise(8);
    EXPECT_EQ(status(), "Wearing Field Jacket (bound to you).");

    // One box of a stack of three.
    click("Use");
    click("Cell_63");
    EXPECT_EQ(calls[129], 1);
    hands(129, {gui::ParamNode::boolean("error", false), gui::ParamNode::text("msg", "")});
    raise(129);
    EXPECT_EQ(status(), "Opened 1 Bronze Box (2 left).");

    // The coins a recycle paid: the money before and after it.
    gui::RoleAttr role;
    role.pc_money1 = 500;
    hands(16, {gui::ParamNode("currentRole", role, 0, 0)});
    const int asked = calls[16];
    click("Mark");
    click("Cell_63");
    click("Recycle");
    EXPECT_EQ(calls[16], asked + 1) << "the money before";
    raise(16);
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{worn}, 0, 0)});
    raise(8);
    EXPECT_EQ(status(), "Recycled Bronze Box x3.");
    EXPECT_EQ(calls[16], asked + 2) << "and after";
    role.pc_money1 = 560;
    hands(16, {gui::ParamNode("currentRole", role, 0, 0)});
    raise(16);
    EXPECT_EQ(status(), "Recycled Bronze Box x3: the shop paid 60 coins.");
}

TEST_F(BagPageTest, TheNewNameFieldHasItsLabel)
{
    EXPECT_EQ(text("FunParamLabel"), "New name");
    EXPECT_EQ(zrktest::clippedLabels(page()), std::vector<std::string>{});
}

TEST_F(BagPageTest, RenewSaysWhyWithNothingToRenewAndARefusalEndsTheRenewingLine)
{
    click("Renew");
    EXPECT_EQ(status(), "Pick up a timed item first (click it), then press Renew.");
    click("Cell_62");
    click("Renew");
    EXPECT_EQ(status(), "Forge Stone x5 has no time limit: there is nothing to renew.");
    EXPECT_EQ(calls[78], 0) << "nothing is asked of the shop";

    // A renewal the shop refuses: its box says why, the line stops saying it renews.
    click("Cell_62"); // put back
    click("Cell_61");
    click("Renew");
    hands(78, {gui::ParamNode("prices", oneOffer(3001, 300, 1, 30), 0, 0)});
    raise(78);
    click("Yes");
    ASSERT_EQ(calls[77], 1);
    EXPECT_EQ(status(), "Renewing Field Jacket...");
    raise(77);
    EXPECT_EQ(status(), "Nothing was renewed: Field Jacket stays as it was.");
    raise(77); // said once
    EXPECT_EQ(status(), "Nothing was renewed: Field Jacket stays as it was.");
}

TEST_F(BagPageTest, AStacksRenewalIsPricedForTheWholeStack)
{
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{item(61, 6002, "Fire Shell", 7, 3)}, 0, 0)});
    raise(8);
    click("Cell_61");
    click("Renew");
    hands(78, {gui::ParamNode("prices", oneOffer(6002, 20, 2, 7), 0, 0)});
    raise(78);
    EXPECT_EQ(status(), "Renew Fire Shell x3 for 7 more days at 60 coupons?");
    click("Yes");
    hands(8, {gui::ParamNode("bagList", std::vector<gui::BagData>{item(61, 6002, "Fire Shell", 14, 3)}, 0, 0)});
    raise(8);
    EXPECT_EQ(status(), "Renewed Fire Shell x3: 7 more days, paid 60 coupons.");
}

TEST_F(BagPageTest, RecycleEndsTheMarkingAndEveryActionButtonSaysWhatItWaitsFor)
{
    click("Recycle");
    EXPECT_EQ(status(), "Press Mark and click the items to recycle first.");
    click("Mark");
    EXPECT_EQ(text("Mark"), "Marking");
    EXPECT_EQ(status(), "Click the items to recycle, then press Recycle.");
    click("Recycle");
    EXPECT_EQ(status(), "Click the items to recycle first, then press Recycle.");
    EXPECT_EQ(calls[76], 0);
    click("Cell_62");
    click("Recycle");
    EXPECT_EQ(calls[76], 1);
    EXPECT_EQ(text("Mark"), "Mark");
    // Out of marking: a click picks the jacket up, it marks nothing.
    click("Cell_61");
    EXPECT_EQ(text("Cell_61").rfind("> ", 0), 0u) << text("Cell_61");
    click("Cell_61");

    click("Use");
    EXPECT_EQ(status(), "Click the box, card or item to use.");
    click("Cell_62");
    EXPECT_EQ(status(), "Forge Stone x5 cannot be used: Use opens boxes and uses rank cards and function items.");
}
