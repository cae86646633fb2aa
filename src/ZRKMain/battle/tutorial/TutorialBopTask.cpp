#include "battle/tutorial/TutorialBopTask.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

namespace {
/// The rope's post stands this high over its foot.
constexpr float kPostHeight = 8.0f;
} // namespace

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
            mRoom->guideShot(item.position, item.position, item.position + yake::math::Vector3(0, kPostHeight, 0),
                             nullptr);
            return;
        }
}

} // namespace zrk
} // namespace kavri3D
