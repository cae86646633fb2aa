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
    // The nearest foe still standing: the step tells how long to hold Space to reach him.
    ZRKLand* land = mRoom->getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    ZRKPlayerSim* nearest = nullptr;
    float best = 0.0f;
    bool standing = false;
    for (int seat = 0; seat < 4; ++seat) {
        ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, seat);
        if (!doll || doll->getPlayerBattle().state == BATTLE_KILLED)
            continue;
        standing = true;
        const float far = me ? (doll->getPosition() - me->getPosition()).squaredLength() : 0.0f;
        if (!doll->isDead() && (!nearest || far < best)) {
            nearest = doll;
            best = far;
        }
    }
    if (!standing) {
        mRoom->setStepDone();
        return;
    }
    if (nearest) {
        const yake::math::Vector3 foot = nearest->getPosition();
        const yake::math::Vector3 body(0, DollConstants::HIT_ACTOR_OFFSET, 0);
        mRoom->guideShot(foot + body, foot, foot + body * 2.0f, nearest);
    }
}

} // namespace zrk
} // namespace kavri3D
