// The friends screen's events and the guild invitation against the embedded server: the roster
// split into its three lists in the roster's order with every field decoded, refilled once per
// roster load after one ask (however often asked), the edits' exact texts (no request for
// oneself, a moved entry's own group or an entry without player id), a nickname nobody has, the
// deletion's question both ways, another player's profile and bag (only the latest look counts,
// the GUI's record read at once), and the invitation's boxes: busy, zero ids, ERR 0 and a
// failure after a success that never shows success.
#include "ShopLoginFixture.h"

#include <data/ZRKGameData.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>
#include <text/CeguiText.h>
#include <gui/FriendPlayer.h>
#include <gui/RoleAttr.h>
#include <json/json.h>

#include "callbacks/EvtGuildInviteCallback.h"
#include "callbacks/InfFriendCallbackEvent.h"
#include "callbacks/InfPersonalCallbackEvent.h"
#include "callbacks/MyFriendCallbackEvent.h"
#include "callbacks/RosterOperateCallbackEvent.h"
#include "rooms/ZRKRole.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct FriendsFixture : zrktest::ShopLoginFixture {
    MyFriendCallbackEvent friends{page, dispatcher};
    RosterOperateCallbackEvent roster{page, dispatcher};
    InfFriendCallbackEvent profile{page, dispatcher};
    InfPersonalCallbackEvent personal{page, dispatcher};
    EvtGuildInviteCallback invite{page, dispatcher};

    ZRKServerCore& core() { return session->getGameServer()->core(); }
    static void loadRoster(const std::string& json)
    {
        Json::Value views(Json::objectValue);
        zrktest::parseJson(json, views["roster"]);
        ZRKGameData::getSingleton().applyViews(views);
    }
    /// The three lists as "index:nick" per entry.
    std::vector<std::string> lists()
    {
        gui::ParamList* list = friends.fillParams();
        std::vector<std::string> out;
        for (const char* name : {"friend", "blacklist", "anous"}) {
            const auto* entries = value<std::vector<gui::FriendPlayer>>(list, name);
            std::string line = name;
            if (entries)
                for (const gui::FriendPlayer& f : *entries)
                    line += " " + std::to_string(f.index) + ":" + gui::fromCeguiString(f.nickname);
            else
                line += " missing";
            out.push_back(line);
        }
        return out;
    }
};

} // namespace

TEST_F(FriendsFixture, TheRosterFillsThreeListsInItsOrderAndEachLoadRefillsOnceAfterOneAsk)
{
    logInAsHero();
    loadRoster("[]");
    EXPECT_EQ(lists(), (std::vector<std::string>{"friend", "blacklist", "anous"}));
    // No parameter list is handed out without all three nodes, in order.
    gui::ParamList* list = friends.fillParams();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ(list->front()->name, "friend");
    EXPECT_EQ(list->back()->name, "anous");

    loadRoster(
        R"([{"fuid":"e","group":1,"nick":"Eve"},{"fuid":"a","group":3,"nick":"Al"},{"fuid":"c","group":2,"nick":"Cy"},
                   {"fuid":"b","group":0,"nick":"Bo"},{"fuid":"d","group":1,"nick":"Di"},{"fuid":7,"group":1},"junk"])");
    EXPECT_EQ(lists(), (std::vector<std::string>{"friend 3:Di 4:Eve", "blacklist 2:Cy", "anous 0:Al 1:Bo"}));

    // Asked twice, one connection: each load raises 68 once; nothing before the ask.
    takeRaised();
    loadRoster("[]");
    EXPECT_EQ(count(takeRaised(), 68), 0u);
    act(friends);
    act(friends);
    EXPECT_EQ(count(takeRaised(), 68), 2u);
    EXPECT_TRUE(friends.isSubscribed());
    loadRoster("[]");
    EXPECT_EQ(count(takeRaised(), 68), 1u);
}

TEST_F(FriendsFixture, AnEntryDecodesItsMembershipSexAndMutualMark)
{
    logInAsHero();
    struct Case {
        int blue, year, level;
    };
    for (const Case& c : {Case{0x0F5, 0, 0}, Case{0x105, 0, 5}, Case{0x115, 1, 15}, Case{0x110, 1, 0}}) {
        core::XmlConfigHelper item;
        item.setIntVal("f_blue", c.blue);
        const gui::FriendPlayer f = MyFriendCallbackEvent::friendOf(item, 0);
        EXPECT_EQ(f.attr.blue_year, c.year) << c.blue;
        EXPECT_EQ(f.attr.blue_level, c.level) << c.blue;
    }
    loadRoster(R"([{"fuid":"Anvil","group":1,"nick":"An\"vil","f_pc_id":900000,"f_cid":1,"f_lv":12,"f_rank":3,"pep":1},
                   {"fuid":"x","group":"1","nick":7,"f_cid":2,"f_lv":"high","pep":2}])");
    const auto* all = value<std::vector<gui::FriendPlayer>>(friends.fillParams(), "friend");
    ASSERT_NE(all, nullptr);
    ASSERT_EQ(all->size(), 2u); // the item is read as text: a group "1" is a friend's
    const gui::FriendPlayer& anvil = all->front();
    EXPECT_EQ(anvil.sex, 'M');
    EXPECT_EQ(anvil.level, 12);
    EXPECT_EQ(anvil.rank, 3);
    EXPECT_TRUE(anvil.pep);
    EXPECT_EQ(anvil.attr.pc_id, 900000);
    EXPECT_EQ(anvil.attr.member_name, "Anvil");
    EXPECT_EQ(anvil.displayName, session->decorateUser("Anvil"));
    EXPECT_EQ(gui::fromCeguiString(anvil.nickname), "An\"vil");
    // Values of the wrong type read as their defaults.
    const gui::FriendPlayer& odd = all->back();
    EXPECT_EQ(odd.index, 1);
    EXPECT_EQ(odd.sex, 'F');
    EXPECT_EQ(odd.level, 0);
    EXPECT_FALSE(odd.pep);
    EXPECT_EQ(odd.attr.pc_id, 0);
}

TEST_F(FriendsFixture, EditsSendTheirExactTextsAndNothingForWhatNeedsNoChange)
{
    logInAsHero();
    loadRoster(R"([{"fuid":"Cobalt","group":1,"f_pc_id":900002},{"fuid":"ghost","group":1}])");
    ZRKRequestBroker::getSingleton().clearHistory();
    setParams({{"type", 1}, {"uid", std::string("a\"b")}, {"nick", std::string()}, {"group", 1}});
    act(roster);
    setParams({{"type", 1}, {"uid", std::string("hero")}, {"nick", std::string()}, {"group", 1}}); // oneself
    act(roster);
    setParams({{"type", 2}, {"fuid", std::string("Cobalt")}, {"fgroup", 2}});
    act(roster);
    setParams({{"type", 2}, {"fuid", std::string("Cobalt")}, {"fgroup", 1}}); // its group already
    act(roster);
    setParams({{"type", 2}, {"fuid", std::string("ghost")}, {"fgroup", 2}}); // no player id
    act(roster);
    setParams({{"type", 2}, {"fuid", std::string("Cobalt")}}); // a missing value
    act(roster);
    setParams({{"type", 9}});
    act(roster);
    EXPECT_EQ(sent("queryAddRoster"), (std::vector<std::string>{"{\"fgroup\":1,\"fuid\":\"a\\\"b\"}\n"}));
    EXPECT_EQ(sent("queryUptRoster"), (std::vector<std::string>{"{\"fgroup\":2,\"fpcid\":900002}\n"}));
    EXPECT_TRUE(sent("queryUserByNick").empty());
    EXPECT_TRUE(frame.getMessageBoxes().empty());
    // The server refuses the stranger: the player reads why instead of seeing nothing happen.
    frames(3);
    ASSERT_FALSE(frame.getMessageBoxes().empty());
    EXPECT_EQ(frame.getMessageBoxes().front().title, text("warning/title"));
    EXPECT_NE(frame.getMessageBoxes().front().text.find(' '), std::string::npos)
        << frame.getMessageBoxes().front().text;
}

TEST_F(FriendsFixture, DeletingAsksFirstAndOnlyTheFirstButtonSends)
{
    logInAsHero();
    loadRoster(R"([{"fuid":"Cobalt","group":1,"f_pc_id":900002},{"fuid":"ghost","group":1}])");
    setParams({{"type", 3}, {"fuid", std::string("ghost")}});
    act(roster);
    EXPECT_TRUE(frame.getMessageBoxes().empty());
    setParams({{"type", 3}, {"fuid", std::string("Cobalt")}});
    act(roster);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "warning/friend_delete");
    ASSERT_TRUE(frame.pressMessageBoxButton(1));
    EXPECT_TRUE(sent("queryDelRoster").empty());
    act(roster);
    ASSERT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_EQ(sent("queryDelRoster"), (std::vector<std::string>{"{\"fpcid\":900002}\n"}));
}

TEST_F(FriendsFixture, AddingByNicknameFindsThePlayerOrSaysNobodyGoesByIt)
{
    logInAsHero();
    setParams({{"type", 1}, {"uid", std::string()}, {"nick", std::string("cobalt")}, {"group", 1}});
    act(roster);
    frames(3);
    EXPECT_EQ(sent("queryAddRoster"), (std::vector<std::string>{"{\"fgroup\":1,\"fuid\":\"Cobalt\"}\n"}));
    EXPECT_TRUE(frame.getMessageBoxes().empty());
    const std::string nick = "Nob\"ody[b]" + std::string(10000, 'z');
    setParams({{"type", 1}, {"uid", std::string()}, {"nick", nick}, {"group", 1}});
    act(roster);
    frames(3);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->title, text("msg/lose"));
    EXPECT_EQ(lastBox()->text.rfind(text("error/no_person") + "Nob\"ody[b]zz", 0), 0u);
    EXPECT_LT(lastBox()->text.size(), 200u);
    EXPECT_EQ(sent("queryAddRoster").size(), 1u);
}

TEST_F(FriendsFixture, AddingABotOnTheScreenSeesItAcceptedThroughTheRosterLoads)
{
    logInAsHero();
    act(friends);
    takeRaised();
    setParams({{"type", 1}, {"uid", std::string("Cobalt")}, {"nick", std::string()}, {"group", 1}});
    act(roster);
    frames(3);
    EXPECT_GE(count(takeRaised(), 68), 1u);
    EXPECT_EQ(lists()[0], "friend 0:Cobalt");
    EXPECT_FALSE(ZRKRosterRequest::getIQ(false)->getRosterItem("Cobalt").getIntVal("pep", 0));
    core().tick(core().now() + 10);
    frames(3);
    EXPECT_EQ(count(takeRaised(), 68), 1u);
    EXPECT_EQ(ZRKRosterRequest::getIQ(false)->getRosterItem("Cobalt").getIntVal("pep", 0), 1);
}

TEST_F(FriendsFixture, AProfileShowsTheLatestLookAndItsBagWhateverTheGuiFreed)
{
    logInAsHero();
    ZRKRolePtr view = RoleManager::instance().createRole("showview", nullptr);
    // 71: the attributes of the player looked at last.
    setParams({{"jid", session->decorateUser("rookie")}});
    act(profile);
    setParams({{"jid", session->decorateUser("hero")}});
    act(profile);
    frames(3);
    EXPECT_EQ(count(takeRaised(), 71), 1u);
    const auto* attr = value<gui::RoleAttr>(profile.fillParams(), "roleattr");
    ASSERT_NE(attr, nullptr);
    EXPECT_EQ(attr->member_name, "hero");
    EXPECT_EQ(attr->pc_id, 1001);
    EXPECT_EQ(attr->c_id, 1);

    // 72 with a record the GUI frees at once: the copy serves.
    auto record = std::make_unique<gui::RoleAttr>(*attr);
    setParams({{"roleattr", record.get()}});
    act(personal);
    record.reset();
    frames(6);
    EXPECT_EQ(count(takeRaised(), 72), 1u);
    EXPECT_EQ(view->getLook(), "boy");
    // Worn slots 1-16 only; hero wears 1001 (slot 2), 2001 (3) and 2201 (6).
    EXPECT_EQ(view->getSlotModels().size(), 3u);
    const auto* bag = value<std::vector<gui::BagData>>(personal.fillParams(), "bagList");
    ASSERT_NE(bag, nullptr);
    for (const gui::BagData& b : *bag) {
        EXPECT_LE(b.pci_slot, 50);
        EXPECT_EQ(b.pci_bind, 0);
    }
    EXPECT_EQ(bag->size(), 5u); // three worn, two weapons (the props bag starts at 51)
    // The own bag stayed the own.
    EXPECT_GT(ZRKUserRequest::getInventory()->items().size(), 20u);

    // A newer look supersedes: the older one's replies do nothing.
    gui::RoleAttr rookie;
    rookie.member_name = "rookie";
    rookie.pc_id = 1002;
    rookie.c_id = 2;
    gui::RoleAttr heroAgain = *attr;
    setParams({{"roleattr", &rookie}});
    act(personal);
    setParams({{"roleattr", &heroAgain}});
    act(personal);
    frames(6);
    EXPECT_EQ(count(takeRaised(), 72), 1u);
    EXPECT_EQ(view->getLook(), "boy");
    // A failing look raises nothing.
    session->getGameServer()->setModeFor("queryUserInventory", ZRKGameServer::Fail);
    act(personal);
    frames(6);
    EXPECT_EQ(count(takeRaised(), 72), 0u);
}

TEST_F(FriendsFixture, TheInvitationIsOneAtATimeAndAFailureNeverShowsSuccess)
{
    logInAsHero();
    setParams({{"gid", 1}, {"pcid", 0}});
    act(invite);
    setParams({{"gid", 1}});
    act(invite);
    EXPECT_TRUE(sent("queryWant").empty());
    setParams({{"gid", 1}, {"pcid", 900002}});
    act(invite);
    act(invite); // busy
    EXPECT_EQ(sent("queryWant"), (std::vector<std::string>{"{\"gid\":1,\"pcid\":900002,\"wt\":1}\n"}));
    EXPECT_TRUE(invite.busy());
    frames(3);
    EXPECT_FALSE(invite.busy());
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->title, text("warning/title"));
    EXPECT_EQ(lastBox()->text, text("msg/invite_win"));
    // The server refuses (Cobalt has joined by now): its text under the failure title.
    core().tick(core().now() + 10);
    act(invite);
    frames(3);
    EXPECT_EQ(lastBox()->title, text("msg/lose"));
    EXPECT_EQ(lastBox()->text, "That player is in a guild already.");
    // A request lost on its way after a success: its own text, never the success.
    session->getGameServer()->setModeFor("queryWant", ZRKGameServer::Fail);
    setParams({{"gid", 1}, {"pcid", 900003}});
    act(invite);
    frames(3);
    EXPECT_EQ(lastBox()->title, text("msg/lose"));
    EXPECT_EQ(lastBox()->text, "the server is busy");
    EXPECT_EQ(count(takeRaised(), 130), 0u);
}

TEST_F(FriendsFixture, OnlyWornSlotsDressThePreviewAndASuiteBringsItsLooks)
{
    logInAsHero();
    ZRKRolePtr view = RoleManager::instance().createRole("showview", nullptr);
    Json::Value views(Json::objectValue);
    zrktest::parseJson(R"({"items": [{"i_id": 2101, "bag": 0, "pci_slot": 1}, {"i_id": 3001, "bag": 0, "pci_slot": 16},
                                       {"i_id": 3002, "bag": 1, "pci_slot": 17}, {"i_id": 4001, "bag": 5, "pci_slot": 51},
                                       {"i_id": 99999, "bag": 0, "pci_slot": 5}]})",
                       views["inventory1"]);
    ZRKGameData::getSingleton().applyViews(views);
    personal.onInventoryReply(false, std::string());
    const ZRKRole::SlotModels& worn = view->getSlotModels();
    EXPECT_EQ(worn.at("suite"), "boy_suite_01");
    EXPECT_EQ(worn.at("looks"), "suite01_sf");
    EXPECT_EQ(worn.size(), 2u) << "slot 16 has no kind, 17 is the bag's, an unknown item has no model";
    EXPECT_EQ(count(takeRaised(), 72), 1u);
    const auto* bag = value<std::vector<gui::BagData>>(personal.fillParams(), "bagList");
    ASSERT_NE(bag, nullptr);
    std::vector<int> slots;
    for (const gui::BagData& b : *bag)
        slots.push_back(b.pci_slot);
    EXPECT_EQ(slots, (std::vector<int>{1, 16, 17, 5}));
    // A failed look dresses nothing and raises nothing.
    view->clearEquipment();
    personal.onInventoryReply(true, "the server is busy");
    EXPECT_TRUE(view->getSlotModels().empty());
    EXPECT_EQ(count(takeRaised(), 72), 0u);
}

TEST_F(FriendsFixture, RepliesAndRosterLoadsAfterTheEventsAreGoneReachNothing)
{
    logInAsHero();
    auto lister = std::make_unique<MyFriendCallbackEvent>(page, dispatcher);
    auto editor = std::make_unique<RosterOperateCallbackEvent>(page, dispatcher);
    auto looker = std::make_unique<InfPersonalCallbackEvent>(page, dispatcher);
    auto inviter = std::make_unique<EvtGuildInviteCallback>(page, dispatcher);
    act(*lister);
    setParams({{"type", 1}, {"uid", std::string()}, {"nick", std::string("nobody at all")}, {"group", 1}});
    act(*editor);
    gui::RoleAttr hero;
    hero.member_name = "hero";
    hero.pc_id = 1001;
    setParams({{"roleattr", &hero}});
    act(*looker);
    setParams({{"gid", 1}, {"pcid", 900004}});
    act(*inviter);
    lister.reset();
    editor.reset();
    looker.reset();
    inviter.reset();
    takeRaised();
    loadRoster("[]");
    frames(6);
    EXPECT_EQ(count(takeRaised(), 68), 0u);
    EXPECT_TRUE(frame.getMessageBoxes().empty()); // neither the nickname's box nor the invitation's
}
