#include "battle/tutorial/TutorialBopTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialBopTask::start(const std::string& args) { mItemName = args; }

void TutorialBopTask::update()
{
    ZRKLand* land = mRoom->getLand();
    if (land && land->_countLoadedItem(mItemName) <= 0)
        mRoom->setStepDone();
}

} // namespace zrk
} // namespace kavri3D
