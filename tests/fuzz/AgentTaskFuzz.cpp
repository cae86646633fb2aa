// The parameter texts of the robot's task entries (XML elements), as the "sent" job and the
// "or"/"and" conditions read them; a condition's text may hold further conditions.
#include <cstdint>

#include "FuzzSupport.h"
#include "agent/AgentCondLogic.h"
#include "agent/AgentJobSentEvent.h"
#include "agent/AgentParams.h"
#include "agent/ZRKAgent.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string text = zrkfuzz::FuzzSupport::text(data, size);
    core::XmlConfigHelper params;
    std::string error;
    (void)readAgentParams(text, params, error);

    ZRKAgent agent;
    agent.init();
    AgentJobSentEvent job;
    (void)job.load(&agent, text);
    for (AgentCondLogic::Mode mode : {AgentCondLogic::Or, AgentCondLogic::And}) {
        AgentCondLogic cond(mode);
        if (cond.load(&agent, text))
            (void)cond.test();
    }
    return 0;
}
