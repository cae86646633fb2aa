#include "battle/EvtLandHandler.h"

#include <core/EventManager.h>
#include <core/Frame.h>
#include "battle/BattleRoom.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

bool EvtLandHandler::handle(const core::Event& event)
{
    const int type = event.getType();
    if (type < kFirst || type > kLast)
        return false;
    // The tutorial room looks at every land event first; its filter takes a changeable event.
    core::Event copy = event;
    if (mRoom.filterLandEvent(copy))
        return true;
    try {
        switch (type) {
        case 6507:
            guideText(event);
            break;
        case 6508:
            syncOrAbort(event);
            break;
        default:
            break; // hits, gains, chat lines and effects are drawn by the heads-up panels
        }
    } catch (const std::exception& e) {
        writeLog(3, "EvtLandHandler", "land event " + std::to_string(type) + " not handled: " + e.what());
    }
    return true;
}

void EvtLandHandler::guideText(const core::Event& event)
{
    const std::string prompt = BattleRoom::getAttrValue<std::string>(event.attrs(), "prompt");
    const float timeout = BattleRoom::getAttrValue<float>(event.attrs(), "timeout");
    mRoom.setGuideText(prompt, timeout);
}

void EvtLandHandler::syncOrAbort(const core::Event& event)
{
    if (BattleRoom::getAttrValue<bool>(event.attrs(), "sync")) {
        mRoom.resyncBattle();
        return;
    }
    if (event.attrs().hasAttr("sabort"))
        if (core::Frame* frame = GameServices::frame())
            frame->messageBox("warning/title", "warning/srv_abort", 1, 9, 300, 150);
    mRoom.scheduleLeave();
}

} // namespace zrk
} // namespace kavri3D
