#include "battle/tutorial/TutorialAimTask.h"

#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

void TutorialAimTask::start(const std::string&) { startHint(); }
void TutorialAimTask::stop() { stopHint(); }

void TutorialAimTask::update()
{
    if (mRoom->isSightActive())
        mRoom->setStepDone();
    else
        idleHint();
}

} // namespace zrk
} // namespace kavri3D
