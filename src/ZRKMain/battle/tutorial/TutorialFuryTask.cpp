#include "battle/tutorial/TutorialFuryTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialFuryTask::start(const std::string&) { startHint(); }
void TutorialFuryTask::stop() { stopHint(); }

void TutorialFuryTask::update()
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    if (doll && doll->isFlagSet(SIM_FURY_READY))
        mRoom->setStepDone();
    else
        idleHint();
}

} // namespace zrk
} // namespace kavri3D
