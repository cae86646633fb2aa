#pragma once
#include <string>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// One step of a robot task: wait for a client state and a first condition, prepare a job,
/// wait for a second condition, finish the job. Kinds name registered prototypes; an empty or
/// unknown kind means the step has no such part. Limits are seconds; negative waits for ever.
class AgentTaskEntry {
public:
    AgentTaskEntry();

    std::string stateName;
    std::string jobKind;
    std::string jobParam;
    std::string cond1Kind;
    std::string cond1Param;
    int cond1Limit;
    std::string cond2Kind;
    std::string cond2Param;
    int cond2Limit;
    /// Travels with the entry for its author; the task itself does not read it.
    core::XmlConfigHelper config;
};

} // namespace zrk
} // namespace kavri3D
