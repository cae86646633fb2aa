// The tutorial's script, its parts and the battle hints, without a game around them.
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <json/json.h>
#include <set>
#include <yake/Time.h>

#include "battle/BattleHintManager.h"
#include "battle/BattleHintTipProc.h"
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/NewbieAI0.h"
#include "battle/tutorial/TutorialParts.h"
#include "battle/tutorial/TutorialStep.h"
#include "services/XmlEntities.h"
#include "support/TestEnv.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

int lessonSteps(int lesson)
{
    int n = 0;
    for (int i = lesson * TutorialStep::kLessonRows; TutorialStep::at(i) && TutorialStep::at(i)->flags != -1; ++i)
        ++n;
    return n;
}

struct ManualClock {
    ManualClock()
    {
        yake::native::setManualClock(true);
        yake::native::setTime(100.0);
    }
    ~ManualClock() { yake::native::setManualClock(false); }
};

} // namespace

TEST(TutorialScript, LessonsHaveTheirStepsAndEveryKeywordIsKnown)
{
    EXPECT_EQ(lessonSteps(0), 12);
    EXPECT_EQ(lessonSteps(1), 17);
    EXPECT_EQ(lessonSteps(2), 5);
    EXPECT_EQ(lessonSteps(3), 10);
    EXPECT_EQ(lessonSteps(4), 9);
    EXPECT_EQ(TutorialStep::at(-1), nullptr);
    EXPECT_EQ(TutorialStep::at(TutorialStep::kCount), nullptr);
    EXPECT_EQ(TutorialStep::at(150)->flags, -1); // a lesson past the fifth ends at once
    EXPECT_EQ(TutorialStep::at(8)->duration, 2.0f);
    // Row 90 names the face look as the script has it (a placeholder shows).
    EXPECT_NE(std::string(TutorialStep::at(90)->enterArgs).find("\"0,R2,0,suite_yiliao03_G,suite_yiliao03_face\""),
              std::string::npos);

    BattleRoomNewbie room;
    room.fillRegistriesForTest();
    EXPECT_EQ(room.getTaskCount(), 13u);
    EXPECT_EQ(room.getCondCount(), 14u);
    EXPECT_NE(room.findAI("ai0"), nullptr);
    EXPECT_NE(room.findTask("rescure"), nullptr);
    EXPECT_EQ(room.findTask(""), nullptr);
    EXPECT_EQ(room.findTask(nullptr), nullptr);
    int rows = 0;
    for (int i = 0; i < TutorialStep::kCount; ++i) {
        const TutorialStep* s = TutorialStep::at(i);
        if (s->flags == -1)
            continue;
        ++rows;
        if (s->task && *s->task) {
            EXPECT_NE(room.findTask(s->task), nullptr) << i;
        }
        for (const char* cond : {s->enterCond, s->leaveCond}) {
            if (cond) {
                EXPECT_NE(room.findCond(cond), nullptr) << i;
            }
        }
        if (s->enterCond && std::string(s->enterCond) == "x") {
            Json::Value list;
            ASSERT_TRUE(zrktest::parseJson(s->enterArgs, list)) << i;
            ASSERT_TRUE(list.isArray()) << i;
            for (const Json::Value& pair : list) {
                ASSERT_TRUE(pair.isArray() && pair.size() == 2 && pair[0].isString() && pair[1].isString()) << i;
                EXPECT_NE(room.findCond(pair[0].asCString()), nullptr) << i << " " << pair[0].asString();
                if (pair[0].asString() == "ai") {
                    EXPECT_NE(room.findAI(TutorialParts::splitArgs(pair[1].asString())[1].c_str()), nullptr);
                }
            }
        }
    }
    EXPECT_EQ(rows, 53);
}

TEST(TutorialScript, ArgumentListsKeepEmptyPartsAndReadMissingOnesAsZero)
{
    EXPECT_EQ(TutorialParts::splitArgs("6,1,"), (std::vector<std::string>{"6", "1", ""}));
    EXPECT_TRUE(TutorialParts::splitArgs("").empty());
    EXPECT_EQ(TutorialParts::intArg(TutorialParts::splitArgs("x,7"), 1), 7);
    EXPECT_EQ(TutorialParts::intArg(TutorialParts::splitArgs("x,7"), 2), 0);
    EXPECT_EQ(TutorialParts::intArg(TutorialParts::splitArgs("x"), 0), 0);
}

TEST(TutorialRunner, NothingRunsWithoutALessonAndAStrayDoneIsDropped)
{
    BattleRoomNewbie room;
    room.fillRegistriesForTest();
    EXPECT_EQ(room.getStepIndex(), -1);
    EXPECT_EQ(room.getJumpTarget(), -1);
    EXPECT_FALSE(room.isStepCurrent());
    room.updateStep();  // before the land's state 7: nothing
    room.setStepDone(); // the quiz's "done" with no step running
    room.onFrame(0.1f);
    EXPECT_FALSE(room.isStepDone());
    EXPECT_EQ(room.getStepIndex(), -1);
    EXPECT_EQ(room.getStepsEntered(), 0);
    room.destroyScene();
    room.destroyScene(); // safe twice
    EXPECT_EQ(room.getStepIndex(), -1);
    EXPECT_EQ(room.getTaskCount(), 0u);
    EXPECT_NE(room.findAI("ai0"), nullptr); // the opponent outlives the scene
}

TEST(TutorialOpponent, ThinksAtMostEveryThreeSecondsAndNeverWithoutADoll)
{
    ManualClock clock;
    NewbieAI0 ai;
    EXPECT_EQ(ai.getState(), 0);
    ai.think(); // no doll: the clock still moves on
    EXPECT_EQ(ai.getState(), 3);
    EXPECT_FLOAT_EQ(ai.getNextThink(), 103.0f);
    yake::native::advanceTime(1.0);
    ai.think();
    EXPECT_FLOAT_EQ(ai.getNextThink(), 103.0f); // within 3 s: nothing
    yake::native::advanceTime(2.5);
    ai.think();
    EXPECT_FLOAT_EQ(ai.getNextThink(), 106.5f);
    EXPECT_EQ(ai.getShots(), 0);
    ai.detach();
    EXPECT_EQ(ai.getSim(), nullptr);
}

TEST(BattleHints, TextsAreWeighedAsTheFileSays)
{
    BattleHintManager::HintTexts texts(2);
    texts[0].weight = 1.0f;
    texts[1].weight = 3.0f;
    BattleHintManager::weigh(texts);
    EXPECT_FLOAT_EQ(texts[0].cumulative, 0.25f);
    EXPECT_FLOAT_EQ(texts[1].cumulative, 1.0f);
    texts[0].weight = texts[1].weight = 0.0f;
    BattleHintManager::weigh(texts);
    EXPECT_FLOAT_EQ(texts[0].cumulative, 0.5f);
    EXPECT_FLOAT_EQ(texts[1].cumulative, 0.5f);

    BattleHintManager manager(nullptr);
    BattleHintManager::HintTexts seen;
    manager.addFactory("httest", [&seen](BattleHintManager& m, const BattleHintManager::HintTexts& t) {
        seen = t;
        return BattleHintTipProc::make(m, t);
    });
    manager.loadText(
        "<root>\r\n<zrk_hints>\r\n<Item t=\"test\"><Text>a &amp;lt; b</Text><Text r=\"abc\">c</Text></Item>"
        "<Item><Text>no type</Text></Item><Item t=\"other\"><Text>x</Text></Item><Item t=\"test\"/>"
        "</zrk_hints></root>");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "a &lt; b"); // decoded once, by the parser only
    EXPECT_FLOAT_EQ(seen[0].weight, 1.0f);
    EXPECT_FLOAT_EQ(seen[1].weight, 0.0f);
    EXPECT_FLOAT_EQ(seen[0].cumulative, 1.0f);
    EXPECT_EQ(manager.getProcCount(), 1u);
}

TEST(BattleHints, ProcessorsStartOnceShowEveryThirtySecondsAndBadFilesMakeNone)
{
    BattleHintManager manager(nullptr);
    manager.loadText(
        "<r><zrk_hints><Item t=\"tip\"><Text r=\"1\">one</Text><Text r=\"3\">three</Text></Item></zrk_hints></r>");
    ASSERT_EQ(manager.getProcCount(), 1u);
    manager.stop(); // before any update: nothing started, nothing stopped
    EXPECT_EQ(manager.getProcCount(), 0u);

    BattleHintManager::HintTexts texts(2);
    texts[0].text = "one";
    texts[0].weight = 1.0f;
    texts[1].text = "three";
    texts[1].weight = 3.0f;
    BattleHintManager::weigh(texts);
    auto tip = boost::make_shared<BattleHintTipProc>(manager, texts);
    EXPECT_EQ(tip->pick(0.1f), "one");
    EXPECT_EQ(tip->pick(0.25f), "three");
    EXPECT_EQ(tip->pick(0.9999f), "three");
    manager.addProc(tip);
    manager.update(20.0f);
    manager.update(20.0f); // started once; 40 s passed, no room to show it on
    EXPECT_TRUE(manager.isStarted());
    EXPECT_EQ(tip->getShown(), 0);

    for (const char* bad : {"<r><zrk_hints><Item t=\"tip\"><Text>cut", "", "not xml at all"}) {
        BattleHintManager broken(nullptr);
        broken.loadText(bad);
        EXPECT_EQ(broken.getProcCount(), 0u) << bad;
    }
    BattleHintManager deep(nullptr);
    deep.loadText(std::string(20000, '<') + "a>");
    EXPECT_EQ(deep.getProcCount(), 0u);
    BattleHintManager none(nullptr);
    none.load("no/such/_zrk_hints.xml");
    EXPECT_EQ(none.getProcCount(), 0u);
}

TEST(BattleHints, EntitiesAreDecodedInOrderAmpersandLast)
{
    EXPECT_EQ(unescapeXmlEntities("&quot;a&apos; &lt;b&gt; &amp;lt;"), "\"a' <b> &lt;");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa"); // the search goes on behind the inserted text
    EXPECT_EQ(getElementText(nullptr, true), "");
}
