#include "battle/tutorial/TutorialHitTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialHitTask::update()
{
    for (int seat = 0; seat < 4; ++seat) {
        ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, seat);
        if (doll && doll->getPlayerBattle().state != BATTLE_KILLED)
            return;
    }
    mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
