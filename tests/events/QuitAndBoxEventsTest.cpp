// Quitting and logging out, the GUI's message boxes and the guide button.
#include "EventsFixture.h"

#include <core/DefaultFsmHelper.h>
#include <data/ZRKBagLayout.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <json/json.h>

#include "events/DefStateEvent.h"
#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "events/LogoutEvent.h"
#include "events/MessageBoxShowEvent.h"
#include "events/ShowHelpEvent.h"
#include "rooms/BasicRoom.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct QuitFixture : EventsFixture {
    std::unique_ptr<ExitEvent> exitEvent{new ExitEvent(page, dispatcher)};

    /// What the game knows of the player: quests, temporary bag, level and rank (`character` 0:
    /// an account without a character yet).
    void player(int questsInProgress, bool temporaryItems, int level, int rank, int character = 1001)
    {
        Json::Value views;
        Json::Value& quests = views["pcQuests"] = Json::Value(Json::arrayValue);
        for (int i = 0; i < questsInProgress; ++i) {
            quests.append(Json::Value(Json::objectValue));
            quests[i]["state"] = i % 2 ? 16 : 32;
        }
        quests.append(Json::Value(Json::objectValue));
        quests[questsInProgress]["state"] = 64; // finished
        Json::Value& items = views["inventory"]["items"] = Json::Value(Json::arrayValue);
        items.append(Json::Value(Json::objectValue));
        items[0]["bag"] = temporaryItems ? 11 : 1;
        views["pc"]["pc_id"] = character;
        views["pc"]["pc_lv"] = level;
        views["pc"]["pc_rank"] = rank;
        session->getGameData().applyViews(views);
    }
    bool quitRequested() const { return core::DefaultFsmHelper::getSingleton().isQuitRequested(); }
};

} // namespace

TEST_F(QuitFixture, ConfirmationListsWhatIsStillOpen)
{
    player(2, true, 9, 5);
    exitEvent->confirmQuit(true);
    const core::Frame::BoxRecord* box = lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->titleKey, "warning/quit");
    EXPECT_EQ(box->text, "Quests still in progress: 2. Quit all the same?\r\n" + text("warning/temp_bag_quit") +
                             "\r\n" + text("warning/quit_lv/lv9") + "\r\n" + text("warning/quit_rank/lr5"));
    EXPECT_TRUE(box->choice);
    EXPECT_EQ(box->style, 3);
    EXPECT_EQ(box->type, 9);
    EXPECT_EQ(box->width, 300);
    EXPECT_EQ(box->height, 180);
    EXPECT_FALSE(win32QuitPosted());

    struct Case {
        int level, rank;
        const char* hint;
    } cases[] = {{18, 3, nullptr}, {0, 0, nullptr}, {1, 2, "warning/quit_lv/lv5"}, {17, 13, "warning/quit_lv/lv17"}};
    for (const Case& c : cases) {
        player(0, false, c.level, c.rank);
        EXPECT_EQ(ExitEvent::quitText().find(text("warning/quit")), 0u);
        EXPECT_EQ(ExitEvent::quitText().find("\r\n") != std::string::npos, c.hint != nullptr) << c.level;
        if (c.hint) {
            EXPECT_NE(ExitEvent::quitText().find(text(c.hint)), std::string::npos);
        }
    }
    player(0, false, 18, 3);
    EXPECT_EQ(ExitEvent::quitText(), text("warning/quit")); // nothing open: no trailing break
    // The creation screen's account has no character: whatever level and rank its view holds,
    // no hint speaks of them.
    player(0, false, 1, 2, 0);
    EXPECT_EQ(ExitEvent::quitText(), text("warning/quit"));
    player(0, false, 1, 2);
    EXPECT_NE(ExitEvent::quitText(), text("warning/quit"));
}

namespace {
/// A room that refuses the quit box, as the battle rooms do; its scene is not needed here.
struct BattleLikeRoom : BasicRoom {
    bool queryFlag() override { return false; }
    void onEnter(const std::string&) override {}
    void onExit() override {}
};
} // namespace

TEST_F(QuitFixture, NoQuitBoxDuringABattleButTheLobbyRoomsAsk)
{
    machine().addState("battle", boost::make_shared<BattleLikeRoom>());
    machine().changeState("battle");
    engine.update(0);
    exitEvent->confirmQuit(true);
    EXPECT_TRUE(frame.getMessageBoxes().empty());
    exitEvent->confirmQuit(false); // quitting outright still works
    EXPECT_TRUE(win32QuitPosted());

    enterState("room");
    exitEvent->confirmQuit(true);
    EXPECT_EQ(frame.getMessageBoxes().size(), 1u);
}

TEST_F(QuitFixture, WhatTheTemporaryBagHoldsStaysThereWhenThePlayerQuits)
{
    // Hero logged in, with a repair kit in the temporary bag.
    boost::shared_ptr<zrktest::RecordingState> logon, area;
    standAtLogOn(logon, area);
    LoginGoEvent login(page, dispatcher);
    logInAsHero(login);
    ZRKWorld& world = session->getGameServer()->core().world();
    ZRKWorld::Item kit;
    kit.id = 4001;
    kit.bag = ZRKBagLayout::Temporary;
    kit.slot = ZRKBagLayout::kTemporaryFirst;
    for (const ZRKWorld::Item& i : world.items("hero"))
        if (i.slot >= kit.slot && i.slot < ZRKBagLayout::kTemporaryFirst + ZRKBagLayout::kTemporarySize)
            kit.slot = i.slot + 1;
    ASSERT_TRUE(world.addItem("hero", kit));
    bool known = false;
    ZRKUserRequest::queryUserInventory(0, false, [&](bool error, const std::string&) { known = !error; });
    frames(3);
    ASSERT_TRUE(known);
    // The box says the items stay, and they do.
    exitEvent->confirmQuit(true);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_NE(lastBox()->text.find(text("warning/temp_bag_quit")), std::string::npos);
    EXPECT_NE(text("warning/temp_bag_quit").find("stay"), std::string::npos);
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    frames(3);
    EXPECT_TRUE(win32QuitPosted());
    bool kept = false;
    for (const ZRKWorld::Item& i : world.items("hero"))
        kept = kept || (i.lid == kit.lid && i.slot == kit.slot && i.count == 1);
    EXPECT_TRUE(kept);
}

TEST_F(QuitFixture, ConfirmQuitsExactlyOnceAndOtherAnswersKeepPlaying)
{
    exitEvent->confirmQuit(true);
    EXPECT_TRUE(frame.pressMessageBoxButton(1));
    EXPECT_FALSE(win32QuitPosted());
    EXPECT_FALSE(quitRequested());

    exitEvent->confirmQuit(true);
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_TRUE(win32QuitPosted());
    EXPECT_TRUE(quitRequested());
    EXPECT_FALSE(frame.pressMessageBoxButton(0)); // the box is gone: no second quit
}

TEST_F(QuitFixture, ConfirmParameterZeroQuitsAtOnceMissingOrMistypedAsks)
{
    act(*exitEvent);
    EXPECT_EQ(frame.getMessageBoxes().size(), 1u);
    setParam("confirm", std::string("0")); // not an int: asks rather than quits
    act(*exitEvent);
    EXPECT_EQ(frame.getMessageBoxes().size(), 2u);
    EXPECT_FALSE(win32QuitPosted());

    setParam("confirm", 0);
    act(*exitEvent);
    EXPECT_EQ(frame.getMessageBoxes().size(), 2u);
    EXPECT_TRUE(win32QuitPosted());
    EXPECT_TRUE(exitEvent->fillParams()->empty());
}

TEST_F(QuitFixture, QuitAndLoginBoxesAndAnAnswerAfterTheEventIsGone)
{
    exitEvent->showQuitBox("download failed");
    const core::Frame::BoxRecord* box = lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, text("warning/title_quit"));
    EXPECT_EQ(box->text, "download failed");
    EXPECT_EQ(box->style, 1);
    EXPECT_EQ(box->height, 150);

    exitEvent.reset();
    EXPECT_EQ(ExitEvent::instance(), nullptr);
    EXPECT_TRUE(frame.pressMessageBoxButton(0)); // answered after the screen went
    EXPECT_FALSE(win32QuitPosted());
}

TEST_F(QuitFixture, LogoutRunsTheConfirmationOnlyWhileTheExitEventLives)
{
    LogoutEvent logout(page, dispatcher);
    EXPECT_EQ(ExitEvent::instance(), exitEvent.get());
    act(logout);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->titleKey, "warning/quit");
    EXPECT_TRUE(logout.fillParams()->empty());

    exitEvent.reset();
    act(logout);
    EXPECT_EQ(frame.getMessageBoxes().size(), 1u);
}

TEST_F(EventsFixture, MessageBoxTextsByKeyOrAsGivenWithArgumentsAndSize)
{
    MessageBoxShowEvent box(page, dispatcher);
    setParam("flag", 3);
    setParam("arg1", std::string("warning/title"));
    setParam("arg2", std::string("error/room_max"));
    act(box);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->title, text("warning/title"));
    EXPECT_EQ(lastBox()->text, text("error/room_max"));
    EXPECT_EQ(lastBox()->width, 300);
    EXPECT_FALSE(lastBox()->choice);

    setParam("flag", 0);
    setParam("arg1", std::string("Trade"));
    setParam("arg2", std::string("%1% offers %2%"));
    setParam("arg2v", std::vector<std::string>{"rookie", "a ring"});
    setParam("w", 400);
    act(box);
    EXPECT_EQ(lastBox()->title, "Trade");
    EXPECT_EQ(lastBox()->text, "rookie offers a ring");
    EXPECT_EQ(lastBox()->width, 300); // a width without a height is no size
    EXPECT_EQ(lastBox()->height, 150);

    setParam("h", 220);
    setParam("arg1v", std::vector<std::string>{});
    act(box);
    EXPECT_EQ(lastBox()->width, 400);
    EXPECT_EQ(lastBox()->height, 220);
    EXPECT_TRUE(control->raisedIds().empty());

    // Without their flag bits the texts are shown as written, even when they read like keys.
    control->clearPageParams(kLogin);
    setParam("arg1", std::string("warning/title"));
    setParam("arg2", std::string("error/room_max"));
    act(box);
    ASSERT_NE(text("error/room_max"), "error/room_max"); // the key has a text of its own
    EXPECT_EQ(lastBox()->title, "warning/title");
    EXPECT_EQ(lastBox()->text, "error/room_max");
}

TEST_F(EventsFixture, MessageBoxWithMismatchedArgumentsShowsWhatItCan)
{
    MessageBoxShowEvent box(page, dispatcher);
    setParam("arg1", std::string("Title"));
    const struct {
        const char* pattern;
        std::vector<std::string> args;
        const char* shown;
    } cases[] = {{"%1% and %2%", {"one"}, "one and "},
                 {"only %1%", {"a", "b", "c"}, "only a"},
                 {"100% sure %", {"x"}, "100% sure %"},
                 {"%3%", {}, ""},
                 {"Quit now? %|%%", {"x"}, "Quit now? %|%%"}}; // a typo shows as written
    for (const auto& c : cases) {
        setParam("arg2", std::string(c.pattern));
        setParam("arg2v", c.args);
        const std::size_t before = frame.getMessageBoxes().size();
        act(box);
        EXPECT_EQ(frame.getMessageBoxes().size(), before + 1) << c.pattern;
        EXPECT_EQ(lastBox()->text, c.shown) << c.pattern;
    }
}

TEST_F(EventsFixture, MessageBoxWithoutItsTextsLogsAndShowsNothing)
{
    MessageBoxShowEvent box(page, dispatcher);
    setParam("arg1", std::string("Title"));
    act(box);
    EXPECT_EQ(log.countCaptured("MessageBoxShowEvent", "arg2 paramNode is null"), 1u);
    setParam("arg2", std::string("Text"));
    setParam("arg2v", std::string("not a list"));
    act(box);
    EXPECT_EQ(log.countCaptured("MessageBoxShowEvent", "arg2v ParamNode type error"), 1u);
    EXPECT_TRUE(frame.getMessageBoxes().empty());
}

TEST_F(EventsFixture, HelpStartsTheGuideFromTheAreaOrTheHallOnly)
{
    ShowHelpEvent help(page, dispatcher);
    auto newbie = boost::make_shared<zrktest::RecordingState>();
    machine().addState("battle_newbie", newbie);

    act(help); // no client state yet: nothing
    EXPECT_TRUE(frame.getMessageBoxes().empty());

    enterState("logon");
    act(help);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->titleKey, "error/title1");
    EXPECT_EQ(lastBox()->textKey, "warning/battle_no_guide");
    EXPECT_EQ(session->getLastTeleport(), "");

    Json::Value views;
    views["pc"]["pc_newbie_task"] = 0;
    session->getGameData().applyViews(views);
    enterState("room");
    act(help);
    frames(1);
    EXPECT_EQ(newbie->entered, std::vector<std::string>({"adv=0&prev=room"}));
    EXPECT_EQ(control->callCount("resetPages"), 0);
    EXPECT_EQ(control->callCount("effect.play"), 0); // the drop-out is the hall's

    views["pc"]["pc_newbie_task"] = "3&prev=battle"; // only a lesson number goes into the text
    session->getGameData().applyViews(views);
    enterState("playerhall");
    act(help);
    frames(1);
    EXPECT_EQ(newbie->entered.back(), "adv=0&prev=playerhall");
    EXPECT_EQ(control->callCount("resetPages"), 1);
    // The hall drops out for ten seconds, set up afresh.
    for (const char* call :
         {"effect.stop", "effect.load halldropout", "effect.rewind", "effect.seconds", "effect.play"})
        EXPECT_EQ(control->callCount(call), 1) << call;
    EXPECT_EQ(frame.getMessageBoxes().size(), 1u);

    // In a game room the guide is refused with its box, and nothing moves.
    enterState("zrk_personalroom");
    act(help);
    frames(1);
    EXPECT_EQ(newbie->entered.size(), 2u);
    ASSERT_EQ(frame.getMessageBoxes().size(), 2u);
    EXPECT_EQ(lastBox()->textKey, "warning/battle_no_guide");
    EXPECT_EQ(control->callCount("effect.play"), 1);

    // Every lesson done (a rookie after the fifth, a veteran): a box says so, from the hall as
    // from the areas, and no lesson is entered nor the hall dropped.
    for (const char* from : {"playerhall", "room"}) {
        for (int task : {5, 7}) {
            views["pc"]["pc_newbie_task"] = task;
            session->getGameData().applyViews(views);
            enterState(from);
            const std::size_t boxes = frame.getMessageBoxes().size();
            act(help);
            frames(1);
            EXPECT_EQ(newbie->entered.size(), 2u) << from << " " << task;
            ASSERT_EQ(frame.getMessageBoxes().size(), boxes + 1);
            EXPECT_EQ(lastBox()->textKey, "msg/guide_all_done");
            EXPECT_EQ(lastBox()->text, "You have done every lesson of the training. Good hunting in the battles!");
        }
    }
    EXPECT_EQ(control->callCount("effect.play"), 1);
    EXPECT_EQ(control->callCount("resetPages"), 1);
}

TEST_F(EventsFixture, DefaultLooksAreHandedOutInPlaceOnceTheRoleResourcesExist)
{
    DefStateEvent looks(page, dispatcher);
    EXPECT_TRUE(looks.fillParams()->empty());
    ZRKRoleRes roles;
    roles.load("res/GUI/defstate.json");
    ASSERT_TRUE(roles.getDefState().isObject());
    gui::ParamList* first = looks.fillParams();
    ASSERT_EQ(first->size(), 1u);
    const Json::Value* document = boost::any_cast<const Json::Value*>((*first)[0]->value);
    gui::ParamList* again = looks.fillParams();
    ASSERT_EQ(again->size(), 1u);
    EXPECT_EQ((*again)[0]->name, "defState");
    EXPECT_EQ((*again)[0]->type, 7);
    EXPECT_EQ((*again)[0]->size, 4);
    EXPECT_EQ(boost::any_cast<const Json::Value*>((*again)[0]->value), document);
    EXPECT_EQ(document, &roles.getDefState());
}
