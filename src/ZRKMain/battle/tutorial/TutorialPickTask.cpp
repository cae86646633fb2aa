#include "battle/tutorial/TutorialPickTask.h"

#include <land/ZRKSceneItem.h>
#include <util/StringConv.h>
#include <land/DollConstants.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPickTask::start(const std::string& args)
{
    ZRKLand* land = mRoom->getLand();
    mCrateId = core::UuidString();
    if (land) {
        ZRKSceneItem item;
        item.kind = 1;
        item.value = 0;
        land->_addCrate(mCrateId, item, args);
        land->_updateCrateMarks();
        if (const ZRKLand::CrateMark* mark = land->getCrateMark(mCrateId)) {
            if (ZRKPlayerSim* doll = land->getMyDoll())
                doll->lookAt(mark->position);
            placeMarker(mark->position);
        }
    }
    startHint();
}

void TutorialPickTask::stop()
{
    mCrateId.clear();
    stopHint();
    removeMarker();
}

void TutorialPickTask::update()
{
    ZRKLand* land = mRoom->getLand();
    if (!land || mCrateId.empty())
        return;
    if (!land->_hasCrate(mCrateId)) {
        mRoom->setStepDone();
        return;
    }
    // Walking costs energy at the full rate here, so the player sees the bar go down; one
    // who runs dry before the crate gets it back rather than standing stranded.
    if (ZRKPlayerSim* doll = land->getMyDoll()) {
        const ZRKBattleState& battle = doll->getBattle();
        if (battle.xsp > 0 && battle.sp * kRefillShare < battle.xsp)
            doll->energyRefullReset();
    }
    idleHint();
}

} // namespace zrk
} // namespace kavri3D
