#include "battle/tutorial/TutorialPitchTask.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPitchTask::start(const std::string& args) { mTargetPitch = yake::StringUtil::parseInt(args); }

void TutorialPitchTask::update()
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    if (doll && doll->getPlayerBattle().pitch == mTargetPitch)
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
