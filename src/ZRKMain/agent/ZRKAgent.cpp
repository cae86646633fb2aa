#include "agent/ZRKAgent.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <core/ClientState.h>
#include <vector>

#include "agent/AgentCondLogic.h"
#include "agent/AgentJobSentEvent.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKAgent);

namespace kavri3D {
namespace zrk {

namespace {

template <class Map> typename Map::mapped_type findIn(const Map& map, const std::string& name)
{
    if (name.empty())
        return typename Map::mapped_type();
    auto it = map.find(name);
    return it == map.end() ? typename Map::mapped_type() : it->second;
}

template <class Map> void setIn(Map& map, const std::string& name, const typename Map::mapped_type& value)
{
    if (name.empty())
        return; // an empty kind means "none" in every entry
    if (value)
        map[name] = value;
    else
        map.erase(name);
}

// A robot's script must never take the frame loop down with it.
template <class Fn> bool guarded(const char* what, Fn fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        writeLogf(kLogError, "agent", what, " failed: ", e.what());
    } catch (...) {
        writeLogf(kLogError, "agent", what, " failed");
    }
    return false;
}

} // namespace

ZRKAgent::AgentUpdatable::~AgentUpdatable() = default;

void ZRKAgent::AgentUpdatable::update(float dt)
{
    // The agent may shut down (and drop this updatable) from inside its own update.
    boost::shared_ptr<AgentUpdatable> keep = shared_from_this();
    mAgent->update(dt);
}

ZRKAgent::ZRKAgent() = default;

ZRKAgent::~ZRKAgent() { ZRKAgent::shutdown(); }

bool ZRKAgent::init()
{
    setJob("sent", boost::make_shared<AgentJobSentEvent>());
    setCond("or", boost::make_shared<AgentCondLogic>(AgentCondLogic::Or));
    setCond("and", boost::make_shared<AgentCondLogic>(AgentCondLogic::And));
    mUpdatable = boost::make_shared<AgentUpdatable>(this);
    start();
    return true;
}

void ZRKAgent::shutdown()
{
    mAttrs.clearAttrs();
    mConfig = core::XmlConfigHelper();
    if (mUpdatable) {
        mUpdatable->unregisterWithUpdatableManager();
        mUpdatable.reset();
    }
    mRunning = false;
    mRunningTasks.clear();
    mTasks.clear();
    mJobs.clear();
    mConds.clear();
    mRobotStates.clear();
    mLastStateName.clear();
}

void ZRKAgent::start()
{
    if (!mUpdatable)
        return;
    mRunning = mUpdatable->registerWithUpdatableManager();
    if (!mRunning)
        writeLog(kLogError, "agent", "no updatable manager: the agent does not run");
}

void ZRKAgent::stop(bool forget)
{
    if (mUpdatable)
        mUpdatable->unregisterWithUpdatableManager();
    mRunning = false;
    if (forget) {
        mLastStateName.clear();
        mRunningTasks.clear();
    }
}

void ZRKAgent::update(float)
{
    if (mRunningTasks.empty()) {
        followClientState();
        return;
    }
    // Step a snapshot: a task's job may drop or add running tasks while it works.
    const std::vector<AgentTaskPtr> pass(mRunningTasks.begin(), mRunningTasks.end());
    for (const AgentTaskPtr& task : pass) {
        if (std::find(mRunningTasks.begin(), mRunningTasks.end(), task) == mRunningTasks.end())
            continue;
        bool ended = true;
        guarded("task step", [&] { ended = task->step(); });
        if (ended)
            mRunningTasks.remove(task);
    }
}

void ZRKAgent::followClientState()
{
    if (++mIdleUpdates % 4 != 0)
        return;
    core::ClientState* state = GameServices::currentState();
    const std::string name = state ? state->getName() : std::string();
    if (name != mLastStateName) {
        // Held here: a robot state may shut the agent down from its own callback.
        RobotStatePtr left = findRobotState(mLastStateName);
        RobotStatePtr entered = findRobotState(name);
        if (left)
            guarded("robot state exit", [&] { left->onExit(); });
        if (entered)
            guarded("robot state enter", [&] { entered->onEnter(); });
        mLastStateName = name;
    }
    if (RobotStatePtr current = findRobotState(mLastStateName))
        guarded("robot state update", [&] { current->onUpdate(); });
}

AgentTaskPtr ZRKAgent::findTask(const std::string& name) const { return findIn(mTasks, name); }

AgentTaskPtr ZRKAgent::newTask(const std::string& name)
{
    if (findTask(name))
        return AgentTaskPtr();
    return boost::make_shared<AgentTask>(this);
}

void ZRKAgent::runTask(const std::string& name)
{
    if (AgentTaskPtr proto = findTask(name))
        addRunningTask(boost::make_shared<AgentTask>(*proto));
}

void ZRKAgent::addRunningTask(AgentTaskPtr task)
{
    if (!task)
        return;
    task->setOwner(this);
    mRunningTasks.push_back(task);
}

AgentJobPtr ZRKAgent::findJob(const std::string& name) const { return findIn(mJobs, name); }

void ZRKAgent::setJob(const std::string& name, AgentJobPtr job) { setIn(mJobs, name, job); }

AgentCondPtr ZRKAgent::findCond(const std::string& name) const { return findIn(mConds, name); }

void ZRKAgent::setCond(const std::string& name, AgentCondPtr cond) { setIn(mConds, name, cond); }

RobotStatePtr ZRKAgent::findRobotState(const std::string& stateName) const { return findIn(mRobotStates, stateName); }

RobotStatePtr ZRKAgent::currentRobotState() const
{
    core::ClientState* state = GameServices::currentState();
    return state ? findRobotState(state->getName()) : RobotStatePtr();
}

} // namespace zrk
} // namespace kavri3D
