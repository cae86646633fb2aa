#include "battle/tutorial/TutorialArmTask.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialArmTask::start(const std::string& args) { mTargetWeapon = yake::StringUtil::parseInt(args); }

void TutorialArmTask::update()
{
    ZRKPlayerSim* doll = mRoom->getLand() ? TutorialParts::myDoll(mRoom) : nullptr;
    if (doll && doll->getPlayerBattle().weapon == mTargetWeapon)
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
