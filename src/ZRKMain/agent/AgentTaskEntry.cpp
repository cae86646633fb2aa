#include "agent/AgentTaskEntry.h"

namespace kavri3D {
namespace zrk {

AgentTaskEntry::AgentTaskEntry() : cond1Limit(-1), cond2Limit(-1) {}

} // namespace zrk
} // namespace kavri3D
