#include "battle/tutorial/TutorialPropTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPropTask::start(const std::string& args) { mPropName = args; }

void TutorialPropTask::update()
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    PropBag* bag = doll ? doll->getCurrentPropBag() : nullptr;
    if (bag && bag->findItemByName(mPropName) == 0xFFFFFFFFu)
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
