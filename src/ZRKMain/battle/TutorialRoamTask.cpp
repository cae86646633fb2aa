#include "battle/TutorialRoamTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/BattleRoomNewbie.h"
#include "battle/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialRoamTask::update()
{
    ZRKLand* land = mRoom->getLand();
    if (land && land->_cameraIsRoaming())
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
