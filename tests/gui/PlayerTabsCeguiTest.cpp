// The player page's guild, arena, gift and quests tabs in the real GUI plug-in on a headless
// CEGUI system, against stand-in events and a stand-in game: what they ask for, what they show,
// and what "Buy" and "Send gift" hand to the pay events (and what they refuse to send).
#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <core/GuiSystem.h>
#include <deque>
#include <gui/BagData.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiPage.h>
#include <gui/IGuiWrapper.h>
#include <gui/QuestBook.h>
#include <gui/RoleAttr.h>
#include <gui/ShopData.h>
#include <json/json.h>
#include <list>

#include "PluginFixture.h"

using namespace kavri3D::zrk;

namespace {

const int kPlayerPage = 7;

gui::ShopPrice price(int id, int amount, int buyType, int days)
{
    gui::ShopPrice p;
    p.s_id = id;
    p.s_price = amount;
    p.s_buy_type = buyType;
    p.s_expire = days;
    return p;
}

gui::ShopData entry(int itemId, const std::string& name, std::vector<gui::ShopPrice> prices)
{
    gui::ShopData d;
    d.s_id = d.i_id = itemId;
    d.i_name = name;
    d.prices = std::move(prices);
    return d;
}

struct PlayerTabsTest : zrktest::PluginFixture {
    std::unique_ptr<kavri3D::core::GuiSystem> ceguiSystem = kavri3D::core::GuiSystem::createHeadless(1280, 1024);
    std::list<gui::ParamNode> nodes; ///< what the stand-in events hand out, kept for the test's length
    std::map<int, std::vector<gui::ParamHandle>> called;
    std::map<int, zrktest::FakeEvent*> events;

    void SetUp() override
    {
        zrktest::PluginFixture::SetUp();
        manager->setRootWindow(ceguiSystem->getRootWindow());
        for (int id : {16, 30, 73, 78, 81, 82, 83, 84, 86}) {
            auto* e = new zrktest::FakeEvent(id, tally);
            e->onCallback = [this, id](gui::ParamHandle h) { called[id].push_back(h); };
            manager->getEventDispatcher()->registerEvent(e);
            events[id] = e;
        }
        manager->showPage("player");
    }
    /// The event hands out these values when its id is raised next.
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
    CEGUI::Window* page() { return manager->getPage(kPlayerPage)->getRootWindow(); }
    CEGUI::Window* pane(const std::string& tab) { return page()->getChild("Pane_" + tab); }
    void click(CEGUI::Window* button)
    {
        CEGUI::WindowEventArgs args(button);
        button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
    }
    template <class T> const T* param(int id, const char* name)
    {
        if (called[id].empty())
            return nullptr;
        gui::ParamNode* n = manager->getPage(kPlayerPage)->getParam(name, called[id].back());
        return n ? boost::any_cast<T>(&n->value) : nullptr;
    }
    std::vector<std::string> cells(CEGUI::Window* w, unsigned column)
    {
        auto* list = static_cast<CEGUI::MultiColumnList*>(w);
        std::vector<std::string> out;
        for (unsigned r = 0; r < list->getRowCount(); ++r)
            out.push_back(list->getItemAtGridReference(CEGUI::MCLGridRef(r, column))->getText().c_str());
        return out;
    }
    std::vector<std::string> lines(CEGUI::Window* w)
    {
        auto* box = static_cast<CEGUI::Listbox*>(w);
        std::vector<std::string> out;
        for (std::size_t i = 0; i < box->getItemCount(); ++i)
            out.push_back(box->getListboxItemFromIndex(i)->getText().c_str());
        return out;
    }
    int askedItem()
    {
        const int* id = param<int>(78, "i_id");
        return id ? *id : 0;
    }
};

/// The game's side of the GUI's questions: a quest book and item records the test sets.
struct StandInGame : gui::IGuiWrapper {
    gui::QuestBook* book;
    explicit StandInGame(gui::QuestBook* b) : book(b) {}
    gui::BagData getItemRecord(int itemId) override
    {
        gui::BagData record;
        record.i_id = itemId;
        if (itemId == 3002)
            record.i_name = "Sand Gloves";
        return record;
    }
    gui::QuestBook getQuestBook() override { return *book; }
};

} // namespace

TEST_F(PlayerTabsTest, TheQuestsTabShowsTheQuestsTheGameHoldsAndNothingBeforeTheGameGaveThem)
{
    // No game's answers yet: an empty list, nothing offered.
    click(page()->getChild("Tab_Quests"));
    ASSERT_TRUE(pane("Quests")->isVisible());
    EXPECT_TRUE(cells(pane("Quests")->getChild("QuestList"), 0).empty());

    gui::QuestBook book;
    Json::Value quest;
    quest["name"] = "First Shot";
    quest["goal"]["type"] = "wins";
    quest["goal"]["count"] = 1;
    quest["reward"]["money"] = 200;
    quest["reward"]["exp"] = 700;
    quest["reward"]["items"].append(3002);
    quest["reward"]["items"].append(3003);
    book.library["1"] = quest;
    Json::Value mine;
    mine["q_id"] = 1;
    mine["state"] = 32;
    mine["progress"] = 1;
    book.mine.append(mine);
    manager->setWrapper(new StandInGame(&book)); // the manager owns it
    raise(89);                                   // the list after a claim
    CEGUI::Window* list = pane("Quests")->getChild("QuestList");
    EXPECT_EQ(cells(list, 0), std::vector<std::string>{"First Shot"});
    EXPECT_EQ(cells(list, 1), std::vector<std::string>{"Wins: 1/1"});
    EXPECT_EQ(cells(list, 2), std::vector<std::string>{"Done: claim it"});
    static_cast<CEGUI::MultiColumnList*>(list)->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
    // An object the game's record names, and one it names not.
    EXPECT_EQ(lines(pane("Quests")->getChild("Objects")), (std::vector<std::string>{"Sand Gloves", "Item 3003"}));

    // The game holds the claim: the next refresh shows it.
    book.mine[0]["state"] = 64;
    raise(87);
    EXPECT_EQ(cells(list, 2), std::vector<std::string>{"Rewarded"});
    manager->setWrapper(nullptr);
}

TEST_F(PlayerTabsTest, TheGuildTabListsItsItemsBuysThePickedOptionAndRefusesBadCounts)
{
    ASSERT_TRUE(page()->isChild("Tab_Guild") && page()->isChild("Tab_Arena") && page()->isChild("Tab_Gift"));
    click(page()->getChild("Tab_Guild"));
    EXPECT_TRUE(pane("Guild")->isVisible());
    EXPECT_FALSE(page()->getChild("Buy")->isVisible()); // the shop's own widgets stand back
    ASSERT_EQ(called[78].size(), 1u);
    EXPECT_EQ(askedItem(), 5004); // the content file's guild list

    // The page's own card may answer first: only the tab's item is taken.
    hands(78, {gui::ParamNode("prices", entry(3001, "Field Jacket", {price(101, 300, 1, 30)}), 0, 0)});
    raise(78);
    EXPECT_TRUE(cells(pane("Guild")->getChild("Offers"), 0).empty());
    hands(78, {gui::ParamNode("prices", entry(5004, "Guild Tonic", {price(1201, 100, 1, 0), price(1202, 40, 1, 7)}), 0,
                              0)});
    raise(78);
    EXPECT_EQ(cells(pane("Guild")->getChild("Offers"), 0), std::vector<std::string>{"Guild Tonic"});
    EXPECT_EQ(cells(pane("Guild")->getChild("Offers"), 1), std::vector<std::string>{"100 medals"});

    // Nothing picked, or a count out of range: nothing is sent.
    click(pane("Guild")->getChild("Buy"));
    static_cast<CEGUI::MultiColumnList*>(pane("Guild")->getChild("Offers"))
        ->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
    EXPECT_EQ(lines(pane("Guild")->getChild("Options")),
              (std::vector<std::string>{"for ever: 100 medals", "7 days: 40 medals"}));
    for (const char* count : {"0", "100", "x", ""}) {
        pane("Guild")->getChild("Count")->setText(count);
        click(pane("Guild")->getChild("Buy"));
    }
    EXPECT_TRUE(called[82].empty());
    EXPECT_NE(std::string(pane("Guild")->getChild("Status")->getText().c_str()).find("Pick an item"),
              std::string::npos);

    static_cast<CEGUI::Listbox*>(pane("Guild")->getChild("Options"))
        ->setItemSelectState(static_cast<std::size_t>(1), true);
    pane("Guild")->getChild("Count")->setText("3");
    click(pane("Guild")->getChild("Buy"));
    ASSERT_EQ(called[82].size(), 1u);
    const auto* item = param<gui::ShopData>(82, "guildshop");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->i_id, 5004);
    EXPECT_EQ(item->chosen, 1);
    EXPECT_EQ(item->item.pci_num, 3);
    EXPECT_TRUE(called[83].empty());

    // Bought: the status says what came, and the money is asked for afresh.
    gui::BagData tonic;
    tonic.i_id = 5004;
    tonic.i_name = "Guild Tonic";
    tonic.pci_num = 3;
    const std::size_t attrAsks = called[16].size();
    hands(82, {gui::ParamNode("buyed", std::vector<gui::BagData>{tonic}, 0, 0)});
    raise(82);
    EXPECT_NE(std::string(pane("Guild")->getChild("Status")->getText().c_str()).find("Bought: Guild Tonic x3"),
              std::string::npos);
    EXPECT_EQ(called[16].size(), attrAsks + 1);
}

TEST_F(PlayerTabsTest, TheArenaTabAsksForItsOwnItemsAndBuysThroughItsOwnEvent)
{
    click(page()->getChild("Tab_Arena"));
    EXPECT_EQ(askedItem(), 2201);
    // An item the shop does not know comes back without options: listed, not sold.
    hands(78, {gui::ParamNode("prices", entry(2201, "Marching Boots", {}), 0, 0)});
    raise(78);
    EXPECT_EQ(cells(pane("Arena")->getChild("Offers"), 1), std::vector<std::string>{"not on sale"});
    static_cast<CEGUI::MultiColumnList*>(pane("Arena")->getChild("Offers"))
        ->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
    click(pane("Arena")->getChild("Buy"));
    EXPECT_TRUE(called[83].empty());

    // Coming back to the tab asks for nothing it already has.
    click(page()->getChild("Tab_Shop"));
    click(page()->getChild("Tab_Arena"));
    EXPECT_EQ(called[78].size(), 1u);
    EXPECT_TRUE(called[82].empty());
}

TEST_F(PlayerTabsTest, TheGiftFormSendsItsCartToAPickedOrTypedReceiverWithTheMedalsItShows)
{
    gui::RoleAttr own, anvil, unknown;
    own.pc_id = 1001;
    own.pc_nickname = "Hero";
    anvil.pc_id = 2001;
    anvil.pc_nickname = "Anvil";
    anvil.pc_lv = 12;
    unknown.member_name = "ghost"; // no record yet: no id to send to
    // The hall's list comes before the player's own record is known anywhere; then the tab asks
    // for it. Out of the hall the game lists the player alone: the players last seen stay.
    hands(30, {gui::ParamNode("roles", std::vector<gui::RoleAttr>{own, unknown, anvil}, 0, 0)});
    raise(30);
    hands(16, {gui::ParamNode("currentRole", own, 0, 0)});
    hands(30, {gui::ParamNode("roles", std::vector<gui::RoleAttr>{own}, 0, 0)});
    raise(30);
    click(page()->getChild("Tab_Gift"));
    CEGUI::Window* gift = pane("Gift");
    EXPECT_EQ(lines(gift->getChild("Receivers")), std::vector<std::string>{"Anvil (Lv 12)"});

    // Only medal options are gifts: one row each.
    hands(73, {gui::ParamNode(
                  "shoplist",
                  std::vector<gui::ShopData>{entry(3001, "Field Jacket", {price(101, 300, 1, 30)}),
                                             entry(3102, "Plumed Cap", {price(201, 100, 1, 7), price(203, 3, 3, 30)}),
                                             entry(2401, "Rook Cannon", {price(501, 5, 3, 30), price(502, 100, 3, 0)})},
                  0, 0)});
    raise(73);
    EXPECT_EQ(cells(gift->getChild("Offers"), 0),
              (std::vector<std::string>{"Plumed Cap", "Rook Cannon", "Rook Cannon"}));
    EXPECT_EQ(cells(gift->getChild("Offers"), 2), (std::vector<std::string>{"3", "5", "100"}));

    click(gift->getChild("Send")); // an empty cart
    auto* offers = static_cast<CEGUI::MultiColumnList*>(gift->getChild("Offers"));
    offers->setItemSelectState(CEGUI::MCLGridRef(0, 0), true);
    gift->getChild("Count")->setText("2");
    click(gift->getChild("Add"));
    offers->setItemSelectState(CEGUI::MCLGridRef(2, 0), true);
    gift->getChild("Count")->setText("1");
    click(gift->getChild("Add"));
    EXPECT_EQ(std::string(gift->getChild("Total")->getText().c_str()), "Total: 106 medals");
    click(gift->getChild("Send")); // no receiver yet
    gift->getChild("ReceiverId")->setText("12x");
    click(gift->getChild("Send"));
    EXPECT_TRUE(called[84].empty());

    static_cast<CEGUI::Listbox*>(gift->getChild("Receivers"))->setItemSelectState(static_cast<std::size_t>(0), true);
    EXPECT_EQ(std::string(gift->getChild("ReceiverId")->getText().c_str()), "2001");
    const std::string message = "F\xc3\xbcr dich, \"Anvil\" [b]";
    gift->getChild("Message")->setText(reinterpret_cast<const CEGUI::utf8*>(message.c_str()));
    click(gift->getChild("Send"));
    ASSERT_EQ(called[84].size(), 1u);
    const auto* cart = param<std::deque<gui::ShopData>>(84, "carlist");
    ASSERT_NE(cart, nullptr);
    ASSERT_EQ(cart->size(), 2u);
    EXPECT_EQ((*cart)[0].i_id, 3102);
    EXPECT_EQ((*cart)[0].chosen, 1); // the medal option of its entry
    EXPECT_EQ((*cart)[0].item.pci_num, 2);
    EXPECT_EQ((*cart)[1].chosen, 1);
    ASSERT_NE(param<int>(84, "rpc_id"), nullptr);
    EXPECT_EQ(*param<int>(84, "rpc_id"), 2001);
    EXPECT_EQ(*param<int>(84, "money"), 106);
    EXPECT_EQ(*param<std::string>(84, "msg"), message);

    gui::BagData cap;
    cap.i_id = 3102;
    cap.i_name = "Plumed Cap";
    cap.pci_num = 2;
    hands(84, {gui::ParamNode("buyed", std::vector<gui::BagData>{cap}, 0, 0)});
    raise(84);
    EXPECT_TRUE(lines(gift->getChild("Cart")).empty());
    EXPECT_EQ(std::string(gift->getChild("Status")->getText().c_str()), "Sent to Anvil (Lv 12): Plumed Cap x2.");
}

TEST_F(PlayerTabsTest, AfterAClaimABoxACardOrAForgesGoTheHeaderAsksForTheMoneyAgain)
{
    auto* forge = new zrktest::FakeEvent(107, tally);
    manager->getEventDispatcher()->registerEvent(forge);
    events[107] = forge;
    auto asks = [this](int id) {
        const std::size_t before = called[16].size();
        raise(id);
        return called[16].size() - before;
    };
    for (int id : {89, 128, 129, 132})
        EXPECT_EQ(asks(id), 1u) << id;
    // A forge's preview changes no money; its Go does, unless refused.
    hands(107, {gui::ParamNode::integer("flag", 1), gui::ParamNode::boolean("error", false)});
    EXPECT_EQ(asks(107), 0u);
    hands(107, {gui::ParamNode::integer("flag", 2), gui::ParamNode::boolean("error", true)});
    EXPECT_EQ(asks(107), 0u);
    hands(107, {gui::ParamNode::integer("flag", 2), gui::ParamNode::boolean("error", false)});
    EXPECT_EQ(asks(107), 1u);
    EXPECT_EQ(asks(8), 0u); // the bag alone: no money changed
}

TEST_F(PlayerTabsTest, TheShopsCartLinesAreTakenOutByButtonDeleteOrDoubleClickAndTheCartEmptied)
{
    // Three items in the cart, as the card and "Add" put them there.
    for (const auto& e :
         {entry(3001, "Field Jacket", {price(101, 300, 1, 30)}), entry(6001, "Cannon", {price(601, 400, 1, 0)}),
          entry(5002, "Field Dressing", {price(1001, 20, 1, 0)})}) {
        page()->getChild("ItemId")->setText(std::to_string(e.i_id));
        click(page()->getChild("Show"));
        hands(78, {gui::ParamNode("prices", e, 0, 0)});
        raise(78);
        click(page()->getChild("Add"));
    }
    CEGUI::Window* cart = page()->getChild("Cart");
    ASSERT_EQ(lines(cart).size(), 3u);
    EXPECT_TRUE(page()->getChild("TakeOut")->isDisabled()) << "no line picked";
    click(page()->getChild("TakeOut"));
    EXPECT_EQ(lines(cart).size(), 3u);

    auto* list = static_cast<CEGUI::Listbox*>(cart);
    list->setItemSelectState(static_cast<std::size_t>(1), true);
    EXPECT_FALSE(page()->getChild("TakeOut")->isDisabled());
    click(page()->getChild("TakeOut"));
    EXPECT_EQ(lines(cart), (std::vector<std::string>{"Field Jacket x1  30 days: 300 coins",
                                                     "Field Dressing x1  for ever: 20 coins"}));
    EXPECT_EQ(std::string(page()->getChild("Totals")->getText().c_str()), "Cart: 320 coins, 0 coupons, 0 medals");

    // Delete takes the picked line out, as a double click on a line does.
    list->setItemSelectState(static_cast<std::size_t>(1), true);
    cart->activate();
    CEGUI::System::getSingleton().getDefaultGUIContext().injectKeyDown(CEGUI::Key::Delete);
    EXPECT_EQ(lines(cart), std::vector<std::string>{"Field Jacket x1  30 days: 300 coins"});
    const CEGUI::Rectf area = list->getListRenderArea();
    const CEGUI::Rectf outer = cart->getUnclippedOuterRect().get();
    CEGUI::MouseEventArgs twice(cart);
    twice.button = CEGUI::LeftButton;
    twice.position = CEGUI::Vector2f(outer.left() + area.left() + 10, outer.top() + area.top() + 5);
    cart->fireEvent(CEGUI::Window::EventMouseDoubleClick, twice, CEGUI::Window::EventNamespace);
    EXPECT_TRUE(lines(cart).empty());
    EXPECT_TRUE(page()->getChild("EmptyCart")->isDisabled());

    // A refused purchase leaves the cart; "Empty cart" empties it whole.
    click(page()->getChild("Show"));
    raise(78);
    click(page()->getChild("Add"));
    click(page()->getChild("Add"));
    click(page()->getChild("Buy"));
    ASSERT_EQ(called[81].size(), 1u);
    ASSERT_NE(param<std::deque<gui::ShopData>>(81, "carlist"), nullptr);
    EXPECT_EQ(param<std::deque<gui::ShopData>>(81, "carlist")->size(), 2u);
    EXPECT_EQ(lines(cart).size(), 2u) << "no answer yet, or a refusal: the cart stays";
    click(page()->getChild("EmptyCart"));
    EXPECT_TRUE(lines(cart).empty());
    EXPECT_EQ(std::string(page()->getChild("Totals")->getText().c_str()), "Cart: 0 coins, 0 coupons, 0 medals");
}

TEST_F(PlayerTabsTest, AGiftCartsLineIsTakenOutAlone)
{
    click(page()->getChild("Tab_Gift"));
    CEGUI::Window* gift = pane("Gift");
    hands(73,
          {gui::ParamNode(
              "shoplist",
              std::vector<gui::ShopData>{entry(2401, "Wings", {price(501, 5, 3, 30), price(502, 100, 3, 0)})}, 0, 0)});
    raise(73);
    auto* offers = static_cast<CEGUI::MultiColumnList*>(gift->getChild("Offers"));
    for (unsigned row : {0u, 1u}) {
        offers->setItemSelectState(CEGUI::MCLGridRef(row, 0), true);
        click(gift->getChild("Add"));
    }
    EXPECT_EQ(std::string(gift->getChild("Total")->getText().c_str()), "Total: 105 medals");
    static_cast<CEGUI::Listbox*>(gift->getChild("Cart"))->setItemSelectState(static_cast<std::size_t>(0), true);
    click(gift->getChild("TakeOut"));
    EXPECT_EQ(lines(gift->getChild("Cart")), std::vector<std::string>{"Wings x1  for ever: 100 medals"});
    EXPECT_EQ(std::string(gift->getChild("Total")->getText().c_str()), "Total: 100 medals");
    click(gift->getChild("TakeOut")); // nothing picked now: nothing taken out
    EXPECT_EQ(lines(gift->getChild("Cart")).size(), 1u);
}

TEST_F(PlayerTabsTest, TheStatsTabRefusesANegativeAmountAndSaysSo)
{
    click(page()->getChild("Tab_Stats"));
    CEGUI::Window* stats = pane("Stats");
    stats->getChild("Add_str")->setText("-3");
    EXPECT_NE(std::string(stats->getChild("Status")->getText().c_str()).find("Strength: type a whole number"),
              std::string::npos);
    click(stats->getChild("Apply"));
    EXPECT_TRUE(called[86].empty()) << "never sent as 0 or as another number";
    EXPECT_NE(std::string(stats->getChild("Status")->getText().c_str()).find("Nothing was sent."), std::string::npos);
    stats->getChild("Add_str")->setText("3");
    EXPECT_EQ(std::string(stats->getChild("Status")->getText().c_str()), "");
    click(stats->getChild("Apply"));
    ASSERT_EQ(called[86].size(), 1u);
    ASSERT_NE(param<unsigned>(86, "str"), nullptr);
    EXPECT_EQ(*param<unsigned>(86, "str"), 3u);
}

TEST_F(PlayerTabsTest, TheAreaPagesShopButtonOpensTheShopWhicheverTabWasInFrontLast)
{
    click(page()->getChild("Tab_Quests"));
    ASSERT_TRUE(pane("Quests")->isEffectiveVisible());
    manager->showPage("area");
    CEGUI::Window* area = manager->getPage(0)->getRootWindow();
    ASSERT_NE(area, nullptr);
    click(area->getChild("Shop"));
    ASSERT_TRUE(page()->isEffectiveVisible());
    EXPECT_TRUE(page()->getChild("ShopList")->isEffectiveVisible());
    EXPECT_FALSE(pane("Quests")->isEffectiveVisible());
}
