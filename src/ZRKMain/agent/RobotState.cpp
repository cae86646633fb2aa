#include "agent/RobotState.h"

#include <yake/Time.h>

namespace kavri3D {
namespace zrk {

RobotState::~RobotState() = default;

void RobotState::onEnter() { mEnterTime = yake::native::getTime(); }

void RobotState::onExit() { mEnterTime = -1.0; }

} // namespace zrk
} // namespace kavri3D
