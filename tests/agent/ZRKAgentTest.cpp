#include "AgentTestKit.h"

using namespace agenttest;

namespace {
struct RobotFixture : AgentFixture {
    std::vector<std::string> log;
    boost::shared_ptr<LogState> room = boost::make_shared<LogState>("room", log);
    boost::shared_ptr<LogState> hall = boost::make_shared<LogState>("playerhall", log);
    RobotFixture()
    {
        agent->mRobotStates["room"] = room;
        agent->mRobotStates["playerhall"] = hall;
    }
    /// The robot-state calls made during `n` frames.
    std::vector<std::string> frames(int n)
    {
        log.clear();
        AgentFixture::frames(n, 0.1);
        return log;
    }
    typedef std::vector<std::string> Calls;
};
} // namespace

TEST_F(RobotFixture, RobotStatesFollowTheClientStateOnEveryFourthIdleUpdate)
{
    enterState("room");
    EXPECT_EQ(agent->currentRobotState(), room);
    EXPECT_EQ(frames(3), Calls{});
    EXPECT_EQ(frames(1), (Calls{"enter room", "update room"}));
    EXPECT_DOUBLE_EQ(room->getEnterTime(), yake::native::getTime());
    EXPECT_EQ(frames(4), (Calls{"update room"}));

    enterState("playerhall");
    EXPECT_EQ(frames(4), (Calls{"exit room", "enter playerhall", "update playerhall"}));
    EXPECT_EQ(room->getEnterTime(), -1.0);

    // A state without a robot state is followed too: leaving it enters nothing twice.
    enterState("battle");
    EXPECT_EQ(frames(4), (Calls{"exit playerhall"}));
    EXPECT_EQ(agent->currentRobotState(), nullptr);
    EXPECT_EQ(frames(4), Calls{});
}

TEST_F(RobotFixture, RobotStatesRestWhileATaskRunsAndTheCountResumesAfter)
{
    enterState("room");
    EXPECT_EQ(frames(2), Calls{});
    run({entry("a")});
    EXPECT_EQ(frames(10), Calls{});
    a->value = true;
    EXPECT_EQ(frames(2), Calls{}) << "the entry finishes, then the task goes";
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(frames(1), Calls{});
    EXPECT_EQ(frames(1), (Calls{"enter room", "update room"})) << "idle updates 3 and 4";
}

TEST_F(RobotFixture, StopPausesAndForgettingDropsTasksAndTheLastState)
{
    enterState("room");
    frames(4);
    AgentTaskPtr task = run({entry(), entry()});

    agent->stop(false);
    EXPECT_EQ(frames(8), Calls{});
    EXPECT_EQ(running(), 1u) << "a paused agent steps nothing";
    agent->start();
    frames(3);
    EXPECT_EQ(running(), 0u);

    run({entry("a")});
    agent->stop(true);
    EXPECT_EQ(running(), 0u);
    EXPECT_TRUE(agent->mLastStateName.empty());
    agent->start();
    EXPECT_EQ(frames(4), (Calls{"enter room", "update room"})) << "the room is entered afresh";
}

TEST_F(RobotFixture, ShutdownEmptiesEverythingAndTheDestructorDoesTheSame)
{
    core::UpdatableManager* updatables = engine.getUpdatableManager();
    const std::size_t registered = updatables->size();
    AgentTaskPtr proto = agent->newTask("patrol");
    agent->mTasks["patrol"] = proto;
    agent->runTask("patrol");
    agent->mAttrs.setAttr("round", boost::any(3));
    agent->mConfig.setStringVal("mode", "arena");
    enterState("room");

    agent->shutdown();
    EXPECT_EQ(updatables->size(), registered - 1);
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(agent->findTask("patrol"), nullptr);
    EXPECT_EQ(agent->findJob("sent"), nullptr);
    EXPECT_EQ(agent->findCond("and"), nullptr);
    EXPECT_EQ(agent->findCond("a"), nullptr);
    EXPECT_EQ(agent->currentRobotState(), nullptr);
    EXPECT_EQ(agent->mAttrs.size(), 0u);
    EXPECT_FALSE(agent->mConfig.hasKey("mode"));
    frames(8);
    EXPECT_EQ(log, Calls{});

    // A fresh start brings the agent back to life; its destructor lets go of the frame again.
    agent->init();
    EXPECT_EQ(updatables->size(), registered);
    agent.reset();
    EXPECT_EQ(updatables->size(), registered - 1);
    EXPECT_EQ(ZRKAgent::getSingletonPtr(), nullptr);
    frame(0.1);
}

TEST_F(RobotFixture, ATaskKeptPastItsAgentEndsInsteadOfReachingIt)
{
    AgentTaskPtr kept = run({entry("a")});
    agent.reset();
    EXPECT_TRUE(kept->step());
}

TEST_F(RobotFixture, TheAgentMayShutItselfDownFromItsOwnFrame)
{
    // From a job while tasks are being stepped: the later task is dropped, not stepped.
    job->onLoad = [this] { agent->shutdown(); };
    AgentTaskEntry stopper = entry();
    stopper.jobKind = "log";
    run({stopper});
    AgentTaskPtr later = run({entry()});
    frame(0.1);
    EXPECT_EQ(running(), 0u);
    EXPECT_EQ(later.use_count(), 1);

    // From a robot state while it is being driven.
    agent->init();
    agent->mRobotStates["room"] = room;
    room->whileUpdating = [this] { agent->shutdown(); };
    enterState("room");
    EXPECT_EQ(frames(8), (Calls{"enter room", "update room"}));
}

TEST(AgentWithoutEngine, RunsItsTasksByHandAndSkipsSendingWithoutAnEventManager)
{
    yake::logging::logger::instance().startCapture();
    {
        ZRKGuiLoader loader;
        loader.loadFrom(ZRK_FAKE_GUI_PLUGIN);
        ZRKAgent agent;
        EXPECT_TRUE(agent.init());
        AgentTaskPtr task = agent.newTask("t");
        AgentTaskEntry e;
        e.jobKind = "sent";
        e.jobParam = "<_evt>3</_evt>";
        task->addEntry(e);
        agent.addRunningTask(task);
        agent.update(0.f);
        EXPECT_TRUE(task->step());
    }
    auto& logger = yake::logging::logger::instance();
    EXPECT_EQ(logger.countCaptured("agent", "no updatable manager: the agent does not run"), 1u);
    EXPECT_EQ(logger.countCaptured("agent", "no event manager: event 3 not sent"), 1u);
    logger.stopCapture();
}
