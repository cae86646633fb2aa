// The bag against the embedded server: the icon and sub-class tables, the bag list with a
// record per slot, the outfit put on the own character, and moving items between slots
// (wearing binds, a wrong kind is refused, nothing is lost when the server fails).
#include "EventsFixture.h"

#include <CEGUI/CEGUI.h>
#include <core/DateTime.h>
#include <server/ZRKGameServer.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagCell.h>
#include <gui/BagData.h>
#include <gui/BlockData.h>
#include <gui/SubClass.h>
#include <set>

#include "events/EqIconLoadingEvent.h"
#include "events/EquipmentListEvent.h"
#include "events/ExChangeSlotEvent.h"
#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "events/PackageLoadingEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct BagFixture : EventsFixture {
    EquipRes equipment;
    ExitEvent exitEvent{page, dispatcher};
    LoginGoEvent login{page, dispatcher};
    EqIconLoadingEvent icons{page, dispatcher};
    PackageLoadingEvent bag{page, dispatcher};
    EquipmentListEvent outfit{page, dispatcher};
    ExChangeSlotEvent exchange{page, dispatcher};
    boost::shared_ptr<zrktest::RecordingState> logon, room;
    std::map<int, gui::BagCell> cells;
    std::map<int, CEGUI::Window*> windows;

    BagFixture()
    {
        equipment.load();
        standAtLogOn(logon, room);
    }
    ~BagFixture() override
    {
        for (auto& w : windows)
            CEGUI::WindowManager::getSingleton().destroyWindow(w.second);
        RoleManager::destroyInstance();
    }
    void logIn()
    {
        logInAsHero(login);
        control->clearRaised();
    }
    /// The bag list as the GUI reads it after asking for it, by slot.
    std::map<int, gui::BagData> bagList()
    {
        act(bag);
        frames(3);
        std::map<int, gui::BagData> out;
        for (gui::ParamNode* n : *bag.fillParams())
            if (n->name == "bagList")
                for (const gui::BagData& d : boost::any_cast<std::vector<gui::BagData>>(n->value))
                    out[d.pci_slot] = d;
        return out;
    }
    /// The cell window of a slot, its record saying whether the item is bound.
    CEGUI::Window* cell(int slot, int bind)
    {
        cells[slot] = gui::BagCell{slot, bind};
        CEGUI::Window*& w = windows[slot];
        if (!w)
            w = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "cell" + std::to_string(slot));
        w->setUserData(&cells[slot]);
        return w;
    }
    void move(const boost::any& src, const boost::any& dst, bool batch = false)
    {
        control->clearPageParams(kLogin);
        setParam("batch", batch);
        setParam("src", src);
        setParam("dst", dst);
        act(exchange);
    }
    void answerBox(int button)
    {
        ASSERT_TRUE(frame.pressMessageBoxButton(button));
        frames(3);
    }
    std::vector<int> raised() const { return control->raisedIds(); }
};

} // namespace

TEST_F(BagFixture, IconsAndSubClassesLiveWithTheEventAndALaterDoubleWins)
{
    gui::ParamList* list = icons.fillParams();
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0]->name, "eqcoll");
    EXPECT_EQ((*list)[0]->size, -1);
    typedef std::map<int, std::string>* IconTable;
    typedef std::map<int, gui::SubClass>* ClassTable;
    EXPECT_EQ(boost::any_cast<IconTable>((*list)[0]->value), &icons.icons());
    EXPECT_EQ(boost::any_cast<ClassTable>((*list)[1]->value), &icons.subClasses());

    logIn();
    act(icons);
    frames(3);
    EXPECT_EQ(count(raised(), 11), 1u);
    EXPECT_EQ(icons.icons(), equipment.getIconTable());
    EXPECT_EQ(icons.icons().at(2001), "icon_coat_01");
    ASSERT_EQ(icons.subClasses().size(), 16u); // with the banner props
    EXPECT_EQ(icons.subClasses().at(3).isc_name, "coat");
    EXPECT_EQ(icons.subClasses().at(3).isc_slot, 3);
    EXPECT_EQ(icons.subClasses().at(31).isc_stack_num, 99);
    EXPECT_EQ(icons.subClasses().at(31).ic_name, "prop");

    Json::Value views;
    Json::Value& classes = views["itemClasses"] = Json::Value(Json::arrayValue);
    classes[0]["isc_id"] = 3;
    classes[0]["isc_name"] = "first";
    classes[1] = "no record";
    classes[2]["isc_id"] = 3;
    classes[2]["isc_name"] = "second";
    classes[2]["isc_slot"] = "three"; // unreadable: 0
    session->getGameData().applyViews(views);
    icons.onReply(false, "");
    ASSERT_EQ(icons.subClasses().size(), 1u);
    EXPECT_EQ(icons.subClasses().at(3).isc_name, "second");
    EXPECT_EQ(icons.subClasses().at(3).isc_slot, 0);

    // A failed query: one line, the tables as they were, nothing raised.
    control->clearRaised();
    session->getGameServer()->setModeFor("queryItemClasses", ZRKGameServer::Fail);
    act(icons);
    frames(3);
    EXPECT_EQ(icons.subClasses().size(), 1u);
    EXPECT_TRUE(raised().empty());
    EXPECT_EQ(log.countCaptured("EqIconLoadingEvent", "the server is busy"), 1u);
}

TEST_F(BagFixture, TheBagListHasARecordForEverySlotThenWhatTheTemporaryBagHolds)
{
    // Before any inventory: an empty list.
    gui::ParamList* list = bag.fillParams();
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0]->name, "bagList");
    EXPECT_EQ((*list)[0]->size, 0);
    EXPECT_EQ((*list)[0]->type, gui::ParamNode::Record);
    EXPECT_TRUE(boost::any_cast<std::vector<gui::BagData>>((*list)[0]->value).empty());

    logIn();
    const std::map<int, gui::BagData> slots = bagList();
    EXPECT_EQ(count(raised(), 8), 1u);
    // Worn, weapons, props, the bag's 30 cells, then the box in the temporary bag.
    EXPECT_EQ(slots.size(), 12u + 27u + 10u + 30u + 1u);
    ASSERT_EQ(slots.count(201), 1u);
    EXPECT_EQ(slots.at(201).i_id, 5001);
    EXPECT_EQ(slots.at(201).i_name, "Bronze Box");
    EXPECT_EQ(slots.count(91), 0u);
    EXPECT_EQ(slots.count(202), 0u);

    const gui::BagData& coat = slots.at(3);
    EXPECT_EQ(coat.i_id, 2001);
    EXPECT_EQ(coat.pci_bind, 1);
    EXPECT_EQ(coat.pc_id, 1001);
    EXPECT_EQ(coat.i_name, "Field Coat");
    EXPECT_EQ(coat.isc_id, 3);
    const gui::BagData& jacket = slots.at(61);
    EXPECT_EQ(jacket.pci_buy_time, core::parseDateTime("2026-11-30 18:45:00"));
    EXPECT_EQ(jacket.pci_buy_time, 1796064300);
    EXPECT_EQ(jacket.pci_expiry_day, 30);
    EXPECT_EQ(slots.at(64).pci_buy_time, -1); // "no date"
    EXPECT_EQ(slots.at(62).pci_buy_time, -1); // none given
    EXPECT_EQ(slots.at(51).pci_num, 3);
    EXPECT_EQ(slots.at(21).pci_lv, 2);

    const gui::BagData& empty = slots.at(1);
    EXPECT_EQ(empty.i_id, 0);
    EXPECT_EQ(empty.pc_id, 1001);
    EXPECT_EQ(empty.pci_buy_time, -1);
    EXPECT_EQ(empty.pci_bind, 0);
    EXPECT_TRUE(empty.attr_x.empty());
    EXPECT_TRUE(empty.i_name.empty());
    EXPECT_EQ(empty.inventory_time, coat.inventory_time);

    // A failed query: one line, nothing raised.
    control->clearRaised();
    session->getGameServer()->setModeFor("queryUserInventory", ZRKGameServer::Fail);
    act(bag);
    frames(3);
    EXPECT_TRUE(raised().empty());
    EXPECT_EQ(log.countCaptured("PackageLoadingEvent", "the server is busy"), 1u);
}

TEST_F(BagFixture, WearingACoatAsksThenSwapsItWithTheWornOneAndBindsIt)
{
    logIn();
    ASSERT_EQ(bagList().at(61).pci_bind, 0);
    move(cell(61, 0), cell(3, 1));
    ASSERT_TRUE(lastBox());
    EXPECT_EQ(lastBox()->textKey, "msg/yibangding2");
    EXPECT_EQ(lastBox()->titleKey, "warning/title");
    answerBox(0);
    EXPECT_TRUE(exchange.isChange());
    EXPECT_EQ(count(raised(), 8), 2u); // the list above, then the change
    EXPECT_EQ(count(raised(), 12), 0u);
    std::vector<int> dirty;
    ZRKUserRequest::getDirtySlots(dirty, false);
    EXPECT_EQ(dirty, (std::vector<int>{3, 61}));

    // The next list shows it; the changed slots were taken off once read.
    const std::map<int, gui::BagData> slots = bagList();
    EXPECT_EQ(slots.at(3).i_id, 3001);
    EXPECT_EQ(slots.at(3).pci_bind, 1);
    EXPECT_EQ(slots.at(61).i_id, 2001);

    // The handed-out nodes are the GUI's own, as given, then the result.
    gui::ParamList* list = exchange.fillParams();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0]->name, "src");
    EXPECT_EQ((*list)[1]->name, "dst");
    EXPECT_EQ((*list)[2]->name, "isChange");
    EXPECT_TRUE(boost::any_cast<bool>((*list)[2]->value));
}

TEST_F(BagFixture, CancellingTheBindQuestionOrAWrongKindChangesNothing)
{
    logIn();
    const std::map<int, gui::BagData> before = bagList();
    move(cell(62, 0), cell(5, 0));
    answerBox(1);
    EXPECT_EQ(count(raised(), 8), 2u); // the list above, then the redraw
    EXPECT_FALSE(exchange.isChange());

    // Gloves are no coat: the server refuses and says why.
    move(cell(62, 0), cell(3, 1));
    answerBox(0);
    EXPECT_FALSE(exchange.isChange());
    EXPECT_EQ(count(raised(), 8), 3u);
    EXPECT_EQ(log.countCaptured("ExChangeSlotEvent::handleChangeSlot", "That item cannot be worn there."), 1u);
    // A coat made for the other look fits no boy either.
    move(cell(63, 0), cell(3, 1));
    answerBox(0);
    EXPECT_FALSE(exchange.isChange());
    const std::map<int, gui::BagData> after = bagList();
    for (int slot : {3, 5, 62, 63})
        EXPECT_EQ(after.at(slot).i_id, before.at(slot).i_id) << slot;
}

TEST_F(BagFixture, ABatchGoesAlongWithTheNextMoveAndIsAppliedFirst)
{
    logIn();
    bagList();
    move(61, 3, true);
    move(62, 5, true);
    EXPECT_EQ(exchange.batch().size(), 2u);
    move(cell(6, 1), cell(77, 0)); // from a worn slot: nothing to bind, sent at once
    EXPECT_FALSE(lastBox());
    EXPECT_TRUE(exchange.batch().empty());
    frames(3);
    ASSERT_TRUE(exchange.isChange());
    const std::map<int, gui::BagData> slots = bagList();
    EXPECT_EQ(slots.at(3).i_id, 3001);
    EXPECT_EQ(slots.at(61).i_id, 2001);
    EXPECT_EQ(slots.at(5).i_id, 3002);
    EXPECT_EQ(slots.at(5).pci_bind, 1);
    EXPECT_EQ(slots.at(62).i_id, 0);
    EXPECT_EQ(slots.at(77).i_id, 2201);

    // A batch call without "dst" empties the list; one of the wrong type too, with a line.
    move(61, 3, true);
    control->clearPageParams(kLogin);
    setParam("batch", true);
    setParam("src", 61);
    act(exchange);
    EXPECT_TRUE(exchange.batch().empty());
    move(61, 3, true);
    move(cell(61, 0), cell(3, 1), true);
    EXPECT_TRUE(exchange.batch().empty());
    EXPECT_EQ(log.countCaptured("ExChangeSlotEvent", ""), 1u);
}

TEST_F(BagFixture, WhatIsNoCellSendsNothingAndAFailingServerLosesNothing)
{
    logIn();
    const std::map<int, gui::BagData> before = bagList();
    control->clearRaised();
    // First fill: two empty copies, then the result.
    gui::ParamList* list = exchange.fillParams();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0]->size, 0);
    EXPECT_EQ((*list)[0]->type, 0);

    move(static_cast<CEGUI::Window*>(nullptr), cell(3, 1));
    CEGUI::Window* bare = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "bare");
    move(bare, cell(3, 1));
    move(61, 3); // numbers in a single move
    CEGUI::WindowManager::getSingleton().destroyWindow(bare);
    EXPECT_EQ(log.countCaptured("ExChangeSlotEvent", ""), 3u);
    EXPECT_FALSE(lastBox());
    frames(3);
    EXPECT_TRUE(raised().empty());

    for (ZRKGameServer::Mode mode : {ZRKGameServer::Fail, ZRKGameServer::Hang, ZRKGameServer::Garbage}) {
        session->getGameServer()->setModeFor("changeSlot", mode);
        move(cell(6, 1), cell(77, 0));
        frames(3);
        EXPECT_FALSE(exchange.isChange()) << ZRKGameServer::modeName(mode);
    }
    EXPECT_EQ(count(raised(), 8), 2u); // none for the hanging one
    session->getGameServer()->clearModes();
    // Whatever the server did, every item is still somewhere.
    auto items = [](const std::map<int, gui::BagData>& slots) {
        std::multiset<int> ids;
        for (const auto& slot : slots)
            if (slot.second.i_id)
                ids.insert(slot.second.i_id);
        return ids;
    };
    const std::map<int, gui::BagData> after = bagList();
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(items(after), items(before));
}

TEST_F(BagFixture, AReplyAfterTheEventIsGoneReachesNothing)
{
    logIn();
    bagList();
    control->clearRaised();
    {
        ExChangeSlotEvent passing(page, dispatcher);
        control->clearPageParams(kLogin);
        setParam("src", cell(61, 0));
        setParam("dst", cell(3, 1));
        passing.callback(control->paramHandle(kLogin)); // asks first
        ASSERT_TRUE(frame.getOpenMessageBox());
    }
    EXPECT_FALSE(frame.pressMessageBoxButton(0) && !raised().empty());
    frames(3);
    EXPECT_TRUE(raised().empty());
    {
        ExChangeSlotEvent passing(page, dispatcher);
        control->clearPageParams(kLogin);
        setParam("src", cell(6, 1));
        setParam("dst", cell(77, 0));
        passing.callback(control->paramHandle(kLogin)); // sent at once
    }
    frames(3);
    EXPECT_TRUE(raised().empty());
}

TEST_F(BagFixture, TheOutfitDressesTheOwnCharacterAndSkipsWhatHasNoModel)
{
    ZRKRolePtr own = RoleManager::instance().createRole("myrole", nullptr);
    gui::BlockData coat{"coat", 2001}, suite{"suite", 2101}, unknown{"hand", 9999};
    std::vector<gui::BlockData*> blocks = {&coat, nullptr, &suite, &unknown};
    setParam("equlst", blocks);
    act(outfit);
    const ZRKRole::SlotModels expected = {{"coat", "boy_coat_01"}, {"suite", "boy_suite_01"}, {"looks", "suite01_sf"}};
    EXPECT_EQ(own->getSlotModels(), expected);
    EXPECT_EQ(equipment.getModelTable(), expected);
    EXPECT_TRUE(outfit.fillParams()->empty());

    // All without a model: the character is left bare.
    blocks = {&unknown};
    setParam("equlst", blocks);
    act(outfit);
    EXPECT_TRUE(own->getSlotModels().empty());

    // Missing: nothing; of another type: one line.
    own->setAttr("coat", "boy_coat_01");
    control->clearPageParams(kLogin);
    act(outfit);
    setParam("equlst", 5);
    act(outfit);
    EXPECT_EQ(own->getSlotModels().size(), 1u);
    EXPECT_EQ(log.countCaptured("EquipmentListEvent", ""), 1u);
}

TEST_F(BagFixture, TheWeaponAndPropsBagsTakeTheirKindAndNeverAskToBind)
{
    logIn();
    const std::map<int, gui::BagData> before = bagList();
    // A coat is no weapon and no prop: no question, and the server keeps it where it was.
    move(cell(61, 0), cell(23, 0));
    EXPECT_FALSE(lastBox());
    frames(3);
    EXPECT_FALSE(exchange.isChange());
    move(cell(61, 0), cell(53, 0));
    EXPECT_FALSE(lastBox());
    frames(3);
    EXPECT_FALSE(exchange.isChange());
    // The mortar goes to the bag proper and back into a weapon bag, without a question, unbound.
    move(cell(22, 0), cell(77, 0));
    frames(3);
    ASSERT_TRUE(exchange.isChange());
    move(cell(77, 0), cell(23, 0));
    EXPECT_FALSE(lastBox());
    frames(3);
    ASSERT_TRUE(exchange.isChange());
    // A prop to its bag likewise; a weapon is no prop.
    move(cell(52, 0), cell(78, 0));
    frames(3);
    move(cell(78, 0), cell(53, 0));
    EXPECT_FALSE(lastBox());
    frames(3);
    EXPECT_TRUE(exchange.isChange());
    move(cell(23, 0), cell(54, 0));
    frames(3);
    EXPECT_FALSE(exchange.isChange());
    const std::map<int, gui::BagData> after = bagList();
    EXPECT_EQ(after.at(61).i_id, before.at(61).i_id);
    EXPECT_EQ(after.at(23).i_id, 6002);
    EXPECT_EQ(after.at(23).pci_bind, 0);
    EXPECT_EQ(after.at(53).i_id, 5002);
    EXPECT_EQ(after.at(53).pci_bind, 0);
    EXPECT_EQ(after.count(54) ? after.at(54).i_id : 0, 0);
}
