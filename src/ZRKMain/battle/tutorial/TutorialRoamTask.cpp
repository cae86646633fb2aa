#include "battle/tutorial/TutorialRoamTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

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
