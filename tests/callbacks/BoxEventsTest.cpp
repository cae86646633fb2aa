// The prize box after a battle and the bag's item actions against the embedded server: the free
// box's rules both ways, the price asked and answered (first button only, the box the player saw,
// a replaced box refusing), a box shown on the right view; a bag box's lines in order (none on an
// error), the rank card's price (defaults, six coefficients, overflow, money just enough) and its
// refusals, sorting, recycling and function items with their questions, one action at a time and
// nothing done on a bag that changed under the question.
#include "EventsFixture.h"

#include <algorithm>
#include <climits>
#include <core/DialogBoxResult.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <gui/IOpenBoxData.h>
#include <json/json.h>
#include <tinyxml.h>

#include "callbacks/EquipDropCallbackEvent.h"
#include "callbacks/EquipRangeCallbackEvent.h"
#include "callbacks/EvtBagOpenBoxCallback.h"
#include "callbacks/EvtBagUnlockRankCallback.h"
#include "callbacks/EvtUserFunItemCallback.h"
#include "callbacks/OpenBoxCallbackEvent.h"
#include "events/LoginGoEvent.h"
#include "services/GameServices.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct BoxFixture : EventsFixture {
    LoginGoEvent login{page, dispatcher};
    OpenBoxCallbackEvent prize{page, dispatcher};
    EvtBagOpenBoxCallback bagBox{page, dispatcher};
    EvtBagUnlockRankCallback unlock{page, dispatcher};
    EvtUserFunItemCallback funItem{page, dispatcher};
    EquipRangeCallbackEvent sortBag{page, dispatcher};
    EquipDropCallbackEvent drop{page, dispatcher};
    boost::shared_ptr<zrktest::RecordingState> logon, room;
    GameServices::Hooks savedHooks = GameServices::hooks();

    BoxFixture()
    {
        standAtLogOn(logon, room);
        gui::IGuiManager* gm = manager;
        GameServices::hooks().guiManager = [gm]() { return gm; };
    }
    ~BoxFixture() override { GameServices::hooks() = savedHooks; }
    void logIn()
    {
        logInWith(login, "hero", "hero123");
        ASSERT_EQ(machine().currentStateName(), "room");
        control->clearRaised();
        broker().clearHistory();
    }
    static ZRKRequestBroker& broker() { return ZRKRequestBroker::getSingleton(); }
    ZRKServerCore& core() { return session->getGameServer()->core(); }
    /// The requests sent since the last look, "op params".
    std::vector<std::string> sent()
    {
        std::vector<std::string> out;
        for (const ZRKRequestInfo& r : broker().history())
            out.push_back(r.op + " " + r.params);
        broker().clearHistory();
        return out;
    }
    void set(std::initializer_list<std::pair<const char*, boost::any>> values)
    {
        control->clearPageParams(kLogin);
        for (const auto& v : values)
            setParam(v.first, v.second);
    }
    std::vector<int> raised()
    {
        std::vector<int> ids = control->raisedIds();
        control->clearRaised();
        return ids;
    }
    /// Hero's bot battle, decided: the prize boxes are offered.
    std::string fightAndFinish(bool heroWins)
    {
        const std::string name = core().startBotBattle("hero", 1, "1", 7);
        frames(2);
        ZRKRequestBroker::call("ZRKRoomRequest", "reportLoad", ZRKReply(), name);
        frames(2);
        ZRKRoomState* r = ZRKRoomRequest::getRoomState(name, false, false);
        const int team = r->findPlayer("hero")->getBattleState().getIntVal("team", -1);
        ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleOver", ZRKReply(), name, heroWins ? team : 1 - team);
        frames(3);
        broker().clearHistory();
        control->clearRaised();
        return name;
    }
    gui::IOpenBoxData::BoxData offer(const std::string& room, int index)
    {
        std::list<core::XmlConfigHelper> boxes = ZRKRoomRequest::getRoomState(room, false, false)->getBoxes();
        auto it = boxes.begin();
        std::advance(it, index);
        gui::IOpenBoxData::BoxData d;
        d.b_id = it->getIntVal("b_id", 0);
        d.b_type = it->getIntVal("b_type", 0);
        d.b_buy_type = it->getIntVal("b_buy_type", 0);
        d.b_price = it->getIntVal("b_price", 0);
        return d;
    }
    void choose(int index, gui::IOpenBoxData::BoxData* box, bool pve = false)
    {
        set({{"flag", std::string("box") + std::to_string(index + 1)}, {"index", index}, {"pve", pve}});
        if (box)
            setParam("box", box);
        act(prize);
    }
    void answer(int button) { ASSERT_TRUE(frame.pressMessageBoxButton(button)); }
    /// Sets hero's money of a kind in the world and lets the client hear it.
    void setMoney(int kind, long long amount)
    {
        core().world().db().exec("UPDATE players SET money" + std::to_string(kind) + " = " + std::to_string(amount) +
                                 " WHERE name = 'hero'");
        core().world().forgetRead();
        core().tellGrade("hero"); // the own "pc" view comes along
        frames(3);
        broker().clearHistory();
    }
    long long itemCount(int slot)
    {
        for (const core::XmlConfigHelper& i : ZRKUserRequest::getInventory()->items())
            if (i.getIntVal("pci_slot", 0) == slot)
                return i.getIntVal("pci_num", 1);
        return 0;
    }
};

} // namespace

TEST_F(BoxFixture, AFreeBoxFollowsTheBattleStateAndOpensOnlyOnTheRightSide)
{
    logIn();
    gui::IOpenBoxData::BoxData free;
    choose(0, &free); // no battle yet
    EXPECT_EQ(raised(), std::vector<int>({112}));
    EXPECT_TRUE(sent().empty());

    const std::string name = fightAndFinish(true);
    gui::IOpenBoxData::BoxData other = offer(name, 5), mine = offer(name, 1);
    EXPECT_GT(other.b_buy_type, 0); // priced for him: the other side's
    other.b_buy_type = 0;           // as a GUI might still show it
    choose(5, &other);
    EXPECT_EQ(raised(), std::vector<int>({113}));
    EXPECT_TRUE(sent().empty());
    choose(1, &mine);
    choose(1, &mine); // a second click while the first is answered opens nothing more
    EXPECT_EQ(sent(), std::vector<std::string>({"openBox {id:" + std::to_string(mine.b_id) + ",idx:1}\n"}));
    // The view hears of the box once the server has opened it, not before.
    EXPECT_EQ(control->callCount("onBoxOpened"), 0);
    frames(3);
    EXPECT_EQ(control->callCount("onBoxOpened"), 1);
    ZRKRoomState* r = ZRKRoomRequest::getRoomState(name, false, false);
    EXPECT_EQ(r->getSelfState()->getBattleState().getIntVal("boxCount", -1), 0);
    gui::IOpenBoxData::BoxData next = offer(name, 2);
    next.b_buy_type = 0; // as the GUI may still show it: no opening left
    choose(2, &next);
    EXPECT_EQ(raised(), std::vector<int>({112}));
    EXPECT_TRUE(sent().empty());

    // A loser's side is the second half; a PVE box skips the rules and tells the PVE view.
    r->getSelfState()->getBattleState().setIntVal("flags", 0);
    r->getSelfState()->getBattleState().setIntVal("boxCount", 1);
    choose(0, &next);
    EXPECT_EQ(raised(), std::vector<int>({113}));
    r->getSelfState()->getBattleState().setIntVal("flags", 0x8);
    choose(4, &next);
    EXPECT_EQ(raised(), std::vector<int>({112})); // left early
    // The server keeps a box shut whose id is not its own: the player reads why, the view hears
    // the box is still shut, and nothing reads as opened.
    const std::size_t boxes = frame.getMessageBoxes().size();
    choose(0, &next, true);
    EXPECT_EQ(sent().size(), 1u);
    frames(3);
    EXPECT_EQ(control->callCount("onBoxOpened pve"), 0);
    EXPECT_EQ(control->callCount("onBoxRefused"), 1);
    ASSERT_EQ(frame.getMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(lastBox()->text, "The box's price has changed; look at it again.");
    // Its own id opens it (priced: hero's free opening is spent), and the PVE view is told.
    gui::IOpenBoxData::BoxData first = offer(name, 0);
    EXPECT_GT(first.b_buy_type, 0);
    choose(0, &first, true);
    answer(0);
    EXPECT_EQ(sent().size(), 1u);
    frames(3);
    EXPECT_EQ(control->callCount("onBoxOpened pve"), 1);

    // No "box": nothing opens.
    choose(3, nullptr);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(raised().empty());
}

TEST_F(BoxFixture, APaidBoxAsksItsPriceAndTheAnswerOpensTheBoxThePlayerSaw)
{
    logIn();
    gui::IOpenBoxData::BoxData paid;
    paid.b_id = 4321;
    paid.b_buy_type = 2;
    paid.b_price = 50;
    choose(6, &paid);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->text, "Opening the box costs 50 coupons. Open it?");
    EXPECT_TRUE(sent().empty());
    answer(1);
    EXPECT_TRUE(sent().empty());

    choose(6, &paid);
    answer(0);
    EXPECT_EQ(sent(), std::vector<std::string>({"openBox {id:4321,idx:6}\n"}));
    frames(3); // the server's answer (no battle: refused) lets the next box go

    // Asked for box 6, then another action that opens nothing: the answer opens box 6.
    choose(6, &paid);
    choose(2, nullptr);
    answer(0);
    EXPECT_EQ(sent(), std::vector<std::string>({"openBox {id:4321,idx:6}\n"}));
    frames(3);
    // A box replaced by another question is refused; the new one opens its own.
    gui::IOpenBoxData::BoxData second = paid;
    second.b_id = 99;
    second.b_buy_type = 4; // no such money: an empty question, still asked
    choose(6, &paid);
    choose(7, &second);
    EXPECT_EQ(lastBox()->text, "");
    answer(0);
    EXPECT_EQ(sent(), std::vector<std::string>({"openBox {id:99,idx:7}\n"}));
}

TEST_F(BoxFixture, ThePriceQuestionGoesWithTheBoxScreenAndAChoiceWhileABoxOpensIsToldToWait)
{
    logIn();
    manager->setRootWindow(gui->getRootWindow());
    auto* view = static_cast<gui::IBoxPanel*>(manager->getBoxOpenView());
    view->setOffers(std::vector<gui::IBattleOver::BoxOffer>(8));
    view->setCountDown(0.0f, 12.0f);
    ASSERT_TRUE(view->isShown());
    gui::IOpenBoxData::BoxData paid;
    paid.b_id = 4321;
    paid.b_buy_type = 2;
    paid.b_price = 50;
    choose(6, &paid);
    frames(2);
    ASSERT_NE(frame.getOpenMessageBox(), nullptr) << "asked while the box screen shows";
    manager->resetPages(); // the half time is over: the screen goes
    frames(2);
    EXPECT_EQ(frame.getOpenMessageBox(), nullptr) << "the price question outlived its screen";
    EXPECT_TRUE(sent().empty());

    // The next half time: a box being opened, a second choice waits and says so.
    view->setCountDown(0.0f, 12.0f);
    choose(6, &paid);
    answer(0);
    ASSERT_EQ(sent().size(), 1u);
    const std::size_t boxes = frame.getMessageBoxes().size();
    gui::IOpenBoxData::BoxData free;
    free.b_id = 7;
    choose(5, &paid);
    choose(1, &free);
    EXPECT_EQ(control->callCount("onBoxBusy"), 2);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes) << "nothing is asked while a box opens";
    EXPECT_TRUE(sent().empty());
    frames(3); // answered (no battle: refused): the next choice asks its price again
    choose(5, &paid);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes + 2); // the refusal's notice, then the price
    EXPECT_EQ(control->callCount("onBoxBusy"), 2);
}

TEST_F(BoxFixture, ABagBoxShowsItsLinesInOrderAndNothingOnARefusal)
{
    // The lines of a reply's data: known kinds in order, an unknown one left out, texts not
    // decimal read as 0.
    TiXmlDocument doc;
    doc.Parse("<data><open_box>"
              "<Item><bi_type>1</bi_type><bi_num>100</bi_num></Item>"
              "<Item><bi_type>9</bi_type><bi_num>7</bi_num></Item>"
              "<Item><bi_type>5</bi_type><bi_num>2x</bi_num></Item>"
              "<Item><bi_type>4</bi_type></Item>"
              "</open_box></data>");
    EXPECT_EQ(EvtBagOpenBoxCallback::awardLines(&doc), "Coins +100\nExperience +0\nPoints +0\n");
    TiXmlDocument none;
    none.Parse("<data><uid>hero</uid></data>");
    EXPECT_EQ(EvtBagOpenBoxCallback::awardLines(&none), "");
    EXPECT_EQ(EvtBagOpenBoxCallback::awardLines(nullptr), "");
    // An item the client's library lacks is named by its number, never left blank.
    TiXmlDocument unknown;
    unknown.Parse(
        "<data><open_box><Item><bi_type>6</bi_type><bi_id>99999</bi_id><bi_num>2</bi_num></Item></open_box></data>");
    EXPECT_EQ(EvtBagOpenBoxCallback::awardLines(&unknown), "Item no. 99999 +2\n");
    // A document of 10,000 rows: the lines stop where no box's reply goes.
    std::string rows = "<data><open_box>";
    for (int i = 0; i < 10000; ++i)
        rows += "<Item><bi_type>1</bi_type><bi_num>1</bi_num></Item>";
    TiXmlDocument many;
    many.Parse((rows + "</open_box></data>").c_str());
    const std::string lines = EvtBagOpenBoxCallback::awardLines(&many);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 256);

    logIn();
    const std::size_t boxes = frame.getMessageBoxes().size();
    set({{"slot", 81}});
    act(bagBox);
    act(bagBox); // busy: one box at a time
    EXPECT_EQ(sent(), std::vector<std::string>({"queryBagOpenBox [81]\n"}));
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({129, 8}));
    ASSERT_EQ(frame.getMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(lastBox()->text, "Coins +300\nExperience +50\nFine Forge Stone +1\n");
    EXPECT_EQ(itemCount(81), 1);

    set({{"slot", 61}}); // no box
    act(bagBox);
    EXPECT_EQ(sent(), std::vector<std::string>({"queryBagOpenBox [61]\n"}));
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({129, 8}));
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes + 1);
    gui::ParamList* list = bagBox.fillParams();
    ASSERT_EQ(list->size(), 2u);
    EXPECT_TRUE(boost::any_cast<bool>((*list)[0]->value));
    EXPECT_EQ(boost::any_cast<std::string>((*list)[1]->value), text("box/not_box"));

    // No slot, or one of another type: nothing goes.
    set({});
    act(bagBox);
    set({{"slot", std::string("81")}});
    act(bagBox);
    const std::vector<std::string> nothing = sent();
    EXPECT_TRUE(nothing.empty()) << ::testing::PrintToString(nothing);
}

TEST_F(BoxFixture, TheRankCardIsPricedFromTheCoefficientsAndAskedOnTheBagThePlayerSaw)
{
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[]", 5, 6), 33);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[1,0,0,0,0,5]", 2, 3), 14);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[1,0,0,0,0]", 2, 3), 15); // five: the default
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[1e99,0,0,0,0,0]", 2, 3), 15);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[\"a\"]", 2, 3), 15);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("1.0", 3, 3), 0);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[2147483647,2147483647,0,0,0,0]", 2147483647, 2147483647), INT_MAX);
    EXPECT_EQ(EvtBagUnlockRankCallback::price("[0,0,0,0,0,-9]", 1, 1), 0);
    EXPECT_EQ(EvtBagUnlockRankCallback::price(std::string(5000, '['), 1, 2), 9);

    logIn();
    // A card below hero's rank 5 is refused at once, with the reason, and nothing is asked.
    set({{"slot", 84}, {"i_id", 5202}});
    act(unlock);
    EXPECT_EQ(lastBox()->text, "The card's rank is below yours.");
    EXPECT_FALSE(lastBox()->choice);
    EXPECT_FALSE(unlock.busy());
    EXPECT_TRUE(sent().empty());
    // An item that lends no rank is no card: said so, not that its rank is low.
    set({{"slot", 61}, {"i_id", 3001}});
    act(unlock);
    EXPECT_EQ(lastBox()->text, "That item is no rank card.");
    EXPECT_FALSE(lastBox()->choice);
    EXPECT_TRUE(sent().empty());
    // Hero: rank 5, 5 medals; the card lends 6 for 33.
    set({{"slot", 83}, {"i_id", 5201}});
    act(unlock);
    EXPECT_EQ(lastBox()->text, "You need 33 medals for this.");
    EXPECT_TRUE(sent().empty());
    setMoney(3, 33);
    act(unlock);
    EXPECT_EQ(lastBox()->text, "Unlock for 30 days for 33 medals? Your rank goes from Lieutenant to Captain.");
    EXPECT_FALSE(unlock.busy());
    answer(1);
    EXPECT_TRUE(sent().empty());

    // The bag changed under the question: nothing is done, the bag is shown again.
    const long before = ZRKUserRequest::getInventoryTime();
    act(unlock); // asked on this bag
    core::XmlConfigHelper move;
    move.setIntVal("slot_from", 62);
    move.setIntVal("slot_to", 78);
    ZRKUserRequest::changeSlot(move, [](bool, const std::string&) {});
    frames(3);
    ASSERT_NE(ZRKUserRequest::getInventoryTime(), before);
    broker().clearHistory();
    raised();
    answer(0);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(raised(), std::vector<int>({8}));

    act(unlock);
    answer(0);
    EXPECT_TRUE(unlock.busy());
    EXPECT_EQ(sent(), std::vector<std::string>({"queryBagUnlockRank [83]\n"}));
    frames(3);
    EXPECT_FALSE(unlock.busy());
    EXPECT_EQ(raised(), std::vector<int>({132, 8}));
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_rank", 0), 6);
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_money3", -1), 0);
}

TEST_F(BoxFixture, ACardOfThePlayersOwnRankIsStillAskedAbout)
{
    logIn();
    core().world().db().exec("UPDATE players SET rank = 6 WHERE name = 'hero'");
    setMoney(3, 1000);
    set({{"slot", 83}, {"i_id", 5201}}); // the lieutenant's card: rank 6, hero's own now
    act(unlock);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_TRUE(lastBox()->choice);
    EXPECT_EQ(lastBox()->text.find("Unlock for 30 days for "), 0u) << lastBox()->text;
    EXPECT_TRUE(sent().empty()) << "nothing before the yes";
}

TEST_F(BoxFixture, SortRecycleAndUseSendTheirTextsAskWhereTheyMustAndShowTheBagAgain)
{
    logIn();
    // Recycle: nothing for an empty list; the page's text replaces the question.
    set({{"slots", std::vector<int>()}});
    const std::size_t boxes = frame.getMessageBoxes().size();
    act(drop);
    EXPECT_EQ(frame.getMessageBoxes().size(), boxes);
    const int gloves = 62;
    set({{"slots", std::vector<int>{gloves}}, {"text", std::string("Really?")}});
    act(drop);
    EXPECT_EQ(lastBox()->text, "Really?");
    answer(1);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(raised().empty());
    set({{"slots", std::vector<int>{gloves}}});
    act(drop);
    EXPECT_EQ(lastBox()->text, text("warning/recycle_cfm"));
    answer(0);
    EXPECT_EQ(sent().size(), 1u);
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({8}));

    // Use: giving back the stat points asks first; one use at a time.
    set({{"slot", 85}, {"fun_type", 1}});
    act(funItem);
    EXPECT_EQ(lastBox()->text, text("msg/skill_clean"));
    EXPECT_TRUE(funItem.busy());
    act(funItem);
    answer(1);
    EXPECT_FALSE(funItem.busy());
    EXPECT_TRUE(sent().empty());
    // A question replaced by another is refused: the use is free again, nothing sent.
    act(funItem);
    set({{"slots", std::vector<int>{61}}});
    act(drop);
    EXPECT_FALSE(funItem.busy());
    answer(1);
    EXPECT_TRUE(sent().empty());
    set({{"slot", 85}, {"fun_type", 1}});
    act(funItem);
    answer(0);
    EXPECT_EQ(sent(), std::vector<std::string>({"queryUseFunItem [{\"param\":\"\",\"slot\":85,\"type\":1}]\n"}));
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({128, 8}));
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_str", -1), 0);
    // Another type goes at once; a refused use still raises, and says why.
    set({{"slot", 87}, {"fun_type", 3}, {"fun_param", std::string("no good!")}});
    act(funItem);
    EXPECT_EQ(sent().size(), 1u);
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({128, 8}));
    gui::ParamList* list = funItem.fillParams();
    EXPECT_TRUE(boost::any_cast<bool>((*list)[0]->value));
    EXPECT_EQ(boost::any_cast<std::string>((*list)[1]->value), text("error/role_name_bad"));
    EXPECT_EQ(itemCount(87), 1);

    // Sorting: the bag again, every count as it was.
    std::map<int, long long> counts;
    for (const core::XmlConfigHelper& i : ZRKUserRequest::getInventory()->items())
        counts[i.getIntVal("i_id", 0)] += i.getIntVal("pci_num", 1);
    act(sortBag);
    EXPECT_EQ(sent(), std::vector<std::string>({"bagRange "}));
    frames(3);
    EXPECT_EQ(raised(), std::vector<int>({8}));
    std::map<int, long long> sorted;
    for (const core::XmlConfigHelper& i : ZRKUserRequest::getInventory()->items())
        sorted[i.getIntVal("i_id", 0)] += i.getIntVal("pci_num", 1);
    EXPECT_EQ(sorted, counts);
    EXPECT_EQ(itemCount(61), 1); // no gap at the front
}
