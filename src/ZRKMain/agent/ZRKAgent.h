#pragma once
#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <list>
#include <map>
#include <string>
#include <core/RtObjectAttrMap.h>
#include <core/Updatable.h>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>

#include "agent/AgentCond.h"
#include "agent/AgentJob.h"
#include "agent/AgentTask.h"
#include "agent/RobotState.h"

namespace kavri3D {
namespace zrk {

typedef boost::shared_ptr<RobotState> RobotStatePtr;

/// The robot that can play the game by itself: once per frame it steps its running tasks, or,
/// with none, follows the client states and drives the robot state of the current one.
class ZRKAgent : public Singleton<ZRKAgent> {
public:
    /// Hooks the agent into the engine's frame: each update of the updatable manager is one
    /// agent update.
    class AgentUpdatable : public core::Updatable, public boost::enable_shared_from_this<AgentUpdatable> {
    public:
        explicit AgentUpdatable(ZRKAgent* agent) : mAgent(agent) {}
        ~AgentUpdatable() override;
        void update(float dt) override;

    private:
        ZRKAgent* mAgent;
    };

    ZRKAgent();
    ZRKAgent(const ZRKAgent&) = delete;
    ZRKAgent& operator=(const ZRKAgent&) = delete;
    virtual ~ZRKAgent();

    /// Registers the job "sent" and the conditions "or" and "and", then starts the updates.
    virtual bool init();
    /// Stops and forgets everything: updatable, tasks, prototypes, robot states, values.
    virtual void shutdown();
    virtual void start();
    /// Pauses the updates; with `forget`, also drops the running tasks and the last state.
    virtual void stop(bool forget);
    virtual void update(float dt);

    AgentTaskPtr findTask(const std::string& name) const;
    /// An empty task of this agent for a name no prototype uses; otherwise null.
    AgentTaskPtr newTask(const std::string& name);
    /// Starts a copy of the named prototype.
    void runTask(const std::string& name);
    void addRunningTask(AgentTaskPtr task);

    AgentJobPtr findJob(const std::string& name) const;
    /// A null job removes the name.
    void setJob(const std::string& name, AgentJobPtr job);
    AgentCondPtr findCond(const std::string& name) const;
    /// A null condition removes the name.
    void setCond(const std::string& name, AgentCondPtr cond);

    RobotStatePtr findRobotState(const std::string& stateName) const;
    /// The robot state of the current client state; null without a current state.
    RobotStatePtr currentRobotState() const;

protected:
    void followClientState();

    std::map<std::string, RobotStatePtr> mRobotStates;
    std::map<std::string, AgentTaskPtr> mTasks;
    std::map<std::string, AgentJobPtr> mJobs;
    std::map<std::string, AgentCondPtr> mConds;
    std::list<AgentTaskPtr> mRunningTasks;
    boost::shared_ptr<AgentUpdatable> mUpdatable;
    std::string mLastStateName;
    bool mRunning = false;
    core::RtObjectAttrMap mAttrs;
    core::XmlConfigHelper mConfig;
    unsigned mIdleUpdates = 0;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKAgent);
