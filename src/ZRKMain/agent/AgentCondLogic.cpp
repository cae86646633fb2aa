#include "agent/AgentCondLogic.h"

#include "agent/AgentParams.h"
#include "agent/ZRKAgent.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
std::unique_ptr<AgentCond> cloneOf(ZRKAgent* agent, const std::string& kind)
{
    AgentCondPtr proto = agent ? agent->findCond(kind) : AgentCondPtr();
    return proto ? proto->clone() : std::unique_ptr<AgentCond>();
}
} // namespace

AgentCondLogic::AgentCondLogic(Mode mode) : mMode(mode) {}

AgentCondLogic::~AgentCondLogic() = default;

std::unique_ptr<AgentCond> AgentCondLogic::clone() const
{
    return std::unique_ptr<AgentCond>(new AgentCondLogic(mMode));
}

bool AgentCondLogic::load(ZRKAgent* agent, const std::string& param)
{
    mFirst.reset();
    mSecond.reset();
    core::XmlConfigHelper config;
    std::string error;
    if (!readAgentParams(param, config, error)) {
        writeLogf(kLogError, "agent", "logic condition parameters malformed: ", error);
        return false;
    }
    const std::string kind1 = config.getStringVal("cond1", "");
    const std::string kind2 = config.getStringVal("cond2", "");
    if (kind1.empty() || kind2.empty())
        return true;
    std::unique_ptr<AgentCond> first = cloneOf(agent, kind1);
    std::unique_ptr<AgentCond> second = cloneOf(agent, kind2);
    if (!first || !second)
        return true;
    if (!first->load(agent, config.getStringVal("param1", "")) ||
        !second->load(agent, config.getStringVal("param2", "")))
        return false;
    mFirst = std::move(first);
    mSecond = std::move(second);
    return true;
}

bool AgentCondLogic::test()
{
    if (!mFirst || !mSecond)
        return false;
    if (mMode == And)
        return mFirst->test() && mSecond->test();
    return mFirst->test() || mSecond->test();
}

} // namespace zrk
} // namespace kavri3D
