// Quests, stat points and the tutorial's question: the texts the requests carry, what each
// reply raises (89 alone or 89 then 8, 87 once the library is in, 17 after points spent),
// parameters missing or of another type, refusals that raise nothing, replies after the event
// is gone, and the question document in every shape the file can come in.
#include "ShopLoginFixture.h"

#include <server/ZRKGameServer.h>
#include <data/ZRKQuestLib.h>
#include <server/ZRKServerCore.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <server/ZRKWorld.h>
#include <fstream>
#include <json/json.h>
#include <memory>
#include <support/TestEnv.h>
#include <yake/Logger.h>

#include "battle/tutorial/BattleRoomNewbie.h"
#include "callbacks/AddBilityPointCallbackEvent.h"
#include "callbacks/MessionLoadCallbackEvent.h"
#include "callbacks/MessionRewardCallbackEvent.h"
#include "callbacks/QuestionLoadedCallbackEvent.h"
#include "events/PlayerAttrLoadingEvent.h"
#include "rooms/Wrapper.h"
#include "services/GameServices.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

struct QuestFixture : zrktest::ShopLoginFixture {
    QuestFixture() { logInAsHero(); }
    ZRKWorld& world() { return session->getGameServer()->core().world(); }
    void points(unsigned str, unsigned vit, unsigned dex, unsigned luk)
    {
        control->clearPageParams(zrktest::EventsFixture::kLogin);
        setParam("str", str);
        setParam("vit", vit);
        setParam("dex", dex);
        setParam("luk", luk);
    }
    void claim(int objectId, long questId)
    {
        control->clearPageParams(zrktest::EventsFixture::kLogin);
        setParam("objid", objectId);
        setParam("q_id", questId);
    }
    void markDone(long long id)
    {
        ZRKWorld::Quest q;
        q.id = id;
        q.state = ZRKWorld::QuestDone;
        ASSERT_TRUE(world().setQuest("hero", q));
    }
    long long state(long long id)
    {
        for (const ZRKWorld::Quest& q : world().questRows("hero"))
            if (q.id == id)
                return q.state;
        return -1;
    }
};

} // namespace

TEST_F(QuestFixture, StatPointsGoAsTheirTextAndThePageHearsOfThemThrough17)
{
    PlayerAttrLoadingEvent attributes{page, dispatcher};
    AddBilityPointCallbackEvent add{page, dispatcher};
    act(attributes); // the page's refresh listens to the player's updates from here on
    frames(3);
    control->clearRaised();

    points(1, 1, 2, 0);
    act(add);
    frames(3);
    EXPECT_EQ(sent("addStatsPoint"), std::vector<std::string>{"{dex:2,luk:0,str:1,vit:1}\n"});
    const std::vector<int> raised = control->raisedIds();
    EXPECT_NE(std::find(raised.begin(), raised.end(), 17), raised.end());
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_points", -1), 1);

    // Nothing checked here: zeros and more than there is go as they are; the server refuses the
    // second and nothing is raised for it.
    ZRKRequestBroker::getSingleton().clearHistory();
    points(0, 0, 0, 0);
    act(add);
    points(4294967295u, 0, 0, 0);
    act(add);
    control->clearRaised();
    frames(3);
    EXPECT_EQ(sent("addStatsPoint"),
              (std::vector<std::string>{"{dex:0,luk:0,str:0,vit:0}\n", "{dex:0,luk:0,str:4294967295,vit:0}\n"}));
    EXPECT_TRUE(control->raisedIds().empty());
    EXPECT_EQ(ZRKUserRequest::getPc_id().getIntVal("pc_points", -1), 1);

    // A missing amount, or one of another type, sends nothing.
    ZRKRequestBroker::getSingleton().clearHistory();
    points(1, 0, 0, 0);
    control->clearPageParams(zrktest::EventsFixture::kLogin);
    setParam("str", 1u);
    setParam("vit", 0u);
    setParam("dex", 0u);
    act(add);
    setParam("luk", 1); // an int, not an unsigned
    act(add);
    EXPECT_TRUE(sent("addStatsPoint").empty());
}

TEST_F(QuestFixture, AClaimPaysThenRaises89AndWithAnObject8)
{
    MessionRewardCallbackEvent reward{page, dispatcher};
    EXPECT_EQ(MessionRewardCallbackEvent::requestText(12, 0), "{items:[],q_id:12}\n");
    EXPECT_EQ(MessionRewardCallbackEvent::requestText(12, 5), "{items:[5],q_id:12}\n");

    // Quest 2 offers no object: 89 alone.
    claim(0, 2);
    act(reward);
    frames(4);
    EXPECT_EQ(sent("rewardQuest"), std::vector<std::string>{"{items:[],q_id:2}\n"});
    EXPECT_EQ(sent("getPcQuestList"), std::vector<std::string>{"[false]\n"});
    EXPECT_EQ(control->raisedIds(), std::vector<int>{89});
    EXPECT_EQ(state(2), ZRKWorld::QuestRewarded);
    EXPECT_EQ(ZRKTaskRequest::getQuestLib()->getDoingNum(ZRKWorld::QuestRewarded), 2);

    // Quest 1 with its gloves: the bag changed too.
    markDone(1);
    control->clearRaised();
    claim(3002, 1);
    act(reward);
    frames(4);
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{89, 8}));
    EXPECT_EQ(state(1), ZRKWorld::QuestRewarded);

    // Claimed twice, a running quest, an object not offered: refused and said, nothing raised.
    control->clearRaised();
    ZRKRequestBroker::getSingleton().clearHistory();
    claim(3002, 1);
    act(reward);
    claim(0, 3);
    act(reward);
    frames(4);
    EXPECT_EQ(sent("rewardQuest").size(), 2u);
    EXPECT_TRUE(sent("getPcQuestList").empty());
    EXPECT_TRUE(control->raisedIds().empty());
    ASSERT_NE(lastBox(), nullptr);
    EXPECT_NE(lastBox()->text.find(' '), std::string::npos) << "the server's words: " << lastBox()->text;
}

TEST_F(QuestFixture, ClaimsWithParametersMissingOrWrongTypedSendNothing)
{
    MessionRewardCallbackEvent reward{page, dispatcher};
    control->clearPageParams(zrktest::EventsFixture::kLogin);
    setParam("objid", 0);
    act(reward);
    claim(0, 2);
    setParam("q_id", 2); // an int where the quest id is a long
    act(reward);
    claim(0, 2);
    setParam("objid", std::string("5"));
    act(reward);
    EXPECT_TRUE(sent("rewardQuest").empty());
}

TEST_F(QuestFixture, RepliesAfterTheEventsAreGoneReachNothing)
{
    markDone(1);
    {
        MessionRewardCallbackEvent reward{page, dispatcher};
        MessionLoadCallbackEvent load{page, dispatcher};
        claim(3002, 1);
        act(reward);
        act(load);
    }
    control->clearRaised();
    frames(4);
    EXPECT_TRUE(control->raisedIds().empty());
}

TEST_F(QuestFixture, TheQuestScreensRefreshBringsTheLibraryAndTheListThen87Once)
{
    MessionLoadCallbackEvent load{page, dispatcher};
    act(load);
    EXPECT_TRUE(control->raisedIds().empty()); // not before the answer
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{87});
    EXPECT_EQ(sent("getPcQuestList"), std::vector<std::string>{"[true]\n"});
    const Json::Value& first = ZRKTaskRequest::getQuestLib()->findRecord("1");
    EXPECT_EQ(first["goal"]["type"].asString(), "wins");
    EXPECT_EQ(first["reward"]["items"].size(), 2u);
    // The list with progress: quest 1 running with nothing done yet.
    const Json::Value& mine = session->getGameData().viewJson("pcQuests");
    ASSERT_TRUE(mine.isArray());
    EXPECT_EQ(mine[0]["progress"].asInt(), 0);

    // A refused refresh still ends in one 87 (the screen draws what it has).
    ZRKRequestBroker::getSingleton().setTimeout(0.0);
    control->clearRaised();
    act(load);
    std::vector<ZRKRequestInfo> waiting = ZRKRequestBroker::getSingleton().unanswered();
    for (const ZRKRequestInfo& r : waiting)
        ZRKRequestBroker::getSingleton().complete(r.handle, true, "refused");
    frames(3);
    EXPECT_EQ(control->raisedIds(), std::vector<int>{87});
    EXPECT_TRUE(load.fillParams()->empty());
}

TEST_F(QuestFixture, TheGuiAsksTheGameForItsQuestsAndTheObjectsNames)
{
    // What the Quests tab reads: the library and the player's list as the game holds them, a
    // claim's change included, and each offered object's name from its item record.
    MessionLoadCallbackEvent load{page, dispatcher};
    act(load);
    frames(3);
    Wrapper game;
    gui::QuestBook book = game.getQuestBook();
    EXPECT_EQ(book.library["1"]["goal"]["type"].asString(), "wins");
    ASSERT_TRUE(book.mine.isArray());
    ASSERT_GE(book.mine.size(), 1u);
    EXPECT_EQ(book.mine[0]["q_id"].asInt(), 1);
    EXPECT_EQ(book.mine[0]["state"].asInt(), ZRKWorld::QuestRunning);
    EXPECT_EQ(game.getItemRecord(book.library["1"]["reward"]["items"][0].asInt()).i_name, "Sand Gloves");

    markDone(1);
    MessionRewardCallbackEvent reward{page, dispatcher};
    claim(3002, 1);
    act(reward);
    frames(4);
    book = game.getQuestBook();
    ASSERT_TRUE(book.mine.isArray());
    EXPECT_EQ(book.mine[0]["state"].asInt(), ZRKWorld::QuestRewarded);
}

// ---- The tutorial's question ----

namespace {

struct QuestionFixture : zrktest::EventsFixture {
    zrktest::TempDir dir;
    std::string file = dir.file("question.json");
    void write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    const Json::Value* question(gui::ParamList* list)
    {
        if (!list || list->size() != 1 || list->front()->name != "question")
            return nullptr;
        return boost::any_cast<Json::Value>(&list->front()->value);
    }
};

} // namespace

TEST_F(QuestionFixture, TheDocumentIsHandedOverWholeAnd90RaisedOnce)
{
    QuestionLoadedCallbackEvent event{page, dispatcher, file};
    // Exactly 256 bytes reads like any other length.
    std::string text =
        R"({"questions": [{"text": "Which key fires?", "answers": ["Space", "Enter"], "right": 0}], "pad": ")";
    text += std::string(256 - text.size() - 2, 'x') + "\"}";
    ASSERT_EQ(text.size(), 256u);
    write(text);
    control->clearRaised();
    const Json::Value* q = question(event.fillParams());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ((*q)["questions"][0]["answers"][1].asString(), "Enter");
    EXPECT_EQ(control->raisedIds(), std::vector<int>{90});
    // Registered, through the GUI's own raise: one fill, which raises 90 once more, and no loop.
    dispatcher->registerEvent(new QuestionLoadedCallbackEvent(page, dispatcher, file));
    control->clearRaised();
    dispatcher->raise(90);
    EXPECT_EQ(control->raisedIds(), (std::vector<int>{90, 90}));
}

TEST_F(QuestionFixture, AMissingBrokenHugeOrDeepFileGivesANullQuestionAndALogLine)
{
    QuestionLoadedCallbackEvent event{page, dispatcher, file};
    yake::logging::logger& log = yake::logging::logger::instance();
    log.startCapture();
    const Json::Value* q = question(event.fillParams());
    const std::size_t lines = log.countCaptured("OpenBoxCallbackEvent::receive", "question.json open failed");
    log.stopCapture();
    ASSERT_NE(q, nullptr);
    EXPECT_TRUE(q->isNull());
    EXPECT_EQ(lines, 1u);

    for (const std::string& bad : {std::string("not json {"), std::string(300 * 1024, ' ') + "{}",
                                   std::string(100000, '[') + std::string(100000, ']')}) {
        write(bad);
        q = question(event.fillParams());
        ASSERT_NE(q, nullptr);
        EXPECT_TRUE(q->isNull());
    }
}

TEST_F(QuestionFixture, AnAnswerMarksTheTutorialsStepDoneAndWithoutOneIsLogged)
{
    QuestionLoadedCallbackEvent event{page, dispatcher, file};
    int marked = 0;
    GameServices::hooks().tutorialStepDone = [&] { ++marked; };
    act(event);
    EXPECT_EQ(marked, 1);
    GameServices::hooks().tutorialStepDone = nullptr;
    act(event); // no tutorial: one log line, nothing else
    EXPECT_EQ(marked, 1);
}

TEST(QuestionAnswer, TheTutorialsStateTakesTheAnswerWhileItLives)
{
    QuestionLoadedCallbackEvent event(nullptr, nullptr);
    {
        BattleRoomNewbie tutorial;
        EXPECT_FALSE(tutorial.isStepDone());
        event.callback(gui::ParamHandle());
        EXPECT_TRUE(tutorial.isStepDone());
    }
    // Gone, it hears nothing: the answer is only logged.
    EXPECT_FALSE(GameServices::tutorialStepDone());
    event.callback(gui::ParamHandle());
}
