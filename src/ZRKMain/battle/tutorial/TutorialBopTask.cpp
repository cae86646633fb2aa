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
    if (!land)
        return;
    if (land->_countLoadedItem(mItemName) <= 0) {
        mRoom->setStepDone();
        return;
    }
    // The rope still holds: the step tells how long to hold Space to reach it.
    for (const ZRKLand::MapItem& item : land->getMapItems())
        if (item.hp > 0 && item.name == mItemName) {
            mRoom->tellForce(item.position);
            return;
        }
}

} // namespace zrk
} // namespace kavri3D
