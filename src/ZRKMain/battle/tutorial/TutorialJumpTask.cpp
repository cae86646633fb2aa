#include "battle/tutorial/TutorialJumpTask.h"

#include <scene/BasicPlayer.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialJumpTask::start(const std::string&) { startHint(); }
void TutorialJumpTask::stop() { stopHint(); }

void TutorialJumpTask::update()
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    const boost::shared_ptr<core::BasicPlayer>& player =
        doll ? doll->getPlayerRef() : boost::shared_ptr<core::BasicPlayer>();
    core::PhysicalAvatar* avatar = player ? player->getPhysicalAvatar() : nullptr;
    if (avatar && avatar->isJumping())
        mRoom->setStepDone();
    else
        idleHint();
}

} // namespace zrk
} // namespace kavri3D
