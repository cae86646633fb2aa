#include "battle/tutorial/TutorialAimTask.h"

#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialAimTask::start(const std::string&)
{
    startHint();
    // The dummy starts in view, a little beside the sight: the figure turns to the nearest foe
    // standing, the view a little past him, and the player brings him from there into the sight.
    ZRKPlayerSim* me = TutorialParts::myDoll(mRoom);
    ZRKPlayerSim* foe = nullptr;
    float best = 0.0f;
    for (int seat = 0; me && seat < 4; ++seat)
        if (ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, seat)) {
            const float far = (doll->getPosition() - me->getPosition()).squaredLength();
            if (!doll->isDead() && (!foe || far < best)) {
                foe = doll;
                best = far;
            }
        }
    if (foe) {
        me->lookAt(foe->getPosition());
        mRoom->lookAlong(me->getHeading() + kViewOff);
    }
}
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
