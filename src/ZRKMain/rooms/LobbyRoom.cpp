#include "rooms/LobbyRoom.h"

#include <exception>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>

#include "rooms/BackgroundScene.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

void LobbyRoom::stepLobby(float dt, bool tickAnimator)
{
    BackgroundScene::instance().onFrame(dt);
    if (gui::IGuiAnimator* animator = getGuiFrameObject()) {
        try {
            if (animator->isAnimating()) {
                animator->beginStep();
                if (!animator->step(dt))
                    animator->endStep();
            }
            if (tickAnimator) {
                animator->tick(dt);
                if (!animator->isIdleRunning())
                    animator->runIdle();
            }
        } catch (const std::exception& e) {
            writeLog(3, "room", std::string("GUI animation step failed: ") + e.what());
        }
    }
}

bool LobbyRoom::raiseGuiEvent(int eventId)
{
    gui::IGuiManager* manager = getGuiManager();
    gui::IEventDispatcher* dispatcher = manager ? manager->getEventDispatcher() : nullptr;
    if (!dispatcher) {
        writeLog(6, "room", "no event dispatcher: the GUI is not told of " + std::to_string(eventId));
        return false;
    }
    try {
        dispatcher->raise(eventId);
    } catch (const std::exception& e) {
        writeLog(3, "room", "raising " + std::to_string(eventId) + " failed: " + e.what());
    }
    return true;
}

bool LobbyRoom::playAnimation(const std::string& name)
{
    gui::IGuiAnimator* animator = getGuiFrameObject();
    if (!animator)
        return false;
    try {
        animator->play(name);
    } catch (const std::exception& e) {
        writeLog(3, "room", "animation " + name + " failed: " + e.what());
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
