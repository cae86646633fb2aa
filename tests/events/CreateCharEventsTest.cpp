// The character-creation screen's four events: drawn choices on a fixed random source, the
// preview dressed from any catalogue without a throw, the turning flags, and the creation
// against the embedded server with its refusals, its one raise per outcome, an impatient
// player and the way on while the tutorial is not there.
#include "EventsFixture.h"

#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <server/ZRKServerCore.h>
#include <fstream>
#include <gui/RoleState.h>
#include <scene/BasicPlayer.h>
#include <scene/GrafixScene.h>
#include <yake/Math.h>
#include <yake/Time.h>

#include "events/ChangeCharStateEvent.h"
#include "events/CharCatalogue.h"
#include "events/CreateCharEvent.h"
#include "services/GameServices.h"
#include "events/CreateCharLoadingEvent.h"
#include "events/RollCharEvent.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

const int kCreateKind = 13;

struct CreateCharFixture : zrktest::EventsFixture {
    gui::IGuiPage* createPage = manager ? manager->getPage(kCreateKind) : nullptr;
    ZRKRoleRes roleRes;
    core::GrafixScene scene{nullptr, "createchar-test"};
    ZRKRolePtr role;
    std::vector<float> draws;
    std::size_t drawn = 0;

    CreateCharFixture()
    {
        roleRes.load();
        role = RoleManager::instance().createRole("createchar", &scene);
        yake::math::Math::setRandomSource([this] { return drawn < draws.size() ? draws[drawn++] : 0.f; });
        control->clearRaised();
    }
    ~CreateCharFixture() override
    {
        yake::math::Math::setRandomSource(std::function<float()>());
        RoleManager::destroyInstance();
    }

    void loadCatalogue(const std::string& text)
    {
        const std::string file = dir.file("defstate.json");
        std::ofstream(file) << text;
        roleRes.load(file);
    }
    void setCreateParam(const std::string& name, const boost::any& value)
    {
        gui::ParamNode node;
        node.name = name;
        node.value = value;
        control->setPageParam(kCreateKind, node);
    }
    void press(gui::ICallBackEvent& event) { event.callback(control->paramHandle(kCreateKind)); }
    static gui::RoleState state(const std::string& look, std::initializer_list<int> indexes)
    {
        gui::RoleState s;
        s.look = look;
        int i = 0;
        for (int index : indexes)
            s.index[i++] = index;
        return s;
    }
    std::map<std::string, boost::any> filled(gui::ICallBackEvent& event)
    {
        std::map<std::string, boost::any> out;
        for (gui::ParamNode* node : *event.fillParams())
            out[node->name] = node->value;
        return out;
    }
    void logIn(const std::string& name, const std::string& password)
    {
        int code = -1;
        session->login(name, password, [&code](core::ISession*, int c) { code = c; });
        frames(3);
        ASSERT_EQ(code, 0);
    }
    std::size_t sent(const std::string& op) const
    {
        std::size_t n = 0;
        for (const ZRKRequestInfo& info : session->getBroker().history())
            n += info.op == op;
        return n;
    }
    const ZRKWorld::Player* serverPlayer(const std::string& name)
    {
        return session->getGameServer()->core().world().player(name);
    }
};

} // namespace

TEST_F(CreateCharFixture, LoadingDrawsTheSexAndEachPartThenDressesThePreviewOnce)
{
    CreateCharLoadingEvent loading(createPage, dispatcher);
    draws = {0.2f, 0.0f, 0.5f, 0.99f, 0.34f, 0.7f};
    press(loading);
    auto values = filled(loading);
    EXPECT_TRUE(boost::any_cast<bool>(values["isboy"]));
    const int expected[5] = {0, 1, 2, 1, 2};
    for (int part = 0; part < 5; ++part) {
        const std::string name = CharCatalogue::kParts[part];
        EXPECT_EQ(boost::any_cast<int>(values[name]), expected[part]) << name;
        EXPECT_EQ(boost::any_cast<int>(values[name + "_max"]), 3) << name;
    }
    EXPECT_EQ(role->getLook(), "boy");
    EXPECT_EQ(role->getDefaultItems(),
              (std::vector<std::string>{"boy_hair_01", "boy_face_02", "boy_coat_03", "boy_glove_02", "boy_shoes_03"}));
    EXPECT_EQ(role->getMood(), "boy_continue");
    EXPECT_EQ(role->getIdleActions(), std::vector<std::string>{"boy_walk"}); // one idle action at most
    EXPECT_EQ(control->raisedIds(), std::vector<int>{3});

    // Without a preview it still answers.
    RoleManager::instance().removeRole("createchar");
    draws = {0.9f};
    drawn = 0;
    press(loading);
    EXPECT_FALSE(boost::any_cast<bool>(filled(loading)["isboy"]));
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{3, 3}));
}

TEST_F(CreateCharFixture, ABrokenCatalogueGivesNothingWhereItIsBrokenAndNeverThrows)
{
    loadCatalogue(R"({"boy": {"hair": ["h1", 7, "h3"], "face": "not a list", "glove": [],
                              "animation": ["only_mood"], "action": ["a0", "a1", "a2"], "effect": ["", 5, "e2"]},
                      "girl": {"action": []}})");
    CreateCharLoadingEvent loading(createPage, dispatcher);
    draws = {0.1f, 0.4f};
    press(loading);
    auto values = filled(loading);
    EXPECT_EQ(boost::any_cast<int>(values["glove"]), 0);
    EXPECT_EQ(boost::any_cast<int>(values["glove_max"]), 0);
    EXPECT_EQ(boost::any_cast<int>(values["face_max"]), 0);
    EXPECT_EQ(boost::any_cast<int>(values["hair"]), 1);
    EXPECT_TRUE(role->getDefaultItems().empty()); // entry 1 is a number, not an item
    EXPECT_EQ(role->getMood(), "only_mood");
    EXPECT_TRUE(role->getIdleActions().empty());

    ChangeCharStateEvent change(createPage, dispatcher);
    setCreateParam("state", state("boy", {2, 99, 2, -5, 0}));
    setCreateParam("animation", 7); // of three: the last one
    press(change);
    EXPECT_EQ(role->getDefaultItems(), std::vector<std::string>{"h3"});
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "a2");

    // A look without actions plays nothing, whatever the index; so does a negative index.
    role->getPlayer()->update(2 * core::BasicPlayer::kActionSeconds); // the action is over
    setCreateParam("state", state("girl", {0, 0, 0, 0, 0}));
    press(change);
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "");
    setCreateParam("state", state("nobody", {0, 0, 0, 0, 0}));
    setCreateParam("animation", -3);
    press(change);
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "");
    EXPECT_TRUE(control->raisedIds() == std::vector<int>{3}); // the change raises nothing
}

TEST_F(CreateCharFixture, AChangeDressesThePreviewAndSetsMoodAndIdleActionOncePerLook)
{
    ChangeCharStateEvent change(createPage, dispatcher);
    setCreateParam("state", state("girl", {2, 1, 0, 2, 1}));
    press(change);
    EXPECT_EQ(role->getLook(), "girl");
    EXPECT_EQ(role->getDefaultItems(), (std::vector<std::string>{"girl_hair_03", "girl_face_02", "girl_coat_01",
                                                                 "girl_glove_03", "girl_shoes_02"}));
    EXPECT_EQ(role->getMood(), "girl_continue");
    role->setMood("own_mood");
    setCreateParam("state", state("girl", {0, 0, 0, 0, 0}));
    setCreateParam("animation", 1);
    press(change);
    EXPECT_EQ(role->getMood(), "own_mood"); // the same look keeps its mood
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "girl_spin");
    setCreateParam("state", state("boy", {0, 0, 0, 0, 0}));
    setCreateParam("animation", 3); // of three: the last one
    press(change);
    EXPECT_EQ(role->getMood(), "boy_continue");
    EXPECT_EQ(role->getIdleActions(), std::vector<std::string>{"boy_walk"});
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "boy_salute");

    // Without "state" nothing happens; a wrong-typed one is logged.
    control->clearPageParams(kCreateKind);
    role->setMood("kept");
    press(change);
    setCreateParam("state", std::string("boy"));
    press(change);
    EXPECT_EQ(role->getMood(), "kept");
    EXPECT_EQ(log.countCaptured("ChangeCharStateEvent", "state paramNode is null"), 1u);
}

TEST_F(CreateCharFixture, TheTurnFlagsStayUntilChangedAndTheHandlerGoesWithTheEvent)
{
    auto rolling = std::make_unique<RollCharEvent>(createPage, dispatcher);
    bool rotate = false, clockwise = false;
    setCreateParam("flags", true);
    setCreateParam("isClock", true);
    press(*rolling);
    control->clearPageParams(kCreateKind);
    press(*rolling); // nothing given: both kept
    rolling->getRollState(rotate, clockwise);
    EXPECT_TRUE(rotate);
    EXPECT_TRUE(clockwise);
    setCreateParam("flags", false);
    press(*rolling);
    rolling->getRollState(rotate, clockwise);
    EXPECT_FALSE(rotate);
    EXPECT_TRUE(clockwise);
    role->update();
    rolling.reset();
    role->update(); // asks nobody
}

TEST_F(CreateCharFixture, RefusedOrEmptyNamesShowOneBoxAndRaiseOnce)
{
    logIn("nochar", "nochar123");
    CreateCharEvent create(createPage, dispatcher);
    setCreateParam("goCreate", true);
    setCreateParam("nickname", std::string());
    setCreateParam("state", state("boy", {0, 0, 0, 0, 0}));
    press(create);
    EXPECT_EQ(sent("queryUserCreateChar"), 0u); // refused before sending
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->titleKey, "error/role_cre");
    EXPECT_EQ(lastBox()->text, text("error/role_name_empty"));
    EXPECT_FALSE(boost::any_cast<bool>(filled(create)["ret"]));
    EXPECT_EQ(count(control->raisedIds(), 6), 1u);

    setCreateParam("nickname", std::string("HERO"));
    press(create);
    frames(3);
    EXPECT_EQ(lastBox()->text, text("error/role_name_taken"));
    EXPECT_FALSE(boost::any_cast<bool>(filled(create)["ret"]));
    EXPECT_EQ(count(control->raisedIds(), 6), 2u);
    EXPECT_EQ(sent("regDefState"), 0u);
    EXPECT_EQ(serverPlayer("nochar")->pcId, 0);
}

TEST_F(CreateCharFixture, ACreationRaisesOnceItsLookIsKeptAndASecondPressIsIgnored)
{
    logIn("nochar", "nochar123");
    CreateCharEvent create(createPage, dispatcher);
    setCreateParam("goCreate", true);
    setCreateParam("nickname", std::string("Quoted"));
    setCreateParam("state", state("", {2, 1, 0, 1, 2})); // any look but "boy" is a girl
    press(create);
    press(create);
    EXPECT_EQ(sent("queryUserCreateChar"), 1u);
    EXPECT_EQ(log.countCaptured("CreateCharEvent", "Create ignored: the last one is still under way"), 1u);
    frames(6);
    EXPECT_EQ(sent("regDefState"), 1u);
    EXPECT_EQ(sent("queryMyRoster"), 1u);
    EXPECT_EQ(count(control->raisedIds(), 6), 1u);
    EXPECT_TRUE(boost::any_cast<bool>(filled(create)["ret"]));
    const ZRKWorld::Player* made = serverPlayer("nochar");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->nick, "Quoted");
    EXPECT_EQ(made->cId, 2);
    const Json::Value& looks = ZRKWorld::Player::doc(made->looks);
    EXPECT_EQ(looks["def_hair"].asInt(), 2);
    EXPECT_EQ(looks["def_shoes"].asInt(), 2);

    // On: the tutorial is not there, so the areas.
    auto room = boost::make_shared<zrktest::RecordingState>();
    machine().addState("room", room);
    setCreateParam("goCreate", false);
    press(create);
    frames(1);
    EXPECT_EQ(session->getLastTeleport(), "room");
    EXPECT_EQ(machine().currentStateName(), "room");
    EXPECT_EQ(log.countCaptured("CreateCharEvent", "character Quoted created: on to room"), 1u);
    // With the tutorial there, to it.
    machine().addState("battle_newbie", boost::make_shared<zrktest::RecordingState>());
    press(create);
    EXPECT_EQ(session->getLastTeleport(), "battle_newbie");
}

TEST_F(CreateCharFixture, AFailingServerLeavesTheScreenUsable)
{
    logIn("nochar", "nochar123");
    CreateCharEvent create(createPage, dispatcher);
    setCreateParam("goCreate", false);
    press(create); // nothing created yet: no way on
    EXPECT_EQ(session->getLastTeleport(), "");
    setCreateParam("goCreate", true);
    setCreateParam("nickname", std::string("Newbie"));
    setCreateParam("state", state("boy", {0, 0, 0, 0, 0}));
    session->getGameServer()->setMode(ZRKGameServer::Fail);
    session->getGameServer()->setFailText("down for repairs");
    press(create);
    frames(3);
    EXPECT_EQ(lastBox()->text, "down for repairs");
    EXPECT_FALSE(boost::any_cast<bool>(filled(create)["ret"]));
    EXPECT_EQ(count(control->raisedIds(), 6), 1u);
    EXPECT_FALSE(create.isBusy());
    session->getGameServer()->setMode(ZRKGameServer::Answer);
    press(create);
    frames(6);
    EXPECT_TRUE(boost::any_cast<bool>(filled(create)["ret"]));
    EXPECT_EQ(serverPlayer("nochar")->nick, "Newbie");
}

TEST_F(CreateCharFixture, AReplyAfterTheEventIsGoneReachesNothing)
{
    logIn("nochar", "nochar123");
    auto create = std::make_unique<CreateCharEvent>(createPage, dispatcher);
    setCreateParam("goCreate", true);
    setCreateParam("nickname", std::string("Gone"));
    setCreateParam("state", state("boy", {0, 0, 0, 0, 0}));
    press(*create);
    create.reset();
    frames(6);
    EXPECT_EQ(count(control->raisedIds(), 6), 0u);
}

TEST_F(CreateCharFixture, ASilentServerTimesOutIntoTheFailedCreationBox)
{
    logIn("nochar", "nochar123");
    struct ManualClock {
        ManualClock()
        {
            yake::native::setManualClock(true);
            yake::native::setTime(1000.0);
        }
        ~ManualClock() { yake::native::setManualClock(false); }
    } clock;
    CreateCharEvent create(createPage, dispatcher);
    setCreateParam("goCreate", true);
    setCreateParam("nickname", std::string("Quiet"));
    setCreateParam("state", state("boy", {0, 0, 0, 0, 0}));
    session->getGameServer()->setMode(ZRKGameServer::Hang);
    press(create);
    frames(3);
    EXPECT_TRUE(create.isBusy());
    EXPECT_EQ(count(control->raisedIds(), 6), 0u);
    yake::native::advanceTime(session->getBroker().getTimeout() + 1);
    frames(2);
    EXPECT_FALSE(create.isBusy());
    EXPECT_EQ(count(control->raisedIds(), 6), 1u);
    EXPECT_FALSE(boost::any_cast<bool>(filled(create)["ret"]));
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_EQ(lastBox()->titleKey, "error/role_cre");
}

// Going on waits for the GUI resources; only the last wait counts, and none after the event went.
TEST_F(CreateCharFixture, GoingOnWaitsForTheGuiResourcesAndOnlyTheLastWaitCounts)
{
    std::vector<std::function<void(bool)>> waiting;
    GameServices::hooks().requestResources = [&](const std::function<void(bool)>& done) { waiting.push_back(done); };
    struct Unhook {
        ~Unhook() { GameServices::hooks().requestResources = nullptr; }
    } unhook;
    machine().addState("room", boost::make_shared<zrktest::RecordingState>());
    logIn("nochar", "nochar123");
    {
        CreateCharEvent create(createPage, dispatcher);
        setCreateParam("goCreate", true);
        setCreateParam("nickname", std::string("Waiter"));
        setCreateParam("state", state("", {2, 1, 0, 1, 2}));
        press(create);
        frames(6);
        setCreateParam("goCreate", false);
        press(create);
        press(create);
        ASSERT_EQ(waiting.size(), 2u);
        EXPECT_EQ(session->getLastTeleport(), "");
        waiting[0](true); // superseded
        EXPECT_EQ(session->getLastTeleport(), "");
        waiting[1](true);
        EXPECT_EQ(session->getLastTeleport(), "room");
        press(create);
        ASSERT_EQ(waiting.size(), 3u);
    }
    waiting[2](true); // the event is gone
    EXPECT_EQ(log.countCaptured("CreateCharEvent", "character Waiter created: on to room"), 1u);
}
