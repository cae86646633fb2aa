#include "agent/AgentCond.h"

namespace kavri3D {
namespace zrk {

AgentCond::~AgentCond() = default;

} // namespace zrk
} // namespace kavri3D
