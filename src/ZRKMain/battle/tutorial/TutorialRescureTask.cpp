#include "battle/tutorial/TutorialRescureTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialRescureTask::update()
{
    ZRKLand* land = mRoom->getLand();
    for (int seat = 5; seat < 8; ++seat) {
        ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, seat);
        if (!doll || !doll->isFlagSet(SIM_DOWN))
            continue;
        // The rescue itself, while the partner lies in his death throes.
        if (doll->getPhase() == PHASE_AGONAL && land) {
            land->reviveDoll(doll->getId(), true, true);
            doll->invincible(3, -1.0f);
            doll->dying(true);
        }
        return;
    }
    mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
