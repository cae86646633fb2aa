#include "AgentTestKit.h"

#include "agent/AgentCondLogic.h"

using namespace agenttest;

TEST_F(AgentFixture, TasksEndOneUpdateAfterTheirLastEntry)
{
    run({});
    frame(0.1);
    EXPECT_EQ(running(), 0u) << "a task without entries goes at its first update";

    run({entry(), entry(), entry()});
    for (int update = 1; update <= 3; ++update) {
        frame(0.1);
        EXPECT_EQ(running(), 1u) << "update " << update;
    }
    frame(0.1);
    EXPECT_EQ(running(), 0u);
}

TEST_F(AgentFixture, AZeroLimitFailsOnlyOnceTimeHasPassedWhileNotReady)
{
    run({entry("a", 0)});
    frame(0.0);
    frame(0.0);
    EXPECT_EQ(running(), 1u) << "no time has passed yet";
    frame(0.25);
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(logged("task failed with cond1:a"), 1u);
}

TEST_F(AgentFixture, ANegativeLimitWaitsForEverUntilTheConditionHolds)
{
    run({entry("a", -1, "b", -1)});
    frames(20, 1000.0);
    EXPECT_EQ(running(), 1u);
    a->value = true;
    frame(1000.0);
    EXPECT_EQ(running(), 1u) << "now waiting on the second condition";
    b->value = true;
    frame(1000.0);
    frame(0.0);
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(logged("task failed with cond1:a") + logged("task failed with cond2:b"), 0u);
}

TEST_F(AgentFixture, LimitsFailOnlyWhenStrictlyExceeded)
{
    run({entry("a", 2)});
    frame(0.0);
    frame(2.0);
    EXPECT_EQ(running(), 1u) << "exactly the limit still waits";
    frame(0.001);
    EXPECT_EQ(running(), 0u);

    a->value = true;
    run({entry("a", 2, "b", 3)});
    frame(0.0);
    frame(3.0);
    EXPECT_EQ(running(), 1u);
    frame(0.001);
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(logged("task failed with cond2:b"), 1u);
}

TEST_F(AgentFixture, ARequiredStateWaitsUntilItIsCurrent)
{
    AgentTaskEntry wantsHall = entry();
    wantsHall.stateName = "playerhall";
    wantsHall.jobKind = "log";
    run({wantsHall});
    frame(5.0);
    EXPECT_EQ(job->loads, 0) << "no client state at all";
    enterState("room");
    frame(5.0);
    EXPECT_EQ(job->loads, 0) << "another client state";
    enterState("playerhall");
    frame(5.0);
    EXPECT_EQ(job->loads, 1);
    EXPECT_EQ(job->finishes, 1);
}

TEST_F(AgentFixture, TheJobIsPreparedAfterTheFirstWaitAndUpdatedDuringTheSecond)
{
    AgentTaskEntry e = entry("a", -1, "b", -1);
    e.jobKind = "log";
    e.cond1Param = "<v>1</v>";
    e.cond2Param = "<v>2</v>";
    run({e});
    frame(0.1);
    EXPECT_EQ(job->loads, 0);
    EXPECT_EQ(b->loads, 0) << "the second condition is made only once the first holds";
    a->value = true;
    frame(0.1);
    EXPECT_EQ(job->loads, 1);
    EXPECT_EQ(b->param, "<v>2</v>");
    EXPECT_EQ(a->param, "<v>1</v>");
    frame(0.1);
    EXPECT_EQ(job->updates, 2);
    EXPECT_EQ(job->finishes, 0);
    b->value = true;
    frame(0.1);
    EXPECT_EQ(job->finishes, 1);
    EXPECT_EQ(job->updates, 2);
}

TEST_F(AgentFixture, TheSentJobSendsItsEventOnceWhenPreparedBeforeTheSecondWait)
{
    AgentTaskEntry e = entry("a", -1, "b", -1);
    e.jobKind = "sent";
    e.jobParam = "<_evt>42</_evt><room>7</room>";
    run({e});
    frame(0.1);
    EXPECT_TRUE(sent().empty()) << "nothing before the first condition holds";
    a->value = true;
    const int testsBefore = b->tests;
    frame(0.1);
    EXPECT_EQ(sent(), std::vector<std::string>{"42:7"});
    EXPECT_EQ(b->tests, testsBefore + 1) << "the second condition is awaited after the send";
    frame(0.1);
    frame(0.1);
    EXPECT_TRUE(sent().empty()) << "waiting does not send again";
    b->value = true;
    frame(0.1);
    frame(0.1);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(running(), 0u);
}

TEST_F(AgentFixture, AMissingScreenSkipsTheSendAndTheTaskGoesOn)
{
    AgentTaskEntry unknown = entry();
    unknown.jobKind = "sent";
    unknown.jobParam = "<_evt>0</_evt>";
    AgentTaskEntry known = unknown;
    known.jobParam = "<_evt>5</_evt>";
    run({unknown, known});
    frame(0.1);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(logged("GUI has no event 0: not sent"), 1u);
    frame(0.1);
    EXPECT_EQ(sent(), std::vector<std::string>{"5:"});

    loader.unload();
    run({known, entry()});
    frame(0.1);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(logged("no GUI manager: event 5 not sent"), 1u);
    frame(0.1);
    frame(0.1);
    EXPECT_EQ(running(), 0u) << "the task ran to its end";
}

TEST_F(AgentFixture, MalformedParametersFailTheTaskBeforeAnythingIsSent)
{
    struct Case {
        const char* what;
        AgentTaskEntry entry;
    };
    std::vector<Case> cases;
    AgentTaskEntry e = entry("and");
    e.cond1Param = "<cond1>a</cond1><cond2";
    cases.push_back({"logic text", e});
    e.cond1Param = "<cond1>and</cond1><cond2>b</cond2><param1>&lt;cond1&gt;</param1>";
    cases.push_back({"sub-condition text", e});
    e = entry("", -1, "or");
    e.cond2Param = "just words";
    cases.push_back({"text outside elements", e});
    e = entry();
    e.jobKind = "sent";
    e.jobParam = "<_evt>5</_evt><room>";
    cases.push_back({"job text", e});
    // The event of a later entry shows whether the task went on.
    AgentTaskEntry after = entry();
    after.jobKind = "sent";
    after.jobParam = "<_evt>9</_evt>";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        run({c.entry, after});
        frame(0.1);
        frame(0.1);
        EXPECT_EQ(running(), 0u);
        EXPECT_TRUE(sent().empty());
    }
    EXPECT_EQ(logged("task failed with cond1 parameters:and"), 2u);
    EXPECT_EQ(logged("task failed with cond2 parameters:or"), 1u);
    EXPECT_EQ(logged("task failed with job parameters:sent"), 1u);
}

TEST_F(AgentFixture, AThrowingConditionEndsItsTaskAndNotTheFrame)
{
    b->throws = true;
    AgentTaskPtr broken = run({entry("b")});
    AgentTaskPtr healthy = run({entry(), entry()});
    EXPECT_NO_THROW(frame(0.1));
    EXPECT_EQ(running(), 1u);
    EXPECT_EQ(agent->mRunningTasks.front(), healthy);
}

namespace {
std::unique_ptr<AgentCond> logic(ZRKAgent& agent, const char* kind, const std::string& text)
{
    std::unique_ptr<AgentCond> c = agent.findCond(kind)->clone();
    EXPECT_TRUE(c->load(&agent, text));
    return c;
}
} // namespace

TEST_F(AgentFixture, LogicConditionsShortCircuitAndNeedBothParts)
{
    const std::string both = "<cond1>a</cond1><cond2>b</cond2>";
    std::unique_ptr<AgentCond> andCond = logic(*agent, "and", both);
    std::unique_ptr<AgentCond> orCond = logic(*agent, "or", both);

    a->value = false;
    b->value = true;
    EXPECT_FALSE(andCond->test());
    EXPECT_EQ(b->tests, 0) << "\"and\" stops at a false first part";
    EXPECT_TRUE(orCond->test());
    EXPECT_EQ(b->tests, 1);

    a->value = true;
    b->tests = 0;
    EXPECT_TRUE(orCond->test());
    EXPECT_EQ(b->tests, 0) << "\"or\" stops at a true first part";
    EXPECT_TRUE(andCond->test());
    b->value = false;
    EXPECT_FALSE(andCond->test());

    // Parts are looked up as registered and get their own texts.
    logic(*agent, "and", both + "<param1>&lt;v&gt;1&lt;/v&gt;</param1><param2><![CDATA[<v>2</v>]]></param2>");
    EXPECT_EQ(a->param, "<v>1</v>");
    EXPECT_EQ(b->param, "<v>2</v>");

    // Fewer than two known parts: never true, whatever the one part says.
    a->value = b->value = true;
    for (const char* text : {"<cond1>a</cond1>", "<cond1>a</cond1><cond2>nosuch</cond2>", ""})
        for (const char* kind : {"and", "or"})
            EXPECT_FALSE(logic(*agent, kind, text)->test()) << kind << " " << text;

    // Logic nests: "or" of "a" and ("and" of "b" and "a").
    a->value = false;
    b->value = true;
    std::unique_ptr<AgentCond> nested = logic(
        *agent, "or",
        "<cond1>a</cond1><cond2>and</cond2><param2>&lt;cond1&gt;b&lt;/cond1&gt;&lt;cond2&gt;a&lt;/cond2&gt;</param2>");
    EXPECT_FALSE(nested->test());
    a->value = true;
    EXPECT_TRUE(nested->test());
}
