#include "agent/AgentJob.h"

namespace kavri3D {
namespace zrk {

AgentJob::~AgentJob() = default;

} // namespace zrk
} // namespace kavri3D
