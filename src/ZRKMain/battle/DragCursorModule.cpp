#include "battle/DragCursorModule.h"

#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr float kPitchLimit = 75.0f * 3.14159265f / 180.0f;
} // namespace

DragCursorModule::DragCursorModule(BattleRoom& room) : mRoom(room), mCamera(room.getCameraController())
{
    if (mCamera)
        mCamera->getCameraControllerTP()->setPitchLimits(kPitchLimit, kPitchLimit);
}

void DragCursorModule::restartControllers()
{
    if (!mCamera)
        return;
    const bool mode3 = mCamera->getMode() == 3;
    for (int index : {mode3 ? 4 : 2, mode3 ? 5 : 3})
        if (core::InputController* c = mCamera->getInputController(index))
            c->restart();
    ZRKLand* land = mRoom.getLand();
    if (ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr)
        me->getController().restart();
}

} // namespace zrk
} // namespace kavri3D
