// The log-in screen's events against the embedded game server: the reply chain to each
// client state, every failure's box, lost connections, late replies and impatient players.
#include "EventsFixture.h"

#include <data/ZRKUserRequest.h>

#include "events/ChooseServerLoadingEvent.h"
#include "events/ExitEvent.h"
#include "events/LoginGoEvent.h"
#include "events/LoginLoadingEvent.h"
#include "rooms/BackgroundScene.h"
#include "rooms/RoomLogon.h"
#include "services/GameServices.h"
#include "shell/panels/ZRKAreaPanel.h"

using namespace kavri3D;
using namespace kavri3D::zrk;
using zrktest::EventsFixture;

namespace {

struct LoginFixture : EventsFixture {
    ExitEvent exitEvent{page, dispatcher};
    std::unique_ptr<LoginGoEvent> login{new LoginGoEvent(page, dispatcher)};

    LoginFixture()
    {
        // The states a log-in goes on to; a test that wants one missing takes it out.
        for (const char* state : {"room", "battle_newbie", "zrk_createchar"})
            machine().addState(state, boost::make_shared<zrktest::RecordingState>());
    }

    void typeLogin(const std::string& name, const std::string& password, bool lock = true)
    {
        setParam("username", name);
        setParam("password", password);
        setParam("lock", lock);
        setParam("show_name", name);
        act(*login);
    }
    bool fillBool(const char* name)
    {
        for (gui::ParamNode* node : *login->fillParams())
            if (node->name == name)
                return boost::any_cast<bool>(node->value);
        ADD_FAILURE() << name << " not handed out";
        return false;
    }
    std::vector<std::string> sentOps() const
    {
        std::vector<std::string> ops;
        for (const ZRKRequestInfo& info : session->getBroker().history())
            ops.push_back(info.op);
        return ops;
    }
    bool pending(const std::string& op) const
    {
        for (const ZRKRequestInfo& info : session->getBroker().unanswered())
            if (info.op == op)
                return true;
        return false;
    }
    std::string paramsOf(const std::string& op) const
    {
        for (const ZRKRequestInfo& info : session->getBroker().history())
            if (info.op == op)
                return info.params;
        return "<not sent>";
    }
};

const std::vector<std::string> kBatch = {"queryUserInventory", "queryPcStats",     "getPcQuestList", "queryPcTitle",
                                         "queryPlayerGuild",   "queryMyRoster",    "queryMyArena",   "queryPlayerGuard",
                                         "getPcPurposeList",   "getPcBluDrillList"};

} // namespace

TEST_F(EventsFixture, PanelsRegisterTheirEventsInScreenOrder)
{
    ASSERT_NE(control, nullptr);
    gui::ZRKLoginPanel loginPanel(nullptr);
    gui::ZRKAreaPanel areaPanel(nullptr);
    ASSERT_TRUE(loginPanel.createWindow());
    ASSERT_TRUE(loginPanel.registerEvents());
    ASSERT_TRUE(areaPanel.createWindow());
    ASSERT_TRUE(areaPanel.registerEvents());
    EXPECT_EQ(control->registeredIds(), std::vector<int>({131, 1,   2,   64,  85,  117, 115, 61,  14,  13,  15, 7,
                                                          88,  107, 108, 109, 110, 128, 130, 129, 132, 133, 134}));
}

TEST_F(LoginFixture, RememberedNameFollowsTheLockAndTheShownName)
{
    LoginLoadingEvent loading(page, dispatcher);
    gui::ParamList* first = loading.fillParams();
    ASSERT_EQ(first->size(), 2u);
    EXPECT_EQ((*first)[0]->name, "username");
    EXPECT_EQ(boost::any_cast<std::string>((*first)[0]->value), "");
    EXPECT_EQ((*first)[1]->type, gui::ParamNode::Bool);
    EXPECT_TRUE(boost::any_cast<bool>((*first)[1]->value)); // remembered by default

    setParam("show_name", std::string("The Hero"));
    setParam("username", std::string("hero"));
    setParam("password", std::string("hero123"));
    setParam("lock", true);
    act(*login);
    gui::ParamList* shown = loading.fillParams();
    EXPECT_EQ(boost::any_cast<std::string>((*shown)[0]->value), "The Hero");
    EXPECT_EQ((*shown)[0]->size, 8);
    frames(8);

    typeLogin("hero", "hero123", false); // not remembered: the name is forgotten
    shown = loading.fillParams();
    EXPECT_EQ(boost::any_cast<std::string>((*shown)[0]->value), "");
    EXPECT_FALSE(boost::any_cast<bool>((*shown)[1]->value));
    EXPECT_EQ(appModule().getAppConfig()->getStringVal("player/name", "?"), "");

    control->clearRaised();
    setParam("quit", true);
    act(loading);
    EXPECT_EQ(control->raisedIds(), std::vector<int>({1}));
    setParam("quit", false);
    act(loading); // raised once the scene behind the screen is ready
    EXPECT_EQ(control->raisedIds(), std::vector<int>({1}));
    zrk::BackgroundScene::instance().resetIdleAction("");
    EXPECT_EQ(control->raisedIds(), std::vector<int>({1, 1}));
}

TEST_F(LoginFixture, TheReadyActionOfALoadingEventThatWentDoesNothing)
{
    {
        LoginLoadingEvent loading(page, dispatcher);
        setParam("quit", false);
        act(loading);
    }
    control->clearRaised();
    zrk::BackgroundScene::instance().resetIdleAction("");
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(EventsFixture, ServerChoiceKeepsWhatWasGivenAndEmptiesWhatWasNot)
{
    ChooseServerLoadingEvent choice(page, dispatcher);
    setParam("login_name", std::string("hero"));
    setParam("login_pwd", std::string("hero123"));
    setParam("login_srv", std::string("s1"));
    act(choice);
    control->clearPageParams(kLogin);
    setParam("login_srv", std::string("s2"));
    act(choice);
    gui::ParamList* list = choice.fillParams();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0]->name, "login_name");
    EXPECT_EQ(boost::any_cast<std::string>((*list)[0]->value), "");
    EXPECT_EQ((*list)[2]->name, "login_srv");
    EXPECT_EQ(boost::any_cast<std::string>((*list)[2]->value), "s2");
    EXPECT_EQ((*list)[2]->size, 2);
    EXPECT_EQ(control->raisedIds(), std::vector<int>({131, 131}));
}

TEST_F(LoginFixture, TheServerChosenIsTheOneTheLogInGoesTo)
{
    zrktest::writeFile(dir.file("servers.xml"),
                       "<servers><server name='North' host='127.0.0.2' port='7140' msghost='north-chat'/>"
                       "<server name='South' host='127.0.0.1' port='0'/></servers>");
    board.setString("kavri3D/appPath", dir.path() + "/");
    board.setString("kavri3D/servers", "servers.xml");
    ChooseServerLoadingEvent choice(page, dispatcher);
    setParam("login_srv", std::string("North"));
    act(choice);
    EXPECT_EQ(board.getString("kavri3D/app/net/Name"), "North");
    EXPECT_EQ(board.getString("kavri3D/app/msg/host"), "north-chat");
    typeLogin("hero", "hero123");
    frames(3);
    ASSERT_NE(lastBox(), nullptr); // nothing answers there
    EXPECT_EQ(lastBox()->textKey, "error/user_net_wrong");
    EXPECT_FALSE(session->isOnline());

    // A name the list does not hold leaves the game where it was.
    setParam("login_srv", std::string("Atlantis"));
    act(choice);
    EXPECT_EQ(board.getString("kavri3D/app/net/Name"), "North");

    setParam("login_srv", std::string("South"));
    act(choice);
    EXPECT_EQ(board.getString("kavri3D/app/net/Port"), "0");
    typeLogin("hero", "hero123");
    frames(10);
    EXPECT_TRUE(session->isOnline());
    EXPECT_EQ(machine().currentStateName(), "room");
}

TEST_F(LoginFixture, MissingOrMistypedParameterEndsTheActionWithOneLogLine)
{
    setParam("username", std::string("hero"));
    setParam("lock", true);
    act(*login);
    EXPECT_EQ(log.countCaptured("LoginGoEvent", "password paramNode is null"), 1u);
    EXPECT_EQ(log.countCaptured("LoginGoEvent", "lock paramNode is null"), 0u);

    setParam("password", std::string("hero123"));
    setParam("lock", 1); // an int where a bool belongs
    act(*login);
    EXPECT_EQ(log.countCaptured("LoginGoEvent", "lock ParamNode type error"), 1u);
    frames(3);
    EXPECT_TRUE(session->getBroker().history().empty());
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_FALSE(login->isBusy());
}

namespace {
struct Target {
    const char* account;
    const char* password;
    const char* state;
    bool hasRole;
};
class LoginChain : public LoginFixture, public ::testing::WithParamInterface<Target> {};
} // namespace

TEST_P(LoginChain, EndsInTheStateTheAccountNeedsWithOneRaise)
{
    const Target t = GetParam();
    board.setString("kavri3D/version/product", "zrk-1.0");
    typeLogin(t.account, t.password);
    EXPECT_TRUE(login->isBusy());
    frames(10);

    EXPECT_EQ(session->getLastTeleport(), t.state);
    EXPECT_EQ(count(control->raisedIds(), 2), 1u);
    EXPECT_FALSE(login->isBusy());
    EXPECT_TRUE(fillBool("ret"));
    EXPECT_EQ(fillBool("hasRole"), t.hasRole);
    EXPECT_TRUE(frame.getMessageBoxes().empty());

    // The whole chain in order: information, default look, then the ten lists.
    std::vector<std::string> ops = sentOps();
    auto info = std::find(ops.begin(), ops.end(), "queryUserInfo0");
    ASSERT_NE(info, ops.end());
    std::vector<std::string> after(info, ops.end());
    after.erase(std::remove_if(after.begin(), after.end(), [](const std::string& op) { return op == "refreshLib"; }),
                after.end());
    std::vector<std::string> expected = {"queryUserInfo0", "queryUserDefState"};
    expected.insert(expected.end(), kBatch.begin(), kBatch.end());
    EXPECT_EQ(after, expected);
    EXPECT_EQ(paramsOf("queryUserInfo0"), "[zrk-1.0]\n");
    EXPECT_EQ(paramsOf("queryPlayerGuild"), "{pcid:0}");
    EXPECT_EQ(paramsOf("queryUserDefState"), std::string("[") + t.account + "]\n");
    EXPECT_NE(paramsOf("queryMaster"), "<not sent>");
    EXPECT_NE(paramsOf("queryItemClasses"), "<not sent>");
}

INSTANTIATE_TEST_SUITE_P(Accounts, LoginChain,
                         ::testing::Values(Target{"hero", "hero123", "room", true},
                                           Target{"rookie", "rookie123", "battle_newbie", true},
                                           Target{"nochar", "nochar123", "zrk_createchar", false}),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.account); });

TEST_F(LoginFixture, ANewPlayerGoesOnToTheAreasWhileTheTutorialBattleIsNotThere)
{
    machine().removeState("battle_newbie");
    typeLogin("rookie", "rookie123");
    frames(10);
    EXPECT_EQ(session->getLastTeleport(), "room");
    EXPECT_EQ(machine().currentStateName(), "room");
    EXPECT_TRUE(session->isOnline());
    EXPECT_TRUE(frame.getMessageBoxes().empty());
}

TEST_F(LoginFixture, AStateThatCannotBeEnteredLogsOutWithABoxSayingWhy)
{
    machine().removeState("room");
    typeLogin("hero", "hero123");
    frames(10);
    EXPECT_FALSE(session->isOnline());
    const core::Frame::BoxRecord* box = lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->textKey, "error/state_wrong");
    EXPECT_EQ(box->text, text("error/state_wrong"));
    EXPECT_EQ(control->shownPages().back(), "login");
    EXPECT_FALSE(login->isBusy());
}

namespace {
struct Refusal {
    const char* name;
    const char* account;
    const char* password;
    ZRKGameServer::Mode loginMode;
    const char* key;
};
class LoginRefused : public LoginFixture, public ::testing::WithParamInterface<Refusal> {};
} // namespace

TEST_P(LoginRefused, ShowsTheKeyedBoxBackOnTheLoginPageAndRaisesTwo)
{
    const Refusal r = GetParam();
    session->getGameServer()->setModeFor("login", r.loginMode);
    typeLogin(r.account, r.password);
    frames(4);
    const core::Frame::BoxRecord* box = lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->titleKey, "error/access_wrong");
    EXPECT_EQ(box->textKey, r.key);
    EXPECT_EQ(box->text, text(r.key));
    EXPECT_FALSE(box->choice);
    EXPECT_EQ(box->style, 1);
    EXPECT_EQ(box->width, 300);
    EXPECT_EQ(box->height, 150);
    EXPECT_EQ(control->shownPages(), std::vector<std::string>({"login"}));
    EXPECT_EQ(control->callCount("resetPages"), 1);
    EXPECT_EQ(control->raisedIds(), std::vector<int>({2}));
    EXPECT_FALSE(fillBool("ret"));
    EXPECT_FALSE(login->isBusy());
    EXPECT_FALSE(session->isOnline());
    EXPECT_EQ(session->getLastTeleport(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LoginRefused,
    ::testing::Values(Refusal{"WrongPassword", "hero", "nope", ZRKGameServer::Answer, "error/user_imfo_wrong1"},
                      Refusal{"Elsewhere", "elsewhere", "elsewhere123", ZRKGameServer::Answer,
                              "error/user_loaded_wrong"},
                      Refusal{"ServerFails", "hero", "hero123", ZRKGameServer::Fail, "error/user_net_wrong"},
                      Refusal{"Garbage", "hero", "hero123", ZRKGameServer::Garbage, "error/user_net_wrong"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(LoginFixture, WithoutASessionTheLoginFailsWithTheNetworkBox)
{
    session.reset();
    typeLogin("hero", "hero123");
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->textKey, "error/user_net_wrong");
    EXPECT_EQ(control->raisedIds(), std::vector<int>({2}));
    EXPECT_FALSE(login->isBusy());
}

TEST_F(LoginFixture, AutoLoginRefusalOffersToQuitInsteadAndRaisesNothing)
{
    board.setBool("kavri3D/autoLogin/_act", true);
    typeLogin("hero", "nope");
    frames(4);
    const core::Frame::BoxRecord* box = lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->choice);
    EXPECT_EQ(box->titleKey, "error/access_wrong");
    EXPECT_EQ(box->textKey, "error/user_imfo_wrong1");
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_TRUE(control->shownPages().empty());
    EXPECT_TRUE(frame.pressMessageBoxButton(0));
    EXPECT_TRUE(win32QuitPosted());
}

TEST_F(LoginFixture, InformationErrorOffersToQuitWithTheServersTextOrTheKeyedOne)
{
    ZRKGameServer* server = session->getGameServer();
    server->setModeFor("queryUserInfo0", ZRKGameServer::Fail);
    server->setFailText("maintenance until noon");
    typeLogin("hero", "hero123");
    frames(4);
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_TRUE(lastBox()->choice);
    EXPECT_EQ(lastBox()->text, "maintenance until noon");
    EXPECT_FALSE(session->isOnline()); // the failed log-in logs out
    EXPECT_FALSE(login->isBusy());

    server->setFailText("");
    typeLogin("hero", "hero123");
    frames(4);
    EXPECT_EQ(frame.getMessageBoxes().size(), 2u);
    EXPECT_EQ(lastBox()->textKey, "error/user_imfo_wrong");
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(LoginFixture, FailedOrGarbledListsDoNotStopTheLogIn)
{
    ZRKGameServer* server = session->getGameServer();
    server->setModeFor("queryUserDefState", ZRKGameServer::Fail);
    server->setModeFor("queryMyArena", ZRKGameServer::Fail);
    server->setModeFor("queryUserInventory", ZRKGameServer::Garbage);
    typeLogin("hero", "hero123");
    frames(10);
    EXPECT_EQ(session->getLastTeleport(), "room");
    EXPECT_EQ(count(control->raisedIds(), 2), 1u);

    // Garbled information reads as no character, never as a crash.
    server->clearModes();
    server->setModeFor("queryUserInfo0", ZRKGameServer::Garbage);
    control->clearRaised();
    {
        zrktest::StatePlacement again; // logged in again from the areas, with no log-out between
        typeLogin("hero", "hero123");
        frames(10);
    }
    EXPECT_EQ(session->getLastTeleport(), "zrk_createchar");
    EXPECT_EQ(count(control->raisedIds(), 2), 1u);
}

TEST_F(LoginFixture, ASecondLoginWhileTheFirstIsPendingIsRefused)
{
    typeLogin("hero", "hero123");
    typeLogin("rookie", "rookie123");
    EXPECT_EQ(log.countCaptured("LoginGoEvent", "log-in refused: the last one is still under way"), 1u);
    frames(2);
    typeLogin("rookie", "rookie123"); // still waiting for the lists
    frames(10);
    const std::vector<std::string> ops = sentOps();
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "login"), 1);
    EXPECT_EQ(session->getLastTeleport(), "room");
    EXPECT_EQ(session->getUID(), "hero");

    typeLogin("rookie", "rookie123"); // done: a new log-in is welcome
    frames(10);
    EXPECT_EQ(session->getLastTeleport(), "battle_newbie");
    EXPECT_EQ(count(control->raisedIds(), 2), 2u);
}

TEST_F(LoginFixture, LostConnectionMidChainGoesBackToLogonAndDropsTheAttempt)
{
    enterState("logon");
    RoomLogon logonRoom; // told to reset its screens when it is next entered
    ZRKGameServer* server = session->getGameServer();
    server->setModeFor("getPcBluDrillList", ZRKGameServer::Hang); // nine lists in, one missing
    typeLogin("hero", "hero123");
    frames(6);
    EXPECT_TRUE(login->isBusy());
    EXPECT_FALSE(logonRoom.isReloadMarked());
    session->dropConnection();
    EXPECT_FALSE(login->isBusy());
    EXPECT_TRUE(logonRoom.isReloadMarked());
    EXPECT_FALSE(pending("getPcBluDrillList")); // the attempt's requests went with it
    EXPECT_TRUE(machine().hasPending());
    EXPECT_EQ(machine().pendingStateName(), "logon");
    frames(1);
    session->dropConnection(); // already gone: nothing more
    EXPECT_FALSE(machine().hasPending());

    // The next attempt counts its own ten replies: the nine of the last one do not help.
    typeLogin("hero", "hero123");
    frames(10);
    EXPECT_TRUE(login->isBusy());
    EXPECT_EQ(session->getLastTeleport(), "");
    EXPECT_TRUE(control->raisedIds().empty());
    server->clearModes();
    session->dropConnection();
    typeLogin("hero", "hero123");
    frames(10);
    EXPECT_EQ(session->getLastTeleport(), "room");
}

TEST_F(LoginFixture, RepliesAfterTheEventIsGoneDoNothing)
{
    typeLogin("hero", "hero123");
    login.reset(); // the screen goes while the session still answers
    frames(10);
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_EQ(session->getLastTeleport(), "");

    login.reset(new LoginGoEvent(page, dispatcher));
    typeLogin("hero", "hero123");
    frames(2); // accepted, waiting for the default look
    EXPECT_TRUE(pending("queryUserDefState"));
    login.reset();
    EXPECT_FALSE(pending("queryUserDefState")); // its requests went with it
    session->dropConnection();                  // and it no longer listens to the connection
    EXPECT_FALSE(machine().hasPending());
    frames(10);
    EXPECT_TRUE(control->raisedIds().empty());
}

// With a GUI resource downloader the log-in waits for it: its answer goes on only for the
// attempt it was given to, and never reaches an event that is gone.
TEST_F(LoginFixture, TheLogInWaitsForTheGuiResourcesAndLateAnswersReachNothing)
{
    std::vector<std::function<void(bool)>> waiting;
    GameServices::hooks().requestResources = [&](const std::function<void(bool)>& done) { waiting.push_back(done); };
    struct Unhook {
        ~Unhook() { GameServices::hooks().requestResources = nullptr; }
    } unhook;
    typeLogin("hero", "hero123");
    frames(10);
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_TRUE(login->isBusy());
    EXPECT_EQ(session->getLastTeleport(), "");
    // An answer after the event went reaches nothing.
    login.reset();
    waiting[0](true);
    EXPECT_EQ(session->getLastTeleport(), "");
    EXPECT_TRUE(control->raisedIds().empty());

    login.reset(new LoginGoEvent(page, dispatcher));
    typeLogin("hero", "hero123");
    frames(10);
    ASSERT_EQ(waiting.size(), 2u);
    waiting[1](true);
    EXPECT_EQ(session->getLastTeleport(), "room");
    EXPECT_FALSE(login->isBusy());
    waiting[1](true); // once only
    EXPECT_EQ(count(control->raisedIds(), 2), 1u);
}
