#pragma once
// A small robot kit for the agent tests: a condition and a job the test controls, a robot
// state that writes down what it is told, and a frame that moves the game clock.
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/EventManager.h>
#include <core/Updatable.h>
#include <gui/GuiAnyEvent.h>
#include <stdexcept>
#include <yake/Logger.h>
#include <yake/Time.h>

#include "agent/AgentCond.h"
#include "agent/AgentJob.h"
#include "agent/AgentTask.h"
#include "agent/RobotState.h"
#include "agent/ZRKAgent.h"
#include "shell/ZRKGuiLoader.h"
#include "support/FramePump.h"

namespace agenttest {

using namespace kavri3D;
using namespace kavri3D::zrk;

/// What a test sees of one condition kind, shared by the prototype and its clones.
struct Switch {
    bool value = false;
    bool throws = false;
    int tests = 0;
    int loads = 0;
    std::string param;
};

class SwitchCond : public AgentCond {
public:
    explicit SwitchCond(boost::shared_ptr<Switch> s) : mSwitch(s) {}
    std::unique_ptr<AgentCond> clone() const override { return std::unique_ptr<AgentCond>(new SwitchCond(mSwitch)); }
    bool load(ZRKAgent*, const std::string& param) override
    {
        ++mSwitch->loads;
        mSwitch->param = param;
        return true;
    }
    bool test() override
    {
        ++mSwitch->tests;
        if (mSwitch->throws)
            throw std::runtime_error("switch broke");
        return mSwitch->value;
    }

private:
    boost::shared_ptr<Switch> mSwitch;
};

struct JobLog {
    int loads = 0;
    int updates = 0;
    int finishes = 0;
    std::function<void()> onLoad;
};

class LogJob : public AgentJob {
public:
    explicit LogJob(boost::shared_ptr<JobLog> log) : mLog(log) {}
    std::unique_ptr<AgentJob> clone() const override { return std::unique_ptr<AgentJob>(new LogJob(mLog)); }
    bool load(ZRKAgent*, const std::string&) override
    {
        ++mLog->loads;
        if (mLog->onLoad)
            mLog->onLoad();
        return true;
    }
    void finish() override { ++mLog->finishes; }
    void update() override { ++mLog->updates; }

private:
    boost::shared_ptr<JobLog> mLog;
};

class LogState : public RobotState {
public:
    LogState(std::string name, std::vector<std::string>& log) : mName(std::move(name)), mLog(log) {}
    void onEnter() override
    {
        RobotState::onEnter();
        mLog.push_back("enter " + mName);
    }
    void onExit() override
    {
        RobotState::onExit();
        mLog.push_back("exit " + mName);
    }
    void onUpdate() override
    {
        mLog.push_back("update " + mName);
        if (whileUpdating)
            whileUpdating();
    }
    std::function<void()> whileUpdating;

private:
    std::string mName;
    std::vector<std::string>& mLog;
};

/// The agent with its registries within reach, the way a caller that scripts it would fill them.
struct TestAgent : ZRKAgent {
    using ZRKAgent::mAttrs;
    using ZRKAgent::mConfig;
    using ZRKAgent::mLastStateName;
    using ZRKAgent::mRobotStates;
    using ZRKAgent::mRunningTasks;
    using ZRKAgent::mTasks;
};

inline AgentTaskEntry entry(const std::string& cond1 = "", int limit1 = -1, const std::string& cond2 = "",
                            int limit2 = -1)
{
    AgentTaskEntry e;
    e.cond1Kind = cond1;
    e.cond1Limit = limit1;
    e.cond2Kind = cond2;
    e.cond2Limit = limit2;
    return e;
}

/// A running engine with the fake GUI plug-in and an initialised agent, on a clock the test moves.
struct AgentFixture : ::testing::Test {
    core::Engine engine;
    ZRKGuiLoader loader;
    std::unique_ptr<TestAgent> agent;
    boost::shared_ptr<Switch> a = boost::make_shared<Switch>();
    boost::shared_ptr<Switch> b = boost::make_shared<Switch>();
    boost::shared_ptr<JobLog> job = boost::make_shared<JobLog>();
    std::vector<std::string> deliveredParams;
    boost::signals2::scoped_connection connection;

    AgentFixture()
    {
        yake::native::setManualClock(true);
        yake::native::setTime(50.0);
        yake::logging::logger::instance().startCapture();
        loader.loadFrom(ZRK_FAKE_GUI_PLUGIN);
        agent.reset(new TestAgent);
        agent->init();
        agent->setCond("a", boost::make_shared<SwitchCond>(a));
        agent->setCond("b", boost::make_shared<SwitchCond>(b));
        agent->setJob("log", boost::make_shared<LogJob>(job));
        connection = engine.getEventManager()->subscribeAll([this](const core::Event& e) {
            const auto* any = dynamic_cast<const gui::GuiAnyEvent*>(&e);
            ASSERT_NE(any, nullptr);
            deliveredParams.push_back(std::to_string(any->getId()) + ":" + any->params.getStringVal("room", ""));
        });
    }
    ~AgentFixture() override
    {
        agent.reset();
        yake::logging::logger::instance().stopCapture();
        yake::native::setManualClock(false);
    }

    /// One game frame after `seconds` on the clock.
    void frame(double seconds = 0.0)
    {
        yake::native::advanceTime(seconds);
        engine.update(static_cast<float>(seconds));
    }
    /// `count` game frames, each after `seconds` on the clock.
    void frames(int count, double seconds)
    {
        mFrameSeconds = seconds;
        mPump.frames(count);
    }
    /// Runs a task made of the entries; returns it so the test can watch it.
    AgentTaskPtr run(std::initializer_list<AgentTaskEntry> entries)
    {
        AgentTaskPtr task = agent->newTask("scripted");
        for (const AgentTaskEntry& e : entries)
            task->addEntry(e);
        agent->addRunningTask(task);
        return task;
    }
    std::size_t running() const { return agent->mRunningTasks.size(); }
    /// Hands the events the agent sent to their listeners and tells which came ("id:room").
    std::vector<std::string> sent()
    {
        deliveredParams.clear();
        engine.getEventManager()->dispatch();
        return deliveredParams;
    }
    void enterState(const std::string& name)
    {
        core::ClientStateMachine* m = engine.getClientStateMachine();
        if (!m->getState(name))
            m->addState(name, core::ClientStatePtr(new core::ClientState));
        m->changeState(name);
        m->applyPending();
    }
    std::size_t logged(const std::string& text) const
    {
        return yake::logging::logger::instance().countCaptured("agent", text);
    }

private:
    double mFrameSeconds = 0.0;
    zrktest::FramePump mPump{[this] {
        frame(mFrameSeconds);
        return true;
    }};
};

} // namespace agenttest
